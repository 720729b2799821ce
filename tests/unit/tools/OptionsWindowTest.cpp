// Tests of the options window on the scripted window system and the fake registry.
#include <gtest/gtest.h>

#include "app/OptionsWindow.h"
#include "app/Settings.h"
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

  EXPECT_EQ(fake_.registry.GetString(kCurrentUser, kRunPath, "Quillon"), kExecutable);
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

}  // namespace
}  // namespace ql
