// The hint window.
#include "ui/HintWindow.h"

namespace ql {

HintWindow::HintWindow(ui::FormHost& host) : Form(host) {
  SetCaption("Hint");
  SetClientSize({398, 300});
  SetPositionRule(ui::FormPosition::DesktopCenter);
  SetFont(ui::MakeFont("Arial", 16, true, ui::colors::kGreyText));
  ActionLabel.SetFont(ui::MakeFont("Verdana", 16, true));
  InfoLabel.SetFont(ui::MakeFont("Arial", 13, true, ui::colors::kGreyText));
  InfoLabel.SetAlignment(ui::Alignment::Center);
  InfoLabel.SetCenteredVertically(true);
  InfoLabel.SetWordWrap(true);
  Button1Label.SetFont(ui::MakeFont("Verdana", 12, true));
  Button1Label.SetAlignment(ui::Alignment::Center);
  Button1.SetCursor(ui::Cursor::Hand);
  Button1.OnClick = [this] { Button1Click(); };
}

void HintWindow::CreateForm() {
  ApplySkin("FORM4", {&Button1});
}

void ShowHint(ui::FormHost& host, const AnsiString& title, const AnsiString& text) {
  const auto form = ui::MakeForm<HintWindow>(host);
  form->ActionLabel.SetCaption(title);
  form->InfoLabel.SetCaption(text);
  form->ShowModal();
}

}  // namespace ql
