// The tool windows that the main window and its tray menu open. A window that is not part of
// this version yet says so in the information window.
#include "app/ToolWindows.h"

#include "app/Unit1b.h"
#include "app/Unit4.h"
#include "cleaner/Unit3.h"
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

void OpenCleanerWindow(const ToolContext& context) {
  ui::MakeForm<TForm3>(context.host, context.platform)->ShowModal();
}

void OpenUndoManager(const ToolContext&) {
  ShowNotAvailable("Undo manager");
}

void OpenOptionsWindow(const ToolContext& context) {
  ui::MakeForm<TForm4>(context.host, context.platform)->ShowModal();
}

void OpenWorkedProgramsWindow(const ToolContext& context) {
  ui::MakeForm<TForm1b>(context.host, context.platform)->ShowModal();
}

void OpenAboutWindow(const ToolContext& context) {
  ui::MakeForm<TForm6a>(context.host, context.platform.shell)->ShowModal();
}

}  // namespace ql
