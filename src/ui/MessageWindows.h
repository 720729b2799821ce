// The information and confirmation windows of the whole run: created once, published as Form5a
// and Form5b for ShowInformation and AskConfirmation, withdrawn when this object ends.
#pragma once

#include <memory>

#include "ui/Unit5a.h"
#include "ui/Unit5b.h"

namespace ql::ui {

class MessageWindows {
 public:
  explicit MessageWindows(FormHost& host);
  MessageWindows(const MessageWindows&) = delete;
  MessageWindows& operator=(const MessageWindows&) = delete;
  ~MessageWindows();

  TForm5a& Information() { return *information_; }
  TForm5b& Confirmation() { return *confirmation_; }

 private:
  std::unique_ptr<TForm5a> information_;
  std::unique_ptr<TForm5b> confirmation_;
};

}  // namespace ql::ui
