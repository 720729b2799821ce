// The tool windows that the main window and its tray menu open: each is created when opened,
// shown modally and released when it closes.
#pragma once

#include "platform/platform.h"
#include "ui/Form.h"

namespace ql {

struct ToolContext {
  ui::FormHost& host;
  Platform& platform;
};

void OpenScanWindow(const ToolContext& context);            // TForm2a, "Fix registry problems"
void OpenCleanerWindow(const ToolContext& context);         // TForm3, "Clean your system"
void OpenUndoManager(const ToolContext& context);           // TForm2d, "Undo manager"
void OpenOptionsWindow(const ToolContext& context);         // TForm4, "Options"
void OpenWorkedProgramsWindow(const ToolContext& context);  // TForm1b, "Worked programs"
void OpenAboutWindow(const ToolContext& context);           // TForm6a, "About"

}  // namespace ql
