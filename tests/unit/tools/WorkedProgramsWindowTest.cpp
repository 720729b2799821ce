// Tests of the worked-programs window on the scripted window system and the fake process table.
#include <gtest/gtest.h>

#include "app/WorkedProgramsWindow.h"
#include "platform/fake/FakePlatform.h"
#include "ui/MessageWindows.h"
#include "ui/testing/ScriptedHost.h"

namespace ql {
namespace {

constexpr char kOwnPath[] = "C:\\Program Files\\Quillon\\Quillon.exe";
constexpr std::uint32_t kOwnId = 4000;

class WorkedProgramsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_.system.SetExecutablePath(kOwnPath);
    fake_.processes.SetCurrentProcessId(kOwnId);
    Add(0, "[System Process]");
    Add(4, "System");
    Add(10, "first.exe");
    Add(11, "copy.exe");
    Add(12, "svchost.exe");
    Add(13, "copy.exe");
    Add(14, "other.exe");
    Add(15, "copy.exe");
    Add(kOwnId, "Quillon.exe");
  }
  void Add(std::uint32_t id, const AnsiString& name) {
    FakeProcess process;
    process.processId = id;
    process.exeName = name;
    fake_.processes.AddProcess(process);
  }
  WorkedProgramsWindow& Open() {
    form_ = ui::MakeForm<WorkedProgramsWindow>(host_, fake_.platform(), messages_);
    form_->Show();
    return *form_;
  }
  int RowOf(const AnsiString& name) const {
    for (int row = 0; row < form_->InfoList.RowCount(); ++row) {
      if (form_->InfoList.Cell(0, row) == name)
        return row;
    }
    return -1;
  }
  void Select(const AnsiString& name) {
    const int row = RowOf(name);
    ASSERT_GE(row, 0) << name;
    form_->InfoList.SelectRow(row);
  }
  void ExpectCopies(std::uint32_t priorityClass) {
    for (std::uint32_t id : {11u, 13u, 15u})
      EXPECT_EQ(fake_.processes.PriorityOf(id), priorityClass) << id;
  }

  FakePlatform fake_;
  ui::ScriptedHost host_;
  ui::MessageWindows messages_{host_};
  std::unique_ptr<WorkedProgramsWindow> form_;
};

TEST_F(WorkedProgramsWindowTest, ShowingListsTheProgramsAndStartsTheTimer) {
  WorkedProgramsWindow& form = Open();
  EXPECT_FALSE(form.CheckBox1.Checked());
  ASSERT_EQ(form.InfoList.RowCount(), 6);
  EXPECT_EQ(form.InfoList.Cell(0, 0), "first.exe");
  EXPECT_EQ(form.InfoList.Cell(1, 0), "Normal");
  EXPECT_EQ(RowOf("svchost.exe"), -1);
  EXPECT_TRUE(form.Timer.Enabled());
  EXPECT_EQ(form.Timer.Interval(), 1000u);
  EXPECT_FALSE(form.Refreshing());
  EXPECT_EQ(form.GetCursor(), ui::Cursor::Default);
  EXPECT_EQ(fake_.processes.OpenHandleCount(), 0u);
}

TEST_F(WorkedProgramsWindowTest, TheCheckBoxAndTheTimerRefreshTheList) {
  WorkedProgramsWindow& form = Open();
  form.CheckBox1.Click();
  EXPECT_EQ(form.InfoList.RowCount(), 9);
  EXPECT_EQ(form.InfoList.Cell(0, 0), "[System Process]");

  Add(20, "late.exe");
  ui::ScriptedHost::Fire(form.Timer);
  EXPECT_EQ(RowOf("late.exe"), 9);
}

TEST_F(WorkedProgramsWindowTest, RaisingAndLoweringReachEveryCopyAndShowTheNewClass) {
  WorkedProgramsWindow& form = Open();
  Select("copy.exe");
  form.Button1Label.Click();
  ExpectCopies(priority::kHigh);
  EXPECT_EQ(form.InfoList.Cell(1, RowOf("copy.exe")), "High");
  EXPECT_EQ(fake_.processes.PriorityOf(14), priority::kNormal);

  form.Button2Label.Click();
  ExpectCopies(priority::kNormal);
  EXPECT_EQ(form.InfoList.Cell(1, RowOf("copy.exe")), "Normal");
}

TEST_F(WorkedProgramsWindowTest, LoweringAnIdleProgramSetsTheNormalClass) {
  fake_.processes.Find(14)->priorityClass = priority::kIdle;
  WorkedProgramsWindow& form = Open();
  Select("other.exe");
  EXPECT_EQ(form.InfoList.Cell(1, form.InfoList.Row()), "");
  form.Button2Label.Click();
  EXPECT_EQ(fake_.processes.PriorityOf(14), priority::kNormal);
}

TEST_F(WorkedProgramsWindowTest, UnloadAsksThenEndsEveryCopy) {
  WorkedProgramsWindow& form = Open();
  Select("copy.exe");
  host_.ClickOnModal("Confirmation", "Button1Label");
  form.Button3Label.Click();
  ASSERT_EQ(host_.ModalShows().size(), 1u);
  EXPECT_EQ(host_.ModalShows()[0].text, "Unload program?");
  for (std::uint32_t id : {11u, 13u, 15u})
    EXPECT_EQ(fake_.processes.ExitCodeOf(id), std::optional<std::uint32_t>(259u)) << id;
  EXPECT_EQ(RowOf("copy.exe"), -1);
  EXPECT_TRUE(fake_.processes.IsRunning(14));
}

TEST_F(WorkedProgramsWindowTest, UnloadAnsweredNoEndsNothing) {
  WorkedProgramsWindow& form = Open();
  Select("copy.exe");
  form.Button3Label.Click();  // the scripted window presses Escape
  ASSERT_EQ(host_.ModalShows().size(), 1u);
  for (std::uint32_t id : {11u, 13u, 15u})
    EXPECT_TRUE(fake_.processes.IsRunning(id)) << id;
}

TEST_F(WorkedProgramsWindowTest, ALowerCaseHostProcessIsImpossibleToUnload) {
  WorkedProgramsWindow& form = Open();
  form.CheckBox1.Click();
  Select("svchost.exe");
  form.Button3Label.Click();
  ASSERT_EQ(host_.ModalShows().size(), 1u);
  EXPECT_EQ(host_.ModalShows()[0].caption, "Information");
  EXPECT_EQ(host_.ModalShows()[0].text, "Unload impossible!");
  EXPECT_TRUE(fake_.processes.IsRunning(12));
}

TEST_F(WorkedProgramsWindowTest, UnloadingTheProgramItselfDoesNothingAndAsksNothing) {
  Add(4001, "QUILLON.EXE");  // another copy, named in another case
  WorkedProgramsWindow& form = Open();
  for (const char* name : {"Quillon.exe", "QUILLON.EXE"}) {
    Select(name);
    form.Button3Label.Click();
  }
  EXPECT_TRUE(host_.ModalShows().empty());
  EXPECT_TRUE(fake_.processes.IsRunning(kOwnId));
  EXPECT_TRUE(fake_.processes.IsRunning(4001));
}

TEST_F(WorkedProgramsWindowTest, TheFirstRowIsNeverActedOn) {
  WorkedProgramsWindow& form = Open();
  form.InfoList.SelectRow(0);
  ASSERT_EQ(form.InfoList.Cell(0, 0), "first.exe");
  form.Button1Label.Click();
  form.Button2Label.Click();
  form.Button3Label.Click();
  EXPECT_EQ(fake_.processes.PriorityOf(10), priority::kNormal);
  EXPECT_TRUE(fake_.processes.IsRunning(10));
  EXPECT_TRUE(host_.ModalShows().empty());
}

TEST_F(WorkedProgramsWindowTest, TheSelectionFollowsTheProgramAcrossRefreshes) {
  WorkedProgramsWindow& form = Open();
  Select("other.exe");
  const int before = form.InfoList.Row();
  ui::ScriptedHost::Fire(form.Timer);
  EXPECT_EQ(form.InfoList.Row(), before);

  fake_.processes.EndProcess(11);  // a copy above it ends: other.exe moves up one row
  ui::ScriptedHost::Fire(form.Timer);
  EXPECT_EQ(form.InfoList.Row(), before - 1);
  EXPECT_EQ(form.InfoList.Cell(0, form.InfoList.Row()), "other.exe");
}

TEST_F(WorkedProgramsWindowTest, ARowPickedDuringARefreshStaysPicked) {
  WorkedProgramsWindow& form = Open();
  Select("copy.exe");
  fake_.pump.OnCall(fake_.pump.CallCount() + 1, [&] { Select("other.exe"); });
  ui::ScriptedHost::Fire(form.Timer);
  EXPECT_EQ(form.InfoList.Cell(0, form.InfoList.Row()), "other.exe");
}

TEST_F(WorkedProgramsWindowTest, ActionsAndClosingWaitWhileTheListIsRebuilt) {
  WorkedProgramsWindow& form = Open();
  Select("copy.exe");
  const std::size_t pumped = fake_.pump.CallCount();
  fake_.pump.OnCall(pumped + 1, [&] {
    EXPECT_TRUE(form.Refreshing());
    EXPECT_EQ(form.GetCursor(), ui::Cursor::Hourglass);
    form.Button1Label.Click();
    form.Close();
  });
  ui::ScriptedHost::Fire(form.Timer);
  ExpectCopies(priority::kNormal);
  EXPECT_TRUE(form.Visible());
  EXPECT_TRUE(form.Timer.Enabled());
  EXPECT_FALSE(form.Refreshing());
}

TEST_F(WorkedProgramsWindowTest, ATickDuringARefreshDoesNotRebuildTwice) {
  WorkedProgramsWindow& form = Open();
  const std::size_t pumped = fake_.pump.CallCount();
  const std::size_t snapshots = fake_.processes.SnapshotCount();
  fake_.pump.OnCall(pumped + 1, [&] { ui::ScriptedHost::Fire(form.Timer); });
  ui::ScriptedHost::Fire(form.Timer);
  EXPECT_EQ(fake_.processes.SnapshotCount(), snapshots + 1);
}

class WorkedProgramsClosing : public WorkedProgramsWindowTest,
                              public ::testing::WithParamInterface<const char*> {};

TEST_P(WorkedProgramsClosing, EscapeClosesAndStopsTheTimer) {
  WorkedProgramsWindow& form = Open();
  form.FindControl(GetParam())->KeyDown(ui::keys::kEscape);
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(form.Timer.Enabled());
}

INSTANTIATE_TEST_SUITE_P(OnTheWindowAndTheList, WorkedProgramsClosing,
                         ::testing::Values("WndImage", "InfoList", "CheckBox1"));

TEST_F(WorkedProgramsWindowTest, CloseButtonClosesAndTheTopBandDrags) {
  WorkedProgramsWindow& form = Open();
  EXPECT_TRUE(form.WMNCHitTest({200, 55}));
  EXPECT_FALSE(form.WMNCHitTest({200, 56}));
  form.Button4Label.Click();
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(form.Timer.Enabled());
}

}  // namespace
}  // namespace ql
