// Shell and launcher adapters: ShellExecuteA "open", and CreateProcessA with a bounded wait.
#include <windows.h>

#include <shellapi.h>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"

namespace ql::win32 {

void Win32Shell::Open(const AnsiString& target, WindowId owner) {
  ShellExecuteA(reinterpret_cast<HWND>(owner), "open", target.c_str(), nullptr, nullptr,
                SW_SHOWNORMAL);
}

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
  if (CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, options.creationFlags,
                     nullptr, nullptr, &startup, &started) == FALSE)
    return LaunchResult::kNotStarted;
  const UniqueHandleNull process(started.hProcess);
  const UniqueHandleNull thread(started.hThread);
  return WaitForSingleObject(process.get(), options.waitMilliseconds) == WAIT_OBJECT_0
             ? LaunchResult::kEnded
             : LaunchResult::kStillRunning;
}

}  // namespace ql::win32
