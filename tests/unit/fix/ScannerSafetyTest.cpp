// Tests of what keeps the scanner's fix lines safe and its walk stoppable: names a script cannot
// carry, names that do not open back, the per-entry pump and the status line.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/fake/FakeCodePage.h"
#include "unit/fix/ScanFixture.h"
#include "unit/registry/ObservedRegistry.h"

namespace ql {
namespace {

constexpr char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

using SafetyTest = ScanFixture;

TEST_F(SafetyTest, ValueNamesWithLineBreaksAreNotRecorded) {
  fake.registry.SetString(kCurrentUser, kRun, "evil\r\n[-HKEY_LOCAL_MACHINE\\SOFTWARE]", "");
  fake.registry.SetString(kCurrentUser, kRun, "also\nevil", "C:\\GONE\\X.EXE");
  scanner.CheckStartup(kCurrentUser);
  EXPECT_EQ(state.ErrorCount, 0u);
  EXPECT_EQ(FixLines(), StringList{});
  EXPECT_EQ(UndoLines(), StringList{});
}

TEST_F(SafetyTest, KeyNamesWithLineBreaksAreNotRecorded) {
  fake.registry.SetString(kLocalMachine, AnsiString(kUninstall) + "x]\r\n[-HKEY_CLASSES_ROOT", "a",
                          "b");
  scanner.CheckUninstall();
  EXPECT_EQ(state.ErrorCount, 0u);
}

TEST_F(SafetyTest, AKeyWhoseSubtreeAnExportCannotCarryIsNotDeleted) {
  fake.registry.SetString(kLocalMachine, AnsiString(kUninstall) + "App", "DisplayName", "x");
  fake.registry.AddKey(kLocalMachine, AnsiString(kUninstall) + "App\\deep\\line\nbreak");
  scanner.CheckUninstall();
  EXPECT_EQ(state.ErrorCount, 0u);
  EXPECT_TRUE(regedit.commandLines.empty());
}

TEST_F(SafetyTest, AKeyNameWithAQuoteReachesTheExportWhole) {
  fake.registry.SetString(kLocalMachine, AnsiString(kUninstall) + "\"Quoted\\", "DisplayName", "x");
  fake.registry.SetString(kLocalMachine, AnsiString(kUninstall) + "a\"b", "DisplayName", "x");
  scanner.CheckUninstall();
  ASSERT_EQ(regedit.commandLines.size(), 2u);
  EXPECT_EQ(
      regedit.commandLines[0],
      "/s /e \"C:\\Undo\\tmp.reg\" \"HKEY_LOCAL_MACHINE\\" +
          AnsiString("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\\\\\\"Quoted\""));
  EXPECT_EQ(FixLines()[2], "[-HKEY_LOCAL_MACHINE\\" + AnsiString(kUninstall) + "a\"b]");
}

// Why an export can fail: regedit missing, regedit outlasting its wait, or "tmp.reg" taken by a
// folder so that no export can be written.
enum class ExportFailure { kNotStarted, kStillRunning, kFolderInTheWay };

class FailedExportTest : public ScanFixture, public ::testing::WithParamInterface<ExportFailure> {
 protected:
  void Fail() {
    switch (GetParam()) {
      case ExportFailure::kNotStarted:
        fake.launcher.SetStartFails(true);
        break;
      case ExportFailure::kStillRunning:
        fake.launcher.SetRunsPastWait(true);
        break;
      case ExportFailure::kFolderInTheWay:
        fake.files.AddFolder("C:\\Undo\\tmp.reg");
        break;
    }
  }
};

// Every check that deletes whole keys leaves its finding alone when the key is not backed up,
// while the value fixes, which need no export, go on; the log names what was left alone.
TEST_P(FailedExportTest, LeavesTheKeyFindingAloneAndNamesItInTheLog) {
  fake.registry.SetString(kClassesRoot, ".abc", "", "gone");
  fake.registry.SetString(kClassesRoot, "Applications\\ed.exe\\shell\\open\\command", "",
                          "C:\\GONE\\ED.EXE");
  fake.registry.SetString(kClassesRoot, "CLSID\\{A}\\InprocServer32", "", "C:\\GONE\\A.DLL");
  fake.registry.SetString(kClassesRoot, "cls\\CLSID", "", "{missing}");
  fake.registry.SetString(kLocalMachine, AnsiString(kUninstall) + "Orphan", "DisplayName", "x");
  fake.registry.SetString(kCurrentUser, kRun, "r", "C:\\GONE\\X.EXE");
  Fail();
  RunAllChecks(scanner);
  EXPECT_EQ(state.ErrorCount, 1u);
  for (Category category :
       {Category::ExtensionsHandlers, Category::RegisteredPrograms, Category::ComActiveX})
    EXPECT_TRUE(Errors(category).empty()) << static_cast<int>(category);
  EXPECT_EQ(Errors(Category::StartupUninstall),
            (StringList{"Startup file does not exist: C:\\GONE\\X.EXE"}));
  EXPECT_EQ(FixLines(),
            (StringList{"[HKEY_CURRENT_USER\\" + AnsiString(kRun) + "\\]", "\"r\"=-", ""}));
  const StringList leftAlone = {"Invalid handler .abc", "Program does not exist: C:\\GONE\\ED.EXE",
                                "Invalid Server32: A.DLL", "Invalid CLSID: {MISSING}",
                                "Invalid uninstall path: Orphan"};
  EXPECT_EQ(state.NotBackedUp, leftAlone);

  fake.launcher.SetStartFails(false);
  fake.launcher.SetRunsPastWait(false);
  EXPECT_EQ(pipeline.WriteFixFiles(), 1u);
  const StringList log = SplitLines(fake.files.Text("C:\\Undo\\Quillon_Log_1.txt"));
  const auto summary = std::find(log.begin(), log.end(), "Summary: 1 errors fixed");
  ASSERT_NE(summary, log.end());
  StringList expectedTail = {""};
  for (const AnsiString& description : leftAlone)
    expectedTail.push_back(kNotBackedUpPrefix + description);
  EXPECT_EQ(StringList(summary + 1, log.end()), expectedTail);
  EXPECT_TRUE(fake.registry.HasKey(kClassesRoot, ".abc"));
}

// A value fix needs the value's old data in the undo script too: a value whose backup cannot
// read it is left alone and named in the log.
TEST_F(ScanFixture, AValueThatCannotBeBackedUpIsLeftAlone) {
  test::ObservedRegistry observed(fake.registry);
  Platform refusing = fake.platform(observed);
  FixPipeline refusingPipeline(refusing, state, undoFolder);
  refusingPipeline.RefreshFolders();
  RegistryScanner refusingScanner(refusing, state, refusingPipeline);
  fake.registry.SetString(kCurrentUser, kRun, "r", "C:\\GONE\\X.EXE");
  fake.registry.SetString(kCurrentUser, "AppEvents\\Schemes\\Apps\\.Default\\Ding\\.Current", "",
                          "C:\\GONE\\DING.WAV");
  observed.refuseWideQueries = true;
  RunAllChecks(refusingScanner);
  EXPECT_EQ(state.ErrorCount, 0u);
  EXPECT_EQ(FixLines(), StringList{});
  EXPECT_EQ(state.NotBackedUp, (StringList{"Startup file does not exist: C:\\GONE\\X.EXE",
                                           "Sound file does not exist: C:\\GONE\\DING.WAV"}));
}

INSTANTIATE_TEST_SUITE_P(Failures, FailedExportTest,
                         ::testing::Values(ExportFailure::kNotStarted, ExportFailure::kStillRunning,
                                           ExportFailure::kFolderInTheWay));

// A preview makes no backups: it counts and describes a key finding, but no fix line can delete
// the key without its backup.
TEST_F(SafetyTest, APreviewCountsKeyFindingsButWritesNoKeyDeletion) {
  fake.registry.SetString(kClassesRoot, ".abc", "", "gone");
  pipeline.SetKeyExports(false);
  scanner.CheckExtensionsHandlers();
  EXPECT_EQ(state.ErrorCount, 1u);
  EXPECT_EQ(Errors(Category::ExtensionsHandlers), (StringList{"Invalid handler .abc"}));
  EXPECT_EQ(FixLines(), StringList{});
  EXPECT_TRUE(state.NotBackedUp.empty());
  EXPECT_TRUE(regedit.commandLines.empty());
}

// A registry on a system whose code page lacks the letters above 127: the ANSI calls list such
// names with "?", the exact calls say that they cannot carry them.
class LossyRegistry : public FakeRegistry {
 public:
  bool EnumKey(RegHandle key, std::uint32_t index, AnsiString& name) override {
    bool exact = true;
    return FakeRegistry::EnumKey(key, index, name) && Lossy(name, exact);
  }
  bool EnumValue(RegHandle key, std::uint32_t index, AnsiString& name) override {
    bool exact = true;
    return FakeRegistry::EnumValue(key, index, name) && Lossy(name, exact);
  }
  bool EnumKeyExact(RegHandle key, std::uint32_t index, AnsiString& name, bool& exact) override {
    return FakeRegistry::EnumKeyExact(key, index, name, exact) && Lossy(name, exact);
  }
  bool EnumValueExact(RegHandle key, std::uint32_t index, AnsiString& name, bool& exact) override {
    return FakeRegistry::EnumValueExact(key, index, name, exact) && Lossy(name, exact);
  }

 private:
  static bool Lossy(AnsiString& name, bool& exact) {
    for (char& c : name) {
      if (static_cast<unsigned char>(c) > 127) {
        c = '?';
        exact = false;
      }
    }
    return true;
  }
};

class LossyNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.files.AddFolder("C:\\Undo");
    pipeline.RefreshFolders();
    pipeline.PrepareFixScripts();
    state.Scanning = true;
  }

  FakePlatform fake;
  LossyRegistry registry;
  Platform platform = fake.platform(registry);
  AnsiString undoFolder = "C:\\Undo\\";
  ScanState state;
  FixPipeline pipeline{platform, state, undoFolder};
  RegistryScanner scanner{platform, state, pipeline};
};

TEST_F(LossyNamesTest, ANameThatDoesNotOpenBackIsNotRecorded) {
  registry.SetString(kCurrentUser, kRun, "caf\xE9", "C:\\GONE\\X.EXE");
  registry.SetString(kLocalMachine, AnsiString(kUninstall) + "\xE9t\xE9", "DisplayName", "x");
  scanner.CheckStartup(kCurrentUser);
  scanner.CheckUninstall();
  EXPECT_EQ(state.ErrorCount, 0u);
}

TEST_F(LossyNamesTest, ANameTheCodePageCannotCarryNeverStandsForItsLookAlike) {
  registry.SetString(kCurrentUser, kRun, "caf\xE9", "C:\\GONE\\X.EXE");
  registry.SetString(kCurrentUser, kRun, "caf?", "C:\\GONE\\Y.EXE");
  registry.SetString(kCurrentUser, kRun, "plain", "C:\\GONE\\Z.EXE");
  scanner.CheckStartup(kCurrentUser);
  EXPECT_EQ(state.ErrorsOf(Category::StartupUninstall),
            (StringList{"Startup file does not exist: C:\\GONE\\Y.EXE",
                        "Startup file does not exist: C:\\GONE\\Z.EXE"}));
}

// ---- The walk ----

// Messages run before each entry is checked, so a Stop answered at any of them ends the findings
// there.
TEST_F(SafetyTest, AStopAtAnyEntryKeepsOnlyWhatWasFoundBefore) {
  for (int i = 0; i < 5; ++i)
    fake.registry.SetString(kCurrentUser, kRun, "v" + std::to_string(i), "C:\\GONE\\X.EXE");
  for (std::size_t stopAt = 1; stopAt <= 5; ++stopAt) {
    const std::size_t before = state.ErrorCount;
    state.Scanning = true;
    fake.pump.OnCall(fake.pump.CallCount() + stopAt, [this] { state.Scanning = false; });
    scanner.CheckStartup(kCurrentUser);
    EXPECT_EQ(state.ErrorCount - before, stopAt - 1) << "stop at entry " << stopAt;
  }
}

TEST_F(SafetyTest, EmptyNamesArePassedOver) {
  fake.registry.SetString(kCurrentUser, kRun, "", "C:\\GONE\\X.EXE");
  scanner.CheckStartup(kCurrentUser);
  EXPECT_EQ(state.ErrorCount, 0u);
}

TEST_F(SafetyTest, ChecksShowTheirEntryUnchangedOrShortened) {
  fake.registry.SetString(kClassesRoot, ".abc", "", "abcfile");
  fake.registry.AddKey(kClassesRoot, "abcfile");
  fake.registry.SetString(kCurrentUser, kRun, "r", "c:\\gone\\x.exe");
  scanner.CheckExtensionsHandlers();
  scanner.CheckStartup(kCurrentUser);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, ".abc");
  EXPECT_EQ(shown[0].form, StatusForm::Unchanged);
  EXPECT_EQ(shown[1].text, "C:\\GONE\\X.EXE");
  EXPECT_EQ(shown[1].form, StatusForm::Shortened);
}

TEST_F(SafetyTest, AFullScanLeavesNoKeyOpenAndChangesNothing) {
  fake.registry.SetString(kClassesRoot, ".abc", "", "gone");
  fake.registry.SetString(kCurrentUser, kRun, "r", "C:\\GONE\\X.EXE");
  const std::size_t keys = fake.registry.KeyCount();
  RunAllChecks(scanner);
  EXPECT_EQ(state.ErrorCount, 2u);
  EXPECT_EQ(fake.registry.KeyCount(), keys);
}

}  // namespace
}  // namespace ql
