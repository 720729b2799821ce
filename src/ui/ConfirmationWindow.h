// The confirmation window ("Confirmation", "Yes" and "No"); MessageWindows shows it.
#pragma once

#include <cstdint>

#include "ui/MessageForm.h"

namespace ql::ui {

class ConfirmationWindow : public MessageForm {
 public:
  explicit ConfirmationWindow(FormHost& host);
  void CreateForm() override;
  void ShowForm() override { Answer = 2; }
  void Button1Click();
  void Button2Click() { Close(); }

  // 2 whenever the window is shown, 1 once "Yes" was pressed; anything but 2 means yes.
  std::uint8_t Answer = 2;

  Picture Button1A{*this, "Button1A", {40, 122}};
  Picture Button1B{*this, "Button1B", {40, 122}};
  Label Button1Label{*this, "Button1Label", {76, 129}, "Yes"};
  ImageButton Button1{*this, Button1A, Button1B, &Button1Label};
  Picture Button2A{*this, "Button2A", {152, 122}};
  Picture Button2B{*this, "Button2B", {152, 122}};
  Label Button2Label{*this, "Button2Label", {194, 129}, "No"};
  ImageButton Button2{*this, Button2A, Button2B, &Button2Label};
};

}  // namespace ql::ui
