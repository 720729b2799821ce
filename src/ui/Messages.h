// What the program tells and asks the user through the information and confirmation windows.
#pragma once

#include "platform/text.h"

namespace ql::ui {

class Messages {
 public:
  virtual ~Messages() = default;
  // Puts the text into the information window and shows it modally; returns once it is closed.
  virtual void ShowInformation(const AnsiString& text) = 0;
  // Puts the question into the confirmation window, shows it modally and returns true only when
  // "Yes" was pressed.
  virtual bool AskConfirmation(const AnsiString& question) = 0;
};

}  // namespace ql::ui
