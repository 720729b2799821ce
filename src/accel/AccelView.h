// What the accelerator and the memory manager show in the main window and its tray icon.
#pragma once

#include <cstdint>

#include "platform/text.h"

namespace ql {

// The main window implements this; tests record the calls to read what the user would see.
class AccelView {
 public:
  virtual ~AccelView() = default;
  // The animation dot's top-left corner in client pixels.
  virtual void MoveDot(int left, int top) = 0;
  // The raised program: its executable path (empty when unreadable) and its window title.
  virtual void ShowAcceleratedProgram(const AnsiString& path, const AnsiString& title) = 0;
  // The program icon of the executable (or the generic one), in the window and in the tray.
  virtual void ShowProgramIcon(const AnsiString& path) = 0;
  virtual void ShowCounters(int processCount, std::uint32_t freePercent, std::int32_t cpuLoad) = 0;
  // The hourglass over the main window during an automatic pass.
  virtual void ShowWindowBusy(bool busy) = 0;
  // The hourglass over the window and the controls that a manual pass blocks.
  virtual void ShowManualPassBusy(bool busy) = 0;
  virtual void ShowProgress(int width) = 0;  // makes the progress picture visible
  virtual void HideProgress() = 0;
};

}  // namespace ql
