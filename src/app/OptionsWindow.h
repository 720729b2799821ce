// The options window (start with Windows, start in the tray, no automatic memory freeing) and the
// list of registry findings the user ignored.
#pragma once

#include "app/ProgramState.h"
#include "platform/platform.h"
#include "ui/Form.h"
#include "ui/Messages.h"

namespace ql {

class OptionsWindow : public ui::Form {
 public:
  OptionsWindow(ui::FormHost& host, const Platform& platform, ui::Messages& messages,
                ProgramState& state);

  ui::Label ActionLabel{*this, "ActionLabel", {24, 40}, "Options"};
  ui::CheckBox CheckBox1{*this, "CheckBox1", {48, 64, 220, 15}, " Add Quillon to startup list"};
  ui::CheckBox CheckBox2{*this, "CheckBox2", {48, 82, 220, 15}, " Run minimized (tray)"};
  ui::CheckBox CheckBox3{*this, "CheckBox3", {48, 100, 220, 15}, " Disable memory management"};
  ui::Label IgnoredLabel{*this, "IgnoredLabel", {48, 124, 160, 15}};
  ui::Label ClearLabel{*this, "ClearLabel", {212, 124, 40, 15}, "Clear"};
  ui::Picture Button1A{*this, "Button1A", {40, 154}};
  ui::Picture Button1B{*this, "Button1B", {40, 154}};
  ui::Label Button1Label{*this, "Button1Label", {72, 161}, "Save"};
  ui::ImageButton Button1{*this, Button1A, Button1B, &Button1Label};
  ui::Picture Button2A{*this, "Button2A", {152, 154}};
  ui::Picture Button2B{*this, "Button2B", {152, 154}};
  ui::Label Button2Label{*this, "Button2Label", {184, 161}, "Close"};
  ui::ImageButton Button2{*this, Button2A, Button2B, &Button2Label};

  void CreateForm() override;
  void ShowForm() override;
  void Button1Click();  // "Save"
  void Button2Click();  // "Close"
  // Empties the list of findings ignored in the scan's details, once the user confirms.
  void ClearClick();

 private:
  void ShowIgnoredCount();

  Platform platform_;
  ui::Messages& messages_;
  ProgramState& state_;
};

}  // namespace ql
