// The system cleaner window ("Clean your system").
#include "cleaner/CleanerWindow.h"

#include <string>

#include "platform/ScopeGuard.h"
#include "registry/PathEllipsis.h"
#include "ui/DetailsWindow.h"
#include "ui/HintWindow.h"

namespace ql {

namespace {

constexpr char kAskScan[] = "Please click \"Scan\" button.";
constexpr char kNothingFound[] = "No problems found in your system!";
constexpr char kAskClean[] = "To clean these items please click \"Clean\" button.";
constexpr char kAskStop[] = "Cancel scanning?";
constexpr char kWhatIsThis[] = "What is this?";
constexpr char kDetails[] = "Details";
constexpr char kNoneFound[] = "0 items found";
constexpr char kFound[] = " items found";
constexpr char kCleaned[] = " items cleaned";
constexpr char kSoftwareKey[] = "\\Software\\";
constexpr char kFilesHint[] =
    "When you surf the web information from webpages is stored on your computer. These files may "
    "be removed.";
constexpr char kValuesHint[] =
    "Some programs stored temporary values in Windows registry. These links may be removed.";

constexpr ui::Color kPassRunning = ui::Rgb(128, 0, 128);
constexpr ui::Color kOutOfUse = ui::Rgb(128, 128, 128);

AnsiString CountText(const StringList& list, const AnsiString& suffix) {
  return std::to_string(list.size()) + suffix;
}

}  // namespace

AnsiString InternetCacheFolder(System& system) {
  AnsiString folder = system.ShellFolderPath(csidl::kInternetCache);
  if (!folder.empty() && folder.back() != '\\')
    folder += '\\';
  return folder;
}

CleanerWindow::CleanerWindow(ui::FormHost& host, const Platform& platform, ui::Messages& messages)
    : Form(host),
      platform_(platform),
      messages_(messages),
      passes_(platform.files, platform.registry, platform.pump, CleanerBusy, *this) {
  SetCaption("Clean your system");
  SetClientSize({398, 300});
  SetPositionRule(ui::FormPosition::MainFormCenter);
  SetFont(ui::MakeFont("Arial", 11, false, ui::colors::kGreyText));
  ActionLabel.SetFont(ui::MakeFont("Verdana", 16, true));
  const ui::Font lineFont = ui::MakeFont("Arial", 12, true, ui::colors::kGreyText, true);
  for (ui::Label* label : {&Label1a, &Label2a, &Label1c, &Label2c})
    label->SetFont(lineFont);
  for (ui::Label* label : {&Label1b, &Label2b, &Label1c, &Label2c, &InfoLabel})
    label->SetAlignment(ui::Alignment::Center);
  Label1c.SetCursor(ui::Cursor::Hand);
  Label2c.SetCursor(ui::Cursor::Hand);
  InfoLabel.SetFont(ui::MakeFont("Arial", 12, true, ui::colors::kGreyText));
  Label1c.OnClick = [this] { LabelClick(Label1c); };
  Label2c.OnClick = [this] { LabelClick(Label2c); };
  Button1.OnClick = [this] { Button1Click(); };
  Button2.OnClick = [this] { Button2Click(); };
  Button3.OnClick = [this] { Button3Click(); };
  Button1.OnMouseMove = [this] { Button1MouseMove(); };
  Button2.OnMouseMove = [this] { Button2MouseMove(); };
  Button3.OnMouseMove = [this] { Button3MouseMove(); };
}

void CleanerWindow::CreateForm() {
  ApplySkin("FORM4", {&Button1, &Button2, &Button3});
  CacheFolder = InternetCacheFolder(platform_.system);
}

void CleanerWindow::ShowForm() {
  ResetWindow();
}

void CleanerWindow::CloseForm(bool& allow) {
  if (CleanerBusy) {
    allow = false;
    return;
  }
  ResetWindow();
}

void CleanerWindow::ResetWindow() {
  FilesList.clear();
  ValuesList.clear();
  Label1b.SetCaption(kNoneFound);
  Label2b.SetCaption(kNoneFound);
  Label1c.SetCaption(kWhatIsThis);
  Label2c.SetCaption(kWhatIsThis);
  InfoLabel.SetCaption(kAskScan);
  CleanerScanned = false;
  CleanerBusy = false;
}

void CleanerWindow::AskToStop() {
  if (messages_.AskConfirmation(kAskStop))
    CleanerBusy = false;
}

void CleanerWindow::Button1Click() {
  if (CleanerBusy) {
    AskToStop();
    return;
  }
  ResetWindow();
  const BusyFlag busy(CleanerBusy);
  BeginPass(Button1Label, Button2Label, Button3Label);
  RunPasses(false, kFound);
  EndPass(Button1Label, "Scan", Button2Label, Button3Label, kDetails);
  InfoLabel.SetCaption(FilesList.empty() && ValuesList.empty() ? kNothingFound : kAskClean);
  CleanerScanned = true;
}

void CleanerWindow::Button2Click() {
  if (Scanning())
    return;
  if (Cleaning()) {
    AskToStop();
    return;
  }
  if (!CleanerScanned) {
    messages_.ShowInformation(kAskScan);
    return;
  }
  if (FilesList.empty() && ValuesList.empty()) {
    messages_.ShowInformation(kNothingFound);
    return;
  }
  FilesList.clear();
  ValuesList.clear();
  const BusyFlag busy(CleanerBusy);
  BeginPass(Button2Label, Button1Label, Button3Label);
  RunPasses(true, kCleaned);
  EndPass(Button2Label, "Clean", Button1Label, Button3Label, kWhatIsThis);
  InfoLabel.SetCaption(kAskScan);
  messages_.ShowInformation(std::to_string(FilesList.size() + ValuesList.size()) +
                            " items cleaned!");
  CleanerScanned = false;
}

void CleanerWindow::BeginPass(ui::Label& runningButton, ui::Label& greyed1, ui::Label& greyed2) {
  runningButton.SetCaption("Stop");
  Label1c.SetEnabled(false);
  Label2c.SetEnabled(false);
  greyed1.SetTextColor(kOutOfUse);
  greyed2.SetTextColor(kOutOfUse);
}

void CleanerWindow::RunPasses(bool deleteItems, const AnsiString& countSuffix) {
  Label1a.SetTextColor(kPassRunning);
  passes_.CleanDir(CacheFolder, deleteItems, FilesList);
  Label1a.SetTextColor(ui::colors::kGreyText);
  Label1b.SetCaption(CountText(FilesList, countSuffix));
  platform_.pump.ProcessMessages();
  if (!CleanerBusy)
    return;
  Label2a.SetTextColor(kPassRunning);
  passes_.CleanApplicationsHistory(kCurrentUser, kSoftwareKey, deleteItems, ValuesList);
  Label2a.SetTextColor(ui::colors::kGreyText);
  Label2b.SetCaption(CountText(ValuesList, countSuffix));
}

void CleanerWindow::EndPass(ui::Label& runningButton, const AnsiString& caption, ui::Label& other1,
                            ui::Label& other2, const AnsiString& linkCaption) {
  runningButton.SetCaption(caption);
  other1.SetTextColor(ui::colors::kBlack);
  other2.SetTextColor(ui::colors::kBlack);
  for (ui::Label* link : {&Label1c, &Label2c}) {
    link->SetCaption(linkCaption);
    link->SetEnabled(true);
  }
}

void CleanerWindow::Button3Click() {
  Close();
}

void CleanerWindow::LabelClick(const ui::Label& sender) {
  const bool files = &sender == &Label1c;
  if (!CleanerScanned) {
    ShowHint(Host(), files ? Label1a.Caption() : Label2a.Caption(),
             files ? kFilesHint : kValuesHint);
    return;
  }
  const StringList& list = files ? FilesList : ValuesList;
  if (list.empty())
    messages_.ShowInformation("No items found!");
  else
    ShowDetails(Host(), list);
}

void CleanerWindow::Button1MouseMove() {
  if (!Cleaning())
    HoverButton(Button1);
}

void CleanerWindow::Button2MouseMove() {
  if (!Scanning())
    HoverButton(Button2);
}

void CleanerWindow::Button3MouseMove() {
  if (!CleanerBusy)
    HoverButton(Button3);
}

// While a pass runs, the grey texts of the buttons out of use, and the hover look of a Clean
// button that reads "Stop", stay as they are.
void CleanerWindow::WndImageMouseMove() {
  if (!CleanerBusy) {
    ResetButtons();
    return;
  }
  if (Button1.Hovered())
    Button1.ShowRest();
}

void CleanerWindow::ShowFolder(const AnsiString& folder) {
  if (folder != shownFolder_) {
    shownFolder_ = folder;
    shortenedFolder_ = MinimizePath(folder, InfoLabel.Width(), [this](const AnsiString& text) {
      return InfoLabel.TextWidth(text);
    });
  }
  InfoLabel.SetCaption(shortenedFolder_);
}

void CleanerWindow::ShowKey(const AnsiString& path) {
  InfoLabel.SetCaption(path);
}

}  // namespace ql
