// Tests of the scan and fix window: its states, Stop answered both ways, Fix, Close and the links.
#include "fix/ScanWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "fix/FindingsWindow.h"
#include "fix/IgnoreList.h"
#include "platform/fake/FakePlatform.h"
#include "ui/HintWindow.h"
#include "ui/MessageWindows.h"
#include "ui/testing/ScriptedHost.h"
#include "unit/fix/KeyDeletionBackups.h"
#include "unit/fix/ScriptedRegEdit.h"

namespace ql {
namespace {

constexpr char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const ui::Color kGrey = ui::Rgb(128, 128, 128);

class ScanWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.files.AddFolder("C:\\Undo");
    form = ui::MakeForm<ScanWindow>(host, platform, messages, undoFolder);
  }
  void TearDown() override {
    const auto fix = fake.files.Contents("C:\\Undo\\Quillon.reg");
    const auto undo = fake.files.Contents("C:\\Undo\\Quillon_Undo_1.reg");
    if (fix && undo) {
      EXPECT_TRUE(KeyDeletionsAreBackedUp(*fix, *undo, fake.codePage));
    }
  }

  void PlantProblems() {
    fake.registry.SetString(kClassesRoot, ".abc", "", "gone");
    for (int i = 0; i < 3; ++i)
      fake.registry.SetString(kCurrentUser, kRun, "r" + std::to_string(i), "C:\\GONE\\X.EXE");
  }
  std::vector<const ui::Label*> Links() const {
    return {&form->Label1c, &form->Label2c, &form->Label3c, &form->Label4c,
            &form->Label5c, &form->Label6c, &form->Label7c};
  }
  void ExpectLinks(const AnsiString& caption, bool enabled) {
    for (const ui::Label* link : Links()) {
      EXPECT_EQ(link->Caption(), caption);
      EXPECT_EQ(link->Enabled(), enabled);
    }
  }
  const std::vector<ui::ScriptedHost::ModalShow>& Shows() const { return host.ModalShows(); }

  ui::ScriptedHost host;
  ui::MessageWindows messages{host};
  FakePlatform fake;
  ScriptedRegEdit regedit{fake};
  Platform platform = fake.platform(regedit);
  const AnsiString undoFolder = "C:\\Undo\\";
  std::unique_ptr<ScanWindow> form;
};

TEST_F(ScanWindowTest, OpensReady) {
  EXPECT_EQ(form->Caption(), " Fix registry problems");
  EXPECT_EQ(form->Button1Label.Caption(), "Scan");
  EXPECT_EQ(form->Label4a.Caption(), "Registered programs");
  EXPECT_EQ(form->Label7b.Caption(), "0 errors found");
  EXPECT_EQ(form->InfoLabel.Caption(), "Please click \"Scan\" button.");
  ExpectLinks("What is this?", true);
  EXPECT_FALSE(form->State().Scanning);
  EXPECT_FALSE(form->State().Scanned);
}

TEST_F(ScanWindowTest, FixBeforeAnyScanAsksForAScanAndWritesNothing) {
  form->Button2Label.Click();
  ASSERT_EQ(Shows().size(), 1u);
  EXPECT_EQ(Shows()[0].text, "Please click \"Scan\" button.");
  EXPECT_TRUE(fake.files.List("C:\\Undo").empty());
}

TEST_F(ScanWindowTest, AScanShowsCountsPerRowAndEndsScanned) {
  PlantProblems();
  std::vector<AnsiString> titleColorsDuringScan;
  fake.pump.OnCall(1, [&] {
    EXPECT_EQ(form->Button1Label.Caption(), "Stop");
    EXPECT_TRUE(form->Label1a.TextColor() == ui::Rgb(128, 0, 128));
    EXPECT_TRUE(form->Button2Label.TextColor() == kGrey);
    EXPECT_TRUE(form->Button3Label.TextColor() == kGrey);
    ExpectLinks("What is this?", false);
  });
  form->Button1Label.Click();
  EXPECT_EQ(form->Label1b.Caption(), "1 errors found");
  EXPECT_EQ(form->Label6b.Caption(), "3 errors found");
  EXPECT_EQ(form->Label2b.Caption(), "0 errors found");
  EXPECT_EQ(form->InfoLabel.Caption(), "To fix these errors please click \"Fix\" button.");
  EXPECT_EQ(form->Button1Label.Caption(), "Scan");
  EXPECT_TRUE(form->Button2Label.TextColor() == ui::colors::kBlack);
  EXPECT_TRUE(form->Label1a.TextColor() == ui::colors::kGreyText);
  ExpectLinks("Details", true);
  EXPECT_TRUE(form->State().Scanned);
  EXPECT_FALSE(form->State().Scanning);
  EXPECT_FALSE(fake.files.Exists("C:\\Undo\\Quillon.reg"));
}

TEST_F(ScanWindowTest, ACleanScanSaysSoAndFixWritesNothing) {
  form->Button1Label.Click();
  EXPECT_EQ(form->InfoLabel.Caption(), "No problems found in your system!");
  form->Button2Label.Click();
  EXPECT_EQ(Shows().back().text, "No problems found in your system!");
  EXPECT_TRUE(fake.files.List("C:\\Undo").empty());
}

TEST_F(ScanWindowTest, StopAnsweredNoLetsTheScanFinish) {
  PlantProblems();
  fake.pump.OnCall(2, [&] { form->Button1Label.Click(); });
  host.ClickOnModal("Confirmation", "Button2Label");
  form->Button1Label.Click();
  EXPECT_EQ(Shows()[0].text, "Cancel scanning?");
  EXPECT_EQ(form->Label6b.Caption(), "3 errors found");
  EXPECT_EQ(form->State().ErrorCount, 4u);
}

TEST_F(ScanWindowTest, StopAnsweredYesEndsTheScanAndKeepsWhatWasFound) {
  PlantProblems();
  // The class root lists one entry (pump 1); the Stop arrives at the pump after row 1 (pump 2),
  // so row 1 keeps its finding and no later row is examined.
  fake.pump.OnCall(2, [&] { form->Button1Label.Click(); });
  host.ClickOnModal("Confirmation", "Button1Label");
  form->Button1Label.Click();
  EXPECT_EQ(form->Label1b.Caption(), "1 errors found");
  EXPECT_EQ(form->Label6b.Caption(), "0 errors found");
  EXPECT_TRUE(form->State().Scanned);
  ExpectLinks("Details", true);
  form->Button2Label.Click();
  EXPECT_EQ(Shows().back().text, "1 errors fixed!");
  EXPECT_FALSE(fake.registry.HasKey(kClassesRoot, ".abc"));
  EXPECT_TRUE(fake.registry.HasValue(kCurrentUser, kRun, "r0"));
}

TEST_F(ScanWindowTest, FixWritesTheFilesImportsAndScansAgain) {
  PlantProblems();
  form->Button1Label.Click();
  form->Button2Label.Click();
  EXPECT_EQ(Shows().back().text, "4 errors fixed!");
  EXPECT_TRUE(fake.files.Exists("C:\\Undo\\Quillon_Undo_1.reg"));
  EXPECT_TRUE(fake.files.Exists("C:\\Undo\\Quillon_Log_1.txt"));
  EXPECT_TRUE(fake.files.Exists("C:\\Undo\\Quillon.reg"));
  EXPECT_FALSE(fake.registry.HasValue(kCurrentUser, kRun, "r1"));
  EXPECT_EQ(form->Label6b.Caption(), "0 errors found");
  ExpectLinks("Details", true);
  EXPECT_TRUE(form->State().Scanned);
  EXPECT_EQ(form->InfoLabel.Caption(), "No problems found in your system!");
  form->Button3Label.Click();
  EXPECT_FALSE(fake.files.Exists("C:\\Undo\\Quillon.reg"));
  EXPECT_TRUE(fake.files.Exists("C:\\Undo\\Quillon_Undo_1.reg"));
}

TEST_F(ScanWindowTest, CloseAndEscapeAreRefusedWhileScanning) {
  PlantProblems();
  fake.pump.OnCall(1, [&] {
    form->Button3Label.Click();
    form->KeyDown(ui::keys::kEscape);
  });
  form->Show();
  form->Button1Label.Click();
  EXPECT_TRUE(form->Visible());
  EXPECT_TRUE(host.Closed().empty());
}

TEST_F(ScanWindowTest, FixAndCloseButtonsDoNotLightUpWhileScanning) {
  PlantProblems();
  fake.pump.OnCall(1, [&] {
    form->Button2Label.MouseMove();
    form->Button3A.MouseMove();
    EXPECT_FALSE(form->Button2.Hovered());
    EXPECT_FALSE(form->Button3.Hovered());
    form->Button1Label.MouseMove();
    EXPECT_TRUE(form->Button1.Hovered());
    EXPECT_TRUE(form->Button1Label.TextColor() == ui::colors::kBlue);
    form->WndImageMouseMove();
    EXPECT_FALSE(form->Button1.Hovered());
    EXPECT_TRUE(form->Button2Label.TextColor() == kGrey);
  });
  form->Button1Label.Click();
  form->Button2Label.MouseMove();
  EXPECT_TRUE(form->Button2.Hovered());
}

TEST_F(ScanWindowTest, RowFiveAndRowSevenCountsAreRefreshedAfterEachCheck) {
  fake.registry.SetString(kClassesRoot, "CLSID\\{A}\\InprocServer32", "", "C:\\GONE\\A.DLL");
  fake.registry.SetString(kClassesRoot, "cls\\CLSID", "", "{missing}");
  std::vector<AnsiString> counts;
  fake.pump.OnEveryCall([&] { counts.push_back(form->Label5b.Caption()); });
  form->Button1Label.Click();
  EXPECT_NE(std::find(counts.begin(), counts.end(), "1 errors found"), counts.end());
  EXPECT_EQ(form->Label5b.Caption(), "2 errors found");
}

TEST_F(ScanWindowTest, LinksShowTheHintBeforeAScanAndTheDetailsAfter) {
  host.OnModal<HintWindow>([](HintWindow& hint) {
    EXPECT_EQ(hint.ActionLabel.Caption(), "Common libraries");
    EXPECT_EQ(hint.InfoLabel.Caption(),
              "Many programs use common libraries. If these libraries do not exist this relation "
              "is incorrect.");
    hint.Button1Label.Click();
  });
  form->Label3c.Click();
  PlantProblems();
  form->Button1Label.Click();
  StringList details;
  host.OnModal<FindingsWindow>([&](FindingsWindow& window) {
    details = window.InfoList.Items();
    window.Button1Label.Click();
  });
  form->Label6c.Click();
  EXPECT_EQ(details, StringList(3, "Startup file does not exist: C:\\GONE\\X.EXE"));
  form->Label2c.Click();
  EXPECT_EQ(Shows().back().text, "No errors found in this section!");
  EXPECT_EQ(host.PendingReactions(), 0u);
}

TEST_F(ScanWindowTest, AFixFileThatCannotBeWrittenIsReportedAndNothingIsImported) {
  PlantProblems();
  form->Button1Label.Click();
  fake.files.AddTextFile("C:\\Undo\\Quillon_Log_1.txt", "locked", fileattr::kReadOnly);
  form->Button2Label.Click();
  EXPECT_EQ(Shows().back().text.rfind("Cannot create file \"C:\\Undo\\Quillon_Log_1.txt\"", 0), 0u);
  EXPECT_TRUE(fake.registry.HasKey(kClassesRoot, ".abc"));
  EXPECT_TRUE(form->State().Scanned);
}

// One entry of each kind of change a fix makes: a key deleted, a value deleted, a default value
// set; a refusal made while the registry editor imports keeps it from applying some of them.
struct PartialImportCase {
  const char* label;
  std::vector<std::pair<AnsiString, std::uint32_t>> refusals;  // user's keys and refused access
  AnsiString message;
  StringList notApplied;
};

constexpr char kSoundEvent[] = "AppEvents\\Schemes\\Apps\\.Default\\Ding";
constexpr std::uint32_t kDelete = 0x10000;
constexpr std::uint32_t kSetValue = 0x0002;

class PartialImportTest : public ScanWindowTest,
                          public ::testing::WithParamInterface<PartialImportCase> {};

TEST_P(PartialImportTest, CountsOnlyWhatTheImportChangedAndNamesTheRestInTheLog) {
  fake.registry.SetString(kCurrentUser, kRun, "r0", "C:\\GONE\\X.EXE");
  fake.files.AddFile("C:\\Snd\\b.wav");
  fake.registry.SetString(kCurrentUser, AnsiString(kSoundEvent) + "\\.Current", "",
                          "C:\\GONE\\A.WAV");
  fake.registry.SetString(kCurrentUser, AnsiString(kSoundEvent) + "\\.Default", "",
                          "C:\\Snd\\b.wav");
  fake.registry.SetString(kClassesRoot, ".abc", "", "gone");
  form->Button1Label.Click();
  ASSERT_EQ(form->State().ErrorCount, 3u);
  regedit.duringRun = [this] {
    if (regedit.commandLines.back().rfind(" /s ", 0) != 0)
      return;
    for (const auto& [key, mask] : GetParam().refusals)
      fake.registry.DenyAccess(key == ".abc" ? kClassesRoot : kCurrentUser, key, mask);
  };
  form->Button2Label.Click();
  EXPECT_EQ(Shows().back().text, GetParam().message);
  const StringList log = SplitLines(fake.files.Text("C:\\Undo\\Quillon_Log_1.txt"));
  const auto summary = std::find_if(log.begin(), log.end(), [](const AnsiString& line) {
    return line.rfind("Summary: ", 0) == 0;
  });
  ASSERT_NE(summary, log.end());
  EXPECT_EQ(*summary, "Summary: " + GetParam().message.substr(0, 1) + " errors fixed");
  StringList tail;
  for (const AnsiString& description : GetParam().notApplied)
    tail.push_back(kNotAppliedPrefix + description);
  if (!tail.empty())
    tail.insert(tail.begin(), "");
  EXPECT_EQ(StringList(summary + 1, log.end()), tail);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, PartialImportTest,
    ::testing::Values(
        PartialImportCase{"everything applied", {}, "3 errors fixed!", {}},
        PartialImportCase{
            "key kept", {{".abc", kDelete}}, "2 errors fixed!", {"Invalid handler .abc"}},
        PartialImportCase{"values kept",
                          {{kRun, kSetValue}, {AnsiString(kSoundEvent) + "\\.Current", kSetValue}},
                          "1 errors fixed!",
                          {"Startup file does not exist: C:\\GONE\\X.EXE",
                           "Sound file does not exist: C:\\GONE\\A.WAV"}}));

// The fix works on the registry as it is when Fix is pressed: an entry repaired since the scan is
// left alone and not counted, and one that changed since is backed up as it is now.
TEST_F(ScanWindowTest, FixExaminesEveryFindingAgainAndBacksItUpThen) {
  const AnsiString product = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Old";
  fake.registry.SetString(kCurrentUser, kRun, "r0", "C:\\GONE\\X.EXE");
  fake.registry.SetString(kLocalMachine, product, "DisplayName", "Old");
  form->Button1Label.Click();
  ASSERT_EQ(form->State().ErrorCount, 2u);
  fake.files.AddFile("C:\\GONE\\X.EXE");
  fake.registry.SetString(kLocalMachine, product, "DisplayVersion", "2.0");
  form->Button2Label.Click();
  EXPECT_EQ(Shows().back().text, "1 errors fixed!");
  EXPECT_TRUE(fake.registry.HasValue(kCurrentUser, kRun, "r0"));
  EXPECT_FALSE(fake.registry.HasKey(kLocalMachine, product));
  const StringList log = SplitLines(fake.files.Text("C:\\Undo\\Quillon_Log_1.txt"));
  EXPECT_EQ(log.back(),
            AnsiString(kNoLongerBrokenPrefix) + "Startup file does not exist: C:\\GONE\\X.EXE");
  EXPECT_EQ(std::count(log.begin(), log.end(), "Startup file does not exist: C:\\GONE\\X.EXE"), 0);
  Bytes undo;
  ASSERT_TRUE(fake.files.ReadWholeFile("C:\\Undo\\Quillon_Undo_1.reg", undo));
  const WideStringList undoLines = SplitLines(DecodeScriptFile(undo, fake.codePage));
  EXPECT_NE(std::find(undoLines.begin(), undoLines.end(), u"\"DisplayVersion\"=\"2.0\""),
            undoLines.end());
  EXPECT_EQ(std::find(undoLines.begin(), undoLines.end(),
                      u"[HKEY_CURRENT_USER\\" + fake.codePage.ToWide(kRun) + u"]"),
            undoLines.end());
}

// A sound set to its sister's text counts as fixed only when that text names a file that is
// there: with both sounds missing, each now names the other's missing file.
TEST_F(ScanWindowTest, ASoundCountsAsFixedOnlyWhenItNoLongerNamesAMissingFile) {
  fake.files.AddFile("C:\\Snd\\b.wav");
  const AnsiString events = "AppEvents\\Schemes\\Apps\\.Default\\";
  fake.registry.SetString(kCurrentUser, events + "One\\.Current", "", "C:\\GONE\\A.WAV");
  fake.registry.SetString(kCurrentUser, events + "One\\.Default", "", "C:\\Snd\\b.wav");
  fake.registry.SetString(kCurrentUser, events + "Two\\.Current", "", "C:\\GONE\\C.WAV");
  fake.registry.SetString(kCurrentUser, events + "Two\\.Default", "", "C:\\GONE\\D.WAV");
  form->Button1Label.Click();
  ASSERT_EQ(form->State().ErrorCount, 3u);
  form->Button2Label.Click();
  EXPECT_EQ(Shows().back().text, "1 errors fixed!");
  const StringList log = SplitLines(fake.files.Text("C:\\Undo\\Quillon_Log_1.txt"));
  EXPECT_EQ(StringList(log.end() - 3, log.end()),
            (StringList{
                "", AnsiString(kStillMissingPrefix) + "Sound file does not exist: C:\\GONE\\C.WAV",
                AnsiString(kStillMissingPrefix) + "Sound file does not exist: C:\\GONE\\D.WAV"}));
}

// A registry editor that cannot start, or that is still running when its wait is over, gives an
// error and never a count; the window keeps its findings.
TEST_F(ScanWindowTest, ARegistryEditorThatFailsGivesAnErrorAndNoCount) {
  const std::pair<bool, AnsiString> cases[] = {
      {true, "Cannot start the registry editor \"C:\\WINDOWS\\regedit.exe\". Nothing was fixed."},
      {false,
       "The registry editor \"C:\\WINDOWS\\regedit.exe\" did not finish within 10 seconds. "
       "The log names what it had not changed by then."}};
  for (const auto& [notStarted, message] : cases) {
    PlantProblems();
    form->Button1Label.Click();
    fake.launcher.SetStartFails(notStarted);
    fake.launcher.SetRunsPastWait(!notStarted);
    form->Button2Label.Click();
    EXPECT_EQ(Shows().back().text, message);
    EXPECT_TRUE(form->State().Scanned);
    EXPECT_EQ(form->Label6b.Caption(), "3 errors found");
    fake.launcher.SetStartFails(false);
    fake.launcher.SetRunsPastWait(false);
  }
  for (const auto& show : Shows())
    EXPECT_EQ(show.text.find("errors fixed!"), AnsiString::npos) << show.text;
}

TEST_F(ScanWindowTest, FixWithEveryFindingUntickedAsksForATickAndWritesNothing) {
  PlantProblems();
  form->Button1Label.Click();
  for (const FixedEntry& entry : form->State().Fixes)
    form->State().SetTicked(entry, false);
  form->Button2Label.Click();
  EXPECT_EQ(Shows().back().text, "Please tick the errors to fix.");
  EXPECT_TRUE(fake.files.List("C:\\Undo").empty());
}

// What the user chooses in the details, and what the ignore list held before the scan, against
// what the scan reports, what the fix changes and what its undo script holds.
struct ChoiceCase {
  const char* label;
  std::vector<std::pair<AnsiString, AnsiString>> stored;  // registry path, file
  bool clearStored;
  StringList untick;  // findings unticked in the details, by a part of their text
  StringList ignore;  // findings selected and ignored in the details
  std::size_t reported;
  StringList kept;  // Run values (or ".abc") still there after the fix
};

class ChoiceTest : public ScanWindowTest, public ::testing::WithParamInterface<ChoiceCase> {
 protected:
  bool Present(const AnsiString& entry) {
    return entry == ".abc" ? fake.registry.HasKey(kClassesRoot, ".abc")
                           : fake.registry.HasValue(kCurrentUser, kRun, entry);
  }
  // Ticks and ignores in the details of a row, as the user clicks them.
  void Choose(ui::Label& link, const ChoiceCase& choice) {
    host.OnModal<FindingsWindow>([&](FindingsWindow& window) {
      const auto holds = [&](int row, const StringList& parts) {
        const AnsiString& line = window.InfoList.Items()[static_cast<std::size_t>(row)];
        return std::any_of(parts.begin(), parts.end(),
                           [&](const AnsiString& part) { return line.find(part) != line.npos; });
      };
      for (int row = 0; row < window.InfoList.Count(); ++row) {
        EXPECT_TRUE(window.InfoList.Checked(row));
        if (holds(row, choice.untick))
          window.InfoList.Toggle(row);
        window.InfoList.Select(row, holds(row, choice.ignore));
      }
      if (!window.InfoList.SelectedIndices().empty())
        window.Button2Label.Click();
      window.Button1Label.Click();
    });
    link.Click();
  }
};

TEST_P(ChoiceTest, OnlyTheTickedFindingsAreFixedAndBackedUp) {
  const ChoiceCase& choice = GetParam();
  for (const char* name : {"a", "b", "c"})
    fake.registry.SetString(kCurrentUser, kRun, name, AnsiString("C:\\GONE\\") + name + ".EXE");
  fake.registry.SetString(kClassesRoot, ".abc", "", "gone");
  for (const auto& [path, file] : choice.stored)
    ASSERT_TRUE(StoreIgnored(fake.registry, path, file));
  if (choice.clearStored) {
    ASSERT_TRUE(ClearIgnored(fake.registry));
  }
  form->Button1Label.Click();
  EXPECT_EQ(form->State().ErrorCount, choice.reported);
  Choose(form->Label6c, choice);
  Choose(form->Label1c, choice);
  const std::size_t found = form->State().ErrorsOf(Category::StartupUninstall).size();
  const std::size_t ticked = found - choice.untick.size();
  EXPECT_EQ(form->Label6b.Caption().rfind(
                ticked == found ? std::to_string(found) + " errors"
                                : std::to_string(ticked) + " of " + std::to_string(found) + " ",
                0),
            0u)
      << form->Label6b.Caption();

  form->Button2Label.Click();
  const AnsiString undo = fake.codePage.FromWide(
      DecodeScriptFile(*fake.files.Contents("C:\\Undo\\Quillon_Undo_1.reg"), fake.codePage));
  for (const char* entry : {"a", "b", "c", ".abc"}) {
    const bool kept = std::find(choice.kept.begin(), choice.kept.end(), entry) != choice.kept.end();
    EXPECT_EQ(Present(entry), kept) << entry;
    const AnsiString backup = entry == AnsiString(".abc") ? "[HKEY_CLASSES_ROOT\\.abc]"
                                                          : "\"" + AnsiString(entry) + "\"=";
    EXPECT_EQ(undo.find(backup) != AnsiString::npos, !kept) << entry;
  }
  // The scan after the fix reports the unticked findings again, never the ignored ones.
  EXPECT_EQ(form->State().ErrorCount, choice.untick.size());
  EXPECT_EQ(CountIgnored(fake.registry), choice.clearStored
                                             ? choice.ignore.size()
                                             : choice.stored.size() + choice.ignore.size());
}

const std::vector<std::pair<AnsiString, AnsiString>> kStoredBoth = {
    {"HKEY_CURRENT_USER\\Software\\Elsewhere", "c:\\gone\\c.exe"}, {"hkey_classes_root\\.ABC", ""}};

INSTANTIATE_TEST_SUITE_P(
    Choices, ChoiceTest,
    ::testing::Values(
        ChoiceCase{"all ticked", {}, false, {}, {}, 4, {}},
        ChoiceCase{"one unticked", {}, false, {"A.EXE"}, {}, 4, {"a"}},
        ChoiceCase{"one ignored in the details", {}, false, {}, {"B.EXE"}, 4, {"b"}},
        ChoiceCase{
            "unticked and ignored", {}, false, {"A.EXE"}, {"B.EXE", ".abc"}, 4, {"a", "b", ".abc"}},
        ChoiceCase{"stored by file and by key, other letter case",
                   kStoredBoth,
                   false,
                   {},
                   {},
                   2,
                   {"c", ".abc"}},
        ChoiceCase{"stored, then cleared", kStoredBoth, true, {}, {}, 4, {}}),
    [](const ::testing::TestParamInfo<ChoiceCase>& info) {
      AnsiString name;
      for (char c : AnsiString(info.param.label))
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

}  // namespace
}  // namespace ql
