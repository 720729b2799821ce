// Looks up a function that not every Windows version exports, by module and name, at run time.
#pragma once

#include <windows.h>

namespace ql::win32 {

// Null when the module is not loaded or does not export the name. Only modules already loaded
// into every process (kernel32, ntdll, user32) are asked, so nothing is loaded or freed here.
template <typename Function>
Function LookUpFunction(const char* module, const char* name) {
  const HMODULE loaded = GetModuleHandleA(module);
  if (loaded == nullptr)
    return nullptr;
  // Through void(*)(): the one function-pointer cast that GCC accepts without a warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(loaded, name)));
}

}  // namespace ql::win32
