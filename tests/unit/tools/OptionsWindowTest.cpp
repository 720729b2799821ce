// Tests of the options window on the scripted window system and the fake registry.
#include <gtest/gtest.h>

#include "app/OptionsWindow.h"
#include "app/Settings.h"
#include "fix/IgnoreList.h"
#include "platform/fake/FakePlatform.h"
#include "ui/MessageWindows.h"
#include "ui/testing/ScriptedHost.h"

namespace ql {
namespace {

constexpr char kRunPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kExecutable[] = "C:\\Quillon\\Quillon.exe";

class OptionsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_.registry.AddKey(kCurrentUser, kRunPath);
    fake_.system.SetExecutablePath(kExecutable);
  }
  OptionsWindow& Open() {
    form_ = ui::MakeForm<OptionsWindow>(host_, fake_.platform(), messages_, state_);
    form_->Show();
    return *form_;
  }
  bool SettingIs(const char* name, std::uint8_t value) const {
    const auto stored = fake_.registry.GetValue(kCurrentUser, SettingsKey, name);
    return stored && stored->type == regtype::kDword && stored->data == Bytes{value, 0, 0, 0};
  }

  FakePlatform fake_;
  ui::ScriptedHost host_;
  ui::MessageWindows messages_{host_};
  ProgramState state_;
  std::unique_ptr<OptionsWindow> form_;
};

TEST_F(OptionsWindowTest, TheBoxesShowTheRunValueAndTheSettings) {
  fake_.registry.SetString(kCurrentUser, kRunPath, "Quillon", kExecutable);
  state_.Memory.DisableMemoryManagement = true;
  OptionsWindow& form = Open();
  EXPECT_TRUE(form.CheckBox1.Checked());
  EXPECT_FALSE(form.CheckBox2.Checked());
  EXPECT_TRUE(form.CheckBox3.Checked());
  EXPECT_EQ(form.CheckBox1.Caption(), " Add Quillon to startup list");
  EXPECT_EQ(form.CheckBox2.Caption(), " Run minimized (tray)");
  EXPECT_EQ(form.CheckBox3.Caption(), " Disable memory management");
}

TEST_F(OptionsWindowTest, SaveStoresTheBoxesReportsAndCloses) {
  OptionsWindow& form = Open();
  form.CheckBox1.Click();
  form.CheckBox3.Click();
  form.Button1Label.Click();

  EXPECT_EQ(fake_.registry.GetString(kCurrentUser, kRunPath, "Quillon"),
            '"' + AnsiString(kExecutable) + '"');
  EXPECT_TRUE(SettingIs("ShowMinimized", 0));
  EXPECT_TRUE(SettingIs("DisableMemoryManagement", 1));
  EXPECT_TRUE(state_.Memory.DisableMemoryManagement);
  ASSERT_EQ(host_.ModalShows().size(), 1u);
  EXPECT_EQ(host_.ModalShows()[0].text, "Options are saved!");
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(host_.Closed().back(), &form);

  // Opened again, the window shows what was saved.
  OptionsWindow& again = Open();
  EXPECT_TRUE(again.CheckBox1.Checked());
  EXPECT_FALSE(again.CheckBox2.Checked());
  EXPECT_TRUE(again.CheckBox3.Checked());
}

TEST_F(OptionsWindowTest, AFailedSaveSaysSoInsteadOfSaved) {
  fake_.registry.DeleteTree(kCurrentUser, kRunPath);
  OptionsWindow& form = Open();
  form.CheckBox1.Click();
  form.Button1Label.Click();
  ASSERT_EQ(host_.ModalShows().size(), 1u);
  EXPECT_EQ(host_.ModalShows()[0].text, "Failed to set data for 'Quillon'");
  EXPECT_FALSE(form.Visible());
}

// Save over the startup entry: the box ticked or not, Task Manager's record of the entry, and a
// task scheduler that works or refuses. Before the save the Run value holds the unquoted path an
// older version wrote, and a logon task is there from an earlier save.
TEST_F(OptionsWindowTest, SaveKeepsRunValueTaskAndTaskManagerInStep) {
  enum class Approval { Absent, On, Off };
  struct Case {
    const char* name;
    bool vista;
    bool tick;
    Approval approval;
    bool schedulerWorks;
    const char* message;
    bool runValueAfter;
    bool taskAfter;
  };
  const char* saved = "Options are saved!";
  const char* notCreated = "Failed to create the logon task 'Quillon'";
  const char* notDeleted = "Failed to delete the logon task 'Quillon'";
  const Case cases[] = {
      {"ticked, no record", true, true, Approval::Absent, true, saved, true, true},
      {"ticked, switched on", true, true, Approval::On, true, saved, true, true},
      {"ticked, switched off", true, true, Approval::Off, true, saved, true, true},
      {"ticked, no record, task refused", true, true, Approval::Absent, false, notCreated, true,
       true},
      {"ticked, switched on, task refused", true, true, Approval::On, false, notCreated, true,
       true},
      {"ticked, switched off, task refused", true, true, Approval::Off, false, notCreated, true,
       true},
      {"unticked, no record", true, false, Approval::Absent, true, saved, false, false},
      {"unticked, switched on", true, false, Approval::On, true, saved, false, false},
      {"unticked, switched off", true, false, Approval::Off, true, saved, false, false},
      {"unticked, no record, delete refused", true, false, Approval::Absent, false, notDeleted,
       false, true},
      {"unticked, switched on, delete refused", true, false, Approval::On, false, notDeleted, false,
       true},
      {"unticked, switched off, delete refused", true, false, Approval::Off, false, notDeleted,
       false, true},
      {"before Vista, ticked", false, true, Approval::Absent, false, saved, true, false},
      {"before Vista, unticked", false, false, Approval::Absent, false, saved, false, false},
  };
  const char* kEarlierTask = "<Task/>";
  const char* approvedPath =
      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
  const Bytes switchedOn = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const Bytes switchedOff = {3, 0, 0, 0, 0x5E, 0x3C, 0x8A, 0x21, 0x9F, 0x51, 0xDA, 0x01};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform fake;
    ui::ScriptedHost host;
    ui::MessageWindows messages(host);
    ProgramState state;
    fake.system.SetExecutablePath(kExecutable);
    fake.system.SetVersion(VersionInfo{2, c.vista ? 10u : 5u, c.vista ? 0u : 1u});
    fake.registry.SetString(kCurrentUser, kRunPath, "Quillon", kExecutable);
    if (c.vista)
      fake.tasks.RegisterTask("Quillon", kEarlierTask);
    if (c.approval != Approval::Absent)
      fake.registry.SetValue(kCurrentUser, approvedPath, "Quillon", regtype::kBinary,
                             c.approval == Approval::On ? switchedOn : switchedOff);
    fake.tasks.refuseRegister = fake.tasks.refuseDelete = !c.schedulerWorks;

    auto form = ui::MakeForm<OptionsWindow>(host, fake.platform(), messages, state);
    form->Show();
    EXPECT_EQ(form->CheckBox1.Checked(), c.approval != Approval::Off);
    form->CheckBox1.SetChecked(c.tick);
    form->Button1Label.Click();

    ASSERT_EQ(host.ModalShows().size(), 1u);
    EXPECT_EQ(host.ModalShows()[0].text, c.message);
    EXPECT_EQ(fake.registry.HasValue(kCurrentUser, kRunPath, "Quillon"), c.runValueAfter);
    // A save that did not take leaves the earlier entry and task as they were.
    const bool tookTicked = c.tick && AnsiString(c.message) == saved;
    if (c.runValueAfter) {
      EXPECT_EQ(fake.registry.GetString(kCurrentUser, kRunPath, "Quillon"),
                tookTicked ? "\"" + AnsiString(kExecutable) + "\"" : AnsiString(kExecutable));
    }
    const std::optional<AnsiString> task = fake.tasks.Find("Quillon");
    EXPECT_EQ(task.has_value(), c.taskAfter);
    if (task && tookTicked) {
      for (const char* part :
           {"<LogonTrigger>\n      <UserId>QUILLON-PC\\Tester</UserId>",
            "<LogonType>InteractiveToken</LogonType>", "<RunLevel>HighestAvailable</RunLevel>",
            "<Command>\"C:\\Quillon\\Quillon.exe\"</Command>",
            "<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>",
            "<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>",
            "<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"})
        EXPECT_NE(task->find(part), AnsiString::npos) << part;
    } else if (task) {
      EXPECT_EQ(*task, kEarlierTask);
    }
    // Task Manager's record is switched on again only by a save that took with the box ticked.
    const bool switchedOnAgain = tookTicked && c.approval == Approval::Off;
    const std::optional<RegValue> approval =
        fake.registry.GetValue(kCurrentUser, approvedPath, "Quillon");
    EXPECT_EQ(approval.has_value(), c.approval != Approval::Absent);
    if (approval) {
      EXPECT_EQ(approval->data,
                switchedOnAgain || c.approval == Approval::On ? switchedOn : switchedOff);
    }

    auto again = ui::MakeForm<OptionsWindow>(host, fake.platform(), messages, state);
    again->Show();
    EXPECT_EQ(again->CheckBox1.Checked(),
              c.runValueAfter && (c.approval != Approval::Off || switchedOnAgain));
  }
}

class OptionsWindowEscape : public OptionsWindowTest,
                            public ::testing::WithParamInterface<const char*> {};

TEST_P(OptionsWindowEscape, ClosesWithoutSaving) {
  OptionsWindow& form = Open();
  form.CheckBox1.Click();
  form.CheckBox2.Click();
  form.FindControl(GetParam())->KeyDown(ui::keys::kEscape);
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(fake_.registry.HasValue(kCurrentUser, kRunPath, "Quillon"));
  EXPECT_FALSE(fake_.registry.HasValue(kCurrentUser, SettingsKey, "ShowMinimized"));
  EXPECT_FALSE(state_.ShowMinimized);
  EXPECT_TRUE(host_.ModalShows().empty());
}

INSTANTIATE_TEST_SUITE_P(OnTheWindowAndEachBox, OptionsWindowEscape,
                         ::testing::Values("WndImage", "CheckBox1", "CheckBox2", "CheckBox3"));

TEST_F(OptionsWindowTest, CloseButtonClosesWithoutSaving) {
  OptionsWindow& form = Open();
  form.CheckBox2.Click();
  form.Button2Label.Click();
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(state_.ShowMinimized);
  EXPECT_FALSE(fake_.registry.HasKey(kCurrentUser, SettingsKey));
}

// The ignore line counts the findings ignored in the scan's details; Clear empties the list only
// when the user confirms.
TEST_F(OptionsWindowTest, TheIgnoreLineCountsAndClearsOnlyWhenConfirmed) {
  ASSERT_TRUE(StoreIgnored(fake_.registry, "HKEY_CURRENT_USER\\Software\\A", ""));
  ASSERT_TRUE(StoreIgnored(fake_.registry, "HKEY_CURRENT_USER\\Software\\B", "C:\\b.exe"));
  OptionsWindow& form = Open();
  EXPECT_EQ(form.IgnoredLabel.Caption(), "Ignored entries: 2");
  host_.ClickOnModal("Confirmation", "Button2Label");
  form.ClearLabel.Click();
  EXPECT_EQ(CountIgnored(fake_.registry), 2u);
  host_.ClickOnModal("Confirmation", "Button1Label");
  form.ClearLabel.Click();
  EXPECT_EQ(CountIgnored(fake_.registry), 0u);
  EXPECT_EQ(form.IgnoredLabel.Caption(), "Ignored entries: 0");
  EXPECT_FALSE(form.ClearLabel.Enabled());
}

}  // namespace
}  // namespace ql
