// Tests of the about window: its texts, its two links and how it closes.
#include <gtest/gtest.h>

#include "platform/fake/FakeShell.h"
#include "ui/AboutWindow.h"
#include "ui/Bitmap.h"
#include "ui/testing/ScriptedHost.h"

namespace ql {
namespace {

class AboutWindowTest : public ::testing::Test {
 protected:
  AboutWindow& Open() {
    form_ = ui::MakeForm<AboutWindow>(host_, shell_);
    form_->Show();
    return *form_;
  }

  FakeShell shell_;
  ui::ScriptedHost host_;
  std::unique_ptr<AboutWindow> form_;
};

TEST_F(AboutWindowTest, ShowsTheProductTheVersionAndTheAddresses) {
  AboutWindow& form = Open();
  EXPECT_EQ(form.Caption(), "About");
  EXPECT_EQ(form.ActionLabel.Caption(), "Quillon");
  EXPECT_EQ(form.VersionLabel.Caption(), "Version: 2.2");
  EXPECT_EQ(form.CopyrightLabel.Caption(), "Copyright \xA9 2026 Kestrelworks");
  EXPECT_EQ(form.HomePageLabel2.Caption(), "http://kestrelworks.example/");
  EXPECT_EQ(form.SupportLabel2.Caption(), "support@kestrelworks.example");
  EXPECT_EQ(form.HomePageLabel2.Hint(), "Visit to homepage");
  EXPECT_EQ(form.SupportLabel2.Hint(), "Send letter to support");
  EXPECT_EQ(form.HomePageLabel2.GetCursor(), ui::Cursor::Hand);
  EXPECT_TRUE(form.HomePageLabel2.GetFont().underline);
}

TEST_F(AboutWindowTest, CarriesTheLargeLogoAndItsSkin) {
  AboutWindow& form = Open();
  ASSERT_NE(form.LogoImage.GetBitmap(), nullptr);
  EXPECT_EQ(form.LogoImage.GetBitmap()->Width(), 100);
  EXPECT_EQ(form.LogoImage.GetBitmap()->Height(), 100);
  ASSERT_NE(form.WndImage.GetBitmap(), nullptr);
  EXPECT_EQ(form.WndImage.GetBitmap()->Width(), 398);
}

TEST_F(AboutWindowTest, TheSupportLinkIsOneMailtoWithTheSubjectUnencoded) {
  AboutWindow& form = Open();
  form.SupportLabel2.Click();
  ASSERT_EQ(shell_.OpenedTargets().size(), 1u);
  EXPECT_EQ(shell_.OpenedTargets()[0].target,
            "mailto:support@kestrelworks.example?subject=Quillon support");
  EXPECT_TRUE(form.Visible());
}

TEST_F(AboutWindowTest, TheHomePageOpensAtEveryClickAndTheWindowStays) {
  AboutWindow& form = Open();
  form.HomePageLabel2.Click();
  form.HomePageLabel2.Click();
  ASSERT_EQ(shell_.OpenedTargets().size(), 2u);
  for (const FakeShell::Opened& opened : shell_.OpenedTargets())
    EXPECT_EQ(opened.target, "http://kestrelworks.example/");
  EXPECT_TRUE(form.Visible());
}

TEST_F(AboutWindowTest, CloseAndEscapeClose) {
  Open().Button1Label.Click();
  EXPECT_FALSE(form_->Visible());
  Open().KeyDown(ui::keys::kEscape);
  EXPECT_FALSE(form_->Visible());
  EXPECT_TRUE(shell_.OpenedTargets().empty());
}

}  // namespace
}  // namespace ql
