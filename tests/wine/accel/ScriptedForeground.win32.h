// Real processes for driving the accelerator without a display: waiting child processes, and the
// real process adapter with a foreground window that the caller chooses.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"

namespace ql {

// The real process adapter, with a foreground window that the test chooses: window n belongs to
// the n-th process the test started.
class ScriptedForeground : public Processes {
 public:
  WindowId ForegroundWindow() override { return foreground; }
  std::uint32_t WindowProcessId(WindowId window) override {
    return window == 0 || window > owners.size() ? 0 : owners[window - 1];
  }
  AnsiString WindowTitle(WindowId window) override { return "window " + std::to_string(window); }
  ProcessHandle OpenProcess(std::uint32_t processId, std::uint32_t access) override {
    return real.OpenProcess(processId, access);
  }
  void CloseProcess(ProcessHandle process) override { real.CloseProcess(process); }
  std::uint32_t PriorityClassOf(ProcessHandle process) override {
    return real.PriorityClassOf(process);
  }
  bool SetPriorityClassOf(ProcessHandle process, std::uint32_t priorityClass) override {
    return real.SetPriorityClassOf(process, priorityClass);
  }
  bool TerminateWithCode(ProcessHandle process, std::uint32_t exitCode) override {
    return real.TerminateWithCode(process, exitCode);
  }
  bool FirstModulePath(ProcessHandle process, AnsiString& path) override {
    return real.FirstModulePath(process, path);
  }
  bool ImagePath(ProcessHandle process, AnsiString& path) override {
    return real.ImagePath(process, path);
  }
  bool Snapshot(std::vector<ProcessEntry>& entries) override { return real.Snapshot(entries); }
  bool CountProcesses(std::size_t& count) override { return real.CountProcesses(count); }
  std::uint32_t CurrentProcessId() override { return real.CurrentProcessId(); }

  win32::Win32Processes real;
  WindowId foreground = 0;
  std::vector<std::uint32_t> owners;
};

// A child process that waits about ten minutes doing nothing; ended when the object goes. It runs
// in a job of its own, so that ending the job also ends the ping that cmd.exe started: a ping
// left behind would hold the test's output open for its ten minutes.
struct Child {
  win32::UniqueHandleNull job;
  win32::UniqueHandleNull process;
  DWORD id = 0;
  ~Child() {
    if (job)
      TerminateJobObject(job.get(), 0);
    if (process)
      TerminateProcess(process.get(), 0);
  }
};

inline std::unique_ptr<Child> StartWaitingChild() {
  auto child = std::make_unique<Child>();
  child->job.reset(CreateJobObjectA(nullptr, nullptr));
  if (!child->job)
    return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(child->job.get(), JobObjectExtendedLimitInformation, &limits,
                          sizeof limits);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  char line[] = "cmd.exe /c ping -n 600 127.0.0.1 > nul";
  if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, CREATE_NO_WINDOW | CREATE_SUSPENDED,
                      nullptr, nullptr, &startup, &info))
    return nullptr;
  win32::UniqueHandleNull thread(info.hThread);
  child->process.reset(info.hProcess);
  child->id = info.dwProcessId;
  AssignProcessToJobObject(child->job.get(), child->process.get());
  ResumeThread(thread.get());
  return child;
}

}  // namespace ql
