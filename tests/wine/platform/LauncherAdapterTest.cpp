// The launcher and shell adapters: regedit export and import round trips with the argument strings
// the program uses, and the bounded wait.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>

#include "WineTestSupport.h"
#include "platform/win32/Win32Platform.h"

namespace ql::win32 {
namespace {

AnsiString Quoted(const AnsiString& text) {
  return "\"" + text + "\"";
}

class RegeditRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    keyPath_ = "Software\\QuillonRegedit-" + std::to_string(GetCurrentProcessId());
    regedit_ = system_.WindowsDirectory() + "\\regedit.exe";
    ASSERT_TRUE(registry_.CreateKey(kCurrentUser, keyPath_, regaccess::kAllAccess, key_));
  }
  void TearDown() override {
    registry_.CloseKey(key_);
    RegDeleteTreeA(HKEY_CURRENT_USER, keyPath_.c_str());
  }

  bool RunRegedit(const AnsiString& arguments) {
    return launcher_.Run(regedit_, arguments, LaunchOptions{}) == LaunchResult::kEnded;
  }
  bool ValueExists(const AnsiString& name) {
    std::uint32_t type = 0;
    return registry_.QueryValue(key_, name, type, nullptr);
  }
  Bytes Value(const AnsiString& name) {
    std::uint32_t type = 0;
    Bytes data;
    registry_.QueryValue(key_, name, type, &data);
    return data;
  }
  AnsiString RootedKey() const { return "HKEY_CURRENT_USER\\" + keyPath_; }

  Win32Registry registry_;
  Win32System system_;
  Win32Files files_;
  Win32Launcher launcher_;
  wintest::ScratchFolder folder_{"quillon-regedit"};
  AnsiString keyPath_;
  AnsiString regedit_;
  RegHandle key_ = 0;
};

Bytes StringData(const char* text) {
  return Bytes(text, text + strlen(text) + 1);
}

// Export with the program's argument string, delete the values, and import the export again
// with the silent switch: every value comes back with its type and data.
TEST_F(RegeditRoundTrip, ExportThenSilentImportRestoresTheValues) {
  ASSERT_TRUE(registry_.SetValue(key_, "Path", regtype::kString, StringData("C:\\Old\\x.exe")));
  ASSERT_TRUE(registry_.SetValue(key_, "Count", regtype::kDword, Bytes{7, 0, 0, 0}));
  ASSERT_TRUE(registry_.SetValue(key_, "Blob", regtype::kBinary, Bytes{1, 2, 0xFE}));
  const AnsiString exportFile = folder_.path() + "tmp.reg";

  ASSERT_TRUE(RunRegedit("/s /e " + Quoted(exportFile) + " " + Quoted(RootedKey())));
  Bytes exported;
  ASSERT_TRUE(files_.ReadWholeFile(exportFile, exported));
  ASSERT_GE(exported.size(), 2u);
  EXPECT_EQ(exported[0], 0xFF);
  EXPECT_EQ(exported[1], 0xFE);

  for (const char* name : {"Path", "Count", "Blob"})
    ASSERT_TRUE(registry_.DeleteValue(key_, name));
  ASSERT_TRUE(RunRegedit(" /s " + Quoted(exportFile)));
  EXPECT_EQ(Value("Path"), StringData("C:\\Old\\x.exe"));
  EXPECT_EQ(Value("Count"), (Bytes{7, 0, 0, 0}));
  EXPECT_EQ(Value("Blob"), (Bytes{1, 2, 0xFE}));
}

TEST_F(RegeditRoundTrip, FixScriptRemovesValuesAndTheUndoFormImportsWithoutSwitch) {
  ASSERT_TRUE(registry_.SetValue(key_, "Broken", regtype::kString, StringData("C:\\gone.exe")));
  const AnsiString fix = "REGEDIT4\r\n\r\n[" + RootedKey() + "]\r\n\"Broken\"=-\r\n\r\n";
  const AnsiString fixFile = folder_.path() + "Quillon.reg";
  ASSERT_TRUE(files_.WriteWholeFile(fixFile, Bytes(fix.begin(), fix.end())));
  ASSERT_TRUE(RunRegedit(" /s " + Quoted(fixFile)));
  EXPECT_FALSE(ValueExists("Broken"));

  const AnsiString undo =
      "REGEDIT4\r\n\r\n[" + RootedKey() + "]\r\n\"Broken\"=\"C:\\\\gone.exe\"\r\n";
  const AnsiString undoFile = folder_.path() + "Quillon_Undo_1.reg";
  ASSERT_TRUE(files_.WriteWholeFile(undoFile, Bytes(undo.begin(), undo.end())));
  ASSERT_TRUE(RunRegedit(" " + Quoted(undoFile)));
  EXPECT_EQ(Value("Broken"), StringData("C:\\gone.exe"));
}

TEST_F(RegeditRoundTrip, ExportOfAMissingKeyLeavesNoFile) {
  const AnsiString exportFile = folder_.path() + "tmp.reg";
  ASSERT_TRUE(RunRegedit("/s /e " + Quoted(exportFile) + " " + Quoted(RootedKey() + "\\Missing")));
  std::uint32_t attributes = 0;
  EXPECT_FALSE(files_.GetAttributes(exportFile, attributes));
}

TEST(LauncherAdapter, MissingProgramsDoNotStart) {
  Win32Launcher launcher;
  EXPECT_EQ(launcher.Run("C:\\no-such-folder\\none.exe", " /s x", LaunchOptions{}),
            LaunchResult::kNotStarted);
}

// The child sleeps for a minute; the launcher must come back after the given wait and say that
// the child is still running.
TEST(LauncherAdapter, WaitsNoLongerThanAsked) {
  Win32Launcher launcher;
  const AnsiString program = wintest::ProgramFolder() + "ql_test_child.exe";
  LaunchOptions options;
  options.waitMilliseconds = 300;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(launcher.Run(program, "\"" + program + "\"", options), LaunchResult::kStillRunning);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(250));
  EXPECT_LT(waited, std::chrono::seconds(20));

  Win32Processes processes;
  std::vector<ProcessEntry> entries;
  ASSERT_TRUE(processes.Snapshot(entries));
  for (const ProcessEntry& entry : entries) {
    if (lstrcmpiA(entry.exeName.c_str(), "ql_test_child.exe") != 0)
      continue;
    const ProcessHandle child = processes.OpenProcess(entry.processId, processaccess::kTerminate);
    if (child != 0) {
      processes.TerminateWithCode(child, 0);
      processes.CloseProcess(child);
    }
  }
}

}  // namespace
}  // namespace ql::win32
