// WindowBase: class registration, creation and the one static window procedure.
#include "ui/WindowBase.win32.h"

#include <utility>

namespace ql::ui::win32 {
namespace {

// The property names the owner to code that meets any window of the process; the procedure of
// our own class reads the class's extra bytes, which under Wine costs no round trip to the server.
constexpr char kOwnerProperty[] = "QuillonWindow";
constexpr int kOwnerSlot = 0;

std::exception_ptr& Pending() {
  static std::exception_ptr pending;
  return pending;
}

}  // namespace

WindowBase::~WindowBase() {
  destroying_ = true;
  if (hwnd_ != nullptr) {
    ::RemovePropA(hwnd_, kOwnerProperty);
    ::DestroyWindow(hwnd_);
  }
}

WindowBase* WindowBase::FromHandle(HWND hwnd) {
  return hwnd != nullptr ? static_cast<WindowBase*>(::GetPropA(hwnd, kOwnerProperty)) : nullptr;
}

void WindowBase::RethrowPending() {
  if (Pending())
    std::rethrow_exception(std::exchange(Pending(), nullptr));
}

bool WindowBase::Create(const char* className, DWORD exStyle, DWORD style, const char* title,
                        RECT bounds, HWND owner) {
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSEXA known{};
  known.cbSize = sizeof(known);
  if (!::GetClassInfoExA(instance, className, &known)) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WindowBase::Procedure;
    wc.hInstance = instance;
    wc.style = CS_DBLCLKS | CS_OWNDC;
    wc.cbWndExtra = sizeof(WindowBase*);
    wc.lpszClassName = className;
    wc.hIcon = ::LoadIconA(instance, "MAINICON");
    if (!::RegisterClassExA(&wc))
      return false;
  }
  ::CreateWindowExA(exStyle, className, title, style, bounds.left, bounds.top,
                    bounds.right - bounds.left, bounds.bottom - bounds.top, owner, nullptr,
                    instance, this);
  return hwnd_ != nullptr;
}

LRESULT CALLBACK WindowBase::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetPropA(hwnd, kOwnerProperty, self);
    ::SetWindowLongPtrA(hwnd, kOwnerSlot, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<WindowBase*>(::GetWindowLongPtrA(hwnd, kOwnerSlot));
  if (self == nullptr || self->destroying_)
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::RemovePropA(hwnd, kOwnerProperty);
    ::SetWindowLongPtrA(hwnd, kOwnerSlot, 0);
    self->hwnd_ = nullptr;
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }
  try {
    return self->OnMessage(message, wParam, lParam);
  } catch (...) {
    if (!Pending())
      Pending() = std::current_exception();
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace ql::ui::win32
