// Quillon.exe's entry: the platform check, the single instance with the restore request of a
// second start, the main window and the two message windows, and the message loop.
#include <windows.h>

#include <cstdlib>
#include <exception>
#include <memory>

#include "app/MainWindow.h"
#include "app/ProgramState.h"
#include "app/SingleInstance.win32.h"
#include "app/Win32Services.win32.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"
#include "ui/FormWindow.win32.h"
#include "ui/MessageWindows.h"
#include "ui/Win32Host.win32.h"

// libstdc++'s default handler for an exception nobody catches prints the exception's type name
// to the standard error stream, which a windowed program does not have, and brings the whole C++
// name demangler into the program for it. Ending at once costs nothing of that.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx

namespace {

constexpr char kMutexName[] = "Quillon";
constexpr DWORD kRestorePauseMs = 500;

bool IsNtPlatform() {
  ql::win32::Win32System system;
  return system.Version().platformId == VER_PLATFORM_WIN32_NT;
}

// Asks the running instance to come forward; whether a window was found or not, this start ends.
void RequestRestore() {
  const UINT restore = RegisterWindowMessageA(ql::kRestoreMessageName);
  if (ql::win32::RequestRestore(ql::ui::win32::kFormClass, ql::kApplicationTitle, restore,
                                ql::kRestoreRequest))
    Sleep(kRestorePauseMs);
}

ql::win32::UniqueHIcon LoadSmallProgramIcon(HINSTANCE instance) {
  return ql::win32::UniqueHIcon(
      static_cast<HICON>(LoadImageA(instance, "MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                    GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
}

// A command posted to the main window by the tray menu's twin in another program.
bool IsCommandForMain(const ql::ui::win32::QueuedMessage& message, HWND main) {
  return message.message == WM_COMMAND && message.window == main && main != nullptr;
}

int RunProgram(HINSTANCE instance) {
  ql::ui::win32::Win32Host host;
  ql::win32::Win32Platform system;
  ql::Platform platform = system.platform(host.GetPump());
  ql::ProgramState state;
  ql::ui::MessageWindows messages(host);
  std::unique_ptr<ql::MainWindow> main;
  ql::win32::Win32MainWindowServices services([&] { return host.HandleOf(main.get()); });
  main = std::make_unique<ql::MainWindow>(host, platform, services, messages, state);
  host.SetMainForm(main.get());
  const ql::win32::UniqueHIcon programIcon = LoadSmallProgramIcon(instance);
  ql::win32::Win32TrayIcon tray(*main, programIcon.get());
  main->Create();
  host.SetMessageHook([&](const ql::ui::win32::QueuedMessage& message) {
    if (IsCommandForMain(message, host.HandleOf(main.get())))
      return main->ExecuteCommand(LOWORD(message.wParam));
    main->MessageEvents(message.message, message.wParam);
    return false;
  });
  if (services.ShowMainFormAtStart())
    main->Show();
  host.Run();
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (!IsNtPlatform()) {
    MessageBoxA(GetActiveWindow(), "The program run under Windows 2000 or later!", "Warning",
                MB_ICONERROR | MB_OK);
    return 0;
  }
  const ql::win32::UniqueHandleNull instanceLock = ql::win32::TakeInstanceLock(kMutexName);
  if (!instanceLock) {
    RequestRestore();
    return 0;
  }
  // By the time a handler's exception arrives here, leaving RunProgram has ended the main window,
  // and with it the accelerator, which gave the raised program its class back.
  try {
    return RunProgram(instance);
  } catch (const std::exception& error) {
    MessageBoxA(nullptr, error.what(), ql::kApplicationTitle, MB_ICONERROR | MB_OK);
    return 1;
  } catch (...) {
    MessageBoxA(nullptr, "Unexpected error", ql::kApplicationTitle, MB_ICONERROR | MB_OK);
    return 1;
  }
}
