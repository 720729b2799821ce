// What the main window needs from the window system beyond its own form: registered messages,
// the application's restore, the start without a main window, program icons.
#pragma once

#include <cstdint>

#include "platform/processes.h"
#include "platform/text.h"
#include "ui/Controls.h"

namespace ql {

class MainWindowServices {
 public:
  virtual ~MainWindowServices() = default;
  // The identifier of a registered window message; 0 when it cannot be registered.
  virtual std::uint32_t RegisterMessage(const AnsiString& name) = 0;
  // Restores the application from the minimised state and brings its active window to the front;
  // a main window hidden in the tray stays hidden.
  virtual void RestoreApplication() = 0;
  // Whether the main window is shown when the message loop starts.
  virtual void SetShowMainFormAtStart(bool show) = 0;
  // The icon of an executable for the window and the tray (GetFileIcon), or the system's generic
  // program icon when it has none; it stays valid until the next call.
  virtual ui::IconRef GetFileIcon(const AnsiString& path) = 0;
  // The main window as an owner for the shell; 0 when it has no window.
  virtual WindowId MainWindow() = 0;
};

}  // namespace ql
