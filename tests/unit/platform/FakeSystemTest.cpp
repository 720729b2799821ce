// Tests of the in-memory system, clock, code page, shell and pump.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/fake/FakePlatform.h"

namespace ql {
namespace {

std::int64_t Field(const std::uint8_t* record, std::size_t offset) {
  std::int64_t value = 0;
  std::memcpy(&value, record + offset, sizeof value);
  return value;
}

TEST(FakeSystem, LoadCountersFollowTheQueuedSamples) {
  FakeSystem system;
  system.QueueLoadSample(1000, 400);
  system.QueueLoadSample(2000, 900);
  std::uint8_t timeOfDay[32] = {};
  std::uint8_t performance[312] = {};
  for (std::int64_t expectedTime : {1000, 2000, 2000}) {
    ASSERT_EQ(system.QuerySystemInformation(sysinfo::kTimeOfDay, timeOfDay, 32), 0);
    ASSERT_EQ(system.QuerySystemInformation(sysinfo::kPerformance, performance, 312), 0);
    EXPECT_EQ(Field(timeOfDay, 8), expectedTime);
  }
  EXPECT_EQ(Field(performance, 0), 900);
  EXPECT_EQ(system.QuerySystemInformation(sysinfo::kTimeOfDay, timeOfDay, 49),
            ntstatus::kInfoLengthMismatch);
  EXPECT_EQ(system.QuerySystemInformation(sysinfo::kPerformance, performance, 311),
            ntstatus::kInfoLengthMismatch);
  EXPECT_EQ(system.QuerySystemInformation(5, performance, 312), ntstatus::kInvalidInfoClass);
  system.FailInfoClass(sysinfo::kPerformance, ntstatus::kAccessViolation);
  EXPECT_EQ(system.QuerySystemInformation(sysinfo::kPerformance, performance, 312),
            ntstatus::kAccessViolation);
  EXPECT_EQ(system.InfoQueryCount(sysinfo::kPerformance), 5u);
}

TEST(FakeSystem, AllocationsAreRealAndCanBeMadeToFail) {
  FakeSystem system;
  void* block = system.CommitBlock(1 << 20);
  ASSERT_NE(block, nullptr);
  std::memset(block, 0, 1 << 20);
  system.SetAllocationLimit(1000);
  EXPECT_EQ(system.HeapAllocate(1001), nullptr);
  system.SetAllocationLimit(0);
  system.FailAllocationsAfter(1);
  void* heap = system.HeapAllocate(10);
  EXPECT_NE(heap, nullptr);
  EXPECT_EQ(system.CommitBlock(10), nullptr);
  EXPECT_EQ(system.OutstandingHeapBlocks(), 1u);
  EXPECT_EQ(system.OutstandingCommittedBlocks(), 1u);
  system.ReleaseBlock(block);
  system.HeapRelease(heap);
  system.HeapRelease(heap);
  EXPECT_EQ(system.OutstandingHeapBlocks(), 0u);
  EXPECT_EQ(system.OutstandingCommittedBlocks(), 0u);
  EXPECT_EQ(system.InvalidReleaseCount(), 1u);
  EXPECT_EQ(system.LargestAllocation(), std::size_t{1} << 20);
}

TEST(FakeSystem, MemoryStatusComesFromTheQueueOrFails) {
  FakeSystem system;
  system.SetMemoryMegabytes(512, 100);
  system.QueueMemoryStatus(MemoryStatus{1, 2});
  MemoryStatus status;
  ASSERT_TRUE(system.ReadMemoryStatus(status));
  EXPECT_EQ(status.totalPhysical, 1u);
  ASSERT_TRUE(system.ReadMemoryStatus(status));
  EXPECT_EQ(status.availablePhysical, 2u);
  system.SetMemoryStatusFails(true);
  EXPECT_FALSE(system.ReadMemoryStatus(status));
  EXPECT_EQ(system.MemoryStatusReads(), 3u);
}

TEST(FakeClock, TimeOfDayWrapsAtMidnightAndReadsAsText) {
  FakeClock clock;
  clock.SetTime(23, 59, 58);
  EXPECT_EQ(clock.LongTimeText(), "23:59:58");
  clock.AdvanceSeconds(3);
  EXPECT_EQ(clock.LongTimeText(), "00:00:01");
  EXPECT_LT(clock.TimeOfDay(), 0.001);
  clock.SetTime(7, 5, 9);
  EXPECT_EQ(clock.LongTimeText(), "07:05:09");
}

TEST(FakeCodePage, UpperCasesAndConvertsTheWindows1252Way) {
  FakeCodePage codePage;
  EXPECT_EQ(codePage.UpperCase("abc\xE9\xFE\x9A\xF7\xDF\xB5\xFFz"),
            "ABC\xC9\xDE\x8A\xF7\xDF\xB5\xFFZ");
  AnsiString every;
  for (int c = 1; c < 256; ++c)
    every.push_back(static_cast<char>(c));
  EXPECT_EQ(codePage.FromWide(codePage.ToWide(every)), every);
  EXPECT_EQ(codePage.ToWide("\x80"), u"\u20AC");
  EXPECT_EQ(codePage.FromWide(u"\u20AC\u4E2D\U0001F600"), "\x80??");
}

TEST(FakePump, RunsScriptedActionsOnTheirCalls) {
  FakePump pump;
  std::vector<int> seen;
  pump.OnCall(2, [&] { seen.push_back(2); });
  pump.OnEveryCall([&] { seen.push_back(0); });
  pump.OnCall(3, [&] {
    seen.push_back(3);
    pump.ProcessMessages();
  });
  for (int i = 0; i < 3; ++i)
    pump.ProcessMessages();
  EXPECT_EQ(seen, (std::vector<int>{0, 2, 0, 3, 0, 0}));
  EXPECT_EQ(pump.CallCount(), 4u);
}

TEST(FakePlatform, BundlesItsAdaptersAndCreatesTheSystemFolders) {
  FakePlatform fake;
  Platform platform = fake.platform();
  EXPECT_EQ(&platform.registry, &fake.registry);
  EXPECT_EQ(&platform.launcher, &fake.launcher);
  EXPECT_TRUE(fake.files.IsFolder(platform.system.WindowsDirectory()));
  EXPECT_TRUE(fake.files.IsFolder(platform.system.ShellFolderPath(csidl::kAppData)));
  platform.shell.Open("C:\\help.chm", 5);
  ASSERT_EQ(fake.shell.OpenedTargets().size(), 1u);
  EXPECT_EQ(fake.shell.OpenedTargets()[0].owner, 5u);
}

}  // namespace
}  // namespace ql
