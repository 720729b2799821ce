// Tests of the information and confirmation windows and their calling patterns.
#include <gtest/gtest.h>

#include "ui/MessageWindows.h"
#include "ui/testing/ScriptedHost.h"

namespace ql::ui {
namespace {

struct MessageWindowsTest : ::testing::Test {
  ScriptedHost host;
  MessageWindows windows{host};
};

TEST_F(MessageWindowsTest, OnlyYesConfirms) {
  host.ClickOnModal("Confirmation", "Button1Label");
  EXPECT_TRUE(windows.AskConfirmation("Unload program?"));
  host.ClickOnModal("Confirmation", "Button2A");
  EXPECT_FALSE(windows.AskConfirmation("Unload program?"));
  EXPECT_FALSE(windows.AskConfirmation("Unload program?"));  // Escape, the unscripted default
  EXPECT_EQ(host.ModalShows().size(), 3u);
  EXPECT_FALSE(windows.Confirmation().Visible());
}

TEST_F(MessageWindowsTest, AYesDoesNotLeakIntoTheNextQuestion) {
  host.ClickOnModal("Confirmation", "Button1B");
  host.OnModal("Confirmation", [](Form& f) {
    EXPECT_EQ(static_cast<ConfirmationWindow&>(f).Answer, 2);
    f.KeyDown(keys::kEscape);
  });
  windows.Confirmation().Button1.ShowHover();  // B is what the mouse is over
  EXPECT_TRUE(windows.AskConfirmation("Clean undo folder?"));
  EXPECT_FALSE(windows.AskConfirmation("Delete undo file?"));
  EXPECT_EQ(host.PendingReactions(), 0u);
}

TEST_F(MessageWindowsTest, EnterDoesNotAnswer) {
  host.OnModal("Confirmation", [](Form& f) {
    f.KeyDown(keys::kEnter);
    EXPECT_TRUE(f.Visible());
    f.KeyDown(keys::kEscape);
  });
  EXPECT_FALSE(windows.AskConfirmation("Cancel scanning?"));
}

TEST_F(MessageWindowsTest, TheQuestionAndTheInformationAreShownInInfoLabel) {
  host.OnModal("Confirmation", [](Form& f) {
    EXPECT_EQ(static_cast<ConfirmationWindow&>(f).ActionLabel.Caption(), "Confirmation");
    EXPECT_EQ(static_cast<ConfirmationWindow&>(f).InfoLabel.Caption(),
              "Are you sure to unload the program?");
    f.FindControl("Button1Label")->Click();
  });
  EXPECT_TRUE(windows.AskConfirmation("Are you sure to unload the program?"));
  windows.ShowInformation("Options are saved!");
  windows.ShowInformation("Options are saved!");
  ASSERT_EQ(host.ModalShows().size(), 3u);
  EXPECT_EQ(host.ModalShows()[1].caption, "Information");
  EXPECT_EQ(host.ModalShows()[2].text, "Options are saved!");
  EXPECT_EQ(windows.Information().InfoLabel.Caption(), "Options are saved!");
}

TEST_F(MessageWindowsTest, OkClosesTheInformationWindow) {
  host.ClickOnModal("Information", "Button1Label");
  windows.ShowInformation("Undo folder cleaned!");
  EXPECT_FALSE(windows.Information().Visible());
  EXPECT_EQ(host.PendingReactions(), 0u);
}

}  // namespace
}  // namespace ql::ui
