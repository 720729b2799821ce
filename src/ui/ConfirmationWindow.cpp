// The confirmation window.
#include "ui/ConfirmationWindow.h"

namespace ql::ui {

ConfirmationWindow::ConfirmationWindow(FormHost& host) : MessageForm(host, "Confirmation") {
  Button1.OnClick = [this] { Button1Click(); };
  Button2.OnClick = [this] { Button2Click(); };
}

void ConfirmationWindow::CreateForm() {
  ApplySkin("FORM5", {&Button1, &Button2});
}

void ConfirmationWindow::Button1Click() {
  Answer = 1;
  Close();
}

}  // namespace ql::ui
