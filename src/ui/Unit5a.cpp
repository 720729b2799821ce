// Unit5a: the information window.
#include "ui/Unit5a.h"

#include <stdexcept>

namespace ql::ui {

TForm5a* Form5a = nullptr;

TForm5a::TForm5a(FormHost& host) : MessageForm(host, "Information") {
  Button1.OnClick = [this] { Button1Click(); };
}

void TForm5a::CreateForm() {
  ApplySkin("FORM5", {&Button1});
}

void ShowInformation(const AnsiString& text) {
  if (Form5a == nullptr)
    throw std::logic_error("the information window has not been created");
  Form5a->InfoLabel.SetCaption(text);
  Form5a->ShowModal();
}

}  // namespace ql::ui
