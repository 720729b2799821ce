// Shell, launcher and pump ports: opening documents, starting the registry editor, pending
// messages.
#pragma once

#include <cstdint>

#include "platform/processes.h"
#include "platform/text.h"

namespace ql {

class Shell {
 public:
  virtual ~Shell() = default;
  // ShellExecute with the verb "open", no parameters, shown normally; the outcome is not examined.
  virtual void Open(const AnsiString& target, WindowId owner) = 0;
};

struct LaunchOptions {
  std::uint32_t creationFlags = 0x88;  // HIGH_PRIORITY_CLASS | DETACHED_PROCESS
  bool hidden = true;                  // STARTF_USESHOWWINDOW with SW_HIDE
  std::uint32_t waitMilliseconds = 10000;
  // Start the native build of a program of the Windows folder: a 32-bit process on 64-bit Windows
  // would otherwise be sent to the 32-bit one ("%windir%\regedit.exe" to SysWOW64's, which works
  // on the 32-bit registry view). When the native one cannot be had, nothing is started.
  bool nativeProgram = false;
};

// How a started program ended, as far as the caller waited for it.
enum class LaunchResult {
  kEnded,         // the process ended within the wait
  kNotStarted,    // the process could not be created
  kStillRunning,  // the wait ran out (or failed) while the process was running
};

// Starts a program with an exact command-line string (the program path goes only into the
// application-name argument) and waits for it at most the given time.
class Launcher {
 public:
  virtual ~Launcher() = default;
  virtual LaunchResult Run(const AnsiString& program, const AnsiString& commandLine,
                           const LaunchOptions& options) = 0;
};

// Processes pending window messages once (the program's "process messages" call).
class Pump {
 public:
  virtual ~Pump() = default;
  virtual void ProcessMessages() = 0;
};

}  // namespace ql
