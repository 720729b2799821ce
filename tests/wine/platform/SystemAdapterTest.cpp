// The system, clock and code-page adapters under Wine: load counters, memory, folders, time, ANSI.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/CodePageText.h"
#include "platform/win32/Win32Platform.h"

namespace ql::win32 {
namespace {

TEST(SystemAdapter, LoadCountersAnswerTheClassesTheMeterUses) {
  Win32System system;
  alignas(8) unsigned char performance[312] = {};
  EXPECT_EQ(system.QuerySystemInformation(2, performance, sizeof(performance)), 0);
  alignas(8) unsigned char timeOfDay[48] = {};
  EXPECT_EQ(system.QuerySystemInformation(3, timeOfDay, sizeof(timeOfDay)), 0);
  EXPECT_NE(system.QuerySystemInformation(2, performance, 8), 0);
}

TEST(SystemAdapter, MemoryFiguresAreSane) {
  Win32System system;
  MemoryStatus status;
  ASSERT_TRUE(system.ReadMemoryStatus(status));
  EXPECT_GE(status.totalPhysical, 64ull << 20);
  EXPECT_GT(status.availablePhysical, 0ull);
  EXPECT_LE(status.availablePhysical, status.totalPhysical);
  EXPECT_GE(system.ProcessorCount(), 1u);
}

TEST(SystemAdapter, BlocksCanBeCommittedWrittenAndReleased) {
  Win32System system;
  void* committed = system.CommitBlock(1 << 20);
  ASSERT_NE(committed, nullptr);
  static_cast<volatile char*>(committed)[(1 << 20) - 1] = 1;
  system.ReleaseBlock(committed);
  void* heap = system.HeapAllocate(4096);
  ASSERT_NE(heap, nullptr);
  static_cast<volatile char*>(heap)[4095] = 1;
  system.HeapRelease(heap);
  system.HeapRelease(nullptr);
  system.ReleaseBlock(nullptr);
}

bool IsFolder(const AnsiString& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

TEST(SystemAdapter, FoldersAndPaths) {
  Win32System system;
  const AnsiString windows = system.WindowsDirectory();
  EXPECT_TRUE(IsFolder(windows)) << windows;
  EXPECT_NE(windows.back(), '\\');
  EXPECT_TRUE(IsFolder(system.ShellFolderPath(csidl::kAppData)));
  EXPECT_FALSE(system.ShellFolderPath(csidl::kInternetCache).empty());
  EXPECT_EQ(system.ShellFolderPath(0x7777), "");
  const AnsiString self = system.ExecutablePath();
  ASSERT_GT(self.size(), 24u);
  EXPECT_EQ(lstrcmpiA(self.substr(self.size() - 23).c_str(), "wine_platform_tests.exe"), 0);
}

TEST(SystemAdapter, VersionIsTheNtFamily) {
  Win32System system;
  const VersionInfo version = system.Version();
  EXPECT_EQ(version.platformId, 2u);
  EXPECT_GE(version.major, 5u);
}

TEST(ClockAdapter, TimeOfDayIsAFractionAndTheTextHasAColon) {
  Win32Clock clock;
  const double now = clock.TimeOfDay();
  EXPECT_GE(now, 0.0);
  EXPECT_LT(now, 1.0);
  const AnsiString text = clock.LongTimeText();
  EXPECT_NE(text.find(':'), AnsiString::npos) << text;
  EXPECT_EQ(text.find('\0'), AnsiString::npos);
}

TEST(CodePageAdapter, UpperCasesAndConvertsInTheAnsiCodePage) {
  Win32CodePage codePage;
  EXPECT_EQ(codePage.UpperCase("c:\\windows\\notepad.exe"), "C:\\WINDOWS\\NOTEPAD.EXE");
  EXPECT_EQ(codePage.UpperCase(""), "");
  EXPECT_EQ(codePage.ToWide("Abc"), u"Abc");
  EXPECT_EQ(codePage.FromWide(u"Abc"), "Abc");
  EXPECT_EQ(codePage.ToWide(""), u"");
  EXPECT_EQ(codePage.ToWide(AnsiString("a\0b", 3)), WideString(u"a\0b", 3));
  if (GetACP() == 1252) {
    EXPECT_EQ(codePage.UpperCase("caf\xe9"), "CAF\xc9");
    EXPECT_EQ(codePage.ToWide("caf\xe9"), u"caf\u00e9");
    EXPECT_EQ(codePage.FromWide(u"\u20ac"), "\x80");
  }
}

// Text is judged only when the code page carries it exactly. The rule must hold on every code
// page a user can choose: on UTF-8 (65001) all text is exact, and on 932 a trail byte 0x5C is
// part of its character.
TEST(CodePageAdapter, TextIsExactOnlyWhereTheCodePageCarriesIt) {
  struct Row {
    unsigned codePage;
    const wchar_t* text;
    bool exact;
    const char* ansi;  // the code page's bytes when exact
  };
  const Row rows[] = {
      {1252, L"C:\\Users\\Jos\u00e9", true, "C:\\Users\\Jos\xe9"},
      {1252, L"C:\\Users\\Gerg\u0151", false, nullptr},
      {65001, L"C:\\Users\\Gerg\u0151", true, "C:\\Users\\Gerg\xc5\x91"},
      {65001, L"C:\\\u8868\\x.exe", true, "C:\\\xe8\xa1\xa8\\x.exe"},
      {65001, L"C:\\\xd800x", false, nullptr},
      {932, L"C:\\\u8868\\x.exe", true, "C:\\\x95\x5c\\x.exe"},
      {932, L"C:\\Users\\Gerg\u0151", false, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << "code page " << row.codePage);
    AnsiString ansi;
    EXPECT_EQ(ToAnsiExactly(row.text, wcslen(row.text), ansi, row.codePage), row.exact);
    if (row.exact) {
      EXPECT_EQ(ansi, row.ansi);
    }
  }
}

}  // namespace
}  // namespace ql::win32
