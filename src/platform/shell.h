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
};

// Starts a program with an exact command-line string (the program path goes only into the
// application-name argument) and waits for it at most the given time.
class Launcher {
 public:
  virtual ~Launcher() = default;
  // True when the process started; the wait's outcome is not reported.
  virtual bool Run(const AnsiString& program, const AnsiString& commandLine,
                   const LaunchOptions& options) = 0;
};

// Processes pending window messages once (the program's "process messages" call).
class Pump {
 public:
  virtual ~Pump() = default;
  virtual void ProcessMessages() = 0;
};

}  // namespace ql
