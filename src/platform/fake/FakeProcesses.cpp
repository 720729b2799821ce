// In-memory process table.
#include "platform/fake/FakeProcesses.h"

#include <algorithm>

namespace ql {
namespace {

constexpr std::uint32_t kVmRead = 0x0010;
constexpr std::uint32_t kQueryLimited = 0x1000;
constexpr std::size_t kMaxTitle = 259;

bool IsPriorityClass(std::uint32_t value) {
  for (std::uint32_t known : {priority::kIdle, priority::kBelowNormal, priority::kNormal,
                              priority::kAboveNormal, priority::kHigh, priority::kRealtime}) {
    if (value == known)
      return true;
  }
  return false;
}

}  // namespace

std::uint32_t FakeProcesses::WindowProcessId(WindowId window) {
  const auto it = windows_.find(window);
  return it == windows_.end() ? 0 : it->second.processId;
}

AnsiString FakeProcesses::WindowTitle(WindowId window) {
  const auto it = windows_.find(window);
  return it == windows_.end() ? AnsiString() : it->second.title.substr(0, kMaxTitle);
}

ProcessHandle FakeProcesses::OpenProcess(std::uint32_t processId, std::uint32_t access) {
  const auto it = processes_.find(processId);
  if (it == processes_.end() || (it->second.refusedAccess & access) != 0)
    return 0;
  const ProcessHandle handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = Handle{processId, instances_.at(processId), access};
  maxOpenHandles_ = std::max(maxOpenHandles_, handles_.size());
  ++totalOpens_;
  return handle;
}

void FakeProcesses::CloseProcess(ProcessHandle process) {
  if (handles_.erase(process) == 0)
    ++invalidCloses_;
}

FakeProcess* FakeProcesses::Granted(ProcessHandle process, std::uint32_t neededAccess) {
  const auto it = handles_.find(process);
  if (it == handles_.end() || (it->second.access & neededAccess) == 0)
    return nullptr;
  return Target(it->second);
}

FakeProcess* FakeProcesses::Target(const Handle& handle) {
  const auto instance = instances_.find(handle.processId);
  if (instance == instances_.end() || instance->second != handle.instance)
    return nullptr;
  return Find(handle.processId);
}

std::uint32_t FakeProcesses::PriorityClassOf(ProcessHandle process) {
  const FakeProcess* found = Granted(process, processaccess::kQueryInformation | kQueryLimited);
  return found == nullptr ? 0 : found->priorityClass;
}

bool FakeProcesses::SetPriorityClassOf(ProcessHandle process, std::uint32_t priorityClass) {
  FakeProcess* found = Granted(process, processaccess::kSetInformation);
  if (found == nullptr || !IsPriorityClass(priorityClass))
    return false;
  found->priorityClass = priorityClass;
  return true;
}

bool FakeProcesses::TerminateWithCode(ProcessHandle process, std::uint32_t exitCode) {
  const FakeProcess* found = Granted(process, processaccess::kTerminate);
  if (found == nullptr)
    return false;
  EndProcess(found->processId, exitCode);
  return true;
}

bool FakeProcesses::FirstModulePath(ProcessHandle process, AnsiString& path) {
  const auto it = handles_.find(process);
  constexpr std::uint32_t kNeeded = processaccess::kQueryInformation | kVmRead;
  if (it == handles_.end() || (it->second.access & kNeeded) != kNeeded)
    return false;
  const FakeProcess* found = Target(it->second);
  if (found == nullptr || !found->modulesReadable)
    return false;
  path = found->path;
  return true;
}

bool FakeProcesses::ImagePath(ProcessHandle process, AnsiString& path) {
  const FakeProcess* found = Granted(process, processaccess::kQueryInformation | kQueryLimited);
  if (found == nullptr || !found->imagePathReadable)
    return false;
  path = found->path;
  return true;
}

bool FakeProcesses::Snapshot(std::vector<ProcessEntry>& entries) {
  entries.clear();
  if (snapshotFails_)
    return false;
  ++snapshots_;
  for (std::uint32_t processId : order_)
    entries.push_back(ProcessEntry{processId, processes_.at(processId).exeName});
  return true;
}

bool FakeProcesses::CountProcesses(std::size_t& count) {
  if (snapshotFails_)
    return false;
  count = order_.size();
  return true;
}

void FakeProcesses::AddProcess(const FakeProcess& process) {
  if (processes_.count(process.processId) == 0) {
    order_.push_back(process.processId);
    instances_[process.processId] = nextInstance_++;
  }
  processes_[process.processId] = process;
  exitCodes_.erase(process.processId);
}

WindowId FakeProcesses::AddWindow(std::uint32_t processId, const AnsiString& title) {
  const WindowId window = nextWindow_;
  nextWindow_ += 2;
  windows_[window] = Window{processId, title};
  return window;
}

FakeProcess* FakeProcesses::Find(std::uint32_t processId) {
  const auto it = processes_.find(processId);
  return it == processes_.end() ? nullptr : &it->second;
}

std::uint32_t FakeProcesses::PriorityOf(std::uint32_t processId) const {
  const auto it = processes_.find(processId);
  return it == processes_.end() ? 0 : it->second.priorityClass;
}

std::optional<std::uint32_t> FakeProcesses::ExitCodeOf(std::uint32_t processId) const {
  const auto it = exitCodes_.find(processId);
  if (it == exitCodes_.end())
    return std::nullopt;
  return it->second;
}

void FakeProcesses::EndProcess(std::uint32_t processId, std::uint32_t exitCode) {
  if (processes_.erase(processId) == 0)
    return;
  instances_.erase(processId);
  order_.erase(std::find(order_.begin(), order_.end(), processId));
  exitCodes_[processId] = exitCode;
  for (auto it = windows_.begin(); it != windows_.end();) {
    if (it->second.processId == processId) {
      if (foreground_ == it->first)
        foreground_ = 0;
      it = windows_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace ql
