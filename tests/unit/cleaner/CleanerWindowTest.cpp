// Tests of the cleaner window: its state table, Stop in both passes, counts, links, hover.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "cleaner/CleanerWindow.h"
#include "cleaner/FileSources.h"
#include "platform/fake/FakePlatform.h"
#include "ui/DetailsWindow.h"
#include "ui/HintWindow.h"
#include "ui/MessageWindows.h"
#include "ui/testing/ScriptedHost.h"

namespace ql::testing {
namespace {

using ui::Color;
using ui::colors::kBlack;
using ui::colors::kBlue;
using ui::colors::kGreyText;

constexpr Color kPurple = ui::Rgb(128, 0, 128);
constexpr Color kOutOfUse = ui::Rgb(128, 128, 128);
const AnsiString kCache =
    "C:\\Documents and Settings\\User\\Local Settings\\Temporary Internet Files\\";

class CleanerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = ui::MakeForm<CleanerWindow>(host, platform, messages);
    form->ShowForm();
  }
  void PlantTwoFilesAndOneValue() {
    fake.files.AddFile(kCache + "a.htm");
    fake.files.AddFile(kCache + "Sub\\b.gif");
    fake.registry.SetString(kCurrentUser, "Software\\App\\Recent", "File1", "C:\\gone\\x.doc");
  }
  // Answers the next "Cancel scanning?" with Yes.
  void ConfirmNextStop() {
    host.OnModal("Confirmation", [](ui::Form& f) { f.FindControl("Button1Label")->Click(); });
  }
  std::size_t ShowsOf(const AnsiString& caption) const {
    std::size_t count = 0;
    for (const auto& show : host.ModalShows())
      count += show.caption == caption ? 1 : 0;
    return count;
  }
  const ui::ScriptedHost::ModalShow& LastShow() const { return host.ModalShows().back(); }

  ui::ScriptedHost host;
  ui::MessageWindows messages{host};
  FakePlatform fake;
  Platform platform = fake.platform();
  std::unique_ptr<CleanerWindow> form;
};

TEST_F(CleanerWindowTest, OpensReadyWithItsTextsAndTheCacheFolder) {
  EXPECT_EQ(form->Caption(), "Clean your system");
  EXPECT_EQ(form->ActionLabel.Caption(), "Clean your system");
  EXPECT_EQ(form->Label1a.Caption(), "Temporary files");
  EXPECT_EQ(form->Label2a.Caption(), "Temporary values");
  for (const ui::Label* count : {&form->Label1b, &form->Label2b})
    EXPECT_EQ(count->Caption(), "0 items found");
  for (const ui::Label* link : {&form->Label1c, &form->Label2c}) {
    EXPECT_EQ(link->Caption(), "What is this?");
    EXPECT_EQ(link->GetCursor(), ui::Cursor::Hand);
    EXPECT_TRUE(link->Enabled());
  }
  EXPECT_EQ(form->InfoLabel.Caption(), "Please click \"Scan\" button.");
  EXPECT_EQ(form->Button1Label.Caption(), "Scan");
  EXPECT_EQ(form->Button2Label.Caption(), "Clean");
  EXPECT_EQ(form->Button3Label.Caption(), "Close");
  EXPECT_FALSE(form->CleanerBusy);
  EXPECT_FALSE(form->CleanerScanned);
  EXPECT_EQ(form->CacheFolder, kCache);
}

struct CacheFolderCase {
  AnsiString shellFolder;
  AnsiString cacheFolder;
};

TEST(InternetCacheFolder, GetsATrailingBackslashUnlessEmpty) {
  const CacheFolderCase cases[] = {
      {"C:\\Temporary Internet Files", "C:\\Temporary Internet Files\\"},
      {"C:\\Temporary Internet Files\\", "C:\\Temporary Internet Files\\"},
      {"", ""},
  };
  for (const CacheFolderCase& c : cases) {
    FakeSystem system;
    system.SetShellFolderPath(csidl::kInternetCache, c.shellFolder);
    EXPECT_EQ(InternetCacheFolder(system), c.cacheFolder) << c.shellFolder;
  }
}

TEST_F(CleanerWindowTest, ScanCountsBothKindsAndDeletesNothing) {
  PlantTwoFilesAndOneValue();
  form->Button1Click();
  EXPECT_EQ(form->Label1b.Caption(), "2 items found");
  EXPECT_EQ(form->Label2b.Caption(), "1 items found");
  EXPECT_EQ(form->InfoLabel.Caption(), "To clean these items please click \"Clean\" button.");
  for (const ui::Label* link : {&form->Label1c, &form->Label2c}) {
    EXPECT_EQ(link->Caption(), "Details");
    EXPECT_TRUE(link->Enabled());
  }
  EXPECT_EQ(form->Button1Label.Caption(), "Scan");
  EXPECT_EQ(form->Button2Label.TextColor(), kBlack);
  EXPECT_EQ(form->Button3Label.TextColor(), kBlack);
  EXPECT_TRUE(form->CleanerScanned);
  EXPECT_FALSE(form->CleanerBusy);
  EXPECT_TRUE(fake.files.IsFile(kCache + "a.htm"));
  EXPECT_TRUE(fake.registry.HasValue(kCurrentUser, "Software\\App\\Recent", "File1"));
  EXPECT_TRUE(host.ModalShows().empty());
}

TEST_F(CleanerWindowTest, ScanThatFindsNothingSaysSoAndCleanDeletesNothing) {
  fake.files.AddFile(kCache + "desktop.ini");
  form->Button1Click();
  EXPECT_EQ(form->InfoLabel.Caption(), "No problems found in your system!");
  form->Button2Click();
  ASSERT_EQ(host.ModalShows().size(), 1u);
  EXPECT_EQ(LastShow().caption, "Information");
  EXPECT_EQ(LastShow().text, "No problems found in your system!");
  EXPECT_EQ(fake.files.RemoveCount(), 0u);
  EXPECT_TRUE(form->CleanerScanned);
}

TEST_F(CleanerWindowTest, CleanBeforeAnyScanAsksForAScanAndChangesNothing) {
  PlantTwoFilesAndOneValue();
  form->Button2Click();
  ASSERT_EQ(host.ModalShows().size(), 1u);
  EXPECT_EQ(LastShow().text, "Please click \"Scan\" button.");
  EXPECT_EQ(fake.files.RemoveCount(), 0u);
  EXPECT_EQ(fake.pump.CallCount(), 0u);
  EXPECT_FALSE(form->CleanerScanned);
}

TEST_F(CleanerWindowTest, CleanWalksAgainDeletesAndReportsTheCount) {
  PlantTwoFilesAndOneValue();
  form->Button1Click();
  fake.files.AddFile(kCache + "late.htm");  // a new walk, not a replay of the scan
  form->Button2Click();
  EXPECT_EQ(form->Label1b.Caption(), "3 items cleaned");
  EXPECT_EQ(form->Label2b.Caption(), "1 items cleaned");
  ASSERT_EQ(host.ModalShows().size(), 1u);
  EXPECT_EQ(LastShow().text, "4 items cleaned!");
  EXPECT_FALSE(fake.files.Exists(kCache + "late.htm"));
  EXPECT_FALSE(fake.registry.HasValue(kCurrentUser, "Software\\App\\Recent", "File1"));
  EXPECT_TRUE(fake.files.IsFolder(kCache + "Sub"));
  for (const ui::Label* link : {&form->Label1c, &form->Label2c})
    EXPECT_EQ(link->Caption(), "What is this?");
  EXPECT_EQ(form->InfoLabel.Caption(), "Please click \"Scan\" button.");
  EXPECT_EQ(form->Button2Label.Caption(), "Clean");
  EXPECT_FALSE(form->CleanerScanned);
  EXPECT_FALSE(form->CleanerBusy);
}

TEST_F(CleanerWindowTest, SingleItemsUseThePluralToo) {
  fake.files.AddFile(kCache + "a.htm");
  form->Button1Click();
  EXPECT_EQ(form->Label1b.Caption(), "1 items found");
  EXPECT_EQ(form->Label2b.Caption(), "0 items found");
  form->Button2Click();
  EXPECT_EQ(LastShow().text, "1 items cleaned!");
}

// What the window looks like at a pump in the middle of each pass.
struct Snapshot {
  AnsiString button1;
  AnsiString button2;
  Color button1Color;
  Color button2Color;
  Color button3Color;
  Color label1aColor;
  Color label2aColor;
  bool linksEnabled;
  bool busy;
  bool scanned;
};

Snapshot Take(const CleanerWindow& form) {
  return Snapshot{form.Button1Label.Caption(),
                  form.Button2Label.Caption(),
                  form.Button1Label.TextColor(),
                  form.Button2Label.TextColor(),
                  form.Button3Label.TextColor(),
                  form.Label1a.TextColor(),
                  form.Label2a.TextColor(),
                  form.Label1c.Enabled() && form.Label2c.Enabled(),
                  form.CleanerBusy,
                  form.CleanerScanned};
}

void ExpectSnapshot(const Snapshot& seen, const Snapshot& expected) {
  EXPECT_EQ(seen.button1, expected.button1);
  EXPECT_EQ(seen.button2, expected.button2);
  EXPECT_EQ(seen.button1Color, expected.button1Color);
  EXPECT_EQ(seen.button2Color, expected.button2Color);
  EXPECT_EQ(seen.button3Color, expected.button3Color);
  EXPECT_EQ(seen.label1aColor, expected.label1aColor);
  EXPECT_EQ(seen.label2aColor, expected.label2aColor);
  EXPECT_EQ(seen.linksEnabled, expected.linksEnabled);
  EXPECT_EQ(seen.busy, expected.busy);
  EXPECT_EQ(seen.scanned, expected.scanned);
}

TEST_F(CleanerWindowTest, StateTableDuringBothPassesOfScanAndClean) {
  fake.files.AddFile(kCache + "a.htm");
  fake.files.AddFile(kCache + "b.htm");
  fake.registry.SetString(kCurrentUser, "Software\\App", "v", "C:\\gone\\x.doc");
  std::vector<Snapshot> filesPass;
  std::vector<Snapshot> valuesPass;
  fake.pump.OnEveryCall([&] {
    if (form->InfoLabel.Caption().find("Temporary Internet Files") != AnsiString::npos)
      filesPass.push_back(Take(*form));
    else if (form->InfoLabel.Caption() == "\\Software\\App\\")
      valuesPass.push_back(Take(*form));
  });
  form->Button1Click();
  ASSERT_FALSE(filesPass.empty());
  ASSERT_FALSE(valuesPass.empty());
  ExpectSnapshot(filesPass.front(), {"Stop", "Clean", kBlack, kOutOfUse, kOutOfUse, kPurple,
                                     kGreyText, false, true, false});
  ExpectSnapshot(valuesPass.front(), {"Stop", "Clean", kBlack, kOutOfUse, kOutOfUse, kGreyText,
                                      kPurple, false, true, false});
  filesPass.clear();
  valuesPass.clear();
  form->Button2Click();
  ASSERT_FALSE(filesPass.empty());
  ASSERT_FALSE(valuesPass.empty());
  ExpectSnapshot(filesPass.front(), {"Scan", "Stop", kOutOfUse, kBlack, kOutOfUse, kPurple,
                                     kGreyText, false, true, true});
  ExpectSnapshot(valuesPass.front(), {"Scan", "Stop", kOutOfUse, kBlack, kOutOfUse, kGreyText,
                                      kPurple, false, true, true});
  ExpectSnapshot(Take(*form), {"Scan", "Clean", kBlack, kBlack, kBlack, kGreyText, kGreyText, true,
                               false, false});
}

TEST_F(CleanerWindowTest, StopDuringTheFilesPassOfAScanSkipsTheValuesPass) {
  PlantTwoFilesAndOneValue();
  ConfirmNextStop();
  fake.pump.OnCall(2, [&] { form->Button1Label.Click(); });
  form->Button1Click();
  ASSERT_EQ(host.ModalShows().size(), 1u);
  EXPECT_EQ(host.ModalShows()[0].text, "Cancel scanning?");
  EXPECT_EQ(form->Label1b.Caption(), "0 items found");
  EXPECT_EQ(form->Label2b.Caption(), "0 items found");
  EXPECT_EQ(form->Label1c.Caption(), "Details");
  EXPECT_TRUE(form->CleanerScanned);
  EXPECT_FALSE(form->CleanerBusy);
  EXPECT_EQ(form->InfoLabel.Caption(), "No problems found in your system!");
  EXPECT_TRUE(form->ValuesList.empty());
}

TEST_F(CleanerWindowTest, AnsweringNoLetsThePassGoOn) {
  PlantTwoFilesAndOneValue();
  fake.pump.OnCall(2, [&] { form->Button1Label.Click(); });  // Escape: the unscripted answer
  form->Button1Click();
  EXPECT_EQ(ShowsOf("Confirmation"), 1u);
  EXPECT_EQ(form->Label1b.Caption(), "2 items found");
  EXPECT_EQ(form->Label2b.Caption(), "1 items found");
}

TEST_F(CleanerWindowTest, StopDuringTheValuesPassOfACleanKeepsWhatWasNotReached) {
  fake.files.AddFile(kCache + "a.htm");
  fake.registry.SetString(kCurrentUser, "Software\\A", "v", "C:\\gone\\a.doc");
  fake.registry.SetString(kCurrentUser, "Software\\B", "v", "C:\\gone\\b.doc");
  form->Button1Click();
  ASSERT_EQ(form->Label2b.Caption(), "2 items found");
  bool asked = false;
  fake.pump.OnEveryCall([&] {
    if (!asked && form->InfoLabel.Caption() == "\\Software\\A\\") {
      asked = true;
      ConfirmNextStop();
      form->Button2Label.Click();
    }
  });
  form->Button2Click();
  EXPECT_FALSE(fake.registry.HasValue(kCurrentUser, "Software\\A", "v"));
  EXPECT_TRUE(fake.registry.HasValue(kCurrentUser, "Software\\B", "v"));
  EXPECT_EQ(form->Label2b.Caption(), "1 items cleaned");
  EXPECT_EQ(LastShow().text, "2 items cleaned!");
  EXPECT_FALSE(form->CleanerBusy);
  EXPECT_FALSE(form->CleanerScanned);
}

TEST_F(CleanerWindowTest, ScanButtonDuringACleanAsksToStopAndCleanButtonDuringAScanDoesNothing) {
  fake.files.AddFile(kCache + "a.htm");
  fake.files.AddFile(kCache + "b.htm");
  fake.pump.OnCall(3, [&] { form->Button2Label.Click(); });
  form->Button1Click();
  EXPECT_TRUE(host.ModalShows().empty());
  EXPECT_EQ(form->Label1b.Caption(), "2 items found");

  ConfirmNextStop();
  fake.pump.ClearActions();
  const std::size_t pumpsSoFar = fake.pump.CallCount();
  fake.pump.OnCall(pumpsSoFar + 3, [&] { form->Button1Label.Click(); });
  form->Button2Click();
  EXPECT_EQ(host.ModalShows().front().text, "Cancel scanning?");
  EXPECT_EQ(LastShow().text, "0 items cleaned!");
  EXPECT_TRUE(fake.files.IsFile(kCache + "a.htm"));
  EXPECT_TRUE(fake.files.IsFile(kCache + "b.htm"));
}

TEST_F(CleanerWindowTest, CloseAndEscapeAreRefusedWhileAPassRuns) {
  fake.files.AddFile(kCache + "a.htm");
  form->ShowModal();  // the scripted host presses Escape: the window closes at once
  host.OnModal("Clean your system", [&](ui::Form&) {
    fake.pump.OnCall(2, [&] {
      form->KeyDown(ui::keys::kEscape);
      form->Button3Label.Click();
      EXPECT_TRUE(form->Visible());
    });
    form->Button1Click();
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(form->Label1b.Caption(), "1 items found");
    form->Button3Click();
    EXPECT_FALSE(form->Visible());
  });
  form->ShowModal();
  EXPECT_EQ(form->Label1b.Caption(), "0 items found");  // reset on close
  EXPECT_FALSE(form->CleanerScanned);
}

TEST_F(CleanerWindowTest, LinksGiveHintsBeforeAScan) {
  AnsiString title;
  AnsiString text;
  host.OnModal<HintWindow>([&](HintWindow& hint) {
    title = hint.ActionLabel.Caption();
    text = hint.InfoLabel.Caption();
    hint.Close();
  });
  form->Label1c.Click();
  EXPECT_EQ(title, "Temporary files");
  EXPECT_EQ(text,
            "When you surf the web information from webpages is stored on your computer. These "
            "files may be removed.");
  host.OnModal<HintWindow>([&](HintWindow& hint) {
    title = hint.ActionLabel.Caption();
    text = hint.InfoLabel.Caption();
    hint.Close();
  });
  form->Label2c.Click();
  EXPECT_EQ(title, "Temporary values");
  EXPECT_EQ(text,
            "Some programs stored temporary values in Windows registry. These links may be "
            "removed.");
}

TEST_F(CleanerWindowTest, LinksGiveDetailsAfterAScanOrSayNothingWasFound) {
  fake.files.AddFile(kCache + "a.htm", Bytes(2048));
  fake.files.AddFile(kCache + "b.htm");
  form->Button1Click();
  StringList lines;
  host.OnModal<DetailsWindow>([&](DetailsWindow& details) {
    lines = details.InfoList.Lines();
    details.Close();
  });
  form->Label1c.Click();
  EXPECT_EQ(lines, (StringList{kCache + "a.htm  (2.0 KB)", kCache + "b.htm  (0 bytes)"}));
  form->Label2c.Click();
  EXPECT_EQ(LastShow().caption, "Information");
  EXPECT_EQ(LastShow().text, "No items found!");
}

TEST_F(CleanerWindowTest, LinksIgnoreClicksWhileAPassRuns) {
  fake.files.AddFile(kCache + "a.htm");
  fake.pump.OnCall(2, [&] {
    form->Label1c.Click();
    form->Label2c.Click();
  });
  form->Button1Click();
  EXPECT_TRUE(host.ModalShows().empty());
}

TEST_F(CleanerWindowTest, ProgressShowsTheShortenedFolderThenTheKeyPath) {
  AnsiString deep = kCache;
  for (int level = 0; level < 12; ++level)
    deep += "Folder" + std::to_string(level) + "\\";
  fake.files.AddFile(deep + "a.htm");
  fake.registry.SetString(kCurrentUser, "Software\\App", "v", "C:\\gone\\x.doc");
  StringList shown;
  fake.pump.OnEveryCall([&] { shown.push_back(form->InfoLabel.Caption()); });
  form->Button1Click();
  const auto folderShown = std::find_if(shown.begin(), shown.end(), [](const AnsiString& s) {
    return s.find("Folder11") != AnsiString::npos;
  });
  ASSERT_NE(folderShown, shown.end());
  EXPECT_EQ(folderShown->compare(0, 7, "C:\\...\\"), 0) << *folderShown;
  EXPECT_LE(form->InfoLabel.TextWidth(*folderShown), form->InfoLabel.Width());
  EXPECT_NE(std::find(shown.begin(), shown.end(), "\\Software\\App\\"), shown.end());
}

enum class State { Ready, Scanning, Scanned, Cleaning };

struct HoverCase {
  State state;
  bool scanHovers;
  bool cleanHovers;
  bool closeHovers;
};

TEST_F(CleanerWindowTest, HoverLooksFollowTheState) {
  const HoverCase cases[] = {
      {State::Ready, true, true, true},
      {State::Scanning, true, false, false},
      {State::Scanned, true, true, true},
      {State::Cleaning, false, true, false},
  };
  for (const HoverCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.state));
    form->ResetButtons();
    form->CleanerBusy = c.state == State::Scanning || c.state == State::Cleaning;
    form->CleanerScanned = c.state == State::Scanned || c.state == State::Cleaning;
    const std::pair<ui::ImageButton*, bool> buttons[] = {{&form->Button1, c.scanHovers},
                                                         {&form->Button2, c.cleanHovers},
                                                         {&form->Button3, c.closeHovers}};
    for (const auto& button : buttons) {
      button.first->Caption->MouseMove();
      EXPECT_EQ(button.first->Hovered(), button.second) << button.first->Caption->Name();
      EXPECT_EQ(button.first->Caption->TextColor(), button.second ? kBlue : kBlack);
      form->ResetButtons();
    }
  }
}

TEST_F(CleanerWindowTest, BodyKeepsTheGreyTextsAndTheHoveredStopWhileAPassRuns) {
  fake.files.AddFile(kCache + "a.htm");
  form->Button1Click();
  form->Button2B.MouseMove();
  ASSERT_TRUE(form->Button2.Hovered());
  bool checked = false;
  fake.pump.OnCall(fake.pump.CallCount() + 2, [&] {
    form->WndImage.MouseMove();
    EXPECT_TRUE(form->Button2.Hovered());
    EXPECT_EQ(form->Button1Label.TextColor(), kOutOfUse);
    EXPECT_EQ(form->Button3Label.TextColor(), kOutOfUse);
    checked = true;
  });
  form->Button2Click();
  EXPECT_TRUE(checked);
  form->WndImage.MouseMove();
  EXPECT_FALSE(form->Button2.Hovered());
  EXPECT_EQ(form->Button2Label.TextColor(), kBlack);
}

TEST_F(CleanerWindowTest, BodyResetsAHoveredStopOfAScan) {
  fake.files.AddFile(kCache + "a.htm");
  bool checked = false;
  fake.pump.OnCall(2, [&] {
    form->Button1A.MouseMove();
    EXPECT_TRUE(form->Button1.Hovered());
    form->WndImage.MouseMove();
    EXPECT_FALSE(form->Button1.Hovered());
    EXPECT_EQ(form->Button1Label.TextColor(), kBlack);
    EXPECT_EQ(form->Button2Label.TextColor(), kOutOfUse);
    checked = true;
  });
  form->Button1Click();
  EXPECT_TRUE(checked);
}

// On Windows 8 and later the internet cache fails the first pass's guard; the browser caches line
// cleans it instead.
TEST_F(CleanerWindowTest, InternetCacheRejectedByTheFirstPassIsABrowserCache) {
  const AnsiString cache = "C:\\Users\\User\\AppData\\Local\\Microsoft\\Windows\\INetCache\\";
  fake.system.SetShellFolderPath(csidl::kInternetCache, cache);
  fake.files.AddFile(cache + "a.htm");
  auto other = ui::MakeForm<CleanerWindow>(host, platform, messages);
  other->ShowForm();
  other->Button1Click();
  EXPECT_EQ(other->Label1b.Caption(), "0 items found");
  EXPECT_EQ(other->Label3b.Caption(), "1 items found");
  other->Button2Click();
  EXPECT_FALSE(fake.files.Exists(cache + "a.htm"));
  EXPECT_EQ(LastShow().text, "1 items cleaned!");
}

TEST_F(CleanerWindowTest, ThreeLinesRunInOrderSkipRunningBrowsersAndAddUp) {
  const AnsiString local = "C:\\Users\\User\\AppData\\Local\\";
  const AnsiString chrome = local + "Google\\Chrome\\User Data\\Default\\Cache\\data_1";
  const AnsiString firefox = local + "Mozilla\\Firefox\\Profiles\\x.default\\cache2\\entry";
  const AnsiString temp = fake.files.TemporaryFolder();
  fake.system.SetShellFolderPath(csidl::kLocalAppData, local);
  fake.files.AddFile(chrome, Bytes(1024 * 1024));
  fake.files.AddFile(firefox);
  fake.files.AddFile(temp + "old.tmp", Bytes(512));
  fake.files.SetLastWriteTime(temp + "old.tmp", fake.files.CurrentFileTime() - 2 * kOneDay);
  fake.files.AddFile(temp + "new.tmp");
  fake.files.AddFile(kCache + "a.htm");
  fake.processes.AddProcess(FakeProcess{77, "Firefox.exe", "C:\\Firefox\\firefox.exe"});
  fake.registry.SetString(kCurrentUser, "Software\\App\\Recent", "File1", "C:\\gone\\x.doc");
  std::vector<int> purpleLines;  // the line whose name is purple, each time it changes
  fake.pump.OnEveryCall([&] {
    const ui::Label* names[] = {&form->Label1a, &form->Label2a, &form->Label3a};
    for (int line = 1; line <= 3; ++line) {
      if (names[line - 1]->TextColor() == kPurple &&
          (purpleLines.empty() || purpleLines.back() != line))
        purpleLines.push_back(line);
    }
  });

  form->Button1Click();
  EXPECT_EQ(form->Label1b.Caption(), "2 items found");
  EXPECT_EQ(form->Label2b.Caption(), "1 items found");
  EXPECT_EQ(form->Label3b.Caption(), "1 items found");
  EXPECT_EQ(purpleLines, (std::vector<int>{1, 2, 3}));
  StringList lines;
  host.OnModal<DetailsWindow>([&](DetailsWindow& details) {
    lines = details.InfoList.Lines();
    details.Close();
  });
  form->Label3c.Click();
  EXPECT_EQ(lines, (StringList{chrome + "  (1.0 MB)", "Skipped while running: Mozilla Firefox"}));

  form->Button2Click();
  EXPECT_EQ(LastShow().text, "4 items cleaned!\r\n1.0 MB freed");
  EXPECT_EQ(form->Label3b.Caption(), "1 items cleaned");
  EXPECT_EQ(form->Label3c.Caption(), "Details");
  EXPECT_EQ(form->Label1c.Caption(), "What is this?");
  EXPECT_FALSE(fake.files.Exists(chrome));
  EXPECT_FALSE(fake.files.Exists(temp + "old.tmp"));
  EXPECT_TRUE(fake.files.IsFile(temp + "new.tmp"));
  EXPECT_TRUE(fake.files.IsFile(firefox));
}

}  // namespace
}  // namespace ql::testing
