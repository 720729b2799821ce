// How a window that pumps messages during a long operation is tested: the pump runs the user's
// actions at chosen calls, and a confirmation shown from inside the operation is answered by
// the scripted host.
#include <gtest/gtest.h>

#include "ui/MessageWindows.h"
#include "ui/testing/ScriptedHost.h"

namespace ql::ui {
namespace {

// A window with a long walk that pumps between its steps; Escape while walking asks first.
class WalkingForm : public Form {
 public:
  WalkingForm(FormHost& host, Pump& pump, Messages& messages)
      : Form(host), pump_(pump), messages_(messages) {
    SetCaption("Walk");
    Button1.OnClick = [this] { Button1Click(); };
  }
  void CloseForm(bool& allow) override {
    allow = !walking || messages_.AskConfirmation("Cancel scanning?");
    if (allow)
      walking = false;
  }
  void Button1Click() {
    if (walking) {
      walking = false;  // Stop
      return;
    }
    walking = true;
    Button1Label.SetCaption("Stop");
    for (steps = 0; walking && steps < 100; ++steps)
      pump_.ProcessMessages();
    walking = false;
    Button1Label.SetCaption("Scan");
  }

  Picture Button1A{*this, "Button1A", {30, 226}};
  Picture Button1B{*this, "Button1B", {30, 226}};
  Label Button1Label{*this, "Button1Label", {46, 233}, "Scan"};
  ImageButton Button1{*this, Button1A, Button1B, &Button1Label};
  bool walking = false;
  int steps = 0;

 private:
  Pump& pump_;
  Messages& messages_;
};

struct ScriptedPumpWalkTest : ::testing::Test {
  ScriptedHost host;
  MessageWindows messages{host};
  ScriptedPump pump;
  std::unique_ptr<WalkingForm> form = MakeForm<WalkingForm>(host, pump, messages);
};

TEST_F(ScriptedPumpWalkTest, OnTheFifthPumpStopEndsTheWalk) {
  pump.At(5, [this] {
    EXPECT_EQ(form->Button1Label.Caption(), "Stop");
    form->Button1Label.Click();
  });
  form->Button1Label.Click();
  EXPECT_EQ(form->steps, 5);
  EXPECT_EQ(form->Button1Label.Caption(), "Scan");
}

TEST_F(ScriptedPumpWalkTest, EscapeDuringTheWalkAsksAndNoKeepsWalking) {
  pump.At(3, [this] { form->KeyDown(keys::kEscape); });  // unscripted: the question gets Escape
  host.OnModal("Walk", [this](Form&) { form->Button1Label.Click(); });
  pump.At(7, [this] {
    host.ClickOnModal("Confirmation", "Button1Label");  // now "Yes"
    form->KeyDown(keys::kEscape);
  });
  form->ShowModal();
  EXPECT_EQ(form->steps, 7);
  EXPECT_FALSE(form->Visible());
  ASSERT_EQ(host.ModalShows().size(), 3u);
  EXPECT_EQ(host.ModalShows()[1].text, "Cancel scanning?");
  EXPECT_EQ(host.ModalShows()[2].text, "Cancel scanning?");
}

}  // namespace
}  // namespace ql::ui
