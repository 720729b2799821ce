// Turning off the file-system redirection a 32-bit process gets on 64-bit Windows.
#pragma once

#include <windows.h>

namespace ql::win32 {

// True for a 32-bit process on 64-bit Windows, the one kind of process whose paths below the
// Windows folder are redirected.
bool IsWow64Process();

// Turns redirection off for the current thread while it lives. In a 64-bit process, or a 32-bit
// process on 32-bit Windows, the call fails and nothing changes.
class NativeFileSystem {
 public:
  NativeFileSystem();
  NativeFileSystem(const NativeFileSystem&) = delete;
  NativeFileSystem& operator=(const NativeFileSystem&) = delete;
  ~NativeFileSystem();

  // Whether paths now name the native folders: redirection is off, or there is none to turn off.
  bool Native() const { return active_ || !IsWow64Process(); }

 private:
  PVOID previous_ = nullptr;
  bool active_ = false;
};

}  // namespace ql::win32
