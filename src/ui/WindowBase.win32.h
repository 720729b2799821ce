// WindowBase: one window procedure for all of the program's windows. It attaches the object at
// WM_NCCREATE and hands every message to the virtual OnMessage.
#pragma once

#include <windows.h>

#include <exception>

namespace ql::ui::win32 {

class WindowBase {
 public:
  WindowBase() = default;
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;
  // Destroys the window; no message reaches OnMessage after that has begun.
  virtual ~WindowBase();

  HWND Handle() const { return hwnd_; }
  // The object of one of our windows; null for any other window.
  static WindowBase* FromHandle(HWND hwnd);
  // An exception cannot cross the system's frames of a window procedure: it is kept there and
  // thrown again here, which the message loop calls after every dispatch.
  static void RethrowPending();

 protected:
  // Registers the class once (per name) and creates the window; false when the system refuses.
  bool Create(const char* className, DWORD exStyle, DWORD style, const char* title, RECT bounds,
              HWND owner);
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(hwnd_, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
  bool destroying_ = false;
};

}  // namespace ql::ui::win32
