// The main window's services and its notification-area icon on Win32.
#include "app/Win32Services.win32.h"

#include <cstring>

#include "platform/win32/SystemFunction.h"

namespace ql::win32 {

namespace {
constexpr UINT kIconId = 1;
constexpr char kTrayWindowClass[] = "QuillonTrayWindow";
constexpr int kGenericProgramIcon = 2;  // in shell32.dll

// ExtractIconA gives 1 for a file that is neither a program, a library nor an icon file.
UniqueHIcon FirstIcon(const char* path, UINT index) {
  HICON icon = ExtractIconA(GetModuleHandleA(nullptr), path, index);
  if (reinterpret_cast<UINT_PTR>(icon) <= 1)
    return UniqueHIcon();
  return UniqueHIcon(icon);
}

// An elevated program gets no registered message from Explorer, which runs at a lower integrity
// level, unless it lets the message through: "TaskbarCreated" must reach the tray window. For a
// program that is not elevated the filter lets nothing more through. The per-window filter is
// from Windows 7, the per-process one from Vista; before Vista neither exists nor is needed.
void AllowFromExplorer(HWND window, UINT message) {
  using WindowFilter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  using ProcessFilter = BOOL(WINAPI*)(UINT, DWORD);
  constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW, and MSGFLT_ADD for the per-process filter
  if (const auto filter = LookUpFunction<WindowFilter>("user32.dll", "ChangeWindowMessageFilterEx"))
    filter(window, message, kAllow, nullptr);
  else if (const auto old =
               LookUpFunction<ProcessFilter>("user32.dll", "ChangeWindowMessageFilter"))
    old(message, kAllow);
}

template <std::size_t N>
void CopyText(char (&target)[N], const AnsiString& text) {
  const std::size_t length = text.size() < N ? text.size() : N - 1;
  std::memcpy(target, text.data(), length);
  target[length] = '\0';
}
}  // namespace

UniqueHIcon ExtractProgramIcon(const AnsiString& path) {
  UniqueHIcon icon;
  if (!path.empty())
    icon = FirstIcon(path.c_str(), 0);
  if (!icon)
    icon = FirstIcon("shell32.dll", kGenericProgramIcon);
  return icon;
}

Win32MainWindowServices::Win32MainWindowServices(std::function<HWND()> mainWindow)
    : mainWindow_(std::move(mainWindow)) {}

std::uint32_t Win32MainWindowServices::RegisterMessage(const AnsiString& name) {
  return RegisterWindowMessageA(name.c_str());
}

// A main window hidden in the tray stays hidden; a minimised one comes back, and the window the
// user last worked in (the main window or a tool window over it) comes to the front.
void Win32MainWindowServices::RestoreApplication() {
  HWND main = mainWindow_();
  if (main == nullptr || !IsWindowVisible(main))
    return;
  if (IsIconic(main))
    ShowWindow(main, SW_RESTORE);
  SetForegroundWindow(GetLastActivePopup(main));
}

ui::IconRef Win32MainWindowServices::GetFileIcon(const AnsiString& path) {
  programIcon_ = ExtractProgramIcon(path);
  return reinterpret_cast<ui::IconRef>(programIcon_.get());
}

WindowId Win32MainWindowServices::MainWindow() {
  return reinterpret_cast<WindowId>(mainWindow_());
}

Win32TrayIcon::Win32TrayIcon(MainWindow& form, HICON programIcon)
    : form_(form), programIcon_(programIcon) {
  Create(kTrayWindowClass, 0, WS_POPUP, "", {0, 0, 0, 0}, nullptr);
  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
  if (taskbarCreated_ != 0 && Handle() != nullptr)
    AllowFromExplorer(Handle(), taskbarCreated_);
  form_.Tray.SetView(this);
}

Win32TrayIcon::~Win32TrayIcon() {
  form_.Tray.SetView(nullptr);
  if (Handle() != nullptr) {
    NOTIFYICONDATAA data = IconData(0);
    Shell_NotifyIconA(NIM_DELETE, &data);
  }
}

NOTIFYICONDATAA Win32TrayIcon::IconData(UINT flags) const {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = Handle();
  data.uID = kIconId;
  data.uFlags = flags;
  data.uCallbackMessage = kTrayIconMessage;
  const ui::IconRef icon = form_.Tray.Icon();
  data.hIcon = icon != 0 ? reinterpret_cast<HICON>(icon) : programIcon_;
  CopyText(data.szTip, form_.Tray.Hint());
  return data;
}

// Deleting first makes a second add after Explorer restarted (or a repeated call) harmless.
void Win32TrayIcon::AddIcon() {
  if (Handle() == nullptr)
    return;
  NOTIFYICONDATAA data = IconData(NIF_ICON | NIF_TIP | NIF_MESSAGE);
  Shell_NotifyIconA(NIM_DELETE, &data);
  Shell_NotifyIconA(NIM_ADD, &data);
}

void Win32TrayIcon::IconOrHintChanged(const TrayIcon&) {
  if (Handle() == nullptr)
    return;
  NOTIFYICONDATAA data = IconData(NIF_ICON | NIF_TIP | NIF_MESSAGE);
  if (!Shell_NotifyIconA(NIM_MODIFY, &data))
    AddIcon();
}

void Win32TrayIcon::ShowBalloon(const AnsiString& title, const AnsiString& text,
                                unsigned timeoutMs) {
  if (Handle() == nullptr)
    return;
  NOTIFYICONDATAA data = IconData(NIF_INFO);
  CopyText(data.szInfoTitle, title);
  CopyText(data.szInfo, text);
  data.uTimeout = timeoutMs;
  data.dwInfoFlags = NIIF_INFO;
  Shell_NotifyIconA(NIM_MODIFY, &data);
}

LRESULT Win32TrayIcon::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTrayIconMessage) {
    OnIconEvent(static_cast<UINT>(lParam));
    return 0;
  }
  if (message == WM_COMMAND && form_.ExecuteCommand(LOWORD(wParam)))
    return 0;
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    AddIcon();
    return 0;
  }
  return Default(message, wParam, lParam);
}

void Win32TrayIcon::OnIconEvent(UINT mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      if (form_.Tray.OnClick)
        form_.Tray.OnClick();
      break;
    case WM_MOUSEMOVE:
      if (form_.Tray.OnMouseMove)
        form_.Tray.OnMouseMove();
      break;
    case WM_RBUTTONUP:
      ShowMenu();
      break;
    default:
      break;
  }
}

// The tray window must be in front while the menu is open, or the menu would not close when the
// user clicks elsewhere; the empty message afterwards lets it close at once.
void Win32TrayIcon::ShowMenu() {
  UniqueHMenu menu(CreatePopupMenu());
  if (!menu)
    return;
  for (const MenuEntry& entry : PopupMenu1) {
    if (entry.command == 0)
      AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
    else
      AppendMenuA(menu.get(), MF_STRING, entry.command, entry.caption);
  }
  POINT cursor{};
  GetCursorPos(&cursor);
  SetForegroundWindow(Handle());
  const int chosen = TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x,
                                      cursor.y, Handle(), nullptr);
  PostMessageA(Handle(), WM_NULL, 0, 0);
  if (chosen != 0)
    form_.ExecuteCommand(chosen);
}

}  // namespace ql::win32
