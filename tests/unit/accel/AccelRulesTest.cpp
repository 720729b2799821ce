// Tests of the accelerator's and the memory manager's pure rules: the dot's orbit, the load
// formula, the memory figures and the automatic pass decision.
#include <gtest/gtest.h>

#include "accel/MemoryManager.h"

namespace ql {
namespace {

constexpr double kSecond = 1.0 / 86400;

struct OrbitCase {
  std::int32_t angle;
  int left;
  int top;
};

TEST(OrbitDotPosition, CirclesClockwiseAboutTheIconStartingBelowIt) {
  const OrbitCase cases[] = {
      {0, 416, 114},     // below the icon
      {-20, 401, 111},   // the first position after start
      {-90, 372, 70},    // left of it
      {-180, 416, 26},   // above it
      {-270, 460, 70},   // right of it
      {-360, 416, 114},  // back below it
      {-340, 431, 111},  // the last step before the wrap
  };
  for (const OrbitCase& c : cases) {
    const DotPosition dot = OrbitDotPosition(c.angle);
    EXPECT_EQ(c.left, dot.left) << "angle " << c.angle;
    EXPECT_EQ(c.top, dot.top) << "angle " << c.angle;
  }
}

struct LoadCase {
  const char* name;
  double idleDelta;
  double timeDelta;
  std::uint32_t processors;
  std::int32_t load;
};

TEST(LoadPercent, DividesTheIdleTimeByTheProcessorCount) {
  const double t = 40'000'000;  // four seconds in 100 ns units
  const LoadCase cases[] = {
      {"one idle processor", t, t, 1, 0},               // 0.5 rounds to even
      {"one busy processor", 0, t, 1, 100},             // 100.5 rounds to even
      {"four processors, half idle", 2 * t, t, 4, 50},  // 50.5 rounds to even
      {"four processors, all idle", 4 * t, t, 4, 0},
      {"two processors, one busy", t, t, 2, 50},
      {"two processors, a quarter busy", 1.5 * t, t, 2, 26},  // 25.5 rounds to even
      {"eight processors, one busy", 7 * t, t, 8, 13},        // 13.0
      {"no time passed", 0, 0, 4, 0},                         // the idle share is taken as 1
      {"no processor count", t / 2, t, 0, 50},                // counted as one processor
  };
  for (const LoadCase& c : cases)
    EXPECT_EQ(c.load, LoadPercent(c.idleDelta, c.timeDelta, c.processors)) << c.name;
}

TEST(LoadPercent, StaysInsideTheIntegerRangeForAbsurdCounters) {
  EXPECT_EQ(std::numeric_limits<std::int32_t>::min(), LoadPercent(1e30, 1, 1));
  EXPECT_EQ(std::numeric_limits<std::int32_t>::max(), LoadPercent(-1e30, 1, 1));
}

struct FiguresCase {
  std::uint64_t total;
  std::uint64_t available;
  MemoryFigures figures;
};

TEST(ToMemoryFigures, ShiftsToMebibytesAndTruncatesThePercentage) {
  constexpr std::uint64_t kMiB = 1 << 20;
  const FiguresCase cases[] = {
      {512 * kMiB, 256 * kMiB, {512, 256, 50}},
      {8192 * kMiB, 3072 * kMiB, {8192, 3072, 37}},    // 37.5 truncates
      {512 * kMiB + kMiB - 1, kMiB - 1, {512, 0, 0}},  // parts of a MiB are dropped
      {64 * 1024 * 1024 * kMiB, 60 * 1024 * 1024 * kMiB, {67108864, 62914560, 93}},
      {0, 0, {0, 0, 0}},  // an unreadable status
  };
  for (const FiguresCase& c : cases) {
    MemoryStatus status;
    status.totalPhysical = c.total;
    status.availablePhysical = c.available;
    const MemoryFigures f = ToMemoryFigures(status);
    EXPECT_EQ(c.figures.TotalMB, f.TotalMB) << c.total;
    EXPECT_EQ(c.figures.FreeMB, f.FreeMB) << c.total;
    EXPECT_EQ(c.figures.FreePercent, f.FreePercent) << c.total;
  }
}

TEST(WholeSecondsBetween, TruncatesTheAbsoluteDifference) {
  EXPECT_EQ(10, WholeSecondsBetween(0.5, 0.5 + 10.5 * kSecond));
  EXPECT_EQ(10, WholeSecondsBetween(0.5 + 10.5 * kSecond, 0.5));
  EXPECT_EQ(9, WholeSecondsBetween(0.5, 0.5 + 9.9 * kSecond));
  // Across midnight the time of day starts again, so two seconds count as almost a day.
  EXPECT_EQ(86398, WholeSecondsBetween(1 - kSecond, kSecond));
}

TEST(ManualPassBlockCount, IsEightyPercentButNoMoreThanA32BitProcessOrTheCommitLeftCanTake) {
  constexpr std::uint64_t kPlenty = 64ull << 30;
  struct Case {
    std::uint32_t totalMB;
    std::uint64_t commitBytes;
    std::size_t blocks;
  };
  const Case cases[] = {{512, kPlenty, 410},
                        {1000, kPlenty, 800},
                        {3, kPlenty, 2},
                        {2, kPlenty, 2},
                        {1, kPlenty, 1},
                        {0, kPlenty, 0},
                        {1920, kPlenty, 1536},
                        {1921, kPlenty, 1536},
                        {8192, kPlenty, 1536},
                        {65536, kPlenty, 1536},
                        {8192, 700ull << 20, 700},
                        {8192, (700ull << 20) - 1, 699},
                        {512, 100ull << 20, 100},
                        {512, 0, 0},
                        {4294967295u, kPlenty, 1536}};
  for (const Case& c : cases)
    EXPECT_EQ(c.blocks, ManualPassBlockCount(c.totalMB, c.commitBytes))
        << c.totalMB << " MiB, " << c.commitBytes << " bytes of commit";
}

// A tick on a 512 MiB machine at 30 % free, threshold 50, 11 seconds after the last action.
AutoPassRules PassingTick() {
  AutoPassRules rules;
  rules.memory = MemoryFigures{512, 153, 30};
  rules.cpuLoad = 10;
  rules.freeThreshold = 50;
  rules.lastFreePercent = 0;
  rules.lastActionTime = 0.5;
  rules.now = 0.5 + 11 * kSecond;
  return rules;
}

struct DecisionCase {
  const char* name;
  void (*change)(AutoPassRules&);
  std::int32_t lastFreePercent;
  bool postpone;
  std::int32_t passPercent;
};

TEST(DecideAutoPass, FollowsTheRulesInTheirOrder) {
  const DecisionCase cases[] = {
      {"all rules hold: a pass at the threshold", [](AutoPassRules&) {}, 30, false, 50},
      {"below 10 % free: a pass of 90 %", [](AutoPassRules& r) { r.memory.FreePercent = 8; }, 8,
       false, 90},
      {"exactly 10 % free uses the threshold", [](AutoPassRules& r) { r.memory.FreePercent = 10; },
       10, false, 50},
      {"switched off", [](AutoPassRules& r) { r.disabled = true; }, 0, false, 0},
      {"more than 1000 MiB", [](AutoPassRules& r) { r.memory.TotalMB = 1001; }, 0, false, 0},
      {"exactly 1000 MiB", [](AutoPassRules& r) { r.memory.TotalMB = 1000; }, 30, false, 50},
      {"an unreadable status", [](AutoPassRules& r) { r.memory = MemoryFigures{}; }, 0, false, 0},
      {"the same percentage as before", [](AutoPassRules& r) { r.lastFreePercent = 30; }, 30, false,
       0},
      {"a load above 75 postpones", [](AutoPassRules& r) { r.cpuLoad = 76; }, 30, true, 0},
      {"a load of 75 does not", [](AutoPassRules& r) { r.cpuLoad = 75; }, 30, false, 50},
      {"free share at the threshold", [](AutoPassRules& r) { r.memory.FreePercent = 50; }, 50,
       false, 0},
      {"9.9 seconds after the last action", [](AutoPassRules& r) { r.now = 0.5 + 9.9 * kSecond; },
       30, false, 0},
      {"10.1 seconds after the last action", [](AutoPassRules& r) { r.now = 0.5 + 10.1 * kSecond; },
       30, false, 50},
      {"just after midnight",
       [](AutoPassRules& r) {
         r.lastActionTime = 1 - kSecond;
         r.now = 2 * kSecond;
       },
       30, false, 50},
      {"a lower threshold", [](AutoPassRules& r) { r.freeThreshold = 35; }, 30, false, 35},
  };
  for (const DecisionCase& c : cases) {
    AutoPassRules rules = PassingTick();
    c.change(rules);
    const AutoPassDecision d = DecideAutoPass(rules);
    EXPECT_EQ(c.lastFreePercent, d.lastFreePercent) << c.name;
    EXPECT_EQ(c.postpone, d.postpone) << c.name;
    EXPECT_EQ(c.passPercent, d.passPercent) << c.name;
  }
}

}  // namespace
}  // namespace ql
