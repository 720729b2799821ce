// The main window's services and its notification-area icon on Win32.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>

#include "app/MainWindow.h"
#include "app/MainWindowServices.h"
#include "app/TrayIcon.h"
#include "platform/win32/UniqueHandle.h"
#include "ui/WindowBase.win32.h"

namespace ql::win32 {

// The icon of an executable (its first icon), or shell32.dll's generic program icon (index 2)
// when it has none or is not a program at all; null only when neither can be had.
UniqueHIcon ExtractProgramIcon(const AnsiString& path);

class Win32MainWindowServices final : public MainWindowServices {
 public:
  // mainWindow gives the main form's window (null before it exists).
  explicit Win32MainWindowServices(std::function<HWND()> mainWindow);

  std::uint32_t RegisterMessage(const AnsiString& name) override;
  void RestoreApplication() override;
  void SetShowMainFormAtStart(bool show) override { showMainFormAtStart_ = show; }
  ui::IconRef GetFileIcon(const AnsiString& path) override;
  WindowId MainWindow() override;

  bool ShowMainFormAtStart() const { return showMainFormAtStart_; }

 private:
  std::function<HWND()> mainWindow_;
  bool showMainFormAtStart_ = true;
  UniqueHIcon programIcon_;
};

// The message the shell sends the tray window for the icon's mouse events (in lParam).
constexpr UINT kTrayIconMessage = WM_APP + 1;

// The tray icon of the main form: a hidden window of its own receives the icon's mouse messages,
// the menu's commands and Explorer's "TaskbarCreated" (then the icon is added again). It is one of
// the program's windows, so an exception from a modal loop its menu opens reaches the message loop.
class Win32TrayIcon final : public ui::win32::WindowBase, public TrayIconView {
 public:
  Win32TrayIcon(MainWindow& form, HICON programIcon);
  Win32TrayIcon(const Win32TrayIcon&) = delete;
  Win32TrayIcon& operator=(const Win32TrayIcon&) = delete;
  ~Win32TrayIcon() override;

  void IconOrHintChanged(const TrayIcon& tray) override;
  void ShowBalloon(const AnsiString& title, const AnsiString& text, unsigned timeoutMs) override;

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnIconEvent(UINT mouseMessage);
  void ShowMenu();
  NOTIFYICONDATAA IconData(UINT flags) const;
  void AddIcon();

  MainWindow& form_;
  HICON programIcon_;
  UINT taskbarCreated_ = 0;
};

}  // namespace ql::win32
