// The details window.
#include "ui/DetailsWindow.h"

namespace ql {

DetailsWindow::DetailsWindow(ui::FormHost& host) : Form(host) {
  SetCaption("Details");
  SetClientSize({399, 461});
  SetPositionRule(ui::FormPosition::DesktopCenter);
  SetFont(ui::MakeFont("Arial", 11, true));
  ActionLabel.SetFont(ui::MakeFont("Verdana", 16, true));
  Button1Label.SetFont(ui::MakeFont("Verdana", 12, true));
  Button1Label.SetAlignment(ui::Alignment::Center);
  Button1.SetCursor(ui::Cursor::Hand);
  Button1.OnClick = [this] { Button1Click(); };
}

void DetailsWindow::CreateForm() {
  ApplySkin("FORM2", {&Button1});
}

void ShowDetails(ui::FormHost& host, const StringList& lines) {
  const auto form = ui::MakeForm<DetailsWindow>(host);
  form->InfoList.SetLines(lines);
  form->ShowModal();
}

}  // namespace ql
