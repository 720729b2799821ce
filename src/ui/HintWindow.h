// The hint window, a title and a short explanation with an Ok button.
#pragma once

#include "ui/Form.h"

namespace ql {

class HintWindow : public ui::Form {
 public:
  explicit HintWindow(ui::FormHost& host);
  void CreateForm() override;
  void Button1Click() { Close(); }

  ui::Label ActionLabel{*this, "ActionLabel", {32, 40}, "Hint"};
  ui::Label InfoLabel{*this, "InfoLabel", {36, 72, 330, 130}};
  ui::Picture Button1A{*this, "Button1A", {150, 226, 100, 30}};
  ui::Picture Button1B{*this, "Button1B", {150, 226, 100, 30}};
  ui::Label Button1Label{*this, "Button1Label", {190, 233}, "Ok"};
  ui::ImageButton Button1{*this, Button1A, Button1B, &Button1Label};
};

// Creates a hint window with the title and the explanation, shows it modally and releases it
// once it has closed.
void ShowHint(ui::FormHost& host, const AnsiString& title, const AnsiString& text);

}  // namespace ql
