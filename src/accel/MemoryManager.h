// The processor load meter and the memory manager: figures every 4 seconds, automatic and manual
// memory passes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "accel/AccelView.h"
#include "accel/Accelerator.h"
#include "accel/MemoryState.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace ql {

// Physical memory in MiB and the free share; all zero when the status cannot be read.
MemoryFigures ToMemoryFigures(const MemoryStatus& status);

// The load in percent from two readings of the idle time (summed over all processors) and the
// system time, in 100-nanosecond units.
std::int32_t LoadPercent(double idleDelta, double timeDelta, std::uint32_t processorCount);

// What a memory tick decides about an automatic pass.
struct AutoPassRules {
  bool disabled = false;  // DisableMemoryManagement
  MemoryFigures memory;
  std::int32_t cpuLoad = 0;
  std::int32_t freeThreshold = 50;
  std::int32_t lastFreePercent = 0;
  double lastActionTime = 0;
  double now = 0;
};
struct AutoPassDecision {
  std::int32_t lastFreePercent = 0;  // the updated value
  bool postpone = false;             // the load was high: the action time becomes now
  std::int32_t passPercent = 0;      // 0: no pass
};
AutoPassDecision DecideAutoPass(const AutoPassRules& rules);

// Whole seconds between two times of day, as the difference of the two fractions of a day.
std::int64_t WholeSecondsBetween(double a, double b);

// Blocks of 1 MiB that a manual pass commits: 80 % of the physical memory, but never more than a
// 32-bit process could take (kMaxManualBlocks) nor more than the commit left over.
std::size_t ManualPassBlockCount(std::uint32_t totalMB, std::uint64_t availableCommitBytes);

class MemoryManager {
 public:
  static constexpr std::uint32_t kAutoLimitMB = 1000;
  static constexpr std::int32_t kLowMemoryPercent = 10;
  static constexpr std::int32_t kLowMemoryPassPercent = 90;
  static constexpr int kFinalProgressWidth = 125;
  // A 32-bit process under Wine fails near 1,900 blocks; the 64-bit build takes no more than the
  // 32-bit product could, instead of paging out most of a large machine.
  static constexpr std::size_t kMaxManualBlocks = 1536;

  // The memory state must outlive the memory manager.
  MemoryManager(System& system, Processes& processes, Clock& clock, Pump& pump,
                Accelerator& accelerator, AccelView& view, MemoryState& memory);

  // The state at start-up; the memory state's CpuLoad and MemoryBusy are cleared too.
  void Reset();
  // One tick of the 4000 ms timer.
  void MemTimerEvent();
  std::int32_t GetCpuUsage();
  MemoryFigures ReadMemoryFigures();
  // The automatic pass over a share of the physical memory in percent.
  void RunAutomaticPass(std::int32_t percent);
  // The manual pass, started by a click on the free-memory figure.
  void RunManualPass();

  std::int32_t FreeThreshold = 50;
  std::int32_t LastFreePercent = 0;

 private:
  void SetOwnPriority(std::uint32_t priorityClass);
  void ZeroHeapBlock(std::uint64_t bytes);
  std::size_t PlanManualBlocks();
  void CommitAndReleaseBlocks(std::size_t count);

  System& system_;
  Processes& processes_;
  Clock& clock_;
  Pump& pump_;
  Accelerator& accelerator_;
  AccelView& view_;
  MemoryState& memory_;
  double previousIdle_ = 0;
  double previousTime_ = 0;
};

}  // namespace ql
