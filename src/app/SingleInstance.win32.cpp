// SingleInstance: one running Quillon per logon; a second start brings the running one forward.
#include "app/SingleInstance.win32.h"

namespace ql::win32 {

// Two starts at the same moment both miss the open; the one whose create finds the mutex already
// there is the second.
UniqueHandleNull TakeInstanceLock(const char* mutexName) {
  UniqueHandleNull running(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, mutexName));
  if (running)
    return UniqueHandleNull();
  UniqueHandleNull lock(CreateMutexA(nullptr, FALSE, mutexName));
  if (lock && GetLastError() == ERROR_ALREADY_EXISTS)
    return UniqueHandleNull();
  return lock;
}

HWND FindRunningInstance(const char* windowClass, const char* title) {
  return FindWindowA(windowClass, title);
}

bool RequestRestore(const char* windowClass, const char* title, UINT message, WPARAM request) {
  HWND running = FindRunningInstance(windowClass, title);
  if (running == nullptr)
    return false;
  DWORD processId = 0;
  if (GetWindowThreadProcessId(running, &processId) != 0 && processId != 0)
    AllowSetForegroundWindow(processId);
  return PostMessageA(running, message, request, 0) != FALSE;
}

}  // namespace ql::win32
