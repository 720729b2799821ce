// Creation and publication of the two message windows.
#include "ui/MessageWindows.h"

namespace ql::ui {

MessageWindows::MessageWindows(FormHost& host)
    : information_(MakeForm<TForm5a>(host)), confirmation_(MakeForm<TForm5b>(host)) {
  Form5a = information_.get();
  Form5b = confirmation_.get();
}

MessageWindows::~MessageWindows() {
  Form5a = nullptr;
  Form5b = nullptr;
}

}  // namespace ql::ui
