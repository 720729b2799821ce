// The tool windows that the main window and its tray menu open.
#include "app/ToolWindows.h"

#include "app/OptionsWindow.h"
#include "app/WorkedProgramsWindow.h"
#include "cleaner/CleanerWindow.h"
#include "fix/ScanWindow.h"
#include "fix/UndoManagerWindow.h"
#include "ui/AboutWindow.h"

namespace ql {

void OpenScanWindow(const ToolContext& context) {
  ShowScanWindow(context.host, context.platform, context.messages, context.state.UndoFolder);
}

void OpenCleanerWindow(const ToolContext& context) {
  ui::MakeForm<CleanerWindow>(context.host, context.platform, context.messages)->ShowModal();
}

void OpenUndoManager(const ToolContext& context) {
  ShowUndoManager(context.host, context.platform, context.messages, context.state.ProgramFolder,
                  context.state.UndoFolder);
}

void OpenOptionsWindow(const ToolContext& context) {
  ui::MakeForm<OptionsWindow>(context.host, context.platform, context.messages, context.state)
      ->ShowModal();
}

void OpenWorkedProgramsWindow(const ToolContext& context) {
  ui::MakeForm<WorkedProgramsWindow>(context.host, context.platform, context.messages)->ShowModal();
}

void OpenAboutWindow(const ToolContext& context) {
  ui::MakeForm<AboutWindow>(context.host, context.platform.shell)->ShowModal();
}

}  // namespace ql
