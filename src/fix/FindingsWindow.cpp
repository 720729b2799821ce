// The details of one category after a scan, with check boxes and Ignore.
#include "fix/FindingsWindow.h"

namespace ql {

FindingsWindow::FindingsWindow(ui::FormHost& host, ScanState& state, Registry& registry,
                               ui::Messages& messages, Category category)
    : Form(host), state_(state), registry_(registry), messages_(messages), category_(category) {
  SetCaption("Details");
  SetClientSize({399, 461});
  SetPositionRule(ui::FormPosition::DesktopCenter);
  SetFont(ui::MakeFont("Arial", 11, true));
  ActionLabel.SetFont(ui::MakeFont("Verdana", 16, true));
  for (ui::ImageButton* button : {&Button1, &Button2}) {
    button->Caption->SetFont(ui::MakeFont("Verdana", 12, true));
    button->SetCursor(ui::Cursor::Hand);
  }
  Button1Label.SetAlignment(ui::Alignment::Center);
  Button2Label.SetAlignment(ui::Alignment::Center);
  Button1.OnClick = [this] { Button1Click(); };
  Button2.OnClick = [this] { Button2Click(); };
  InfoList.OnChange = [this] { TicksChanged(); };
  Fill();
}

void FindingsWindow::CreateForm() {
  ApplySkin("FORM2", {&Button1, &Button2});
}

void FindingsWindow::Fill() {
  rows_.clear();
  StringList lines;
  for (std::size_t fix = 0; fix < state_.Fixes.size(); ++fix) {
    if (state_.Fixes[fix].category == category_) {
      rows_.push_back(fix);
      lines.push_back(state_.Fixes[fix].description);
    }
  }
  InfoList.SetItems(lines, true);
  for (std::size_t row = 0; row < rows_.size(); ++row)
    InfoList.SetChecked(static_cast<int>(row), state_.IsTicked(state_.Fixes[rows_[row]]));
}

void FindingsWindow::TicksChanged() {
  for (std::size_t row = 0; row < rows_.size(); ++row)
    state_.SetTicked(state_.Fixes[rows_[row]], InfoList.Checked(static_cast<int>(row)));
}

// From the last selected line back, so that the places of the others stay valid.
void FindingsWindow::Button2Click() {
  const std::vector<int> selected = InfoList.SelectedIndices();
  if (selected.empty()) {
    messages_.ShowInformation("Please select the entries to ignore.");
    return;
  }
  bool stored = true;
  for (auto row = selected.rbegin(); row != selected.rend(); ++row) {
    const std::size_t fix = rows_[static_cast<std::size_t>(*row)];
    const FixedEntry& entry = state_.Fixes[fix];
    if (!StoreIgnored(registry_, FindingPath(entry), entry.file)) {
      stored = false;
      continue;
    }
    state_.Ignored.Insert(FindingPath(entry), entry.file);
    state_.Remove(fix);
  }
  Fill();
  if (!stored)
    messages_.ShowInformation("Some entries could not be added to the ignore list.");
}

void ShowFindings(ui::FormHost& host, ScanState& state, Registry& registry, ui::Messages& messages,
                  Category category) {
  const auto form = ui::MakeForm<FindingsWindow>(host, state, registry, messages, category);
  form->ShowModal();
}

}  // namespace ql
