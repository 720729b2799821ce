// The registry scan and fix window.
#include "fix/ScanWindow.h"

#include <algorithm>

#include "fix/FindingsWindow.h"
#include "paths/PathEllipsis.h"
#include "paths/PathResolution.h"
#include "platform/ScopeGuard.h"
#include "ui/HintWindow.h"

namespace ql {

namespace {

// The explanation the hint window gives for each row.
constexpr std::array<const char*, kCategoryCount> kScanHints = {
    "Notepad opens when you click file with \"txt\" extension. When extension exists and "
    "application does not this relation is incorrect.",
    "Windows proposes some programs when you open unknown file. Some of these programs may be "
    "incorrect.",
    "Many programs use common libraries. If these libraries do not exist this relation is "
    "incorrect.",
    "Path of registered programs in Windows may be incorrect. \"Quillon\" solves this problem.",
    "Com/ActiveX section provides work of many programs.",
    "In startup/uninstall section programs which don't exist may be placed. Their links may be "
    "removed.",
    "Font/Help/Sound file links exist only in registry. These links may be removed.",
};

constexpr char kPrompt[] = "Please click \"Scan\" button.";
constexpr char kNoProblems[] = "No problems found in your system!";
constexpr char kNoCount[] = "0 errors found";
constexpr char kWhatIsThis[] = "What is this?";
constexpr ui::Color kTitleColor = ui::colors::kGreyText;
constexpr ui::Color kRunningTitleColor = ui::Rgb(128, 0, 128);
constexpr ui::Color kBusyButtonColor = ui::Rgb(128, 128, 128);

}  // namespace

ScanWindow::ScanWindow(ui::FormHost& host, Platform& platform, ui::Messages& messages,
                       const AnsiString& undoFolder)
    : Form(host),
      platform_(platform),
      messages_(messages),
      undoFolder_(undoFolder),
      rows_{{{&Label1a, &Label1b, &Label1c},
             {&Label2a, &Label2b, &Label2c},
             {&Label3a, &Label3b, &Label3c},
             {&Label4a, &Label4b, &Label4c},
             {&Label5a, &Label5b, &Label5c},
             {&Label6a, &Label6b, &Label6c},
             {&Label7a, &Label7b, &Label7c}}} {
  SetCaption(" Fix registry problems");
  SetClientSize({399, 461});
  SetPositionRule(ui::FormPosition::DesktopCenter);
  SetFont(ui::MakeFont("Arial", 12, true, kTitleColor));
  ActionLabel.SetFont(ui::MakeFont("Verdana", 16, true));
  for (ui::ImageButton* button : {&Button1, &Button2, &Button3}) {
    button->Caption->SetFont(ui::MakeFont("Verdana", 12, true));
    button->SetCursor(ui::Cursor::Hand);
  }
  Button1Label.SetAlignment(ui::Alignment::Center);
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    rows_[i].title->SetFont(ui::MakeFont("Arial", 12, true, kTitleColor, true));
    rows_[i].count->SetAlignment(ui::Alignment::Center);
    rows_[i].link->SetFont(ui::MakeFont("Arial", 12, true, kTitleColor, true));
    rows_[i].link->SetAlignment(ui::Alignment::Center);
    rows_[i].link->SetCursor(ui::Cursor::Hand);
    rows_[i].link->OnClick = [this, i] { DetailsClick(i); };
  }
  InfoLabel.SetAlignment(ui::Alignment::Center);
  Button1.OnClick = [this] { Button1Click(); };
  Button2.OnClick = [this] { Button2Click(); };
  Button3.OnClick = [this] { Button3Click(); };
  Button2.OnMouseMove = [this] { Button2MouseMove(); };
  Button3.OnMouseMove = [this] { Button3MouseMove(); };
  scanner_.SetStatusSink(
      [this](const AnsiString& text, StatusForm form) { ShowStatus(text, form); });
  ShowForm();
}

void ScanWindow::CreateForm() {
  ApplySkin("FORM2", {&Button1, &Button2, &Button3});
}

void ScanWindow::ShowForm() {
  state_.Reset();
  for (const Row& row : rows_)
    row.count->SetCaption(kNoCount);
  SetLinks(kWhatIsThis, true);
  InfoLabel.SetCaption(kPrompt);
}

void ScanWindow::CloseForm(bool& allow) {
  if (state_.Scanning) {
    allow = false;
    return;
  }
  ShowForm();
  const AnsiString fixScript = undoFolder_ + kFixScriptFileName;
  if (FileExists(platform_.files, fixScript))
    platform_.files.RemoveFile(fixScript);
}

void ScanWindow::WndImageMouseMove() {
  if (!state_.Scanning) {
    ResetButtons();
    return;
  }
  Button1.ShowRest();
}

void ScanWindow::Button2MouseMove() {
  if (!state_.Scanning)
    HoverButton(Button2);
}

void ScanWindow::Button3MouseMove() {
  if (!state_.Scanning)
    HoverButton(Button3);
}

void ScanWindow::Button1Click() {
  if (!state_.Scanning) {
    Scan();
    return;
  }
  if (messages_.AskConfirmation("Cancel scanning?"))
    state_.Scanning = false;
}

void ScanWindow::Scan() {
  pipeline_.RefreshFolders();
  ShowForm();
  state_.Ignored = IgnoreList::Read(platform_.registry, platform_.codePage);
  Button1Label.SetCaption("Stop");
  SetLinks(kWhatIsThis, false);
  SetOtherButtonsColor(kBusyButtonColor);
  pipeline_.PrepareFixScripts();
  {
    // Stop clears the flag while the scan runs; the loop and the checks look at it.
    const BusyFlag scanning(state_.Scanning);
    const std::vector<ScanStep>& steps = ScanSteps();
    for (std::size_t i = 0; i < steps.size(); ++i) {
      RunStep(steps[i]);
      if (i + 1 == steps.size())
        break;
      platform_.pump.ProcessMessages();
      if (!state_.Scanning)
        break;
    }
  }
  EndScan();
}

void ScanWindow::RunStep(const ScanStep& step) {
  const Row& row = rows_[static_cast<std::size_t>(step.category)];
  row.title->SetTextColor(kRunningTitleColor);
  for (const auto& check : step.checks)
    check(scanner_);
  row.title->SetTextColor(kTitleColor);
  ShowCount(step.category);
}

// "3 of 5 errors found" once the user has unticked some, shortened when the label is too narrow.
void ScanWindow::ShowCount(Category category) {
  ui::Label& count = *rows_[static_cast<std::size_t>(category)].count;
  const std::size_t found = state_.ErrorsOf(category).size();
  const std::size_t ticked = state_.TickedCount(category);
  if (ticked == found) {
    count.SetCaption(std::to_string(found) + " errors found");
    return;
  }
  const AnsiString part = std::to_string(ticked) + " of " + std::to_string(found);
  const AnsiString full = part + " errors found";
  count.SetCaption(count.TextWidth(full) <= count.Width() ? full : part + " to fix");
}

AnsiString ScanWindow::EndOfScanText() const {
  return state_.ErrorCount > 0 ? "To fix these errors please click \"Fix\" button." : kNoProblems;
}

void ScanWindow::EndScan() {
  Button1Label.SetCaption("Scan");
  SetOtherButtonsColor(ui::colors::kBlack);
  SetLinks("Details", true);
  InfoLabel.SetCaption(EndOfScanText());
  state_.Scanned = true;
}

void ScanWindow::Button2Click() {
  if (state_.Scanning)
    return;
  if (!state_.Scanned) {
    messages_.ShowInformation(kPrompt);
    return;
  }
  if (state_.ErrorCount == 0) {
    messages_.ShowInformation(kNoProblems);
    return;
  }
  if (std::none_of(state_.Fixes.begin(), state_.Fixes.end(),
                   [this](const FixedEntry& entry) { return state_.IsTicked(entry); })) {
    messages_.ShowInformation("Please tick the errors to fix.");
    return;
  }
  // A fix that fails keeps the findings as the user saw and ticked them.
  const ScanState found = state_;
  scanner_.RecheckFindings();
  try {
    const std::uint32_t fixed = pipeline_.WriteFixFiles();
    messages_.ShowInformation(std::to_string(fixed) + " errors fixed!");
  } catch (const FixError& error) {
    state_ = found;
    messages_.ShowInformation(error.what());
    return;
  }
  // What the registry editor did not change, and what was left out, is found again.
  Scan();
}

void ScanWindow::DetailsClick(std::size_t row) {
  if (!state_.Scanned) {
    ShowHint(Host(), rows_[row].title->Caption(), kScanHints[row]);
    return;
  }
  if (state_.CategoryErrors[row].empty()) {
    messages_.ShowInformation("No errors found in this section!");
    return;
  }
  ShowFindings(Host(), state_, platform_.registry, messages_, static_cast<Category>(row));
  for (std::size_t category = 0; category < kCategoryCount; ++category)
    ShowCount(static_cast<Category>(category));
  InfoLabel.SetCaption(EndOfScanText());
}

void ScanWindow::ShowStatus(const AnsiString& text, StatusForm form) {
  if (form == StatusForm::Unchanged) {
    InfoLabel.SetCaption(text);
    return;
  }
  InfoLabel.SetCaption(MinimizePath(text, InfoLabel.Width(), [this](const AnsiString& part) {
    return InfoLabel.TextWidth(part);
  }));
}

void ScanWindow::SetLinks(const AnsiString& caption, bool enabled) {
  for (const Row& row : rows_) {
    row.link->SetCaption(caption);
    row.link->SetEnabled(enabled);
  }
}

void ScanWindow::SetOtherButtonsColor(ui::Color color) {
  Button2Label.SetTextColor(color);
  Button3Label.SetTextColor(color);
}

void ShowScanWindow(ui::FormHost& host, Platform& platform, ui::Messages& messages,
                    const AnsiString& undoFolder) {
  const auto form = ui::MakeForm<ScanWindow>(host, platform, messages, undoFolder);
  form->ShowModal();
}

}  // namespace ql
