// Tests of the fake registry editor: the command forms regedit takes and what each one does.
#include <gtest/gtest.h>

#include "platform/fake/FakePlatform.h"
#include "platform/fake/RegEditFiles.h"

namespace ql {
namespace {

const AnsiString kRegedit = "C:\\WINDOWS\\regedit.exe";
const AnsiString kFolder = "C:\\Documents and Settings\\User\\Application Data\\Quillon\\";

class FakeRegEdit : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(fake.files.AddFolder(kFolder)); }
  bool Run(const AnsiString& commandLine) {
    return fake.launcher.Run(kRegedit, commandLine, LaunchOptions()) == LaunchResult::kEnded;
  }
  RegEditOutcome LastOutcome() const { return fake.launcher.Calls().back().outcome; }
  AnsiString ExportedText(const AnsiString& file) {
    return fake.codePage.FromWide(
        DecodeRegScriptFile(fake.files.Contents(file).value_or(Bytes()), fake.codePage));
  }
  FakePlatform fake;
};

TEST_F(FakeRegEdit, ExportsAKeyToAUtf16File) {
  fake.registry.SetString(kLocalMachine, "SOFTWARE\\Classes\\CLSID\\{1}", "", "x");
  ASSERT_TRUE(Run("/s /e \"" + kFolder +
                  "tmp.reg\" \"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{1}\""));
  EXPECT_EQ(LastOutcome(), RegEditOutcome::kExported);
  const Bytes file = *fake.files.Contents(kFolder + "tmp.reg");
  ASSERT_GE(file.size(), 2u);
  EXPECT_EQ(file[0], 0xFF);
  EXPECT_EQ(file[1], 0xFE);
  EXPECT_EQ(ExportedText(kFolder + "tmp.reg"),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{1}]\r\n@=\"x\"\r\n\r\n");
  EXPECT_EQ(fake.registry.OpenHandleCount(), 0u);
}

TEST_F(FakeRegEdit, ExportOfAMissingKeyLeavesAnOldFileUntouched) {
  fake.files.AddTextFile(kFolder + "tmp.reg", "old");
  ASSERT_TRUE(Run("/s /e \"" + kFolder + "tmp.reg\" \"HKEY_CURRENT_USER\\Nothing\""));
  EXPECT_EQ(LastOutcome(), RegEditOutcome::kNothingExported);
  EXPECT_EQ(fake.files.Text(kFolder + "tmp.reg"), "old");
  ASSERT_TRUE(Run("/s /e \"" + kFolder + "new.reg\" \"HKEY_USERS\\.DEFAULT\""));
  EXPECT_FALSE(fake.files.Exists(kFolder + "new.reg"));
}

TEST_F(FakeRegEdit, AQuotedKeyEndingInABackslashLosesItsClosingQuote) {
  fake.registry.AddKey(kLocalMachine, "SOFTWARE\\SharedDLLs");
  ASSERT_TRUE(
      Run("/s /e \"" + kFolder + "tmp.reg\" \"HKEY_LOCAL_MACHINE\\SOFTWARE\\SharedDLLs\\\""));
  EXPECT_EQ(LastOutcome(), RegEditOutcome::kNothingExported);
  ASSERT_TRUE(Run("/s /e \"" + kFolder + "tmp.reg\" \"HKEY_LOCAL_MACHINE\\SOFTWARE\\SharedDLLs\""));
  EXPECT_EQ(LastOutcome(), RegEditOutcome::kExported);
}

TEST_F(FakeRegEdit, AnExportFileThatCannotBeReplacedIsReported) {
  fake.registry.AddKey(kCurrentUser, "K");
  fake.files.AddTextFile(kFolder + "tmp.reg", "old", fileattr::kReadOnly);
  ASSERT_TRUE(Run("/s /e \"" + kFolder + "tmp.reg\" \"HKEY_CURRENT_USER\\K\""));
  EXPECT_EQ(LastOutcome(), RegEditOutcome::kExportFailed);
  EXPECT_EQ(fake.files.Text(kFolder + "tmp.reg"), "old");
}

TEST_F(FakeRegEdit, SilentImportAppliesTheScript) {
  fake.registry.SetString(kCurrentUser, "Software\\Run", "Old", "C:\\gone.exe");
  fake.files.AddTextFile(kFolder + "Quillon.reg",
                         "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Run]\r\n\"Old\"=-\r\n\r\n");
  ASSERT_TRUE(Run(" /s \"" + kFolder + "Quillon.reg\""));
  EXPECT_EQ(LastOutcome(), RegEditOutcome::kImported);
  EXPECT_EQ(fake.launcher.Calls().back().confirmationsAsked, 0u);
  EXPECT_FALSE(fake.registry.HasValue(kCurrentUser, "Software\\Run", "Old"));
}

TEST_F(FakeRegEdit, ImportWithoutSwitchWaitsForTheConfirmation) {
  const AnsiString undo = kFolder + "Quillon_Undo_1.reg";
  fake.files.AddFile(undo,
                     EncodeUtf16File(u"Windows Registry Editor Version 5.00\r\n\r\n"
                                     u"[HKEY_CURRENT_USER\\Restored]\r\n\"v\"=dword:00000001\r\n"));
  ASSERT_TRUE(Run(" \"" + undo + "\""));
  EXPECT_EQ(LastOutcome(), RegEditOutcome::kDeclined);
  EXPECT_EQ(fake.launcher.Calls().back().confirmationsAsked, 1u);
  EXPECT_FALSE(fake.registry.HasKey(kCurrentUser, "Restored"));
  fake.launcher.SetConfirmationAnswer(true);
  ASSERT_TRUE(Run(" \"" + undo + "\""));
  EXPECT_EQ(LastOutcome(), RegEditOutcome::kImported);
  EXPECT_TRUE(fake.registry.HasValue(kCurrentUser, "Restored", "v"));
}

TEST_F(FakeRegEdit, AScriptNamedFirstIsTakenAsTheProgramName) {
  fake.launcher.SetConfirmationAnswer(true);
  fake.files.AddTextFile(kFolder + "a.reg", "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n");
  ASSERT_TRUE(Run("\"" + kFolder + "a.reg\""));
  EXPECT_EQ(LastOutcome(), RegEditOutcome::kWindowOpened);
  EXPECT_FALSE(fake.registry.HasKey(kCurrentUser, "A"));
  ASSERT_TRUE(Run("/s \"" + kFolder + "a.reg\""));
  EXPECT_EQ(fake.launcher.Calls().back().confirmationsAsked, 1u);
  EXPECT_TRUE(fake.registry.HasKey(kCurrentUser, "A"));
}

TEST_F(FakeRegEdit, MissingFilesAndOtherProgramsAreReported) {
  ASSERT_TRUE(Run(" /s \"" + kFolder + "missing.reg\""));
  EXPECT_EQ(LastOutcome(), RegEditOutcome::kImportFailed);
  ASSERT_TRUE(Run(" /s"));
  EXPECT_EQ(LastOutcome(), RegEditOutcome::kUsage);
  ASSERT_TRUE(Run(" /x \"" + kFolder + "a.reg\""));
  EXPECT_EQ(LastOutcome(), RegEditOutcome::kUsage);
  EXPECT_EQ(fake.launcher.Run("C:\\WINDOWS\\notepad.exe", " x", LaunchOptions()),
            LaunchResult::kNotStarted);
  EXPECT_EQ(fake.launcher.Run("c:\\windows\\REGEDIT.EXE", " /s x", LaunchOptions()),
            LaunchResult::kEnded);
  fake.launcher.SetStartFails(true);
  EXPECT_EQ(fake.launcher.Run(kRegedit, " /s x", LaunchOptions()), LaunchResult::kNotStarted);
  ASSERT_EQ(fake.launcher.Calls().size(), 6u);
  EXPECT_EQ(fake.launcher.Calls()[3].program, "C:\\WINDOWS\\notepad.exe");
  EXPECT_EQ(fake.launcher.Calls()[3].outcome, RegEditOutcome::kNotStarted);
  EXPECT_EQ(fake.launcher.Calls()[0].options.creationFlags, 0x88u);
}

TEST_F(FakeRegEdit, ARunPastTheWaitDoesItsWorkButReportsOnlyThatItIsStillRunning) {
  fake.registry.AddKey(kCurrentUser, "K");
  fake.launcher.SetRunsPastWait(true);
  EXPECT_EQ(fake.launcher.Run(kRegedit, "/s /e \"" + kFolder + "tmp.reg\" \"HKEY_CURRENT_USER\\K\"",
                              LaunchOptions()),
            LaunchResult::kStillRunning);
  EXPECT_TRUE(fake.files.Exists(kFolder + "tmp.reg"));
}

TEST_F(FakeRegEdit, ExportWithoutAKeyWritesEveryRoot) {
  fake.registry.AddKey(kClassesRoot, ".txt");
  ASSERT_TRUE(Run(" /e \"" + kFolder + "all.reg\""));
  EXPECT_EQ(LastOutcome(), RegEditOutcome::kExported);
  const AnsiString text = ExportedText(kFolder + "all.reg");
  for (const char* root : {"[HKEY_LOCAL_MACHINE]", "[HKEY_CURRENT_USER]", "[HKEY_CLASSES_ROOT]",
                           "[HKEY_CLASSES_ROOT\\.txt]"})
    EXPECT_NE(text.find(root), AnsiString::npos) << root;
}

TEST(SplitCommandLine, FollowsTheRulesOfCommandLineToArgv) {
  struct Case {
    const char* line;
    StringList arguments;
  };
  for (const Case& c : {
           Case{" /s \"C:\\a b\\x.reg\"", {"", "/s", "C:\\a b\\x.reg"}},
           Case{"/s /e \"f\" \"K\"", {"/s", "/e", "f", "K"}},
           Case{"\"C:\\x.reg\"", {"C:\\x.reg"}},
           Case{"\"C:\\x.reg\" more", {"C:\\x.reg", "more"}},
           Case{"p \"a\\\"b\" c\\\\\"d e\"", {"p", "a\"b", "c\\d e"}},
           Case{"p \"K\\\"", {"p", "K\""}},
           Case{"p a\\\\b \t c", {"p", "a\\\\b", "c"}},
           Case{"", {""}},
       }) {
    EXPECT_EQ(SplitCommandLine(c.line), c.arguments) << c.line;
  }
}

}  // namespace
}  // namespace ql
