// The common frame of the information and confirmation windows: skin "Form5", a title and a
// centred, wrapped message text.
#pragma once

#include "ui/Form.h"

namespace ql::ui {

class MessageForm : public Form {
 public:
  MessageForm(FormHost& host, const AnsiString& title);

  Label ActionLabel{*this, "ActionLabel", {24, 40}};
  // Text that needs more than the box (about two lines) is cut at the box's edges.
  Label InfoLabel{*this, "InfoLabel", {30, 70, 240, 40}};
};

}  // namespace ql::ui
