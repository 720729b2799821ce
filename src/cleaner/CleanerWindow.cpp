// The system cleaner window ("Clean your system").
#include "cleaner/CleanerWindow.h"

#include <string>

#include "cleaner/FileSources.h"
#include "platform/ScopeGuard.h"
#include "paths/PathEllipsis.h"
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
constexpr char kCachesHint[] =
    "Web browsers keep copies of the pages, scripts and pictures you have seen so that they open "
    "faster. These copies may be removed; a browser that is running is left alone.";

constexpr ui::Color kPassRunning = ui::Rgb(128, 0, 128);
constexpr ui::Color kOutOfUse = ui::Rgb(128, 128, 128);

AnsiString CountText(std::size_t count, const AnsiString& suffix) {
  return std::to_string(count) + suffix;
}

AnsiString CleanedText(std::size_t count, std::uint64_t bytes) {
  AnsiString text = std::to_string(count) + " items cleaned!";
  if (bytes != 0)
    text += "\r\n" + SizeText(bytes) + " freed";
  return text;
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
  SetClientSize({398, 332});
  SetPositionRule(ui::FormPosition::MainFormCenter);
  SetFont(ui::MakeFont("Arial", 11, false, ui::colors::kGreyText));
  ActionLabel.SetFont(ui::MakeFont("Verdana", 16, true));
  const ui::Font lineFont = ui::MakeFont("Arial", 12, true, ui::colors::kGreyText, true);
  for (ui::Label* label : {&Label1a, &Label2a, &Label3a, &Label1c, &Label2c, &Label3c})
    label->SetFont(lineFont);
  for (ui::Label* label : {&Label1b, &Label2b, &Label3b, &Label1c, &Label2c, &Label3c, &InfoLabel})
    label->SetAlignment(ui::Alignment::Center);
  InfoLabel.SetFont(ui::MakeFont("Arial", 12, true, ui::colors::kGreyText));
  for (ui::Label* link : {&Label1c, &Label2c, &Label3c}) {
    link->SetCursor(ui::Cursor::Hand);
    link->OnClick = [this, link] { LabelClick(*link); };
  }
  Button1.OnClick = [this] { Button1Click(); };
  Button2.OnClick = [this] { Button2Click(); };
  Button3.OnClick = [this] { Button3Click(); };
  Button1.OnMouseMove = [this] { Button1MouseMove(); };
  Button2.OnMouseMove = [this] { Button2MouseMove(); };
  Button3.OnMouseMove = [this] { Button3MouseMove(); };
}

void CleanerWindow::CreateForm() {
  ApplySkin("FORM3", {&Button1, &Button2, &Button3});
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
  FilesList = FilesReport();
  ValuesList.clear();
  CachesList = FilesReport();
  for (ui::Label* count : {&Label1b, &Label2b, &Label3b})
    count->SetCaption(kNoneFound);
  for (ui::Label* link : {&Label1c, &Label2c, &Label3c})
    link->SetCaption(kWhatIsThis);
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
  InfoLabel.SetCaption(NothingFound() ? kNothingFound : kAskClean);
  CleanerScanned = true;
}

bool CleanerWindow::NothingFound() const {
  return FilesList.files.empty() && ValuesList.empty() && CachesList.files.empty();
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
  if (NothingFound()) {
    messages_.ShowInformation(kNothingFound);
    return;
  }
  FilesList = FilesReport();
  ValuesList.clear();
  CachesList = FilesReport();
  const BusyFlag busy(CleanerBusy);
  BeginPass(Button2Label, Button1Label, Button3Label);
  RunPasses(true, kCleaned);
  EndPass(Button2Label, "Clean", Button1Label, Button3Label, kWhatIsThis);
  // What could not be deleted stays readable behind the line's link.
  if (!FilesList.notes.empty())
    Label1c.SetCaption(kDetails);
  if (!CachesList.notes.empty())
    Label3c.SetCaption(kDetails);
  InfoLabel.SetCaption(kAskScan);
  messages_.ShowInformation(
      CleanedText(FilesList.files.size() + ValuesList.size() + CachesList.files.size(),
                  FilesList.TotalBytes() + CachesList.TotalBytes()));
  CleanerScanned = false;
}

void CleanerWindow::BeginPass(ui::Label& runningButton, ui::Label& greyed1, ui::Label& greyed2) {
  runningButton.SetCaption("Stop");
  for (ui::Label* link : {&Label1c, &Label2c, &Label3c})
    link->SetEnabled(false);
  greyed1.SetTextColor(kOutOfUse);
  greyed2.SetTextColor(kOutOfUse);
}

void CleanerWindow::RunPasses(bool deleteItems, const AnsiString& countSuffix) {
  Label1a.SetTextColor(kPassRunning);
  CleanTemporaryFiles(deleteItems);
  Label1a.SetTextColor(ui::colors::kGreyText);
  Label1b.SetCaption(CountText(FilesList.files.size(), countSuffix));
  platform_.pump.ProcessMessages();
  if (!CleanerBusy)
    return;
  Label2a.SetTextColor(kPassRunning);
  passes_.CleanApplicationsHistory(kCurrentUser, kSoftwareKey, deleteItems, ValuesList);
  Label2a.SetTextColor(ui::colors::kGreyText);
  Label2b.SetCaption(CountText(ValuesList.size(), countSuffix));
  platform_.pump.ProcessMessages();
  if (!CleanerBusy)
    return;
  Label3a.SetTextColor(kPassRunning);
  CleanBrowserCaches(deleteItems);
  Label3a.SetTextColor(ui::colors::kGreyText);
  Label3b.SetCaption(CountText(CachesList.files.size(), countSuffix));
}

// The internet cache pass first, then the temporary folder, which leaves the internet cache to
// the pass or the line that cleans it.
void CleanerWindow::CleanTemporaryFiles(bool deleteItems) {
  passes_.CleanDir(CacheFolder, deleteItems, FilesList);
  Files& files = platform_.files;
  for (const FileSource& source :
       TemporaryFolderSources(files, files.TemporaryFolder(), {CacheFolder})) {
    if (CleanerBusy)
      passes_.CleanSource(source, deleteItems, FilesList);
  }
}

void CleanerWindow::CleanBrowserCaches(bool deleteItems) {
  const BrowserCaches caches = FindBrowserCaches(
      platform_.files, platform_.processes, platform_.system.ShellFolderPath(csidl::kLocalAppData),
      CacheFolder, WalkedInternetCache());
  for (const AnsiString& browser : caches.running)
    CachesList.notes.push_back("Skipped while running: " + browser);
  for (const FileSource& source : caches.sources) {
    if (CleanerBusy)
      passes_.CleanSource(source, deleteItems, CachesList);
  }
}

AnsiString CleanerWindow::WalkedInternetCache() const {
  return PassesTemporaryGuard(CacheFolder) ? CacheFolder : AnsiString();
}

void CleanerWindow::EndPass(ui::Label& runningButton, const AnsiString& caption, ui::Label& other1,
                            ui::Label& other2, const AnsiString& linkCaption) {
  runningButton.SetCaption(caption);
  other1.SetTextColor(ui::colors::kBlack);
  other2.SetTextColor(ui::colors::kBlack);
  for (ui::Label* link : {&Label1c, &Label2c, &Label3c}) {
    link->SetCaption(linkCaption);
    link->SetEnabled(true);
  }
}

void CleanerWindow::Button3Click() {
  Close();
}

void CleanerWindow::LabelClick(const ui::Label& sender) {
  if (&sender == &Label1c)
    ShowLink(Label1a, FilesList.DetailLines(), !FilesList.notes.empty(), kFilesHint);
  else if (&sender == &Label2c)
    ShowLink(Label2a, ValuesList, false, kValuesHint);
  else
    ShowLink(Label3a, CachesList.DetailLines(), !CachesList.notes.empty(), kCachesHint);
}

// After a scan the details; after a clean that left files behind, the details of what stayed;
// otherwise the hint.
void CleanerWindow::ShowLink(const ui::Label& name, const StringList& lines, bool leftBehind,
                             const char* hint) {
  if (!CleanerScanned && !leftBehind)
    ShowHint(Host(), name.Caption(), hint);
  else if (lines.empty())
    messages_.ShowInformation("No items found!");
  else
    ShowDetails(Host(), lines);
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
