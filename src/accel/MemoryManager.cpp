// The processor load meter and the memory manager: figures every 4 seconds, automatic and manual
// memory passes.
#include "accel/MemoryManager.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/ScopeGuard.h"

namespace ql {

namespace {
constexpr std::uint32_t kTimeOfDayClass = 3;
constexpr std::uint32_t kPerformanceClass = 2;
// The time-of-day record is 48 bytes; Wine refuses a smaller buffer, Windows accepts this one.
constexpr std::size_t kTimeOfDaySize = 48;
constexpr std::size_t kPerformanceSize = 312;
constexpr std::size_t kSystemTimeOffset = 8;  // after the boot time
constexpr std::size_t kIdleTimeOffset = 0;
constexpr std::size_t kMiB = 1048576;
constexpr double kSecondsPerDay = 86400;
constexpr std::int64_t kWaitSeconds = 10;
constexpr std::uint32_t kPauseMs = 100;

// A 64-bit count of a system record: signed high part times 2^32 plus unsigned low part.
double ReadCount(const std::uint8_t* record, std::size_t offset) {
  const std::uint8_t* p = record + offset;
  const std::uint32_t low = p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
  const std::uint32_t highBits = p[4] | (p[5] << 8) | (p[6] << 16) | (std::uint32_t{p[7]} << 24);
  std::int32_t high;
  std::memcpy(&high, &highBits, sizeof high);
  return high * 4294967296.0 + low;
}

// Rounds to the nearest integer, halves to even, kept inside the 32-bit range so that odd
// counters cannot make the conversion undefined.
std::int32_t RoundToInt32(double value) {
  constexpr double kLow = std::numeric_limits<std::int32_t>::min();
  constexpr double kHigh = std::numeric_limits<std::int32_t>::max();
  const double rounded = std::nearbyint(value);
  if (!(rounded >= kLow))
    return std::numeric_limits<std::int32_t>::min();
  if (rounded > kHigh)
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(rounded);
}

// One heap block, given back when the owner ends.
class HeapBlock {
 public:
  HeapBlock(System& system, std::size_t bytes)
      : system_(system), block_(system.HeapAllocate(bytes)) {}
  HeapBlock(const HeapBlock&) = delete;
  HeapBlock& operator=(const HeapBlock&) = delete;
  ~HeapBlock() {
    if (block_ != nullptr)
      system_.HeapRelease(block_);
  }
  void* get() const { return block_; }

 private:
  System& system_;
  void* block_;
};

// The committed blocks of a manual pass, each given back exactly once: by the pass, in the order
// they were taken, or by the owner when the pass ends early.
class CommittedBlocks {
 public:
  CommittedBlocks(System& system, std::size_t capacity) : system_(system) {
    blocks_.reserve(capacity);
  }
  CommittedBlocks(const CommittedBlocks&) = delete;
  CommittedBlocks& operator=(const CommittedBlocks&) = delete;
  ~CommittedBlocks() {
    while (released_ < blocks_.size())
      system_.ReleaseBlock(blocks_[released_++]);
  }
  // Null when the block cannot be had.
  void* Commit(std::size_t bytes) {
    void* block = system_.CommitBlock(bytes);
    if (block != nullptr)
      blocks_.push_back(block);
    return block;
  }
  // Gives the blocks back in order and calls `after` after each; should `after` throw, the rest
  // are given back by the destructor.
  template <typename After>
  void ReleaseInOrder(After after) {
    while (released_ < blocks_.size()) {
      system_.ReleaseBlock(blocks_[released_++]);
      after();
    }
  }

 private:
  System& system_;
  std::vector<void*> blocks_;
  std::size_t released_ = 0;
};
}  // namespace

MemoryFigures ToMemoryFigures(const MemoryStatus& status) {
  MemoryFigures figures;
  figures.TotalMB = static_cast<std::uint32_t>(status.totalPhysical >> 20);
  figures.FreeMB = static_cast<std::uint32_t>(status.availablePhysical >> 20);
  if (figures.TotalMB != 0)
    figures.FreePercent =
        static_cast<std::uint32_t>(std::uint64_t{figures.FreeMB} * 100 / figures.TotalMB);
  return figures;
}

std::int32_t LoadPercent(double idleDelta, double timeDelta, std::uint32_t processorCount) {
  const double processors = processorCount == 0 ? 1 : processorCount;
  const double idleShare = timeDelta == 0 ? 1 : idleDelta / processors / timeDelta;
  return RoundToInt32(100 - idleShare * 100 + 0.5);
}

std::int64_t WholeSecondsBetween(double a, double b) {
  return static_cast<std::int64_t>(std::fabs(a - b) * kSecondsPerDay);
}

AutoPassDecision DecideAutoPass(const AutoPassRules& rules) {
  AutoPassDecision decision;
  decision.lastFreePercent = rules.lastFreePercent;
  // Zero total memory means the status could not be read: nothing to decide on.
  if (rules.disabled || rules.memory.TotalMB > MemoryManager::kAutoLimitMB ||
      rules.memory.TotalMB == 0)
    return decision;
  const auto freePercent = static_cast<std::int32_t>(rules.memory.FreePercent);
  if (freePercent == rules.lastFreePercent)
    return decision;
  decision.lastFreePercent = freePercent;
  if (rules.cpuLoad > Accelerator::kLoadLimit) {
    decision.postpone = true;
    return decision;
  }
  if (freePercent >= rules.freeThreshold ||
      WholeSecondsBetween(rules.lastActionTime, rules.now) < kWaitSeconds)
    return decision;
  decision.passPercent = freePercent < MemoryManager::kLowMemoryPercent
                             ? MemoryManager::kLowMemoryPassPercent
                             : rules.freeThreshold;
  return decision;
}

std::size_t ManualPassBlockCount(std::uint32_t totalMB, std::uint64_t availableCommitBytes) {
  const auto share = static_cast<std::size_t>(std::nearbyint(totalMB * 0.8));
  const std::uint64_t commitBlocks = availableCommitBytes / kMiB;
  return static_cast<std::size_t>(
      std::min<std::uint64_t>({share, MemoryManager::kMaxManualBlocks, commitBlocks}));
}

MemoryManager::MemoryManager(System& system, Processes& processes, Clock& clock, Pump& pump,
                             Accelerator& accelerator, AccelView& view, MemoryState& memory)
    : system_(system),
      processes_(processes),
      clock_(clock),
      pump_(pump),
      accelerator_(accelerator),
      view_(view),
      memory_(memory) {}

void MemoryManager::Reset() {
  memory_.CpuLoad = 0;
  memory_.MemoryBusy = false;
  FreeThreshold = 50;
  LastFreePercent = 0;
  previousIdle_ = 0;
  previousTime_ = 0;
}

std::int32_t MemoryManager::GetCpuUsage() {
  alignas(8) std::uint8_t timeOfDay[kTimeOfDaySize] = {};
  if (system_.QuerySystemInformation(kTimeOfDayClass, timeOfDay, sizeof timeOfDay) != 0)
    return 0;
  alignas(8) std::uint8_t performance[kPerformanceSize] = {};
  if (system_.QuerySystemInformation(kPerformanceClass, performance, sizeof performance) != 0)
    return 0;
  const double idle = ReadCount(performance, kIdleTimeOffset);
  const double time = ReadCount(timeOfDay, kSystemTimeOffset);
  std::int32_t load = 0;
  if (previousIdle_ != 0)
    load = LoadPercent(idle - previousIdle_, time - previousTime_, system_.ProcessorCount());
  previousIdle_ = idle;
  previousTime_ = time;
  return load;
}

MemoryFigures MemoryManager::ReadMemoryFigures() {
  MemoryStatus status;
  if (!system_.ReadMemoryStatus(status))
    return MemoryFigures{};
  return ToMemoryFigures(status);
}

void MemoryManager::MemTimerEvent() {
  if (memory_.MemoryBusy)
    return;
  memory_.CpuLoad = GetCpuUsage();
  if (memory_.CpuLoad < 0)
    memory_.CpuLoad = 1;
  memory_.CurrentMemory = ReadMemoryFigures();
  view_.ShowCounters(accelerator_.CountProcesses(), memory_.CurrentMemory.FreePercent,
                     memory_.CpuLoad);
  AutoPassRules rules;
  rules.disabled = memory_.DisableMemoryManagement;
  rules.memory = memory_.CurrentMemory;
  rules.cpuLoad = memory_.CpuLoad;
  rules.freeThreshold = FreeThreshold;
  rules.lastFreePercent = LastFreePercent;
  rules.lastActionTime = accelerator_.LastActionTime;
  rules.now = clock_.TimeOfDay();
  const AutoPassDecision decision = DecideAutoPass(rules);
  LastFreePercent = decision.lastFreePercent;
  if (decision.postpone)
    accelerator_.LastActionTime = rules.now;
  if (decision.passPercent > 0)
    RunAutomaticPass(decision.passPercent);
}

// The busy flag is set before pending messages run, so that a click or tick among them cannot
// start a second pass inside this one.
void MemoryManager::RunAutomaticPass(std::int32_t percent) {
  if (memory_.MemoryBusy)
    return;
  const BusyFlag busy(memory_.MemoryBusy);
  view_.ShowWindowBusy(true);
  ScopeExit cursor([this] { view_.ShowWindowBusy(false); });
  pump_.ProcessMessages();
  SetOwnPriority(priority::kHigh);
  ScopeExit ownPriority([this] { SetOwnPriority(priority::kNormal); });
  if (percent > 0)
    ZeroHeapBlock(std::uint64_t{memory_.CurrentMemory.TotalMB} * kMiB *
                  static_cast<std::uint64_t>(percent) / 100);
  memory_.CurrentMemory = ReadMemoryFigures();
  const auto freePercent = static_cast<std::int32_t>(memory_.CurrentMemory.FreePercent);
  LastFreePercent = freePercent;
  if (freePercent > FreeThreshold - 10)
    FreeThreshold = freePercent;
  ownPriority.Run();
  cursor.Run();
  pump_.ProcessMessages();
  accelerator_.LastActionTime = clock_.TimeOfDay();
}

// Writing zeros over a large block makes the system move other programs' pages out of physical
// memory. A size beyond a 32-bit count, or a block that cannot be had, leaves nothing to do.
void MemoryManager::ZeroHeapBlock(std::uint64_t bytes) {
  if (bytes == 0 || bytes > std::numeric_limits<std::uint32_t>::max())
    return;
  HeapBlock block(system_, static_cast<std::size_t>(bytes));
  if (block.get() != nullptr)
    std::memset(block.get(), 0, static_cast<std::size_t>(bytes));
}

void MemoryManager::SetOwnPriority(std::uint32_t priorityClass) {
  ProcessRef own(processes_, processes_.CurrentProcessId(), processaccess::kSetInformation);
  if (own.IsOpen())
    processes_.SetPriorityClassOf(own.Get(), priorityClass);
}

void MemoryManager::RunManualPass() {
  if (memory_.MemoryBusy)
    return;
  {
    const BusyFlag busy(memory_.MemoryBusy);
    view_.ShowProgress(0);
    ScopeExit progress([this] { view_.HideProgress(); });
    view_.ShowManualPassBusy(true);
    ScopeExit cursors([this] { view_.ShowManualPassBusy(false); });
    pump_.ProcessMessages();
    memory_.CurrentMemory = ReadMemoryFigures();
    const std::size_t planned =
        memory_.CurrentMemory.TotalMB > memory_.CurrentMemory.FreeMB ? PlanManualBlocks() : 0;
    if (planned > 0)
      CommitAndReleaseBlocks(planned);
    cursors.Run();
    pump_.ProcessMessages();
    progress.Run();
  }
  MemTimerEvent();
}

// A commit limit that cannot be read plans no blocks at all.
std::size_t MemoryManager::PlanManualBlocks() {
  std::uint64_t available = 0;
  if (!system_.AvailableCommit(available))
    available = 0;
  return ManualPassBlockCount(memory_.CurrentMemory.TotalMB, available);
}

// Commits the blocks one by one; when one cannot be had, the blocks taken so far are given back
// and the pass ends early.
void MemoryManager::CommitAndReleaseBlocks(std::size_t count) {
  CommittedBlocks blocks(system_, count);
  for (std::size_t i = 0; i < count; ++i)
    pump_.ProcessMessages();
  bool complete = true;
  int width = 0;
  std::int32_t previousPercent = 0;
  for (std::size_t i = 0; i < count; ++i) {
    void* block = blocks.Commit(kMiB);
    if (block == nullptr) {
      complete = false;
      break;
    }
    std::memset(block, 0, kMiB);
    const std::int32_t percent = RoundToInt32(i * 100.0 / count);
    if (percent != previousPercent)
      view_.ShowProgress(++width);
    previousPercent = percent;
    pump_.ProcessMessages();
  }
  blocks.ReleaseInOrder([this] { pump_.ProcessMessages(); });
  if (!complete)
    return;
  view_.ShowProgress(kFinalProgressWidth);
  system_.SleepMs(kPauseMs);
}

}  // namespace ql
