// The tool windows that the main window and its tray menu open.
#include "app/ToolWindows.h"

#include "app/Unit1b.h"
#include "app/Unit4.h"
#include "cleaner/Unit3.h"
#include "fix/Unit2a.h"
#include "fix/Unit2d.h"
#include "ui/Unit6a.h"

namespace ql {

void OpenScanWindow(const ToolContext& context) {
  ShowScanWindow(context.host, context.platform);
}

void OpenCleanerWindow(const ToolContext& context) {
  ui::MakeForm<TForm3>(context.host, context.platform)->ShowModal();
}

void OpenUndoManager(const ToolContext& context) {
  ShowUndoManager(context.host, context.platform);
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
