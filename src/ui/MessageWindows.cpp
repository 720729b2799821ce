// Creation and publication of the two message windows.
#include "ui/MessageWindows.h"

namespace ql::ui {

MessageWindows::MessageWindows(FormHost& host)
    : information_(MakeForm<InformationWindow>(host)),
      confirmation_(MakeForm<ConfirmationWindow>(host)) {
  Form5a = information_.get();
  Form5b = confirmation_.get();
}

MessageWindows::~MessageWindows() {
  Form5a = nullptr;
  Form5b = nullptr;
}

}  // namespace ql::ui
