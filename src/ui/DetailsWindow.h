// The details window, a read-only list of found entries with a Close button.
#pragma once

#include "ui/Form.h"

namespace ql {

class DetailsWindow : public ui::Form {
 public:
  explicit DetailsWindow(ui::FormHost& host);
  void CreateForm() override;
  void Button1Click() { Close(); }

  ui::Label ActionLabel{*this, "ActionLabel", {24, 56}, "Details"};
  ui::Memo InfoList{*this, "InfoList", {24, 80, 350, 281}};
  ui::Picture Button1A{*this, "Button1A", {270, 370, 100, 30}};
  ui::Picture Button1B{*this, "Button1B", {270, 370, 100, 30}};
  ui::Label Button1Label{*this, "Button1Label", {300, 377}, "Close"};
  ui::ImageButton Button1{*this, Button1A, Button1B, &Button1Label};
};

// Creates a details window, fills it with the lines (one entry each, in order), shows it modally
// and releases it once it has closed.
void ShowDetails(ui::FormHost& host, const StringList& lines);

}  // namespace ql
