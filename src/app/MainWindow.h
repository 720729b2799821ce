// The main window with the accelerator, the memory manager, the tray icon and the tray menu, and
// the application-wide handling of the restore and close requests.
#pragma once

#include <array>
#include <cstdint>

#include "accel/Accelerator.h"
#include "accel/MemoryManager.h"
#include "app/MainWindowServices.h"
#include "app/ProgramState.h"
#include "app/ToolWindows.h"
#include "app/TrayIcon.h"
#include "platform/platform.h"
#include "ui/Form.h"
#include "ui/Messages.h"

namespace ql {

constexpr char kApplicationTitle[] = "Quillon";
constexpr char kRestoreMessageName[] = "QuillonRestore";
constexpr char kCloseMessageName[] = "QuillonClose";
constexpr std::uintptr_t kRestoreRequest = 1034;  // wParam of a restore request
constexpr std::uintptr_t kCloseRequest = 1134;    // wParam of a close request
constexpr char kTallowmereAddress[] = "http://www.tallowmere.example/download/";
constexpr char kHelpFileName[] = "\\Quillon.chm";

// Commands of the tray menu and of the main window's buttons, as WM_COMMAND identifiers: other
// programs may send them to the main window (they are listed in the README).
namespace command {
constexpr int kFixRegistry = 40001;
constexpr int kCleanSystem = 40002;
constexpr int kUndoManager = 40003;
constexpr int kOptions = 40004;
constexpr int kClose = 40005;
constexpr int kWorkedPrograms = 40006;
constexpr int kAbout = 40007;
constexpr int kHelp = 40008;
constexpr int kMinimize = 40009;
constexpr int kFreeMemory = 40010;
}  // namespace command

struct MenuEntry {
  const char* name;
  const char* caption;  // "-" is a separator
  int command;          // 0 for a separator
};

// PopupMenu1, the tray menu, in its order.
extern const std::array<MenuEntry, 7> PopupMenu1;

class MainWindow : public ui::Form, private AccelView {
 public:
  // The messages and the state must outlive the window; CreateForm fills the state from the
  // settings.
  MainWindow(ui::FormHost& host, Platform& platform, MainWindowServices& services,
             ui::Messages& messages, ProgramState& state);

  void CreateForm() override;
  void ShowForm() override;
  void CloseForm(bool& allow) override;
  void SessionEnding() override;
  void FormKeyDown(int key) override;
  bool WMNCHitTest(ui::Point offset) const override;
  void WndImageMouseMove() override;

  // The application-wide hook: every message any loop of the program takes from the queue.
  void MessageEvents(std::uint32_t message, std::uintptr_t wParam);
  // A command of the tray menu or from another program; false when the identifier is unknown.
  bool ExecuteCommand(int commandId);

  void Button1Click();
  void Button2Click();
  void IconClick();
  void TrayMouseMove();
  void TopButton1Click();
  void TopButton2Click();
  void TopButton3Click();
  void InfoLabel1aClick();
  void InfoLabel3bClick() { memory_.RunManualPass(); }
  void AdsLabel3Click();
  void MenuItem1Click();
  void MenuItem2Click();
  void MenuItem3Click();
  void ProcessTimerEvent() { accelerator_.ProcessTimerEvent(); }
  void MemTimerEvent() { memory_.MemTimerEvent(); }
  void Button2MouseMove();
  void CircleMouseMove();

  Accelerator& Accel() { return accelerator_; }
  MemoryManager& Memory() { return memory_; }
  std::uint32_t RestoreMessage = 0;
  std::uint32_t CloseMessage = 0;

  ui::Picture LogoImage{*this, "LogoImage", {31, 33, 34, 34}};
  ui::Label CopyrightLabel{*this, "CopyrightLabel", {128, 62}, "Copyright \xA9 2026 Kestrelworks"};
  ui::Label AdsLabel1{*this, "AdsLabel1", {84, 88}, "Want more performance? Try"};
  ui::Label AdsLabel3{*this, "AdsLabel3", {252, 88}, "Tallowmere!"};
  ui::Picture Animation{*this, "Animation", {374, 62, 7, 7}};
  ui::Picture IconImage{*this, "IconImage", {406, 58, 32, 32}};
  ui::Picture TopButton1A{*this, "TopButton1A", {427, 6, 20, 18}};
  ui::Picture TopButton1B{*this, "TopButton1B", {427, 6, 20, 18}};
  ui::Picture TopButton2A{*this, "TopButton2A", {459, 27, 20, 18}};
  ui::Picture TopButton2B{*this, "TopButton2B", {459, 27, 20, 18}};
  ui::Picture TopButton3A{*this, "TopButton3A", {471, 59, 20, 18}};
  ui::Picture TopButton3B{*this, "TopButton3B", {471, 59, 20, 18}};
  ui::Label InfoLabel1a{*this, "InfoLabel1a", {152, 136, 110, 14}, "Worked programs:"};
  ui::Label InfoLabel1b{*this, "InfoLabel1b", {264, 136}, "10"};
  ui::Label InfoLabel2a{*this, "InfoLabel2a", {64, 160, 300, 14}, "Accelerated program:"};
  ui::Label InfoLabel2b{*this, "InfoLabel2b", {80, 176, 270, 14}};
  ui::Label InfoLabel2c{*this, "InfoLabel2c", {100, 192, 230, 14}};
  ui::Label InfoLabel4a{*this, "InfoLabel4a", {144, 216}, "Processor loading (%) "};
  ui::Label InfoLabel4b{*this, "InfoLabel4b", {264, 216}, "0"};
  ui::Picture Button1A{*this, "Button1A", {82, 244, 108, 56}};
  ui::Picture Button1B{*this, "Button1B", {82, 244, 108, 56}};
  ui::Label Button1Label{*this, "Button1Label", {115, 274}, "Close"};
  ui::Picture Button2A{*this, "Button2A", {258, 246, 108, 56}};
  ui::Picture Button2B{*this, "Button2B", {258, 246, 108, 56}};
  ui::Label Button2Label{*this, "Button2Label", {286, 275}, "Minimize"};
  ui::Label InfoLabel3a{
      *this, "InfoLabel3a", {168, 296, 121, 28}, "Press button to increase free memory!  "};
  ui::Picture CircleA{*this, "CircleA", {75, 321, 72, 72}};
  ui::Picture CircleB{*this, "CircleB", {75, 321, 72, 72}};
  ui::Label InfoLabel3b{*this, "InfoLabel3b", {91, 346, 40, 24}, "50"};
  ui::Picture ProgressBar{*this, "ProgressBar", {167, 347, 125, 14}};

  ui::ImageButton TopButton1{*this, TopButton1A, TopButton1B, nullptr};
  ui::ImageButton TopButton2{*this, TopButton2A, TopButton2B, nullptr};
  ui::ImageButton TopButton3{*this, TopButton3A, TopButton3B, nullptr};
  ui::ImageButton Button1{*this, Button1A, Button1B, &Button1Label};
  ui::ImageButton Button2{*this, Button2A, Button2B, &Button2Label};
  ui::ImageButton Circle{*this, CircleA, CircleB, nullptr};

  ui::Timer ProcessTimer{*this, "ProcessTimer", 500};
  ui::Timer MemTimer{*this, "MemTimer", 4000};
  TrayIcon Tray;

 private:
  // What the accelerator and the memory manager show.
  void MoveDot(int left, int top) override;
  void ShowAcceleratedProgram(const AnsiString& path, const AnsiString& title) override;
  void ShowProgramIcon(const AnsiString& path) override;
  void ShowCounters(int processCount, std::uint32_t freePercent, std::int32_t cpuLoad) override;
  void ShowWindowBusy(bool busy) override;
  void ShowManualPassBusy(bool busy) override;
  void ShowProgress(int width) override;
  void HideProgress() override;

  void DeclareLooks();
  void BindHandlers();
  void LoadPictures();
  // The hover rule with this window's reset (WndImageMouseMove).
  void Hover(ui::ImageButton& button);
  ToolContext Tools() { return ToolContext{Host(), platform_, messages_, state_}; }

  Platform& platform_;
  MainWindowServices& services_;
  ui::Messages& messages_;
  ProgramState& state_;
  Accelerator accelerator_;
  MemoryManager memory_;
};

}  // namespace ql
