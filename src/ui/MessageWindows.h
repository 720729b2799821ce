// The information and confirmation windows of the whole run: created once, published as Form5a
// and Form5b for ShowInformation and AskConfirmation, withdrawn when this object ends.
#pragma once

#include <memory>

#include "ui/ConfirmationWindow.h"
#include "ui/InformationWindow.h"

namespace ql::ui {

class MessageWindows {
 public:
  explicit MessageWindows(FormHost& host);
  MessageWindows(const MessageWindows&) = delete;
  MessageWindows& operator=(const MessageWindows&) = delete;
  ~MessageWindows();

  InformationWindow& Information() { return *information_; }
  ConfirmationWindow& Confirmation() { return *confirmation_; }

 private:
  std::unique_ptr<InformationWindow> information_;
  std::unique_ptr<ConfirmationWindow> confirmation_;
};

}  // namespace ql::ui
