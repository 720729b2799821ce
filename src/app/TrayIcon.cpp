// The main window's notification-area icon: icon, hint and balloon as the program sets them.
#include "app/TrayIcon.h"

namespace ql {

void TrayIcon::SetView(TrayIconView* view) {
  view_ = view;
  Changed();
}

void TrayIcon::SetIcon(ui::IconRef icon) {
  icon_ = icon;
  Changed();
}

void TrayIcon::SetHint(const AnsiString& hint) {
  hint_ = hint.substr(0, kMaxHint);
  Changed();
}

void TrayIcon::ShowBalloon(const AnsiString& title, const AnsiString& text, unsigned timeoutMs) {
  balloons_.push_back(Balloon{title, text, timeoutMs});
  if (view_ != nullptr)
    view_->ShowBalloon(title, text, timeoutMs);
}

void TrayIcon::Changed() {
  if (view_ != nullptr)
    view_->IconOrHintChanged(*this);
}

}  // namespace ql
