// The main window with the accelerator, the memory manager, the tray icon and the tray menu, and
// the application-wide handling of the restore and close requests.
#include "app/MainWindow.h"

#include <string>

#include "app/Settings.h"
#include "paths/PathEllipsis.h"
#include "ui/Skin.h"

namespace ql {

const std::array<MenuEntry, 7> PopupMenu1 = {{
    {"MenuItem1", "Fix registry problems", command::kFixRegistry},
    {"MenuItem2", "Clean your system", command::kCleanSystem},
    {"EmptyItem1", "-", 0},
    {"MenuItem3", "Undo manager", command::kUndoManager},
    {"MenuItem4", "Options", command::kOptions},
    {"EmptyItem2", "-", 0},
    {"MenuItem5", "Close", command::kClose},
}};

namespace {
constexpr ui::Color kGreen = ui::Rgb(0, 128, 0);
constexpr ui::Color kYellow = ui::Rgb(255, 255, 0);
constexpr ui::Color kIconBackground = ui::Rgb(0x76, 0xDD, 0x76);
constexpr int kDragBandBottom = 88;       // AdsLabel1's top
constexpr int kDragBandRight = 427 - 10;  // TopButton1A's left, less a margin
constexpr char kBalloonText[] =
    "Program work and accelerate your PC.\r"
    "Click right mouse button to fix registry problems\r"
    "and clean your system!";
constexpr unsigned kBalloonTimeoutMs = 10000;
}  // namespace

MainWindow::MainWindow(ui::FormHost& host, Platform& platform, MainWindowServices& services,
                       ui::Messages& messages, ProgramState& state)
    : ui::Form(host),
      platform_(platform),
      services_(services),
      messages_(messages),
      state_(state),
      accelerator_(platform.processes, platform.clock, *this, state.Memory),
      memory_(platform.system, platform.processes, platform.clock, platform.pump, accelerator_,
              *this, state.Memory) {
  SetCaption(kApplicationTitle);
  SetClientSize({500, 410});
  SetPositionRule(ui::FormPosition::DesktopCenter);
  DeclareLooks();
  BindHandlers();
}

void MainWindow::DeclareLooks() {
  CopyrightLabel.SetFont(ui::MakeFont("Arial", 9, false, ui::colors::kGreyText));
  AdsLabel1.SetFont(ui::MakeFont("Arial", 11, true));
  AdsLabel3.SetFont(ui::MakeFont("Arial", 11, true, ui::colors::kBlue, true))
      .SetCursor(ui::Cursor::Hand)
      .SetHint("Download Tallowmere now");
  IconImage.SetHint("Accelerated program");
  TopButton1A.SetHint("About");
  TopButton2A.SetHint("Help");
  TopButton3A.SetHint("Options");
  InfoLabel1a.SetFont(ui::MakeFont("Arial", 11, true, ui::colors::kBlue, true))
      .SetCursor(ui::Cursor::Hand);
  InfoLabel1b.SetFont(ui::MakeFont("Arial", 11, true));
  InfoLabel2a.SetFont(ui::MakeFont("Arial", 11, true)).SetAlignment(ui::Alignment::Center);
  InfoLabel2b.SetAlignment(ui::Alignment::Center);
  InfoLabel2c.SetAlignment(ui::Alignment::Center);
  InfoLabel3a.SetFont(ui::MakeFont("Arial", 11, false, kGreen)).SetWordWrap(true);
  Circle.SetCursor(ui::Cursor::Hand);
  InfoLabel3b.SetFont(ui::MakeFont("Arial", 24, true, kYellow))
      .SetAlignment(ui::Alignment::Center)
      .SetCursor(ui::Cursor::Hand)
      .SetHint("Free memory percent");
  ProgressBar.SetHint("Please wait").SetVisible(false);
  Animation.SetDrawnByForm(true);  // it moves twice a second
}

void MainWindow::BindHandlers() {
  Button1.OnClick = [this] { Button1Click(); };
  Button2.OnClick = [this] { Button2Click(); };
  for (ui::ImageButton* button : {&TopButton1, &TopButton2, &TopButton3, &Button1})
    button->OnMouseMove = [this, button] { Hover(*button); };
  Button2.OnMouseMove = [this] { Button2MouseMove(); };
  TopButton1.OnClick = [this] { TopButton1Click(); };
  TopButton2.OnClick = [this] { TopButton2Click(); };
  TopButton3.OnClick = [this] { TopButton3Click(); };
  Circle.OnClick = [this] { InfoLabel3bClick(); };
  Circle.OnMouseMove = [this] { CircleMouseMove(); };
  InfoLabel3b.OnClick = [this] { InfoLabel3bClick(); };
  InfoLabel3b.OnMouseMove = [this] { CircleMouseMove(); };
  InfoLabel1a.OnClick = [this] { InfoLabel1aClick(); };
  AdsLabel3.OnClick = [this] { AdsLabel3Click(); };
  ProcessTimer.OnTimer = [this] { ProcessTimerEvent(); };
  MemTimer.OnTimer = [this] { MemTimerEvent(); };
  Tray.OnClick = [this] { IconClick(); };
  Tray.OnMouseMove = [this] { TrayMouseMove(); };
}

void MainWindow::LoadPictures() {
  WndImage.LoadFromResource("MAINFORM");
  LogoImage.LoadFromResource("LOGO");
  Animation.LoadFromResource("DOT");
  ProgressBar.LoadFromResource("PROGRESS");
  const std::pair<ui::ImageButton*, const char*> buttons[] = {
      {&TopButton1, "TOPBUTTON1"}, {&TopButton2, "TOPBUTTON2"}, {&TopButton3, "TOPBUTTON3"},
      {&Button1, "BIGBUTTON"},     {&Button2, "BIGBUTTON"},     {&Circle, "CIRCLE"}};
  for (const auto& [button, resource] : buttons) {
    button->A.LoadFromResource(AnsiString(resource) + "A");
    button->B.LoadFromResource(AnsiString(resource) + "B");
    button->A.SetTransparentImage(true);
    button->B.SetTransparentImage(true);
  }
  Animation.SetTransparentImage(true);
}

void MainWindow::CreateForm() {
  LoadPictures();
  EnsureCompatibilityEntry(platform_.registry, platform_.system);
  InitProgramFolders(platform_.registry, platform_.files, platform_.system, state_);
  RestoreMessage = services_.RegisterMessage(kRestoreMessageName);
  CloseMessage = services_.RegisterMessage(kCloseMessageName);
  LoadSettings(platform_.registry, state_);
  accelerator_.Reset();
  ProcessTimer.SetInterval(500);
  MemTimer.SetInterval(4000);
  memory_.Reset();
  MemTimerEvent();
  if (state_.ShowMinimized)
    services_.SetShowMainFormAtStart(false);
  Tray.ShowBalloon(kApplicationTitle, kBalloonText, kBalloonTimeoutMs);
}

void MainWindow::ShowForm() {
  if (const auto& skin = WndImage.GetBitmap())
    SetWindowRegion(ui::CreateSkinRegion(*skin));
}

void MainWindow::CloseForm(bool& allow) {
  if (state_.Memory.MemoryBusy) {
    allow = false;
    return;
  }
  accelerator_.ReturnLastPriority();
}

// Windows may end the process after this without closing the window.
void MainWindow::SessionEnding() {
  accelerator_.EndSession();
}

void MainWindow::MessageEvents(std::uint32_t message, std::uintptr_t wParam) {
  if (message == 0)
    return;
  if (message == CloseMessage && wParam == kCloseRequest)
    Close();
  else if (message == RestoreMessage && wParam == kRestoreRequest)
    services_.RestoreApplication();
}

bool MainWindow::ExecuteCommand(int commandId) {
  switch (commandId) {
    case command::kFixRegistry:
      MenuItem1Click();
      return true;
    case command::kCleanSystem:
      MenuItem2Click();
      return true;
    case command::kUndoManager:
      MenuItem3Click();
      return true;
    case command::kOptions:
      TopButton3Click();
      return true;
    case command::kClose:
      Button1Click();
      return true;
    case command::kWorkedPrograms:
      InfoLabel1aClick();
      return true;
    case command::kAbout:
      TopButton1Click();
      return true;
    case command::kHelp:
      TopButton2Click();
      return true;
    case command::kMinimize:
      Button2Click();
      return true;
    case command::kFreeMemory:
      InfoLabel3bClick();
      return true;
    default:
      return false;
  }
}

void MainWindow::Button1Click() {
  if (state_.Memory.MemoryBusy)
    return;
  if (messages_.AskConfirmation("Are you sure to unload the program?"))
    Close();
}

void MainWindow::Button2Click() {
  if (state_.Memory.MemoryBusy)
    return;
  Hide();
}

void MainWindow::IconClick() {
  if (Visible())
    return;
  const ui::Size screen = Host().ScreenSize();
  const ui::Size size = ClientSize();
  SetPosition({(screen.width - size.width) / 2, (screen.height - size.height) / 2});
  Show();
}

void MainWindow::TrayMouseMove() {
  Tray.SetHint("Accelerated program:\r" + accelerator_.LastProgramPath +
               "\rFree memory: " + std::to_string(state_.Memory.CurrentMemory.FreePercent) + " %");
}

void MainWindow::TopButton1Click() {
  OpenAboutWindow(Tools());
}

void MainWindow::TopButton2Click() {
  const AnsiString helpFile = state_.ProgramFolder + kHelpFileName;
  std::uint32_t attributes = 0;
  if (platform_.files.GetAttributes(helpFile, attributes) &&
      (attributes & fileattr::kDirectory) == 0)
    platform_.shell.Open(helpFile, services_.MainWindow());
  else
    messages_.ShowInformation("Help file not found!");
}

void MainWindow::TopButton3Click() {
  if (state_.Memory.MemoryBusy)
    return;
  OpenOptionsWindow(Tools());
}

void MainWindow::InfoLabel1aClick() {
  if (state_.Memory.MemoryBusy)
    return;
  OpenWorkedProgramsWindow(Tools());
}

void MainWindow::AdsLabel3Click() {
  platform_.shell.Open(kTallowmereAddress, services_.MainWindow());
}

void MainWindow::MenuItem1Click() {
  OpenScanWindow(Tools());
}

void MainWindow::MenuItem2Click() {
  OpenCleanerWindow(Tools());
}

void MainWindow::MenuItem3Click() {
  OpenUndoManager(Tools());
}

void MainWindow::FormKeyDown(int key) {
  if (key == ui::keys::kF1)
    TopButton2Click();
  if (key == ui::keys::kEscape)
    Button1Click();
}

bool MainWindow::WMNCHitTest(ui::Point offset) const {
  return offset.y < kDragBandBottom && offset.x < kDragBandRight;
}

// During a memory pass the Minimize button and the circle keep whatever look they have.
void MainWindow::WndImageMouseMove() {
  for (ui::ImageButton* button :
       {&TopButton1, &TopButton2, &TopButton3, &Button1, &Button2, &Circle}) {
    const bool keepsLook = state_.Memory.MemoryBusy && (button == &Button2 || button == &Circle);
    if (button->Hovered() && !keepsLook)
      button->ShowRest();
  }
}

void MainWindow::Hover(ui::ImageButton& button) {
  if (button.Hovered())
    return;
  WndImageMouseMove();
  button.ShowHover();
}

void MainWindow::Button2MouseMove() {
  if (!state_.Memory.MemoryBusy)
    Hover(Button2);
}

void MainWindow::CircleMouseMove() {
  if (!state_.Memory.MemoryBusy)
    Hover(Circle);
}

void MainWindow::MoveDot(int left, int top) {
  Animation.SetPosition(left, top);
}

void MainWindow::ShowAcceleratedProgram(const AnsiString& path, const AnsiString& title) {
  InfoLabel2b.SetCaption(MinimizePath(path, InfoLabel2b.Width(), [this](const AnsiString& text) {
    return InfoLabel2b.TextWidth(text);
  }));
  InfoLabel2c.SetCaption(title);
}

void MainWindow::ShowProgramIcon(const AnsiString& path) {
  const ui::IconRef icon = services_.GetFileIcon(path);
  IconImage.SetBackColor(kIconBackground);
  IconImage.SetIcon(icon);
  Tray.SetIcon(icon);
}

void MainWindow::ShowCounters(int processCount, std::uint32_t freePercent, std::int32_t cpuLoad) {
  InfoLabel1b.SetCaption(std::to_string(processCount));
  InfoLabel3b.SetCaption(std::to_string(freePercent));
  InfoLabel4b.SetCaption(std::to_string(cpuLoad));
}

void MainWindow::ShowWindowBusy(bool busy) {
  SetCursor(busy ? ui::Cursor::Hourglass : ui::Cursor::Default);
}

void MainWindow::ShowManualPassBusy(bool busy) {
  SetCursor(busy ? ui::Cursor::Hourglass : ui::Cursor::Default);
  const ui::Cursor cursor = busy ? ui::Cursor::Hourglass : ui::Cursor::Hand;
  Button1.SetCursor(cursor);
  Button2.SetCursor(cursor);
  TopButton3.SetCursor(cursor);
  InfoLabel1a.SetCursor(cursor);
  Circle.SetCursor(cursor);
  InfoLabel3b.SetCursor(cursor);
}

// A picture of width 0 would take its bitmap's width, so the empty bar is not shown at all.
void MainWindow::ShowProgress(int width) {
  ProgressBar.SetSize(width, ProgressBar.Height()).SetVisible(width > 0);
}

void MainWindow::HideProgress() {
  ProgressBar.SetVisible(false);
}

}  // namespace ql
