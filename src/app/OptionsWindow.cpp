// The options window (start with Windows, start in the tray, no automatic memory freeing) and the
// list of registry findings the user ignored.
#include "app/OptionsWindow.h"

#include "app/OptionChoices.h"
#include "fix/IgnoreList.h"

namespace ql {

OptionsWindow::OptionsWindow(ui::FormHost& host, const Platform& platform, ui::Messages& messages,
                             ProgramState& state)
    : Form(host), platform_(platform), messages_(messages), state_(state) {
  SetCaption("Options");
  SetClientSize({300, 232});
  SetPositionRule(ui::FormPosition::DesktopCenter);
  SetFont(ui::MakeFont("Arial", 13, true));
  ActionLabel.SetFont(ui::MakeFont("Verdana", 16, true));
  for (ui::CheckBox* box : {&CheckBox1, &CheckBox2, &CheckBox3}) {
    box->SetFont(ui::MakeFont("Arial", 12, true, ui::Rgb(51, 102, 102)));
    box->SetBackColor(ui::colors::kCheckBack);
  }
  IgnoredLabel.SetFont(ui::MakeFont("Arial", 12, true, ui::Rgb(51, 102, 102)));
  ClearLabel.SetFont(ui::MakeFont("Arial", 12, true, ui::Rgb(51, 102, 102), true));
  ClearLabel.SetCursor(ui::Cursor::Hand);
  ClearLabel.OnClick = [this] { ClearClick(); };
  Button1.OnClick = [this] { Button1Click(); };
  Button2.OnClick = [this] { Button2Click(); };
}

void OptionsWindow::CreateForm() {
  ApplySkin("FORM6", {&Button1, &Button2});
}

void OptionsWindow::ShowForm() {
  const OptionChoices choices = ReadOptionChoices(platform_.registry, state_);
  CheckBox1.SetChecked(choices.startWithSystem);
  CheckBox2.SetChecked(choices.runMinimized);
  CheckBox3.SetChecked(choices.disableMemoryManagement);
  ShowIgnoredCount();
}

void OptionsWindow::ShowIgnoredCount() {
  const std::size_t count = CountIgnored(platform_.registry);
  IgnoredLabel.SetCaption("Ignored entries: " + std::to_string(count));
  ClearLabel.SetEnabled(count > 0);
}

void OptionsWindow::Button1Click() {
  const OptionChoices choices{CheckBox1.Checked(), CheckBox2.Checked(), CheckBox3.Checked()};
  const AnsiString outcome =
      SaveOptions(platform_.registry, platform_.system, platform_.tasks, choices, state_);
  Hide();
  messages_.ShowInformation(outcome);
  Close();
}

void OptionsWindow::Button2Click() {
  Close();
}

void OptionsWindow::ClearClick() {
  if (!messages_.AskConfirmation("Report the ignored registry entries again?"))
    return;
  if (!ClearIgnored(platform_.registry))
    messages_.ShowInformation("The list of ignored entries could not be cleared.");
  ShowIgnoredCount();
}

}  // namespace ql
