// The worked-programs window, which lists the running programs every second and raises, lowers
// or ends the selected one.
#include "app/WorkedProgramsWindow.h"

#include <vector>

#include "app/ProcessListRules.h"
#include "platform/ScopeGuard.h"

namespace ql {

namespace {

constexpr ui::Color kLinkColor = ui::Rgb(51, 102, 102);
constexpr int kNameColumnWidth = 100;
constexpr int kPriorityColumnWidth = 80;

void StyleLink(ui::Label& link) {
  link.SetFont(ui::MakeFont("Verdana", 12, true, kLinkColor, true));
  link.SetCursor(ui::Cursor::Hand);
}

}  // namespace

WorkedProgramsWindow::WorkedProgramsWindow(ui::FormHost& host, const Platform& platform,
                                           ui::Messages& messages)
    : Form(host), platform_(platform), messages_(messages) {
  SetCaption("Worked programs");
  SetClientSize({399, 461});
  SetPositionRule(ui::FormPosition::MainFormCenter);
  SetFont(ui::MakeFont("Arial", 11, false, ui::colors::kGreyText));
  ActionLabel.SetFont(ui::MakeFont("Verdana", 16, true));
  InfoList.SetColWidth(1, kPriorityColumnWidth);
  for (ui::Label* link : {&Button1Label, &Button2Label, &Button3Label})
    StyleLink(*link);
  CheckBox1.SetBackColor(ui::colors::kCheckBack);

  Button1Label.OnClick = [this] { Button1Click(); };
  Button2Label.OnClick = [this] { Button2Click(); };
  Button3Label.OnClick = [this] { Button3Click(); };
  Button4.OnClick = [this] { Button4Click(); };
  CheckBox1.OnClick = [this] { RefreshList(); };
  Timer.OnTimer = [this] { RefreshList(); };
}

void WorkedProgramsWindow::CreateForm() {
  ApplySkin("FORM2", {&Button4});
}

void WorkedProgramsWindow::ShowForm() {
  CheckBox1.SetChecked(false);
  InfoList.SetColWidth(0, kNameColumnWidth);
  refreshing_ = false;
  RefreshList();
  Timer.SetEnabled(true);
}

void WorkedProgramsWindow::CloseForm(bool& allow) {
  if (refreshing_) {
    allow = false;
    return;
  }
  Timer.SetEnabled(false);
}

bool WorkedProgramsWindow::WMNCHitTest(ui::Point offset) const {
  return offset.y < ActionLabel.Top();
}

// Pending messages are processed at the start and the end, so a timer tick can arrive in the
// middle; such a nested refresh is skipped rather than rebuilding the list twice.
void WorkedProgramsWindow::RefreshList() {
  if (refreshing_)
    return;
  {
    const BusyFlag busy(refreshing_);
    SetCursor(ui::Cursor::Hourglass);
    ScopeExit cursor([this] { SetCursor(ui::Cursor::Default); });
    platform_.pump.ProcessMessages();
    // Read after the pump, so that a row the user picked meanwhile is the one kept.
    const int previousRow = InfoList.Row();
    const AnsiString previousName = InfoList.Cell(0, previousRow);

    const std::vector<ProgramRow> rows = ListPrograms(platform_.processes, CheckBox1.Checked());
    const int count = static_cast<int>(rows.size());
    InfoList.SetRowCount(count);
    for (int row = 0; row < count; ++row) {
      InfoList.SetCell(0, row, rows[row].exeName);
      InfoList.SetCell(1, row, rows[row].priority);
    }
    const int keep = RowToKeep(rows, previousRow, previousName);
    if (keep >= 0)
      InfoList.SetRow(keep);
  }
  platform_.pump.ProcessMessages();
}

AnsiString WorkedProgramsWindow::SelectedProgram() const {
  if (refreshing_ || InfoList.Row() == 0)
    return "";
  return InfoList.Cell(0, InfoList.Row());
}

void WorkedProgramsWindow::SetPriorityOfSelected(std::uint32_t priorityClass) {
  const AnsiString name = SelectedProgram();
  if (name.empty())
    return;
  SetPriorityOfProgram(platform_.processes, name, priorityClass);
  RefreshList();
}

void WorkedProgramsWindow::Button1Click() {
  SetPriorityOfSelected(priority::kHigh);
}

void WorkedProgramsWindow::Button2Click() {
  SetPriorityOfSelected(priority::kNormal);
}

void WorkedProgramsWindow::Button3Click() {
  const AnsiString name = SelectedProgram();
  if (name.empty())
    return;
  switch (CheckUnload(name, platform_.system.ExecutablePath())) {
    case UnloadCheck::Protected:
      messages_.ShowInformation("Unload impossible!");
      return;
    case UnloadCheck::OwnProgram:
      return;
    case UnloadCheck::Allowed:
      break;
  }
  if (!messages_.AskConfirmation("Unload program?"))
    return;
  EndProgram(platform_.processes, name);
  RefreshList();
}

void WorkedProgramsWindow::Button4Click() {
  Close();
}

}  // namespace ql
