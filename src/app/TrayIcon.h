// The main window's notification-area icon: icon, hint and balloon as the program sets them, and
// the events of the mouse over it.
#pragma once

#include <functional>

#include "platform/text.h"
#include "ui/Controls.h"

namespace ql {

class TrayIcon;

// The window system's side: the real notification-area icon, or nothing in tests.
class TrayIconView {
 public:
  virtual ~TrayIconView() = default;
  virtual void IconOrHintChanged(const TrayIcon& tray) = 0;
  virtual void ShowBalloon(const AnsiString& title, const AnsiString& text, unsigned timeoutMs) = 0;
};

struct Balloon {
  AnsiString title;
  AnsiString text;
  unsigned timeoutMs = 0;
};

class TrayIcon {
 public:
  static constexpr std::size_t kMaxHint = 255;

  void SetView(TrayIconView* view);

  // 0 is the program's own icon.
  ui::IconRef Icon() const { return icon_; }
  void SetIcon(ui::IconRef icon);
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& hint);  // cut to kMaxHint characters
  // An information balloon; the last one stays readable for tests.
  void ShowBalloon(const AnsiString& title, const AnsiString& text, unsigned timeoutMs);
  const std::vector<Balloon>& Balloons() const { return balloons_; }

  std::function<void()> OnClick;  // click and double click
  std::function<void()> OnMouseMove;

 private:
  void Changed();

  TrayIconView* view_ = nullptr;
  ui::IconRef icon_ = 0;
  AnsiString hint_;
  std::vector<Balloon> balloons_;
};

}  // namespace ql
