// The two message windows and how they are shown.
#include "ui/MessageWindows.h"

namespace ql::ui {

MessageWindows::MessageWindows(FormHost& host)
    : information_(MakeForm<InformationWindow>(host)),
      confirmation_(MakeForm<ConfirmationWindow>(host)) {}

void MessageWindows::ShowInformation(const AnsiString& text) {
  information_->InfoLabel.SetCaption(text);
  information_->ShowModal();
}

bool MessageWindows::AskConfirmation(const AnsiString& question) {
  confirmation_->InfoLabel.SetCaption(question);
  confirmation_->ShowModal();
  return confirmation_->Answer != 2;
}

}  // namespace ql::ui
