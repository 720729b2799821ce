// Tests of QuillonScan's command: printed findings, exit codes, usage and the written files.
#include "tools/QuillonScan/ScanCommand.h"

#include <gtest/gtest.h>

#include "platform/fake/FakePlatform.h"

namespace ql {
namespace {

constexpr char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

class QuillonScanTest : public ::testing::Test {
 protected:
  int Run(const StringList& arguments) {
    Platform platform = fake.platform();
    return RunScanCommand(arguments, platform, out, err);
  }

  FakePlatform fake;
  AnsiString out;
  AnsiString err;
};

TEST_F(QuillonScanTest, ACleanRegistryPrintsSevenZeroCountsAndExitsWithZero) {
  EXPECT_EQ(Run({}), scanexit::kNothingFound);
  EXPECT_EQ(out,
            "Extensions handlers: 0\nPrograms location: 0\nCommon libraries: 0\n"
            "Registered programs: 0\nCom/ActiveX: 0\nStartup/Uninstall: 0\n"
            "Font/Help/Sounds: 0\nTotal: 0\n");
  EXPECT_EQ(err, "");
}

TEST_F(QuillonScanTest, FindingsAreListedUnderTheirCategoryAndExitWithOne) {
  fake.registry.SetString(kClassesRoot, ".abc", "", "gone");
  fake.registry.SetString(kCurrentUser, kRun, "a", "C:\\GONE\\A.EXE");
  fake.registry.SetString(kLocalMachine, kRun, "b", "");
  EXPECT_EQ(Run({}), scanexit::kProblemsFound);
  EXPECT_EQ(out,
            "Extensions handlers: 1\n  Invalid handler .abc\nPrograms location: 0\n"
            "Common libraries: 0\nRegistered programs: 0\nCom/ActiveX: 0\n"
            "Startup/Uninstall: 2\n  Startup file does not exist: C:\\GONE\\A.EXE\n"
            "  Startup file does not exist: \nFont/Help/Sounds: 0\nTotal: 3\n");
}

TEST_F(QuillonScanTest, APreviewStartsNoRegistryEditorAndWritesNothing) {
  fake.registry.SetString(kClassesRoot, ".abc", "", "gone");
  Run({});
  EXPECT_TRUE(fake.launcher.Calls().empty());
}

TEST_F(QuillonScanTest, WriteProducesTheFixFilesWithoutImportingThem) {
  fake.registry.SetString(kClassesRoot, ".abc", "", "gone");
  fake.files.AddFolder("C:\\Out");
  fake.files.AddTextFile("C:\\Out\\Quillon_Undo_1.reg", "x");
  EXPECT_EQ(Run({"--write", "C:\\Out"}), scanexit::kProblemsFound);
  EXPECT_EQ(fake.files.Text("C:\\Out\\Quillon.reg"),
            "REGEDIT4\r\n\r\n[-HKEY_CLASSES_ROOT\\.abc]\r\n\r\n");
  EXPECT_TRUE(fake.files.Exists("C:\\Out\\Quillon_Log_2.txt"));
  const Bytes undo = *fake.files.Contents("C:\\Out\\Quillon_Undo_2.reg");
  EXPECT_EQ(Bytes(undo.begin(), undo.begin() + 2), (Bytes{0xFF, 0xFE}));
  EXPECT_GT(undo.size(), 100u);  // the header and the exported key
  for (const LaunchCall& call : fake.launcher.Calls())
    EXPECT_EQ(call.commandLine.rfind("/s /e ", 0), 0u) << call.commandLine;
  EXPECT_TRUE(fake.registry.HasKey(kClassesRoot, ".abc"));
  EXPECT_FALSE(fake.files.Exists("C:\\Out\\tmp.reg"));
}

TEST_F(QuillonScanTest, WriteMakesAMissingFolder) {
  EXPECT_EQ(Run({"--write", "C:\\New\\"}), scanexit::kNothingFound);
  EXPECT_TRUE(fake.files.Exists("C:\\New\\Quillon_Undo_1.reg"));
}

TEST_F(QuillonScanTest, AFolderThatCannotBeMadeEndsWithThree) {
  EXPECT_EQ(Run({"--write", "C:\\No\\Such\\Parent"}), scanexit::kWriteFailed);
  EXPECT_NE(err.find("C:\\No\\Such\\Parent"), std::string::npos);
}

class QuillonScanUsageTest : public QuillonScanTest,
                             public ::testing::WithParamInterface<StringList> {};

TEST_P(QuillonScanUsageTest, WrongArgumentsPrintTheUsageAndExitWithTwo) {
  EXPECT_EQ(Run(GetParam()), scanexit::kUsageError);
  EXPECT_EQ(err, kScanUsage);
  EXPECT_EQ(out, "");
}

INSTANTIATE_TEST_SUITE_P(Arguments, QuillonScanUsageTest,
                         ::testing::Values(StringList{"--write"}, StringList{"--write", ""},
                                           StringList{"C:\\Out"}, StringList{"--help"},
                                           StringList{"--write", "C:\\A", "extra"}));

}  // namespace
}  // namespace ql
