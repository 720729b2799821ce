// The tool windows that the main window and its tray menu open: each is created when opened,
// shown modally and released when it closes.
#pragma once

#include "app/ProgramState.h"
#include "platform/platform.h"
#include "ui/Form.h"
#include "ui/Messages.h"

namespace ql {

struct ToolContext {
  ui::FormHost& host;
  Platform& platform;
  ui::Messages& messages;
  ProgramState& state;
};

// "Fix registry problems", "Clean your system", "Undo manager", "Options", "Worked programs" and
// "About".
void OpenScanWindow(const ToolContext& context);
void OpenCleanerWindow(const ToolContext& context);
void OpenUndoManager(const ToolContext& context);
void OpenOptionsWindow(const ToolContext& context);
void OpenWorkedProgramsWindow(const ToolContext& context);
void OpenAboutWindow(const ToolContext& context);

}  // namespace ql
