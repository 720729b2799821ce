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

void OpenScanWindow(const ToolContext& context);     // ScanWindow, "Fix registry problems"
void OpenCleanerWindow(const ToolContext& context);  // CleanerWindow, "Clean your system"
void OpenUndoManager(const ToolContext& context);    // UndoManagerWindow, "Undo manager"
void OpenOptionsWindow(const ToolContext& context);  // OptionsWindow, "Options"
void OpenWorkedProgramsWindow(
    const ToolContext& context);                   // WorkedProgramsWindow, "Worked programs"
void OpenAboutWindow(const ToolContext& context);  // AboutWindow, "About"

}  // namespace ql
