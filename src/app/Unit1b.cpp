// Unit1b: the worked-programs window TForm1b, which lists the running programs every second and
// raises, lowers or ends the selected one.
#include "app/Unit1b.h"

#include <vector>

#include "app/Unit1bPrograms.h"
#include "platform/ScopeGuard.h"
#include "ui/Unit5a.h"
#include "ui/Unit5b.h"

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

TForm1b::TForm1b(ui::FormHost& host, const Platform& platform) : Form(host), platform_(platform) {
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
  CheckBox1.OnClick = [this] { GetProcessList(); };
  Timer.OnTimer = [this] { GetProcessList(); };
}

void TForm1b::CreateForm() {
  ApplySkin("FORM2", {&Button4});
}

void TForm1b::ShowForm() {
  CheckBox1.SetChecked(false);
  InfoList.SetColWidth(0, kNameColumnWidth);
  refreshing_ = false;
  GetProcessList();
  Timer.SetEnabled(true);
}

void TForm1b::CloseForm(bool& allow) {
  if (refreshing_) {
    allow = false;
    return;
  }
  Timer.SetEnabled(false);
}

bool TForm1b::WMNCHitTest(ui::Point offset) const {
  return offset.y < ActionLabel.Top();
}

// Pending messages are processed at the start and the end, so a timer tick can arrive in the
// middle; such a nested refresh is skipped rather than rebuilding the list twice.
void TForm1b::GetProcessList() {
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

AnsiString TForm1b::SelectedProgram() const {
  if (refreshing_ || InfoList.Row() == 0)
    return "";
  return InfoList.Cell(0, InfoList.Row());
}

void TForm1b::SetPriorityOfSelected(std::uint32_t priorityClass) {
  const AnsiString name = SelectedProgram();
  if (name.empty())
    return;
  SetPriorityOfProgram(platform_.processes, name, priorityClass);
  GetProcessList();
}

void TForm1b::Button1Click() {
  SetPriorityOfSelected(priority::kHigh);
}

void TForm1b::Button2Click() {
  SetPriorityOfSelected(priority::kNormal);
}

void TForm1b::Button3Click() {
  const AnsiString name = SelectedProgram();
  if (name.empty())
    return;
  switch (CheckUnload(name, platform_.system.ExecutablePath())) {
    case UnloadCheck::Protected:
      ui::ShowInformation("Unload impossible!");
      return;
    case UnloadCheck::OwnProgram:
      return;
    case UnloadCheck::Allowed:
      break;
  }
  if (!ui::AskConfirmation("Unload program?"))
    return;
  EndProgram(platform_.processes, name);
  GetProcessList();
}

void TForm1b::Button4Click() {
  Close();
}

}  // namespace ql
