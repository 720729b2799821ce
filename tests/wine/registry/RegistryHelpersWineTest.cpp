// The registry helpers and the settings store on the real registry under Wine, in scratch keys
// below HKCU\Software\QuillonTest and HKLM\Software\QuillonTest.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/Settings.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"
#include "paths/AnsiText.h"
#include "paths/PathResolution.h"
#include "registry/RegistryHelpers.h"

namespace ql {
namespace {

constexpr char kScratch[] = "Software\\QuillonTest\\RegistryHelpers";

HKEY RootKey(RegRoot root) {
  return root == kCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

void DeleteTree(RegRoot root, const char* path, REGSAM view = KEY_WOW64_64KEY) {
  win32::UniqueHKey parent;
  const AnsiString full = path;
  const std::size_t cut = full.rfind('\\');
  if (RegOpenKeyExA(RootKey(root), full.substr(0, cut).c_str(), 0, KEY_ALL_ACCESS | view,
                    parent.put()) != ERROR_SUCCESS)
    return;
  RegDeleteTreeA(parent.get(), full.substr(cut + 1).c_str());
}

// Stores a value with the plain Win32 call, byte for byte, in the given view.
bool PutRaw(RegRoot root, const AnsiString& path, const AnsiString& name, DWORD type,
            const Bytes& data, REGSAM view = KEY_WOW64_64KEY) {
  win32::UniqueHKey key;
  if (RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                      key.put(), nullptr) != ERROR_SUCCESS)
    return false;
  return RegSetValueExA(key.get(), name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                        static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

Bytes BytesOf(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

class RegistryHelpersWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteTree(kCurrentUser, kScratch);
    DeleteTree(kLocalMachine, kScratch, KEY_WOW64_64KEY);
    DeleteTree(kLocalMachine, kScratch, KEY_WOW64_32KEY);
  }
  void TearDown() override { SetUp(); }

  win32::Win32Registry registry;
};

TEST_F(RegistryHelpersWineTest, WrittenStringsReadBackTrimmedAndUpperCased) {
  WriteStringValue(registry, kCurrentUser, kScratch, "Path", "  c:\\dir\\app.exe ");
  EXPECT_EQ(ReadStringValue(registry, kCurrentUser, kScratch, "Path"), "C:\\DIR\\APP.EXE");
  WriteStringValue(registry, kCurrentUser, kScratch, "", "default");
  EXPECT_EQ(ReadStringValue(registry, kCurrentUser, "\\" + AnsiString(kScratch) + "\\", ""),
            "DEFAULT");
}

struct RawStringCase {
  const char* what;
  DWORD type;
  Bytes data;
  std::string expected;
};

TEST_F(RegistryHelpersWineTest, RawStringDataOfEveryShapeReadsSafely) {
  const RawStringCase cases[] = {
      {"expandable, not expanded", REG_EXPAND_SZ, BytesOf(std::string("%windir%\\x\0", 11)),
       "%WINDIR%\\X"},
      {"no terminating NUL", REG_SZ, BytesOf("abc"), "ABC"},
      {"odd byte count", REG_SZ, BytesOf("abcde"), "ABCDE"},
      {"zero bytes", REG_SZ, Bytes{}, ""},
      {"text after a NUL", REG_SZ, BytesOf(std::string("ab\0cd\0", 6)), "AB"},
      {"accented letters kept", REG_SZ, BytesOf(std::string("\xe9t\xe9\0", 4)), "\xe9T\xe9"},
      {"dword", REG_DWORD, Bytes{1, 0, 0, 0}, ""},
      {"binary", REG_BINARY, BytesOf("abc"), ""},
      {"multi string", REG_MULTI_SZ, BytesOf(std::string("a\0b\0\0", 5)), ""},
  };
  for (const RawStringCase& c : cases) {
    ASSERT_TRUE(PutRaw(kCurrentUser, kScratch, "Value", c.type, c.data)) << c.what;
    EXPECT_EQ(ReadStringValue(registry, kCurrentUser, kScratch, "Value"), c.expected) << c.what;
    EXPECT_TRUE(ValueExists(registry, kCurrentUser, kScratch, "Value")) << c.what;
  }
}

TEST_F(RegistryHelpersWineTest, LongStringReadsWhole) {
  const std::string text(64 * 1024, 'q');
  WriteStringValue(registry, kCurrentUser, kScratch, "Long", text);
  EXPECT_EQ(ReadStringValue(registry, kCurrentUser, kScratch, "Long"),
            std::string(text.size(), 'Q'));
}

TEST_F(RegistryHelpersWineTest, DwordsReadOnlyFromFourByteDwords) {
  WriteBoolValue(registry, kCurrentUser, kScratch, "On", true);
  WriteBoolValue(registry, kCurrentUser, kScratch, "Off", false);
  ASSERT_TRUE(PutRaw(kCurrentUser, kScratch, "Big", REG_DWORD, Bytes{0xff, 0xff, 0xff, 0xff}));
  ASSERT_TRUE(PutRaw(kCurrentUser, kScratch, "Text", REG_SZ, BytesOf(std::string("1\0", 2))));
  ASSERT_TRUE(PutRaw(kCurrentUser, kScratch, "Short", REG_DWORD, Bytes{1, 0}));
  EXPECT_EQ(ReadDwordValue(registry, kCurrentUser, kScratch, "On"), 1);
  EXPECT_EQ(ReadDwordValue(registry, kCurrentUser, kScratch, "Off"), 0);
  EXPECT_EQ(ReadDwordValue(registry, kCurrentUser, kScratch, "Big"), -1);
  EXPECT_EQ(ReadDwordValue(registry, kCurrentUser, kScratch, "Text"), 0);
  EXPECT_EQ(ReadDwordValue(registry, kCurrentUser, kScratch, "Short"), 0);
  EXPECT_EQ(ReadDwordValue(registry, kCurrentUser, kScratch, "Missing"), 0);
}

TEST_F(RegistryHelpersWineTest, ListingsOfOddNames) {
  const AnsiString names[] = {"with \"quotes\"", "[brackets]", "high \xe9", "a=b"};
  for (const AnsiString& name : names) {
    WriteStringValue(registry, kCurrentUser, kScratch, name, "x");
    WriteStringValue(registry, kCurrentUser, AnsiString(kScratch) + "\\" + name, "", "x");
  }
  StringList keys = {"stale"};
  StringList values = {"stale"};
  EXPECT_EQ(ReadKeyNames(registry, kCurrentUser, kScratch, keys), 4);
  EXPECT_EQ(ReadValueNames(registry, kCurrentUser, kScratch, values), 4);
  for (const AnsiString& name : names) {
    EXPECT_NE(std::find(keys.begin(), keys.end(), name), keys.end()) << name;
    EXPECT_NE(std::find(values.begin(), values.end(), name), values.end()) << name;
  }
  EXPECT_EQ(ReadKeyNames(registry, kCurrentUser, AnsiString(kScratch) + "\\Missing", keys), 0);
  EXPECT_TRUE(keys.empty());
}

TEST_F(RegistryHelpersWineTest, RootListingAndExistenceTests) {
  StringList names;
  EXPECT_GT(ReadKeyNames(registry, kLocalMachine, "\\", names), 0);
  EXPECT_NE(std::find(names.begin(), names.end(), "Software"), names.end());
  EXPECT_TRUE(KeyExists(registry, kLocalMachine, "\\Software\\"));
  EXPECT_FALSE(KeyExists(registry, kLocalMachine, "Software\\QuillonTest\\Missing"));
  EXPECT_TRUE(HasSubKeys(registry, kLocalMachine, "Software"));
  WriteStringValue(registry, kCurrentUser, kScratch, "Empty", "");
  EXPECT_FALSE(HasSubKeys(registry, kCurrentUser, kScratch));
  EXPECT_TRUE(ValueExists(registry, kCurrentUser, kScratch, "Empty"));
  EXPECT_FALSE(ValueExists(registry, kCurrentUser, kScratch, "Missing"));
  EXPECT_TRUE(KeyIsWritable(registry, kCurrentUser, "Software\\QuillonTest\\Missing"));
  EXPECT_FALSE(KeyIsWritable(registry, kLocalMachine, "Software\\QuillonTest\\Missing"));
  EXPECT_TRUE(KeyIsWritable(registry, kLocalMachine, "Software"));
}

// A key and a value that exist only in the native view are found by every helper, the existence
// test and the DWORD read included; one only in the 32-bit view is not.
TEST_F(RegistryHelpersWineTest, HelpersSeeTheNativeView) {
  const AnsiString native = AnsiString(kScratch) + "\\Native";
  const AnsiString only32 = AnsiString(kScratch) + "\\Only32";
  ASSERT_TRUE(PutRaw(kLocalMachine, native, "NoRemove", REG_DWORD, Bytes{1, 0, 0, 0}));
  ASSERT_TRUE(
      PutRaw(kLocalMachine, only32, "NoRemove", REG_DWORD, Bytes{1, 0, 0, 0}, KEY_WOW64_32KEY));
  EXPECT_TRUE(KeyExists(registry, kLocalMachine, native));
  EXPECT_EQ(ReadDwordValue(registry, kLocalMachine, native, "NoRemove"), 1);
  EXPECT_TRUE(ValueExists(registry, kLocalMachine, native, "NoRemove"));
  EXPECT_FALSE(KeyExists(registry, kLocalMachine, only32));
  EXPECT_EQ(ReadDwordValue(registry, kLocalMachine, only32, "NoRemove"), 0);
}

class SettingsWineTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteTree(kCurrentUser, SettingsKey); }
  void TearDown() override { DeleteTree(kCurrentUser, SettingsKey); }

  win32::Win32Registry registry;
  win32::Win32Files files;
  win32::Win32System system;
  ProgramState state;
};

TEST_F(SettingsWineTest, SettingsRoundTrip) {
  LoadSettings(registry, state);
  EXPECT_FALSE(state.ShowMinimized);
  EXPECT_EQ(ReadDwordValue(registry, kCurrentUser, SettingsKey, kShowMinimizedValue), 0);
  EXPECT_TRUE(ValueExists(registry, kCurrentUser, SettingsKey, kDisableMemoryManagementValue));
  WriteBoolValue(registry, kCurrentUser, SettingsKey, kShowMinimizedValue, true);
  ASSERT_TRUE(PutRaw(kCurrentUser, SettingsKey, kDisableMemoryManagementValue, REG_SZ,
                     BytesOf(std::string("1\0", 2))));
  LoadSettings(registry, state);
  EXPECT_TRUE(state.ShowMinimized);
  EXPECT_FALSE(state.Memory.DisableMemoryManagement);
  EXPECT_EQ(ReadDwordValue(registry, kCurrentUser, SettingsKey, kDisableMemoryManagementValue), 0);
  EXPECT_TRUE(ValueExists(registry, kCurrentUser, SettingsKey, kDisableMemoryManagementValue));
}

TEST_F(SettingsWineTest, StartupEntryRoundTrip) {
  const AnsiString runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  win32::UniqueHKey run;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, runKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, run.put(), nullptr),
            ERROR_SUCCESS);
  EXPECT_TRUE(SetStartupEntry(registry, system, true));
  EXPECT_TRUE(StartupEntryExists(registry));
  EXPECT_EQ(ReadStringValue(registry, kCurrentUser, runKey, kStartupValueName),
            UpperCaseAsciiLetters('"' + system.ExecutablePath() + '"'));
  EXPECT_TRUE(SetStartupEntry(registry, system, false));
  EXPECT_FALSE(StartupEntryExists(registry));
}

TEST_F(SettingsWineTest, CompatibilityEntryNamedAfterTheExecutable) {
  const AnsiString executable = system.ExecutablePath();
  RegDeleteKeyValueA(HKEY_CURRENT_USER, kLayersKey, executable.c_str());
  EnsureCompatibilityEntry(registry, system);
  if (system.Version().major > 5) {
    std::uint32_t type = 0;
    Bytes data;
    win32::Win32Registry raw;
    RegKey key(raw);
    ASSERT_TRUE(key.Open(kCurrentUser, kLayersKey, KEY_READ));
    ASSERT_TRUE(raw.QueryValue(key.Get(), executable, type, &data));
    EXPECT_EQ(type, regtype::kString);
    EXPECT_EQ(TextOfStringData(data), kCompatibilityFlags);
  }
  RegDeleteKeyValueA(HKEY_CURRENT_USER, kLayersKey, executable.c_str());
}

TEST_F(SettingsWineTest, FoldersOfTheRunningProgram) {
  const AnsiString appData = ReadStringValue(registry, kCurrentUser, kShellFoldersKey, "AppData");
  ASSERT_FALSE(appData.empty());
  const bool existedBefore = DirectoryExists(files, appData + "\\Quillon");
  InitProgramFolders(registry, files, system, state);
  const AnsiString executable = system.ExecutablePath();
  EXPECT_EQ(state.ProgramFolder, executable.substr(0, executable.rfind('\\')));
  EXPECT_EQ(state.UndoFolder, appData + "\\Quillon\\");
  EXPECT_TRUE(DirectoryExists(files, state.UndoFolder));
  if (!existedBefore)
    RemoveDirectoryA(state.UndoFolder.c_str());
}

}  // namespace
}  // namespace ql
