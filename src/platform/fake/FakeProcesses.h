// In-memory process table: processes, their windows, the foreground window, access refusals.
#pragma once

#include <cstddef>
#include <map>
#include <optional>

#include "platform/processes.h"

namespace ql {

struct FakeProcess {
  std::uint32_t processId = 0;
  AnsiString exeName;  // as the snapshot reports it
  AnsiString path;     // full path of the executable
  std::uint32_t priorityClass = priority::kNormal;
  bool modulesReadable = true;    // false: FirstModulePath fails (a 64-bit process seen by 32 bits)
  bool imagePathReadable = true;  // false: ImagePath fails too
  std::uint32_t refusedAccess = 0;  // OpenProcess fails when the access asked shares a bit
};

// A handle allows only what it was opened for: reading the class and the image path needs
// PROCESS_QUERY_INFORMATION (or PROCESS_QUERY_LIMITED_INFORMATION for the image path), setting
// the class PROCESS_SET_INFORMATION, ending the process PROCESS_TERMINATE, and the module list
// PROCESS_QUERY_INFORMATION with PROCESS_VM_READ. A process that has ended keeps its exit code,
// leaves the snapshots and takes its windows with it. A handle names the process it was opened
// for: once that process has ended, nothing done through the handle reaches a later process that
// was given the same identifier.
class FakeProcesses : public Processes {
 public:
  // The port.
  WindowId ForegroundWindow() override { return foreground_; }
  std::uint32_t WindowProcessId(WindowId window) override;
  AnsiString WindowTitle(WindowId window) override;
  ProcessHandle OpenProcess(std::uint32_t processId, std::uint32_t access) override;
  void CloseProcess(ProcessHandle process) override;
  std::uint32_t PriorityClassOf(ProcessHandle process) override;
  bool SetPriorityClassOf(ProcessHandle process, std::uint32_t priorityClass) override;
  bool TerminateWithCode(ProcessHandle process, std::uint32_t exitCode) override;
  bool FirstModulePath(ProcessHandle process, AnsiString& path) override;
  bool ImagePath(ProcessHandle process, AnsiString& path) override;
  bool Snapshot(std::vector<ProcessEntry>& entries) override;
  bool CountProcesses(std::size_t& count) override;
  std::uint32_t CurrentProcessId() override { return currentProcessId_; }

  // Test helpers.
  // Replaces a running process of the same id; an id whose process has ended is given to a new
  // process, which handles opened for the old one do not reach.
  void AddProcess(const FakeProcess& process);
  // A window of the process with the given title; returns its id.
  WindowId AddWindow(std::uint32_t processId, const AnsiString& title);
  void SetForegroundWindow(WindowId window) { foreground_ = window; }
  void SetCurrentProcessId(std::uint32_t processId) { currentProcessId_ = processId; }
  void SetSnapshotFails(bool fails) { snapshotFails_ = fails; }
  FakeProcess* Find(std::uint32_t processId);               // null when not running
  std::uint32_t PriorityOf(std::uint32_t processId) const;  // 0 when not running
  bool IsRunning(std::uint32_t processId) const { return processes_.count(processId) != 0; }
  std::optional<std::uint32_t> ExitCodeOf(std::uint32_t processId) const;
  // Ends a process from outside (the user closed it).
  void EndProcess(std::uint32_t processId, std::uint32_t exitCode = 0);

  std::size_t OpenHandleCount() const { return handles_.size(); }
  std::size_t MaxOpenHandleCount() const { return maxOpenHandles_; }
  std::size_t TotalOpenCount() const { return totalOpens_; }
  std::size_t InvalidCloseCount() const { return invalidCloses_; }
  std::size_t SnapshotCount() const { return snapshots_; }

 private:
  struct Handle {
    std::uint32_t processId;
    std::uint64_t instance;  // which process of that id
    std::uint32_t access;
  };
  struct Window {
    std::uint32_t processId;
    AnsiString title;
  };

  FakeProcess* Granted(ProcessHandle process, std::uint32_t neededAccess);
  // The running process the handle was opened for; null once it has ended.
  FakeProcess* Target(const Handle& handle);

  std::map<std::uint32_t, FakeProcess> processes_;
  std::map<std::uint32_t, std::uint64_t> instances_;  // of the running processes
  std::uint64_t nextInstance_ = 1;
  std::vector<std::uint32_t> order_;  // snapshot order: the order processes were added
  std::map<std::uint32_t, std::uint32_t> exitCodes_;
  std::map<WindowId, Window> windows_;
  std::map<ProcessHandle, Handle> handles_;
  WindowId foreground_ = 0;
  WindowId nextWindow_ = 0x10010;
  ProcessHandle nextHandle_ = 0x200;
  std::uint32_t currentProcessId_ = 4000;
  bool snapshotFails_ = false;
  std::size_t maxOpenHandles_ = 0;
  std::size_t totalOpens_ = 0;
  std::size_t invalidCloses_ = 0;
  std::size_t snapshots_ = 0;
};

}  // namespace ql
