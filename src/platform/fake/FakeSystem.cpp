// In-memory system and clock.
#include "platform/fake/FakeSystem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ql {
namespace {

void PutInt64(std::uint8_t* record, std::size_t offset, std::int64_t value) {
  std::memcpy(record + offset, &value, sizeof value);
}

}  // namespace

FakeSystem::~FakeSystem() {
  for (void* block : heapBlocks_)
    std::free(block);
  for (void* block : committedBlocks_)
    std::free(block);
}

bool FakeSystem::ReadMemoryStatus(MemoryStatus& status) {
  ++memoryReads_;
  if (memoryFails_)
    return false;
  if (!memoryQueue_.empty()) {
    memory_ = memoryQueue_.front();
    memoryQueue_.pop_front();
  }
  status = memory_;
  return true;
}

void FakeSystem::SetMemoryStatus(const MemoryStatus& status) {
  memory_ = status;
  memoryQueue_.clear();
}

void FakeSystem::SetMemoryMegabytes(std::uint64_t totalMB, std::uint64_t availableMB) {
  SetMemoryStatus(MemoryStatus{totalMB << 20, availableMB << 20});
}

std::int64_t FakeSystem::Next(std::deque<std::int64_t>& queue) {
  if (queue.size() > 1)
    queue.pop_front();
  return queue.front();
}

void FakeSystem::QueueLoadSample(std::int64_t systemTime, std::int64_t idleTime) {
  QueueSystemTime(systemTime);
  QueueIdleTime(idleTime);
}

std::int32_t FakeSystem::QuerySystemInformation(std::uint32_t infoClass, void* buffer,
                                                std::uint32_t size) {
  ++infoQueries_[infoClass];
  const auto failure = failures_.find(infoClass);
  if (failure != failures_.end())
    return failure->second;
  if (infoClass == sysinfo::kTimeOfDay) {
    if (size > sysinfo::kTimeOfDaySize)
      return ntstatus::kInfoLengthMismatch;
    if (buffer == nullptr)
      return ntstatus::kAccessViolation;
    std::uint8_t record[sysinfo::kTimeOfDaySize] = {};
    PutInt64(record, 8, Next(systemTimes_));
    std::memcpy(buffer, record, size);
    return ntstatus::kSuccess;
  }
  if (infoClass == sysinfo::kPerformance) {
    if (size < sysinfo::kPerformanceSize)
      return ntstatus::kInfoLengthMismatch;
    if (buffer == nullptr)
      return ntstatus::kAccessViolation;
    std::memset(buffer, 0, sysinfo::kPerformanceSize);
    PutInt64(static_cast<std::uint8_t*>(buffer), 0, Next(idleTimes_));
    return ntstatus::kSuccess;
  }
  return ntstatus::kInvalidInfoClass;
}

std::size_t FakeSystem::InfoQueryCount(std::uint32_t infoClass) const {
  const auto it = infoQueries_.find(infoClass);
  return it == infoQueries_.end() ? 0 : it->second;
}

void* FakeSystem::Allocate(std::size_t bytes, std::set<void*>& blocks) {
  if ((allocationLimit_ != 0 && bytes > allocationLimit_) || successesLeft_ == 0)
    return nullptr;
  void* block = std::malloc(bytes == 0 ? 1 : bytes);
  if (block == nullptr)
    return nullptr;
  if (successesLeft_ > 0)
    --successesLeft_;
  blocks.insert(block);
  largestAllocation_ = std::max(largestAllocation_, bytes);
  return block;
}

bool FakeSystem::Release(void* block, std::set<void*>& blocks) {
  if (blocks.erase(block) == 0) {
    ++invalidReleases_;
    return false;
  }
  std::free(block);
  return true;
}

void* FakeSystem::HeapAllocate(std::size_t bytes) {
  ++heapAllocations_;
  return Allocate(bytes, heapBlocks_);
}

// HeapFree(null) is harmless; anything else not allocated here is a fault of the caller.
void FakeSystem::HeapRelease(void* block) {
  if (block != nullptr)
    Release(block, heapBlocks_);
}

void* FakeSystem::CommitBlock(std::size_t bytes) {
  ++commits_;
  if (committedBytes_ + bytes > commitLimit_)
    return nullptr;
  void* block = Allocate(bytes, committedBlocks_);
  if (block != nullptr) {
    committedBytes_ += bytes;
    committedSizes_[block] = bytes;
  }
  return block;
}

void FakeSystem::ReleaseBlock(void* block) {
  if (!Release(block, committedBlocks_))
    return;
  committedBytes_ -= committedSizes_[block];
  committedSizes_.erase(block);
}

bool FakeSystem::AvailableCommit(std::uint64_t& bytes) {
  if (commitFails_)
    return false;
  bytes = commitLimit_ - committedBytes_;
  return true;
}

void FakeSystem::SleepMs(std::uint32_t milliseconds) {
  sleeps_.push_back(milliseconds);
  if (sleepHook_)
    sleepHook_(milliseconds);
}

AnsiString FakeSystem::ShellFolderPath(int csidl) {
  const auto it = shellFolders_.find(csidl);
  return it == shellFolders_.end() ? AnsiString() : it->second;
}

namespace {

AnsiString UpperAscii(AnsiString text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

void FakeSystem::SetEnvironment(const AnsiString& name, const AnsiString& value) {
  if (value.empty())
    environment_.erase(UpperAscii(name));
  else
    environment_[UpperAscii(name)] = value;
}

void FakeSystem::SetEnvironmentOutsideCodePage(const AnsiString& name) {
  outsideCodePage_.insert(UpperAscii(name));
}

bool FakeSystem::ExpandEnvironment(const AnsiString& text, AnsiString& expanded) {
  bool exact = true;
  AnsiString result;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find('%', at);
    const std::size_t close = open == AnsiString::npos ? open : text.find('%', open + 1);
    if (close == AnsiString::npos) {
      result.append(text, at, AnsiString::npos);
      break;
    }
    result.append(text, at, open - at);
    const auto found = environment_.find(UpperAscii(text.substr(open + 1, close - open - 1)));
    if (found != environment_.end() && close > open + 1) {
      result += found->second;
      exact = exact && outsideCodePage_.count(found->first) == 0;
      at = close + 1;
    } else {
      // The closing sign may open the next reference.
      result.append(text, open, close - open);
      at = close;
    }
  }
  expanded = result;
  return exact;
}

AnsiString FakeClock::LongTimeText() {
  const long total = static_cast<long>(std::floor(timeOfDay_ * 86400.0 + 1e-6)) % 86400;
  char text[16];
  std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  return text;
}

void FakeClock::SetTimeOfDay(double fraction) {
  timeOfDay_ = fraction - std::floor(fraction);
}

void FakeClock::SetTime(int hours, int minutes, int seconds) {
  SetTimeOfDay((hours * 3600.0 + minutes * 60.0 + seconds) / 86400.0);
}

void FakeClock::AdvanceSeconds(double seconds) {
  SetTimeOfDay(timeOfDay_ + seconds / 86400.0);
}

}  // namespace ql
