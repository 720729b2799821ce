// Turning off the file-system redirection of a 32-bit process on 64-bit Windows.
#include "platform/win32/NativeFileSystem.h"

#include "platform/win32/SystemFunction.h"

namespace ql::win32 {
namespace {

using DisableRedirection = BOOL(WINAPI*)(PVOID*);
using RevertRedirection = BOOL(WINAPI*)(PVOID);
using IsWow64 = BOOL(WINAPI*)(HANDLE, PBOOL);

struct RedirectionFunctions {
  DisableRedirection disable = nullptr;
  RevertRedirection revert = nullptr;
};

// Looked up once: the functions are missing before Windows XP x64 and on old 32-bit systems.
const RedirectionFunctions& Redirection() {
  static const RedirectionFunctions functions = [] {
    RedirectionFunctions found{
        LookUpFunction<DisableRedirection>("kernel32.dll", "Wow64DisableWow64FsRedirection"),
        LookUpFunction<RevertRedirection>("kernel32.dll", "Wow64RevertWow64FsRedirection")};
    if (found.disable == nullptr || found.revert == nullptr)
      found = RedirectionFunctions{};
    return found;
  }();
  return functions;
}

}  // namespace

bool IsWow64Process() {
  static const bool wow64 = [] {
    const auto isWow64 = LookUpFunction<IsWow64>("kernel32.dll", "IsWow64Process");
    BOOL result = FALSE;
    return isWow64 != nullptr && isWow64(GetCurrentProcess(), &result) != FALSE && result != FALSE;
  }();
  return wow64;
}

NativeFileSystem::NativeFileSystem() {
  const RedirectionFunctions& functions = Redirection();
  active_ = functions.disable != nullptr && functions.disable(&previous_) != FALSE;
}

NativeFileSystem::~NativeFileSystem() {
  if (active_)
    Redirection().revert(previous_);
}

}  // namespace ql::win32
