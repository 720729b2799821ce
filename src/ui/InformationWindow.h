// The information window ("Information", one button "Ok"); MessageWindows shows it.
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

}  // namespace ql::ui
