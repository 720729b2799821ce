// The accelerator and the memory manager on the real Win32 adapters under Wine: real processes,
// the real load counters, real memory blocks and real program icons.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <vector>

#include "ProcessMemory.win32.h"
#include "ScriptedForeground.win32.h"
#include "accel/MemoryManager.h"
#include "app/Win32Services.win32.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"

namespace ql {
namespace {

class NullView : public AccelView {
 public:
  void MoveDot(int, int) override {}
  void ShowAcceleratedProgram(const AnsiString& path, const AnsiString&) override {
    shownPath = path;
  }
  void ShowProgramIcon(const AnsiString&) override {}
  void ShowCounters(int processCount, std::uint32_t, std::int32_t) override {
    processes = processCount;
  }
  void ShowWindowBusy(bool) override {}
  void ShowManualPassBusy(bool) override {}
  void ShowProgress(int width) override { lastWidth = width; }
  void HideProgress() override {}

  AnsiString shownPath;
  int processes = 0;
  int lastWidth = -1;
};

class NoPump : public Pump {
 public:
  void ProcessMessages() override {}
};

// The real system, reporting a small machine so that a manual pass commits few real blocks.
class SmallMachine : public System {
 public:
  VersionInfo Version() override { return real.Version(); }
  bool ReadMemoryStatus(MemoryStatus& status) override {
    status.totalPhysical = 64ull << 20;
    status.availablePhysical = 16ull << 20;
    return true;
  }
  std::int32_t QuerySystemInformation(std::uint32_t infoClass, void* buffer,
                                      std::uint32_t size) override {
    return real.QuerySystemInformation(infoClass, buffer, size);
  }
  std::uint32_t ProcessorCount() override { return real.ProcessorCount(); }
  void* HeapAllocate(std::size_t bytes) override { return real.HeapAllocate(bytes); }
  void HeapRelease(void* block) override { real.HeapRelease(block); }
  void* CommitBlock(std::size_t bytes) override { return real.CommitBlock(bytes); }
  void ReleaseBlock(void* block) override { real.ReleaseBlock(block); }
  void SleepMs(std::uint32_t milliseconds) override { real.SleepMs(milliseconds); }
  AnsiString WindowsDirectory() override { return real.WindowsDirectory(); }
  AnsiString ShellFolderPath(int csidl) override { return real.ShellFolderPath(csidl); }
  AnsiString NativeProgramFiles() override { return real.NativeProgramFiles(); }
  AnsiString NativeCommonFiles() override { return real.NativeCommonFiles(); }
  bool ExpandEnvironment(const AnsiString& text, AnsiString& expanded) override {
    return real.ExpandEnvironment(text, expanded);
  }
  AnsiString ExecutablePath() override { return real.ExecutablePath(); }
  bool AvailableCommit(std::uint64_t& bytes) override { return real.AvailableCommit(bytes); }

  win32::Win32System real;
};

DWORD ClassOf(const Child& child) {
  return GetPriorityClass(child.process.get());
}

AnsiString Lower(AnsiString text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

TEST(AcceleratorOnWine, RaisesRealProcessesAndGivesTheirClassBack) {
  auto first = StartWaitingChild();
  auto second = StartWaitingChild();
  ASSERT_TRUE(first && second);
  ASSERT_TRUE(SetPriorityClass(first->process.get(), BELOW_NORMAL_PRIORITY_CLASS));
  ASSERT_TRUE(SetPriorityClass(second->process.get(), IDLE_PRIORITY_CLASS));
  ScriptedForeground processes;
  processes.owners = {first->id, second->id};
  win32::Win32Clock clock;
  NullView view;
  MemoryState state;
  Accelerator accelerator(processes, clock, view, state);
  accelerator.Reset();

  processes.foreground = 1;
  accelerator.ProcessTimerEvent();
  EXPECT_EQ(static_cast<DWORD>(HIGH_PRIORITY_CLASS), ClassOf(*first));
  EXPECT_EQ(Lower(view.shownPath).substr(view.shownPath.size() - 7), "cmd.exe");
  processes.foreground = 2;
  accelerator.ProcessTimerEvent();
  EXPECT_EQ(static_cast<DWORD>(BELOW_NORMAL_PRIORITY_CLASS), ClassOf(*first));
  EXPECT_EQ(static_cast<DWORD>(HIGH_PRIORITY_CLASS), ClassOf(*second));
  accelerator.ReturnLastPriority();
  EXPECT_EQ(static_cast<DWORD>(IDLE_PRIORITY_CLASS), ClassOf(*second));
  EXPECT_GE(accelerator.CountProcesses(), 3);
}

TEST(MemoryManagerOnWine, LoadIsAPercentageOnceTwoReadingsExist) {
  win32::Win32System system;
  win32::Win32Processes processes;
  win32::Win32Clock clock;
  NoPump pump;
  NullView view;
  MemoryState state;
  Accelerator accelerator(processes, clock, view, state);
  MemoryManager memory(system, processes, clock, pump, accelerator, view, state);
  EXPECT_EQ(0, memory.GetCpuUsage());
  const ULONGLONG end = GetTickCount64() + 1500;
  volatile unsigned spin = 0;
  while (GetTickCount64() < end)
    spin = spin + 1;
  const std::int32_t load = memory.GetCpuUsage();
  EXPECT_GE(load, 1);  // this thread kept one processor busy the whole time
  EXPECT_LE(load, 100);
}

TEST(MemoryManagerOnWine, FiguresComeFromTheExtendedStatus) {
  win32::Win32System system;
  win32::Win32Processes processes;
  win32::Win32Clock clock;
  NoPump pump;
  NullView view;
  MemoryState state;
  Accelerator accelerator(processes, clock, view, state);
  MemoryManager memory(system, processes, clock, pump, accelerator, view, state);
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  ASSERT_TRUE(GlobalMemoryStatusEx(&status));
  const MemoryFigures figures = memory.ReadMemoryFigures();
  EXPECT_EQ(static_cast<std::uint32_t>(status.ullTotalPhys >> 20), figures.TotalMB);
  EXPECT_LE(figures.FreePercent, 100u);
  EXPECT_GT(figures.TotalMB, 0u);
}

TEST(MemoryManagerOnWine, ManualPassGivesBackEveryRealBlock) {
  SmallMachine system;
  win32::Win32Processes processes;
  win32::Win32Clock clock;
  NoPump pump;
  NullView view;
  MemoryState state;
  Accelerator accelerator(processes, clock, view, state);
  MemoryManager memory(system, processes, clock, pump, accelerator, view, state);
  memory.Reset();
  const SIZE_T before = CommittedPrivateBytes();
  memory.RunManualPass();
  const SIZE_T after = CommittedPrivateBytes();
  EXPECT_EQ(125, view.lastWidth);
  EXPECT_LT(after, before + (4u << 20));  // the 51 blocks of 1 MiB are gone again
  EXPECT_GT(before, 0u);
  EXPECT_FALSE(state.MemoryBusy);
}

TEST(MemoryManagerOnWine, ManualPassPlansWithinTheCommitLeftAndA32BitProcess) {
  win32::Win32System system;
  MemoryStatus status;
  std::uint64_t commit = 0;
  ASSERT_TRUE(system.ReadMemoryStatus(status));
  ASSERT_TRUE(system.AvailableCommit(commit));
  const MemoryFigures figures = ToMemoryFigures(status);
  const std::size_t blocks = ManualPassBlockCount(figures.TotalMB, commit);
  EXPECT_LE(blocks, MemoryManager::kMaxManualBlocks);
  EXPECT_LE(blocks, commit >> 20);
  EXPECT_GT(blocks, 0u);
  std::printf("manual pass on this machine: %u MiB physical, %llu MiB commit left, %u blocks\n",
              static_cast<unsigned>(figures.TotalMB), static_cast<unsigned long long>(commit >> 20),
              static_cast<unsigned>(blocks));
}

TEST(ProgramIconOnWine, ProgramsHaveTheirIconOthersTheGenericOne) {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const AnsiString notepad = AnsiString(windows) + "\\notepad.exe";
  EXPECT_TRUE(win32::ExtractProgramIcon(notepad));
  const AnsiString text = AnsiString(windows) + "\\win.ini";
  EXPECT_LE(reinterpret_cast<UINT_PTR>(ExtractIconA(GetModuleHandleA(nullptr), text.c_str(), 0)),
            1u);
  EXPECT_TRUE(win32::ExtractProgramIcon(text));  // the generic icon instead
  EXPECT_TRUE(win32::ExtractProgramIcon(""));
  EXPECT_TRUE(win32::ExtractProgramIcon("C:\\NO\\SUCH\\PROGRAM.EXE"));
}

}  // namespace
}  // namespace ql
