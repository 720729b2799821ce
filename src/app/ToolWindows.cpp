// The tool windows that the main window and its tray menu open. A window that is not part of
// this version yet says so in the information window.
#include "app/ToolWindows.h"

#include "ui/Unit5a.h"
#include "ui/Unit6a.h"

namespace ql {

namespace {
void ShowNotAvailable(const AnsiString& tool) {
  ui::ShowInformation(tool + " is not available in this version.");
}
}  // namespace

void OpenScanWindow(const ToolContext&) {
  ShowNotAvailable("Fix registry problems");
}

void OpenCleanerWindow(const ToolContext&) {
  ShowNotAvailable("Clean your system");
}

void OpenUndoManager(const ToolContext&) {
  ShowNotAvailable("Undo manager");
}

void OpenOptionsWindow(const ToolContext&) {
  ShowNotAvailable("Options");
}

void OpenWorkedProgramsWindow(const ToolContext&) {
  ShowNotAvailable("Worked programs");
}

void OpenAboutWindow(const ToolContext& context) {
  ui::MakeForm<TForm6a>(context.host, context.platform.shell)->ShowModal();
}

}  // namespace ql
