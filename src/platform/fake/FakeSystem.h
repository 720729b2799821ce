// In-memory system: version, memory status, load counters, memory blocks, folders; the clock.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <set>

#include "platform/system.h"

namespace ql {

namespace ntstatus {
constexpr std::int32_t kSuccess = 0;
constexpr std::int32_t kInvalidInfoClass = static_cast<std::int32_t>(0xC0000003u);
constexpr std::int32_t kInfoLengthMismatch = static_cast<std::int32_t>(0xC0000004u);
constexpr std::int32_t kAccessViolation = static_cast<std::int32_t>(0xC0000005u);
}  // namespace ntstatus

namespace sysinfo {
constexpr std::uint32_t kPerformance = 2;  // 312 bytes; the idle time is the first 64-bit field
constexpr std::uint32_t kTimeOfDay = 3;    // up to 48 bytes; the system time is the second field
constexpr std::uint32_t kPerformanceSize = 312;
constexpr std::uint32_t kTimeOfDaySize = 48;
}  // namespace sysinfo

// Load counters: every query of class 3 takes the next queued system time (the last one stays
// when the queue is empty), every query of class 2 the next queued idle time. A class can be made
// to fail with a status. Class 3 accepts any size up to 48 bytes and fills that much, class 2
// needs at least 312, as Windows and Wine do.
//
// Memory blocks are really allocated, so the caller may write over them; allocation fails above
// a size limit or after a number of successes when a test asks for it.
class FakeSystem : public System {
 public:
  FakeSystem() = default;
  ~FakeSystem() override;
  FakeSystem(const FakeSystem&) = delete;
  FakeSystem& operator=(const FakeSystem&) = delete;

  // The port.
  VersionInfo Version() override { return version_; }
  bool ReadMemoryStatus(MemoryStatus& status) override;
  std::int32_t QuerySystemInformation(std::uint32_t infoClass, void* buffer,
                                      std::uint32_t size) override;
  std::uint32_t ProcessorCount() override { return processorCount_; }
  void* HeapAllocate(std::size_t bytes) override;
  void HeapRelease(void* block) override;
  void* CommitBlock(std::size_t bytes) override;
  void ReleaseBlock(void* block) override;
  void SleepMs(std::uint32_t milliseconds) override;
  AnsiString WindowsDirectory() override { return windowsDirectory_; }
  AnsiString ShellFolderPath(int csidl) override;
  AnsiString NativeProgramFiles() override { return nativeProgramFiles_; }
  AnsiString NativeCommonFiles() override { return nativeCommonFiles_; }
  // As ExpandEnvironmentStringsA: names compare without regard to letter case, and a reference
  // to a name the table lacks is copied as it stands.
  bool ExpandEnvironment(const AnsiString& text, AnsiString& expanded) override;
  AnsiString ExecutablePath() override { return executablePath_; }
  bool AvailableCommit(std::uint64_t& bytes) override;

  // Test helpers.
  void SetVersion(const VersionInfo& version) { version_ = version; }
  void SetMemoryStatus(const MemoryStatus& status);  // also empties the queue
  void SetMemoryMegabytes(std::uint64_t totalMB, std::uint64_t availableMB);
  // Statuses the next reads return in turn; the last one read stays.
  void QueueMemoryStatus(const MemoryStatus& status) { memoryQueue_.push_back(status); }
  void SetMemoryStatusFails(bool fails) { memoryFails_ = fails; }
  std::size_t MemoryStatusReads() const { return memoryReads_; }
  void QueueSystemTime(std::int64_t time) { systemTimes_.push_back(time); }
  void QueueIdleTime(std::int64_t time) { idleTimes_.push_back(time); }
  // One load sample: the system time and the idle time the next pair of queries give.
  void QueueLoadSample(std::int64_t systemTime, std::int64_t idleTime);
  void FailInfoClass(std::uint32_t infoClass, std::int32_t status) {
    failures_[infoClass] = status;
  }
  void ClearInfoFailures() { failures_.clear(); }
  std::size_t InfoQueryCount(std::uint32_t infoClass) const;
  void SetProcessorCount(std::uint32_t count) { processorCount_ = count; }
  // Allocations above this many bytes fail (0: no limit).
  void SetAllocationLimit(std::size_t bytes) { allocationLimit_ = bytes; }
  // After this many more successful allocations (heap and committed together) every one fails;
  // a negative count never fails.
  void FailAllocationsAfter(long successes) { successesLeft_ = successes; }
  std::size_t OutstandingHeapBlocks() const { return heapBlocks_.size(); }
  std::size_t OutstandingCommittedBlocks() const { return committedBlocks_.size(); }
  std::size_t HeapAllocationCount() const { return heapAllocations_; }
  std::size_t CommitCount() const { return commits_; }
  std::size_t LargestAllocation() const { return largestAllocation_; }
  std::size_t InvalidReleaseCount() const { return invalidReleases_; }
  const std::vector<std::uint32_t>& Sleeps() const { return sleeps_; }
  void SetSleepHook(std::function<void(std::uint32_t)> hook) { sleepHook_ = std::move(hook); }
  void SetWindowsDirectory(const AnsiString& path) { windowsDirectory_ = path; }
  void SetShellFolderPath(int csidl, const AnsiString& path) { shellFolders_[csidl] = path; }
  void SetExecutablePath(const AnsiString& path) { executablePath_ = path; }
  // The commit limit left over before any block of this fake is taken: blocks committed here use
  // it up, and a commit beyond it fails, as VirtualAlloc does.
  void SetAvailableCommit(std::uint64_t bytes) { commitLimit_ = bytes; }
  void SetAvailableCommitFails(bool fails) { commitFails_ = fails; }
  void SetNativeProgramFiles(const AnsiString& programFiles, const AnsiString& commonFiles) {
    nativeProgramFiles_ = programFiles;
    nativeCommonFiles_ = commonFiles;
  }
  // The environment table; an empty value removes the name.
  void SetEnvironment(const AnsiString& name, const AnsiString& value);
  void ClearEnvironment() { environment_.clear(); }
  // Marks a name whose value holds characters the code page cannot carry: its value is the
  // best-fitted text the ANSI calls would give, and an expansion that uses it is not exact.
  void SetEnvironmentOutsideCodePage(const AnsiString& name);

 private:
  void* Allocate(std::size_t bytes, std::set<void*>& blocks);
  bool Release(void* block, std::set<void*>& blocks);
  static std::int64_t Next(std::deque<std::int64_t>& queue);

  VersionInfo version_;
  MemoryStatus memory_{512ull << 20, 256ull << 20};
  std::deque<MemoryStatus> memoryQueue_;
  bool memoryFails_ = false;
  std::size_t memoryReads_ = 0;
  std::deque<std::int64_t> systemTimes_{0};
  std::deque<std::int64_t> idleTimes_{0};
  std::map<std::uint32_t, std::int32_t> failures_;
  std::map<std::uint32_t, std::size_t> infoQueries_;
  std::uint32_t processorCount_ = 1;
  std::size_t allocationLimit_ = 0;
  long successesLeft_ = -1;
  std::set<void*> heapBlocks_;
  std::set<void*> committedBlocks_;
  std::size_t heapAllocations_ = 0;
  std::size_t commits_ = 0;
  std::uint64_t commitLimit_ = 8ull << 30;
  std::uint64_t committedBytes_ = 0;
  std::map<void*, std::size_t> committedSizes_;
  bool commitFails_ = false;
  std::size_t largestAllocation_ = 0;
  std::size_t invalidReleases_ = 0;
  std::vector<std::uint32_t> sleeps_;
  std::function<void(std::uint32_t)> sleepHook_;
  AnsiString windowsDirectory_ = "C:\\WINDOWS";
  std::map<int, AnsiString> shellFolders_{
      {csidl::kAppData, "C:\\Documents and Settings\\User\\Application Data"},
      {csidl::kProfile, "C:\\Documents and Settings\\User"},
      {csidl::kProgramFilesX86, "C:\\Program Files (x86)"},
      {csidl::kCommonFilesX86, "C:\\Program Files (x86)\\Common Files"},
      {csidl::kInternetCache,
       "C:\\Documents and Settings\\User\\Local Settings\\Temporary Internet Files"}};
  AnsiString executablePath_ = "C:\\Program Files\\Quillon\\Quillon.exe";
  AnsiString nativeProgramFiles_ = "C:\\Program Files";
  AnsiString nativeCommonFiles_ = "C:\\Program Files\\Common Files";
  std::set<AnsiString> outsideCodePage_;  // upper case
  std::map<AnsiString, AnsiString> environment_{
      // by upper-case name
      {"ALLUSERSPROFILE", "C:\\Documents and Settings\\All Users"},
      {"APPDATA", "C:\\Documents and Settings\\User\\Application Data"},
      {"COMMONPROGRAMFILES", "C:\\Program Files\\Common Files"},
      {"PROGRAMFILES", "C:\\Program Files"},
      {"SYSTEMDRIVE", "C:"},
      {"SYSTEMROOT", "C:\\WINDOWS"},
      {"TEMP", "C:\\Documents and Settings\\User\\Local Settings\\Temp"},
      {"USERPROFILE", "C:\\Documents and Settings\\User"},
      {"WINDIR", "C:\\WINDOWS"}};
};

// Local time as a fraction of a day; advancing past midnight starts the day again.
class FakeClock : public Clock {
 public:
  double TimeOfDay() override { return timeOfDay_; }
  AnsiString LongTimeText() override;  // "hh:mm:ss", 24-hour

  void SetTimeOfDay(double fraction);
  void SetTime(int hours, int minutes, int seconds);
  void AdvanceSeconds(double seconds);
  void AdvanceMs(std::uint32_t milliseconds) { AdvanceSeconds(milliseconds / 1000.0); }

 private:
  double timeOfDay_ = 0.5;
};

}  // namespace ql
