// The information window.
#include "ui/InformationWindow.h"

namespace ql::ui {

InformationWindow::InformationWindow(FormHost& host) : MessageForm(host, "Information") {
  Button1.OnClick = [this] { Button1Click(); };
}

void InformationWindow::CreateForm() {
  ApplySkin("FORM5", {&Button1});
}

}  // namespace ql::ui
