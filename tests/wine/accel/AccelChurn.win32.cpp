// AccelChurn: the main window with its real window, tray icon and program icons, driven through
// 10,000 accelerator changes between two real processes; prints the process's memory, handles and
// window-system objects before and after, which must not grow.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <memory>

#include "ProcessMemory.win32.h"
#include "ScriptedForeground.win32.h"
#include "app/MainWindow.h"
#include "app/Win32Services.win32.h"
#include "ui/MessageWindows.h"
#include "ui/Win32Host.win32.h"

namespace {

constexpr int kChanges = 10000;

struct Usage {
  SIZE_T privateBytes = 0;
  SIZE_T workingSet = 0;
  DWORD handles = 0;
  DWORD gdiObjects = 0;  // Wine reports 0 for these two and for the handle count
  DWORD userObjects = 0;
};

Usage Measure() {
  Usage usage;
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  usage.privateBytes = ql::CommittedPrivateBytes();
  usage.workingSet = counters.WorkingSetSize;
  GetProcessHandleCount(GetCurrentProcess(), &usage.handles);
  usage.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  usage.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  return usage;
}

void Print(const char* when, const Usage& usage) {
  std::printf("%-28s private %7.1f MiB, working set %7.1f MiB, handles %lu, GDI %lu, USER %lu\n",
              when, usage.privateBytes / 1048576.0, usage.workingSet / 1048576.0, usage.handles,
              usage.gdiObjects, usage.userObjects);
}

}  // namespace

int main() {
  auto first = ql::StartWaitingChild();
  auto second = ql::StartWaitingChild();
  if (!first || !second) {
    std::puts("the two waiting processes did not start");
    return 1;
  }
  ql::ScriptedForeground processes;
  processes.owners = {first->id, second->id};
  ql::ui::win32::Win32Host host;
  ql::win32::Win32Platform system;
  const ql::Platform real = system.platform(host.GetPump());
  ql::Platform platform{real.registry, real.files, processes,     real.system, real.clock,
                        real.codePage, real.shell, real.launcher, real.pump,   real.tasks};
  ql::ProgramState state;
  ql::ui::MessageWindows messages(host);
  std::unique_ptr<ql::MainWindow> main;
  ql::win32::Win32MainWindowServices services([&] { return host.HandleOf(main.get()); });
  main = std::make_unique<ql::MainWindow>(host, platform, services, messages, state);
  host.SetMainForm(main.get());
  ql::win32::Win32TrayIcon tray(*main, nullptr);
  main->Create();
  main->Show();
  host.GetPump().ProcessMessages();
  state.Memory.CpuLoad = 0;  // the changes are what is measured, not the load limit
  Print("after start", Measure());
  for (int change = 0; change < kChanges; ++change) {
    processes.foreground = 1 + change % 2;
    main->ProcessTimerEvent();
    host.GetPump().ProcessMessages();
  }
  Print("after 10,000 changes", Measure());
  main->Accel().ReturnLastPriority();
  return 0;
}
