// The information window ("Information", one button "Ok") and ShowInformation.
#pragma once

#include "ui/MessageForm.h"

namespace ql::ui {

class InformationWindow : public MessageForm {
 public:
  explicit InformationWindow(FormHost& host);
  void CreateForm() override;
  void Button1Click() { Close(); }

  Picture Button1A{*this, "Button1A", {102, 122}};
  Picture Button1B{*this, "Button1B", {102, 122}};
  Label Button1Label{*this, "Button1Label", {144, 129}, "Ok"};
  ImageButton Button1{*this, Button1A, Button1B, &Button1Label};
};

// The program's one information window, published by MessageWindows (MessageWindows.h).
extern InformationWindow* Form5a;

// Puts the text into the information window and shows it modally; returns once it is closed.
// Throws std::logic_error when the message windows have not been created.
void ShowInformation(const AnsiString& text);

}  // namespace ql::ui
