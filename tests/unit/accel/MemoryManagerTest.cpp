// Tests of the load meter and the memory manager on the in-memory system with a scripted clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "RecordingView.h"
#include "accel/MemoryManager.h"
#include "platform/fake/FakePlatform.h"

namespace ql {
namespace {

constexpr std::int64_t kFourSeconds = 40'000'000;  // in 100 ns units
constexpr std::uint64_t kMiB = 1 << 20;

MemoryStatus Megabytes(std::uint64_t total, std::uint64_t available) {
  return MemoryStatus{total * kMiB, available * kMiB};
}

class MemoryManagerTest : public ::testing::Test {
 protected:
  MemoryManagerTest() {
    fake.clock.SetTime(12, 0, 0);
    FakeProcess own;
    own.processId = fake.processes.CurrentProcessId();
    fake.processes.AddProcess(own);
    fake.system.SetMemoryMegabytes(100, 30);
    // Automatic passes attempt their heap block but get none, so that deciding tests stay fast;
    // tests of the block itself lift the limit. Blocks of 1 MiB are still granted.
    fake.system.SetAllocationLimit(kMiB);
    accelerator.Reset();
    memory.Reset();
  }

  // Ticks of the 4-second timer, the clock moving on before each.
  void Ticks(int count) {
    for (int i = 0; i < count; ++i) {
      fake.clock.AdvanceSeconds(4);
      memory.MemTimerEvent();
    }
  }
  std::uint32_t OwnClass() { return fake.processes.PriorityOf(fake.processes.CurrentProcessId()); }

  FakePlatform fake;
  RecordingView view;
  MemoryState state;
  Accelerator accelerator{fake.processes, fake.clock, view, state};
  MemoryManager memory{fake.system, fake.processes, fake.clock, fake.pump,
                       accelerator, view,           state};
};

TEST_F(MemoryManagerTest, FirstLoadReadingOnlyStoresTheCounters) {
  fake.system.SetProcessorCount(2);
  fake.system.QueueLoadSample(1000 * kFourSeconds, 500 * kFourSeconds);
  fake.system.QueueLoadSample(1001 * kFourSeconds, 501 * kFourSeconds);
  EXPECT_EQ(0, memory.GetCpuUsage());
  // One of two processors idle for the whole interval: half the machine is busy.
  EXPECT_EQ(50, memory.GetCpuUsage());
}

TEST_F(MemoryManagerTest, LoadOnFourProcessorsIsTheirAverage) {
  fake.system.SetProcessorCount(4);
  fake.system.QueueLoadSample(kFourSeconds, kFourSeconds);
  fake.system.QueueLoadSample(2 * kFourSeconds, kFourSeconds + 3 * kFourSeconds);
  memory.GetCpuUsage();
  EXPECT_EQ(26, memory.GetCpuUsage());  // a quarter busy: 25.5 rounds to even
}

TEST_F(MemoryManagerTest, AFailedQueryGivesZeroAndKeepsThePreviousCounters) {
  fake.system.QueueLoadSample(kFourSeconds, kFourSeconds);
  memory.GetCpuUsage();
  fake.system.FailInfoClass(3, ntstatus::kInvalidInfoClass);
  fake.system.QueueLoadSample(2 * kFourSeconds, kFourSeconds);
  EXPECT_EQ(0, memory.GetCpuUsage());
  fake.system.ClearInfoFailures();
  fake.system.FailInfoClass(2, ntstatus::kInfoLengthMismatch);
  EXPECT_EQ(0, memory.GetCpuUsage());
  fake.system.ClearInfoFailures();
  // The next good pair is measured against the first one: 3 intervals, all busy.
  fake.system.QueueLoadSample(4 * kFourSeconds, kFourSeconds);
  EXPECT_EQ(100, memory.GetCpuUsage());
}

TEST_F(MemoryManagerTest, TickShowsProcessesFreeMemoryAndLoad) {
  FakeProcess other;
  other.processId = 77;
  fake.processes.AddProcess(other);
  fake.system.SetMemoryMegabytes(2048, 512);
  memory.MemTimerEvent();
  EXPECT_EQ(2, view.processes);
  EXPECT_EQ(25u, view.free);
  EXPECT_EQ(0, view.load);
  EXPECT_EQ(2048u, state.CurrentMemory.TotalMB);
  EXPECT_EQ(512u, state.CurrentMemory.FreeMB);
}

TEST_F(MemoryManagerTest, ALoadBelowZeroIsShownAsOne) {
  fake.system.QueueLoadSample(kFourSeconds, kFourSeconds);
  fake.system.QueueLoadSample(2 * kFourSeconds, 3 * kFourSeconds);  // more idle than time
  memory.MemTimerEvent();
  memory.MemTimerEvent();
  EXPECT_EQ(1, state.CpuLoad);
  EXPECT_EQ(1, view.load);
}

TEST_F(MemoryManagerTest, TickDuringAPassChangesNothing) {
  state.MemoryBusy = true;
  memory.MemTimerEvent();
  EXPECT_EQ(0, view.counterShows);
  EXPECT_EQ(0u, fake.system.MemoryStatusReads());
}

TEST_F(MemoryManagerTest, NoPassWithinTenSecondsOfTheLastAction) {
  fake.system.SetMemoryMegabytes(100, 30);
  Ticks(1);  // 4 s after start
  EXPECT_EQ(0u, fake.system.HeapAllocationCount());
  fake.system.SetMemoryMegabytes(100, 29);
  Ticks(1);  // 8 s
  EXPECT_EQ(0u, fake.system.HeapAllocationCount());
  fake.system.SetMemoryMegabytes(100, 28);
  Ticks(1);  // 12 s
  EXPECT_EQ(1u, fake.system.HeapAllocationCount());
}

TEST_F(MemoryManagerTest, TheSamePercentageTwiceInARowStartsNoPass) {
  fake.system.SetMemoryMegabytes(100, 30);
  Ticks(1);
  Ticks(5);  // long past the waiting time, but still 30 %
  EXPECT_EQ(0u, fake.system.HeapAllocationCount());
  EXPECT_EQ(30, memory.LastFreePercent);
}

TEST_F(MemoryManagerTest, AnAcceleratorChangePostponesThePass) {
  Ticks(3);
  FakeProcess app;
  app.processId = 9;
  fake.processes.AddProcess(app);
  fake.processes.SetForegroundWindow(fake.processes.AddWindow(9, "app"));
  fake.clock.AdvanceSeconds(2);
  accelerator.ProcessTimerEvent();
  fake.system.SetMemoryMegabytes(100, 29);
  Ticks(1);  // 4 s after the raise
  EXPECT_EQ(0u, fake.system.HeapAllocationCount());
}

TEST_F(MemoryManagerTest, HighLoadOnlyPostponesByTenSeconds) {
  Ticks(3);
  fake.system.SetProcessorCount(1);
  fake.system.QueueLoadSample(kFourSeconds, kFourSeconds);
  fake.system.QueueLoadSample(2 * kFourSeconds, kFourSeconds);  // fully busy
  fake.system.SetMemoryMegabytes(100, 29);
  memory.GetCpuUsage();
  Ticks(1);
  EXPECT_EQ(100, state.CpuLoad);
  EXPECT_DOUBLE_EQ(fake.clock.TimeOfDay(), accelerator.LastActionTime);
  EXPECT_EQ(0u, fake.system.HeapAllocationCount());
  fake.system.QueueLoadSample(3 * kFourSeconds, 2 * kFourSeconds);  // idle again
  fake.system.SetMemoryMegabytes(100, 28);
  Ticks(2);  // 8 s after the busy tick: still waiting
  EXPECT_EQ(0u, fake.system.HeapAllocationCount());
  fake.system.SetMemoryMegabytes(100, 27);
  Ticks(1);
  EXPECT_EQ(1u, fake.system.HeapAllocationCount());
}

TEST_F(MemoryManagerTest, MoreThan1000MiBIsNeverFreedAutomatically) {
  for (std::uint64_t free = 40; free > 0; free -= 5) {
    fake.system.SetMemoryMegabytes(1001, free);
    Ticks(4);
  }
  EXPECT_EQ(0u, fake.system.HeapAllocationCount());
  EXPECT_GT(view.counterShows, 0);
}

TEST_F(MemoryManagerTest, SwitchedOffMeansNoAutomaticPass) {
  state.DisableMemoryManagement = true;
  for (std::uint64_t free = 40; free > 0; free -= 5) {
    fake.system.SetMemoryMegabytes(100, free);
    Ticks(4);
  }
  EXPECT_EQ(0u, fake.system.HeapAllocationCount());
}

TEST_F(MemoryManagerTest, LowMemoryPassTakesNinetyPercentOtherwiseTheThreshold) {
  fake.system.SetAllocationLimit(0);
  fake.system.SetMemoryMegabytes(20, 1);
  fake.clock.AdvanceSeconds(11);
  memory.MemTimerEvent();
  EXPECT_EQ(20 * kMiB * 90 / 100, fake.system.LargestAllocation());
  EXPECT_EQ(0u, fake.system.OutstandingHeapBlocks());
}

struct ThresholdCase {
  std::uint64_t freeAfter;
  std::int32_t threshold;
};

TEST_F(MemoryManagerTest, ThresholdFollowsThePassUnlessItEndsTenPointsBelow) {
  const ThresholdCase cases[] = {{45, 45}, {35, 50}, {41, 41}, {40, 50}, {70, 70}};
  for (const ThresholdCase& c : cases) {
    memory.Reset();
    accelerator.Reset();
    fake.system.SetAllocationLimit(0);
    fake.system.QueueMemoryStatus(Megabytes(20, 6));
    fake.system.QueueMemoryStatus(Megabytes(100, c.freeAfter));
    fake.clock.AdvanceSeconds(11);
    memory.MemTimerEvent();
    EXPECT_EQ(20 * kMiB / 2, fake.system.LargestAllocation());
    EXPECT_EQ(c.threshold, memory.FreeThreshold) << c.freeAfter;
    EXPECT_EQ(static_cast<std::int32_t>(c.freeAfter), memory.LastFreePercent);
  }
}

TEST_F(MemoryManagerTest, AutomaticPassIsBusyWhileMessagesRunThenRestoresEverything) {
  fake.system.SetMemoryMegabytes(100, 30);
  bool sawBusy = false;
  fake.pump.OnCall(1, [&] {
    sawBusy = state.MemoryBusy;
    // A second pass, a tick and a click arriving while the first runs must do nothing.
    memory.RunAutomaticPass(50);
    memory.MemTimerEvent();
    memory.RunManualPass();
  });
  fake.clock.AdvanceSeconds(11);
  memory.MemTimerEvent();
  EXPECT_TRUE(sawBusy);
  EXPECT_EQ(1u, fake.system.HeapAllocationCount());
  EXPECT_EQ(0u, fake.system.CommitCount());
  EXPECT_EQ(1, view.counterShows);
  EXPECT_FALSE(state.MemoryBusy);
  EXPECT_EQ((std::vector<bool>{true, false}), view.windowBusy);
  EXPECT_DOUBLE_EQ(fake.clock.TimeOfDay(), accelerator.LastActionTime);
}

TEST_F(MemoryManagerTest, AutomaticPassLeavesTheOwnProcessAtTheNormalClass) {
  fake.processes.Find(fake.processes.CurrentProcessId())->priorityClass = priority::kIdle;
  const std::size_t opened = fake.processes.TotalOpenCount();
  memory.RunAutomaticPass(50);
  EXPECT_EQ(priority::kNormal, OwnClass());
  EXPECT_EQ(opened + 2, fake.processes.TotalOpenCount());  // raised, then set back
  EXPECT_EQ(0u, fake.processes.OpenHandleCount());
}

TEST_F(MemoryManagerTest, AHeapBlockThatCannotBeHadEndsThePassCleanly) {
  fake.system.SetMemoryMegabytes(100, 30);
  state.CurrentMemory = memory.ReadMemoryFigures();
  memory.RunAutomaticPass(50);
  EXPECT_EQ(1u, fake.system.HeapAllocationCount());
  EXPECT_EQ(0u, fake.system.OutstandingHeapBlocks());
  EXPECT_FALSE(state.MemoryBusy);
  EXPECT_EQ((std::vector<bool>{true, false}), view.windowBusy);
  EXPECT_EQ(priority::kNormal, OwnClass());
}

TEST_F(MemoryManagerTest, ManualPassOn512MiBCommits410BlocksAndEndsAt125Pixels) {
  fake.system.SetMemoryMegabytes(512, 100);
  memory.RunManualPass();
  EXPECT_EQ(410u, fake.system.CommitCount());
  EXPECT_EQ(0u, fake.system.OutstandingCommittedBlocks());
  EXPECT_EQ(0u, fake.system.InvalidReleaseCount());
  ASSERT_FALSE(view.progressWidths.empty());
  EXPECT_EQ(0, view.progressWidths.front());
  EXPECT_EQ(125, view.progressWidths.back());
  // One pixel for every whole percent reached on the way, then the full width.
  for (std::size_t i = 1; i + 1 < view.progressWidths.size(); ++i)
    EXPECT_EQ(static_cast<int>(i), view.progressWidths[i]);
  EXPECT_EQ(102u, view.progressWidths.size());
  EXPECT_EQ(std::vector<std::uint32_t>{100}, fake.system.Sleeps());
  EXPECT_FALSE(view.progressVisible);
  EXPECT_EQ((std::vector<bool>{true, false}), view.manualBusy);
  EXPECT_FALSE(state.MemoryBusy);
  EXPECT_EQ(1, view.counterShows);  // the figures are fresh afterwards
}

// The window stays responsive: messages run between any two blocks taken or given back.
TEST_F(MemoryManagerTest, ManualPassLetsMessagesRunBetweenAnyTwoBlocks) {
  fake.system.SetMemoryMegabytes(10, 1);
  std::vector<std::size_t> heldAtPump{0};
  fake.pump.OnEveryCall([&] { heldAtPump.push_back(fake.system.OutstandingCommittedBlocks()); });
  memory.RunManualPass();
  ASSERT_EQ(8u, fake.system.CommitCount());
  heldAtPump.push_back(fake.system.OutstandingCommittedBlocks());
  EXPECT_EQ(8u, *std::max_element(heldAtPump.begin(), heldAtPump.end()));
  for (std::size_t i = 1; i < heldAtPump.size(); ++i) {
    const std::size_t change = heldAtPump[i] > heldAtPump[i - 1]
                                   ? heldAtPump[i] - heldAtPump[i - 1]
                                   : heldAtPump[i - 1] - heldAtPump[i];
    EXPECT_LE(change, 1u) << "two blocks without a pump, at pump " << i;
  }
}

TEST_F(MemoryManagerTest, ManualPassLeavesTheSettingsOfTheAutomaticPassAlone) {
  state.DisableMemoryManagement = true;
  fake.system.SetMemoryMegabytes(20, 10);
  memory.FreeThreshold = 33;
  memory.LastFreePercent = 12;
  const double actionTime = accelerator.LastActionTime;
  memory.RunManualPass();
  EXPECT_EQ(16u, fake.system.CommitCount());
  EXPECT_EQ(33, memory.FreeThreshold);
  EXPECT_EQ(12, memory.LastFreePercent);
  EXPECT_DOUBLE_EQ(actionTime, accelerator.LastActionTime);
  EXPECT_EQ(priority::kNormal, OwnClass());
}

TEST_F(MemoryManagerTest, ABlockThatCannotBeHadEndsTheManualPassCleanly) {
  // Address space or commit can run out before the planned 1,536 blocks are had.
  fake.system.SetMemoryMegabytes(8192, 4096);
  fake.system.FailAllocationsAfter(19);
  int pumpsWhileBusy = 0;
  fake.pump.OnEveryCall([&] { pumpsWhileBusy += state.MemoryBusy ? 1 : 0; });
  memory.RunManualPass();
  EXPECT_EQ(20u, fake.system.CommitCount());
  EXPECT_EQ(0u, fake.system.OutstandingCommittedBlocks());
  EXPECT_EQ(0u, fake.system.InvalidReleaseCount());
  EXPECT_FALSE(state.MemoryBusy);
  EXPECT_FALSE(view.progressVisible);
  EXPECT_EQ((std::vector<bool>{true, false}), view.manualBusy);
  EXPECT_TRUE(fake.system.Sleeps().empty());
  EXPECT_NE(125, view.progressWidths.back());
  // The plan is capped at 1,536 entries: before, the list, 19 blocks taken and given back, after.
  EXPECT_EQ(1 + 1536 + 19 + 19 + 1, pumpsWhileBusy);
}

TEST_F(MemoryManagerTest, ManualPassPlansNoMoreThanTheCommitLeft) {
  struct Case {
    std::uint64_t totalMB;
    std::uint64_t commitMB;
    bool commitReadable;
    std::size_t blocks;
  };
  const Case cases[] = {{512, 10, true, 10}, {512, 1 << 20, false, 0}};
  for (const Case& c : cases) {
    FakePlatform machine;
    RecordingView shown;
    MemoryState figures;
    Accelerator accel{machine.processes, machine.clock, shown, figures};
    MemoryManager manager{
        machine.system, machine.processes, machine.clock, machine.pump, accel, shown, figures};
    machine.system.SetMemoryMegabytes(c.totalMB, c.totalMB / 4);
    machine.system.SetAvailableCommit(c.commitMB * kMiB);
    machine.system.SetAvailableCommitFails(!c.commitReadable);
    machine.system.SetAllocationLimit(kMiB);  // no heap block for the automatic pass after it
    manager.RunManualPass();
    EXPECT_EQ(c.blocks, machine.system.CommitCount()) << c.totalMB;
    EXPECT_EQ(0u, machine.system.OutstandingCommittedBlocks());
    // The bar runs over the blocks planned: full at the end of a complete pass.
    EXPECT_EQ(c.blocks > 0 ? 125 : 0, shown.progressWidths.back()) << c.totalMB;
    EXPECT_FALSE(figures.MemoryBusy);
  }
}

// The message path carries a handler's exception out through the pass wherever it lets messages
// run: before the blocks, while it lists, takes or gives them back, and at its end.
TEST_F(MemoryManagerTest, ManualPassEndsCleanlyWhenAHandlerThrows) {
  fake.system.SetMemoryMegabytes(10, 1);  // 8 blocks: pumps 1, 2-9, 10-17, 18-25, 26
  for (std::size_t throwAt : {1u, 5u, 9u, 10u, 14u, 17u, 18u, 22u, 26u}) {
    view = RecordingView();
    fake.pump.ClearActions();
    const std::size_t callsBefore = fake.pump.CallCount();
    fake.pump.OnCall(callsBefore + throwAt, [] { throw std::runtime_error("handler failed"); });
    EXPECT_THROW(memory.RunManualPass(), std::runtime_error) << throwAt;
    EXPECT_FALSE(state.MemoryBusy) << throwAt;
    EXPECT_EQ(0u, fake.system.OutstandingCommittedBlocks()) << throwAt;
    EXPECT_EQ(0u, fake.system.InvalidReleaseCount()) << throwAt;
    EXPECT_FALSE(view.progressVisible) << throwAt;
    EXPECT_EQ((std::vector<bool>{true, false}), view.manualBusy) << throwAt;
  }
  fake.pump.ClearActions();
  const std::size_t commits = fake.system.CommitCount();
  memory.RunManualPass();  // the next pass is not refused
  EXPECT_EQ(commits + 8, fake.system.CommitCount());
}

TEST_F(MemoryManagerTest, AutomaticPassEndsCleanlyWhenAHandlerThrows) {
  fake.system.SetAllocationLimit(0);
  for (std::size_t throwAt : {1u, 2u}) {
    view = RecordingView();
    fake.pump.ClearActions();
    fake.pump.OnCall(fake.pump.CallCount() + throwAt, [] { throw std::runtime_error("failed"); });
    EXPECT_THROW(memory.RunAutomaticPass(50), std::runtime_error) << throwAt;
    EXPECT_FALSE(state.MemoryBusy) << throwAt;
    EXPECT_EQ((std::vector<bool>{true, false}), view.windowBusy) << throwAt;
    EXPECT_EQ(priority::kNormal, OwnClass()) << throwAt;
    EXPECT_EQ(0u, fake.system.OutstandingHeapBlocks()) << throwAt;
    EXPECT_EQ(0u, fake.processes.OpenHandleCount()) << throwAt;
  }
}

TEST_F(MemoryManagerTest, ManualPassWithEverythingFreeCommitsNothing) {
  fake.system.SetMemoryMegabytes(512, 512);
  memory.RunManualPass();
  EXPECT_EQ(0u, fake.system.CommitCount());
  EXPECT_FALSE(view.progressVisible);
  EXPECT_FALSE(state.MemoryBusy);
}

TEST_F(MemoryManagerTest, ASecondClickDuringTheManualPassIsIgnored) {
  fake.system.SetMemoryMegabytes(10, 1);
  fake.pump.OnCall(3, [&] { memory.RunManualPass(); });
  fake.pump.OnCall(1, [&] { memory.RunManualPass(); });  // before the first block
  memory.RunManualPass();
  EXPECT_EQ(8u, fake.system.CommitCount());
}

TEST_F(MemoryManagerTest, UnreadableMemoryStatusShowsZeroAndFreesNothing) {
  fake.system.SetMemoryStatusFails(true);
  Ticks(5);
  EXPECT_EQ(0u, state.CurrentMemory.TotalMB);
  EXPECT_EQ(0u, view.free);
  EXPECT_EQ(0u, fake.system.HeapAllocationCount());
}

}  // namespace
}  // namespace ql
