// The information and confirmation windows of the whole run: created once and shown through the
// Messages interface by every window that tells or asks the user something.
#pragma once

#include <memory>

#include "ui/ConfirmationWindow.h"
#include "ui/InformationWindow.h"
#include "ui/Messages.h"

namespace ql::ui {

class MessageWindows : public Messages {
 public:
  explicit MessageWindows(FormHost& host);
  MessageWindows(const MessageWindows&) = delete;
  MessageWindows& operator=(const MessageWindows&) = delete;

  void ShowInformation(const AnsiString& text) override;
  bool AskConfirmation(const AnsiString& question) override;

  InformationWindow& Information() { return *information_; }
  ConfirmationWindow& Confirmation() { return *confirmation_; }

 private:
  std::unique_ptr<InformationWindow> information_;
  std::unique_ptr<ConfirmationWindow> confirmation_;
};

}  // namespace ql::ui
