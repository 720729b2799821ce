// The information window.
#include "ui/InformationWindow.h"

#include <stdexcept>

namespace ql::ui {

InformationWindow* Form5a = nullptr;

InformationWindow::InformationWindow(FormHost& host) : MessageForm(host, "Information") {
  Button1.OnClick = [this] { Button1Click(); };
}

void InformationWindow::CreateForm() {
  ApplySkin("FORM5", {&Button1});
}

void ShowInformation(const AnsiString& text) {
  if (Form5a == nullptr)
    throw std::logic_error("the information window has not been created");
  Form5a->InfoLabel.SetCaption(text);
  Form5a->ShowModal();
}

}  // namespace ql::ui
