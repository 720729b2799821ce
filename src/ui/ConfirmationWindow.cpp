// The confirmation window.
#include "ui/ConfirmationWindow.h"

#include <stdexcept>

namespace ql::ui {

ConfirmationWindow* Form5b = nullptr;

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

bool AskConfirmation(const AnsiString& question) {
  if (Form5b == nullptr)
    throw std::logic_error("the confirmation window has not been created");
  Form5b->InfoLabel.SetCaption(question);
  Form5b->ShowModal();
  return Form5b->Answer != 2;
}

}  // namespace ql::ui
