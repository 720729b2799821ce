// Shell and launcher adapters: ShellExecuteA "open", and CreateProcessA with a bounded wait.
#include <windows.h>

#include <shellapi.h>

#include <optional>

#include "platform/win32/NativeFileSystem.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"

namespace ql::win32 {

void Win32Shell::Open(const AnsiString& target, WindowId owner) {
  ShellExecuteA(reinterpret_cast<HWND>(owner), "open", target.c_str(), nullptr, nullptr,
                SW_SHOWNORMAL);
}

namespace {

// Redirection is off around the start only: the started program and our own later file calls
// are not affected.
bool Start(const AnsiString& program, char* line, const LaunchOptions& options,
           STARTUPINFOA& startup, PROCESS_INFORMATION& started) {
  std::optional<NativeFileSystem> native;
  if (options.nativeProgram) {
    native.emplace();
    if (!native->Native())
      return false;
  }
  return CreateProcessA(program.c_str(), line, nullptr, nullptr, FALSE, options.creationFlags,
                        nullptr, nullptr, &startup, &started) != FALSE;
}

}  // namespace

// The program goes only into the application name; the command line is passed exactly as given
// (regedit takes a first token without a leading blank as its own name), in a writable copy
// because CreateProcessA may change it. A wait that fails is reported like one that ran out: the
// caller cannot tell that the program has finished its work.
LaunchResult Win32Launcher::Run(const AnsiString& program, const AnsiString& commandLine,
                                const LaunchOptions& options) {
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  if (options.hidden) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
  }
  PROCESS_INFORMATION started{};
  if (!Start(program, line.data(), options, startup, started))
    return LaunchResult::kNotStarted;
  const UniqueHandleNull process(started.hProcess);
  const UniqueHandleNull thread(started.hThread);
  return WaitForSingleObject(process.get(), options.waitMilliseconds) == WAIT_OBJECT_0
             ? LaunchResult::kEnded
             : LaunchResult::kStillRunning;
}

}  // namespace ql::win32
