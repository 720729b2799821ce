// Tests of the details and hint windows: what they show, and how they close.
#include <gtest/gtest.h>

#include "ui/DetailsWindow.h"
#include "ui/HintWindow.h"
#include "ui/testing/ScriptedHost.h"

namespace ql {
namespace {

TEST(DetailsWindowTest, ShowsTheLinesInOrderAndCloses) {
  ui::ScriptedHost host;
  StringList seen;
  host.OnModal<DetailsWindow>([&](DetailsWindow& form) {
    seen = form.InfoList.Lines();
    EXPECT_TRUE(form.InfoList.ReadOnly());
    EXPECT_FALSE(form.InfoList.WordWrap());
    EXPECT_EQ(form.Button1Label.Caption(), "Close");
    form.Button1Label.Click();
  });
  ShowDetails(host, {"Invalid handler .abc", "Invalid handler .def"});
  EXPECT_EQ(seen, (StringList{"Invalid handler .abc", "Invalid handler .def"}));
  ASSERT_EQ(host.ModalShows().size(), 1u);
  EXPECT_EQ(host.ModalShows()[0].caption, "Details");
  EXPECT_EQ(host.PendingReactions(), 0u);
}

TEST(DetailsWindowTest, EscapeInTheListClosesTheWindow) {
  ui::ScriptedHost host;
  host.OnModal<DetailsWindow>([](DetailsWindow& form) {
    form.InfoList.KeyDown(ui::keys::kEscape);
    EXPECT_FALSE(form.Visible());
  });
  StringList many(500, AnsiString(300, 'x'));
  ShowDetails(host, many);
  EXPECT_EQ(host.PendingReactions(), 0u);
}

TEST(HintWindowTest, ShowsTheTitleAndTheWrappedExplanation) {
  ui::ScriptedHost host;
  host.OnModal<HintWindow>([](HintWindow& form) {
    EXPECT_EQ(form.ActionLabel.Caption(), "Common libraries");
    EXPECT_EQ(form.InfoLabel.Caption(), "Many programs use common libraries.");
    EXPECT_TRUE(form.InfoLabel.WordWrap());
    EXPECT_EQ(form.InfoLabel.GetAlignment(), ui::Alignment::Center);
    form.Button1A.Click();
  });
  ShowHint(host, "Common libraries", "Many programs use common libraries.");
  ASSERT_EQ(host.ModalShows().size(), 1u);
  EXPECT_EQ(host.ModalShows()[0].caption, "Hint");
  EXPECT_EQ(host.ModalShows()[0].text, "Many programs use common libraries.");
}

}  // namespace
}  // namespace ql
