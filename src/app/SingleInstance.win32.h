// SingleInstance: one running Quillon per logon; a second start brings the running one forward.
#pragma once

#include <windows.h>

#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

// The single-instance lock, held for as long as the handle lives; empty when another process
// holds it already.
UniqueHandleNull TakeInstanceLock(const char* mutexName);

// The running instance's main window: a top-level window of that class with exactly that title
// (letter case ignored, as the system's search does); null when there is none. Any other window
// that happens to carry the title, such as a folder of that name, is not it.
HWND FindRunningInstance(const char* windowClass, const char* title);

// Lets the running instance take the foreground (a process that is not in front may not, unless
// the one in front allows it) and posts it the restore request; false when none was found.
bool RequestRestore(const char* windowClass, const char* title, UINT message, WPARAM request);

}  // namespace ql::win32
