// A child program for the single-instance test: the first start takes the lock, opens a hidden
// main window of the forms' class and waits for the restore request; a later start asks it to
// come forward, as Quillon.exe's entry does.
#include <windows.h>

#include "InstanceTestNames.win32.h"
#include "app/SingleInstance.win32.h"
#include "platform/win32/UniqueHandle.h"
#include "ui/FormWindow.win32.h"

namespace {

using namespace ql::wintest;
constexpr UINT kWaitMs = 30000;

DWORD RunFirstInstance(UINT restore) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = ql::ui::win32::kFormClass;
  RegisterClassA(&windowClass);
  HWND main = CreateWindowExA(0, ql::ui::win32::kFormClass, kInstanceTitle, WS_POPUP, 0, 0, 10, 10,
                              nullptr, nullptr, windowClass.hInstance, nullptr);
  if (main == nullptr)
    return 1;
  const ql::win32::UniqueHandleNull ready(
      OpenEventA(EVENT_MODIFY_STATE, FALSE, kInstanceReadyEvent));
  if (ready)
    SetEvent(ready.get());
  SetTimer(nullptr, 0, kWaitMs, nullptr);
  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == restore && msg.hwnd == main && msg.wParam == kRestoreRequest)
      return kRestored;
    if (msg.message == WM_TIMER && msg.hwnd == nullptr)
      return kNeverRestored;
    DispatchMessageA(&msg);
  }
  return kNeverRestored;
}

}  // namespace

int main() {
  const UINT restore = RegisterWindowMessageA(kRestoreName);
  const ql::win32::UniqueHandleNull lock = ql::win32::TakeInstanceLock(kInstanceMutex);
  if (lock)
    return static_cast<int>(RunFirstInstance(restore));
  return static_cast<int>(
      ql::win32::RequestRestore(ql::ui::win32::kFormClass, kInstanceTitle, restore, kRestoreRequest)
          ? kPosted
          : kNoneFound);
}
