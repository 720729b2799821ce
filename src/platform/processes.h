// Process and window port: foreground window, process handles, priority classes, snapshots.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/text.h"

namespace ql {

using WindowId = std::uintptr_t;       // 0 is "no window"
using ProcessHandle = std::uintptr_t;  // 0 is "not opened"

namespace priority {
constexpr std::uint32_t kIdle = 0x40;
constexpr std::uint32_t kBelowNormal = 0x4000;
constexpr std::uint32_t kNormal = 0x20;
constexpr std::uint32_t kAboveNormal = 0x8000;
constexpr std::uint32_t kHigh = 0x80;
constexpr std::uint32_t kRealtime = 0x100;
}  // namespace priority

namespace processaccess {
constexpr std::uint32_t kTerminate = 0x0001;
constexpr std::uint32_t kSetInformation = 0x0200;
constexpr std::uint32_t kQueryInformation = 0x0400;
constexpr std::uint32_t kAllAccess = 0x1F0FFF;
}  // namespace processaccess

struct ProcessEntry {
  std::uint32_t processId = 0;
  AnsiString exeName;  // the executable's file name as the snapshot reports it
};

class Processes {
 public:
  virtual ~Processes() = default;
  virtual WindowId ForegroundWindow() = 0;
  virtual std::uint32_t WindowProcessId(WindowId window) = 0;
  virtual AnsiString WindowTitle(WindowId window) = 0;  // at most 259 characters
  virtual ProcessHandle OpenProcess(std::uint32_t processId, std::uint32_t access) = 0;
  virtual void CloseProcess(ProcessHandle process) = 0;
  virtual std::uint32_t PriorityClassOf(ProcessHandle process) = 0;  // 0 when it cannot be read
  virtual bool SetPriorityClassOf(ProcessHandle process, std::uint32_t priorityClass) = 0;
  virtual bool TerminateWithCode(ProcessHandle process, std::uint32_t exitCode) = 0;
  // Path of the first module (the executable), through the module list.
  virtual bool FirstModulePath(ProcessHandle process, AnsiString& path) = 0;
  // Path of the executable image, for processes whose module list cannot be read.
  virtual bool ImagePath(ProcessHandle process, AnsiString& path) = 0;
  // Every running process in snapshot order; false when no snapshot could be taken.
  virtual bool Snapshot(std::vector<ProcessEntry>& entries) = 0;
  // How many processes are running (as many as a snapshot lists), without their names; false
  // when they cannot be counted. Cheaper than a snapshot, for counting every few seconds.
  virtual bool CountProcesses(std::size_t& count) = 0;
  virtual std::uint32_t CurrentProcessId() = 0;
};

// Owns one process handle and closes it when it goes out of scope.
class ProcessRef {
 public:
  ProcessRef(Processes& processes, std::uint32_t processId, std::uint32_t access)
      : processes_(&processes), handle_(processes.OpenProcess(processId, access)) {}
  ProcessRef(const ProcessRef&) = delete;
  ProcessRef& operator=(const ProcessRef&) = delete;
  ~ProcessRef() {
    if (handle_ != 0)
      processes_->CloseProcess(handle_);
  }
  bool IsOpen() const { return handle_ != 0; }
  ProcessHandle Get() const { return handle_; }

 private:
  Processes* processes_;
  ProcessHandle handle_;
};

// A process handle kept across timer ticks: it names the process object it was opened for, so
// that a later program given the same identifier is never reached through it. Move-only; the
// handle is closed by Reset or when the owner ends.
class HeldProcess {
 public:
  HeldProcess() = default;
  HeldProcess(Processes& processes, std::uint32_t processId, std::uint32_t access)
      : processes_(&processes), handle_(processes.OpenProcess(processId, access)) {}
  HeldProcess(const HeldProcess&) = delete;
  HeldProcess& operator=(const HeldProcess&) = delete;
  HeldProcess(HeldProcess&& other) noexcept
      : processes_(other.processes_), handle_(std::exchange(other.handle_, 0)) {}
  HeldProcess& operator=(HeldProcess&& other) noexcept {
    if (this != &other) {
      Reset();
      processes_ = other.processes_;
      handle_ = std::exchange(other.handle_, 0);
    }
    return *this;
  }
  ~HeldProcess() { Reset(); }
  bool IsOpen() const { return handle_ != 0; }
  ProcessHandle Get() const { return handle_; }
  void Reset() {
    if (handle_ != 0)
      processes_->CloseProcess(std::exchange(handle_, 0));
  }

 private:
  Processes* processes_ = nullptr;
  ProcessHandle handle_ = 0;
};

}  // namespace ql
