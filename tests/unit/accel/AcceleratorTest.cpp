// Tests of the foreground program accelerator on the in-memory process table.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>

#include "RecordingView.h"
#include "accel/Accelerator.h"
#include "platform/fake/FakePlatform.h"

namespace ql {
namespace {

constexpr double kSecond = 1.0 / 86400;

class AcceleratorTest : public ::testing::Test {
 protected:
  AcceleratorTest() {
    fake.clock.SetTime(12, 0, 0);
    accelerator.Reset();
  }

  // A running program with one window; returns the window.
  WindowId AddProgram(std::uint32_t processId, const AnsiString& path,
                      std::uint32_t priorityClass = priority::kNormal) {
    FakeProcess process;
    process.processId = processId;
    process.path = path;
    process.exeName = path.substr(path.find_last_of('\\') + 1);
    process.priorityClass = priorityClass;
    fake.processes.AddProcess(process);
    return fake.processes.AddWindow(processId, process.exeName + " window");
  }

  void BringToFront(WindowId window) { fake.processes.SetForegroundWindow(window); }
  std::uint32_t ClassOf(std::uint32_t processId) { return fake.processes.PriorityOf(processId); }

  FakePlatform fake;
  RecordingView view;
  MemoryState state;
  Accelerator accelerator{fake.processes, fake.clock, view, state};
};

TEST_F(AcceleratorTest, FirstTickPlacesTheDotAt401By111) {
  accelerator.ProcessTimerEvent();
  EXPECT_EQ(401, view.dotLeft);
  EXPECT_EQ(111, view.dotTop);
  EXPECT_EQ(-20, accelerator.OrbitAngle);
}

TEST_F(AcceleratorTest, DotCompletesOneOrbitIn18TicksAndStartsAgain) {
  for (int tick = 0; tick < 18; ++tick)
    accelerator.ProcessTimerEvent();
  EXPECT_EQ(0, accelerator.OrbitAngle);
  EXPECT_EQ(416, view.dotLeft);  // the position of -360 degrees: below the icon
  EXPECT_EQ(114, view.dotTop);
  accelerator.ProcessTimerEvent();
  EXPECT_EQ(401, view.dotLeft);
  EXPECT_EQ(111, view.dotTop);
}

TEST_F(AcceleratorTest, RaisesTheForegroundProgramAndShowsIt) {
  const WindowId editor = AddProgram(100, "C:\\TOOLS\\EDITOR.EXE");
  BringToFront(editor);
  fake.clock.AdvanceSeconds(30);
  accelerator.ProcessTimerEvent();
  EXPECT_EQ(priority::kHigh, ClassOf(100));
  EXPECT_EQ(100u, accelerator.LastProcessId);
  EXPECT_EQ(priority::kNormal, accelerator.LastPriorityClass);
  EXPECT_EQ(editor, accelerator.LastWindow);
  EXPECT_EQ("C:\\TOOLS\\EDITOR.EXE", accelerator.LastProgramPath);
  EXPECT_DOUBLE_EQ(fake.clock.TimeOfDay(), accelerator.LastActionTime);
  EXPECT_EQ("C:\\TOOLS\\EDITOR.EXE", view.programPath);
  EXPECT_EQ("EDITOR.EXE window", view.programTitle);
  ASSERT_EQ(1u, view.iconPaths.size());
  EXPECT_EQ("C:\\TOOLS\\EDITOR.EXE", view.iconPaths[0]);
}

TEST_F(AcceleratorTest, SwitchingProgramsGivesTheFirstItsOwnClassBack) {
  const std::uint32_t classes[] = {priority::kIdle,   priority::kBelowNormal,
                                   priority::kNormal, priority::kAboveNormal,
                                   priority::kHigh,   priority::kRealtime};
  std::uint32_t id = 100;
  for (std::uint32_t earlier : classes) {
    const WindowId first = AddProgram(id, "C:\\A.EXE", earlier);
    const WindowId second = AddProgram(id + 1, "C:\\B.EXE", priority::kIdle);
    BringToFront(first);
    accelerator.ProcessTimerEvent();
    EXPECT_EQ(priority::kHigh, ClassOf(id));
    BringToFront(second);
    accelerator.ProcessTimerEvent();
    EXPECT_EQ(earlier, ClassOf(id)) << std::hex << earlier;
    EXPECT_EQ(priority::kHigh, ClassOf(id + 1));
    EXPECT_EQ(priority::kIdle, accelerator.LastPriorityClass);
    id += 2;
  }
}

TEST_F(AcceleratorTest, AnotherWindowOfTheSameProgramIsNotRaisedAgain) {
  const WindowId first = AddProgram(100, "C:\\A.EXE");
  const WindowId other = fake.processes.AddWindow(100, "second window");
  BringToFront(first);
  accelerator.ProcessTimerEvent();
  fake.processes.Find(100)->priorityClass = priority::kAboveNormal;  // changed by the user
  BringToFront(other);
  accelerator.ProcessTimerEvent();
  accelerator.ProcessTimerEvent();
  EXPECT_EQ(priority::kAboveNormal, ClassOf(100));
  EXPECT_EQ(first, accelerator.LastWindow);  // so the other window is looked at again
  EXPECT_EQ(1, view.programShows);
}

TEST_F(AcceleratorTest, AboveTheLoadLimitRestoresButRaisesNoneUntilTheLoadFalls) {
  const WindowId first = AddProgram(100, "C:\\A.EXE", priority::kBelowNormal);
  const WindowId second = AddProgram(101, "C:\\B.EXE");
  BringToFront(first);
  accelerator.ProcessTimerEvent();
  state.CpuLoad = 76;
  BringToFront(second);
  accelerator.ProcessTimerEvent();
  accelerator.ProcessTimerEvent();
  EXPECT_EQ(priority::kBelowNormal, ClassOf(100));
  EXPECT_EQ(priority::kNormal, ClassOf(101));
  EXPECT_EQ(100u, accelerator.LastProcessId);
  state.CpuLoad = 75;
  accelerator.ProcessTimerEvent();
  EXPECT_EQ(priority::kHigh, ClassOf(101));
  EXPECT_EQ(101u, accelerator.LastProcessId);
}

TEST_F(AcceleratorTest, DuringAMemoryPassOnlyTheDotMoves) {
  const WindowId first = AddProgram(100, "C:\\A.EXE");
  state.MemoryBusy = true;
  BringToFront(first);
  accelerator.ProcessTimerEvent();
  EXPECT_EQ(priority::kNormal, ClassOf(100));
  EXPECT_EQ(0u, accelerator.LastProcessId);
  EXPECT_EQ(401, view.dotLeft);
  EXPECT_EQ(0u, fake.processes.TotalOpenCount());
}

TEST_F(AcceleratorTest, NoForegroundWindowChangesNothing) {
  AddProgram(100, "C:\\A.EXE");
  accelerator.ProcessTimerEvent();
  EXPECT_EQ(0u, accelerator.LastProcessId);
  EXPECT_EQ(0u, fake.processes.TotalOpenCount());
}

struct PathCase {
  const char* name;
  bool modulesReadable;
  bool imagePathReadable;
  std::uint32_t refusedAccess;
  const char* shownPath;
};

TEST_F(AcceleratorTest, PathComesFromTheModulesOrTheImageOrIsEmpty) {
  const PathCase cases[] = {
      {"module list", true, true, 0, "C:\\APP.EXE"},
      {"64-bit process seen by 32 bits", false, true, 0, "C:\\APP.EXE"},
      {"neither readable", false, false, 0, ""},
      {"full access refused", true, true, processaccess::kAllAccess & ~0x0600u, ""},
  };
  std::uint32_t id = 100;
  for (const PathCase& c : cases) {
    FakeProcess process;
    process.processId = id;
    process.path = "C:\\APP.EXE";
    process.modulesReadable = c.modulesReadable;
    process.imagePathReadable = c.imagePathReadable;
    process.refusedAccess = c.refusedAccess;
    fake.processes.AddProcess(process);
    BringToFront(fake.processes.AddWindow(id, "app"));
    accelerator.ProcessTimerEvent();
    EXPECT_EQ(priority::kHigh, ClassOf(id)) << c.name;
    EXPECT_EQ(c.shownPath, view.programPath) << c.name;
    EXPECT_EQ(c.shownPath, view.iconPaths.back()) << c.name;
    EXPECT_EQ(c.shownPath, accelerator.LastProgramPath) << c.name;
    ++id;
  }
}

TEST_F(AcceleratorTest, ProgramWhoseClassCannotBeSetIsStillRecordedAndShown) {
  FakeProcess process;
  process.processId = 100;
  process.path = "C:\\GUARDED.EXE";
  process.priorityClass = priority::kAboveNormal;
  process.refusedAccess = processaccess::kSetInformation;
  fake.processes.AddProcess(process);
  BringToFront(fake.processes.AddWindow(100, "guarded"));
  accelerator.ProcessTimerEvent();
  EXPECT_EQ(priority::kAboveNormal, ClassOf(100));
  EXPECT_EQ(100u, accelerator.LastProcessId);
  EXPECT_EQ(priority::kAboveNormal, accelerator.LastPriorityClass);
  EXPECT_EQ("guarded", view.programTitle);
}

TEST_F(AcceleratorTest, UnreadableClassIsRememberedAsZero) {
  FakeProcess process;
  process.processId = 100;
  process.refusedAccess = processaccess::kQueryInformation;
  fake.processes.AddProcess(process);
  BringToFront(fake.processes.AddWindow(100, "x"));
  accelerator.ProcessTimerEvent();
  EXPECT_EQ(0u, accelerator.LastPriorityClass);
}

TEST_F(AcceleratorTest, EveryTickOpensAtMostFourHandlesAndKeepsOnlyTheRaisedOne) {
  WindowId windows[6];
  for (std::uint32_t i = 0; i < 6; ++i)
    windows[i] = AddProgram(100 + i, "C:\\P.EXE");
  for (int round = 0; round < 3; ++round) {
    for (WindowId window : windows) {
      BringToFront(window);
      const std::size_t before = fake.processes.TotalOpenCount();
      accelerator.ProcessTimerEvent();
      EXPECT_LE(fake.processes.TotalOpenCount() - before, 4u);
      EXPECT_EQ(1u, fake.processes.OpenHandleCount());
    }
  }
  accelerator.ReturnLastPriority();
  EXPECT_EQ(0u, fake.processes.OpenHandleCount());
  EXPECT_EQ(0u, fake.processes.InvalidCloseCount());
  EXPECT_LE(fake.processes.MaxOpenHandleCount(), 2u);
}

TEST_F(AcceleratorTest, AnUnchangedForegroundCostsNoHandle) {
  BringToFront(AddProgram(100, "C:\\A.EXE"));
  accelerator.ProcessTimerEvent();
  const std::size_t opened = fake.processes.TotalOpenCount();
  for (int i = 0; i < 10; ++i)
    accelerator.ProcessTimerEvent();
  EXPECT_EQ(opened, fake.processes.TotalOpenCount());
}

TEST_F(AcceleratorTest, ReturnLastPriorityRestoresTheLastRaisedProgram) {
  BringToFront(AddProgram(100, "C:\\A.EXE", priority::kIdle));
  accelerator.ProcessTimerEvent();
  accelerator.ReturnLastPriority();
  EXPECT_EQ(priority::kIdle, ClassOf(100));
  EXPECT_EQ(0u, fake.processes.OpenHandleCount());
}

TEST_F(AcceleratorTest, ReturnLastPriorityWithNothingRaisedOpensNothing) {
  AddProgram(0, "C:\\SYSTEM IDLE.EXE");
  accelerator.ReturnLastPriority();
  EXPECT_EQ(0u, fake.processes.TotalOpenCount());
}

TEST_F(AcceleratorTest, AProgramThatEndedIsSkippedQuietly) {
  BringToFront(AddProgram(100, "C:\\A.EXE"));
  accelerator.ProcessTimerEvent();
  fake.processes.EndProcess(100);
  BringToFront(AddProgram(101, "C:\\B.EXE"));
  accelerator.ProcessTimerEvent();
  EXPECT_EQ(priority::kHigh, ClassOf(101));
  EXPECT_EQ(1u, fake.processes.OpenHandleCount());  // only the raised program's
}

// The class goes back through the handle held since the raise, on every way out: a switch to
// another program, the close, the end of the session, and the accelerator ending with the program
// (an exception out of the message loop). A program that got the raised one's identifier after
// it ended is never touched.
TEST_F(AcceleratorTest, EveryWayOutGivesTheClassBackAndNeverTouchesAReusedIdentifier) {
  const std::pair<const char*, std::function<void(std::unique_ptr<Accelerator>&)>> ways[] = {
      {"switch",
       [&](std::unique_ptr<Accelerator>& accel) {
         BringToFront(AddProgram(300, "C:\\NEXT.EXE"));
         accel->ProcessTimerEvent();
       }},
      {"close", [](std::unique_ptr<Accelerator>& accel) { accel->ReturnLastPriority(); }},
      {"session end", [](std::unique_ptr<Accelerator>& accel) { accel->EndSession(); }},
      {"program end", [](std::unique_ptr<Accelerator>& accel) { accel.reset(); }},
  };
  for (bool reused : {false, true}) {
    for (const auto& [name, wayOut] : ways) {
      auto accel = std::make_unique<Accelerator>(fake.processes, fake.clock, view, state);
      accel->Reset();
      BringToFront(AddProgram(100, "C:\\A.EXE", priority::kIdle));
      accel->ProcessTimerEvent();
      ASSERT_EQ(priority::kHigh, ClassOf(100)) << name;
      if (reused) {
        fake.processes.EndProcess(100);
        AddProgram(100, "C:\\LATER.EXE", priority::kBelowNormal);
      }
      wayOut(accel);
      EXPECT_EQ(reused ? priority::kBelowNormal : priority::kIdle, ClassOf(100))
          << name << (reused ? ", reused" : "");
      accel.reset();
      EXPECT_EQ(0u, fake.processes.OpenHandleCount()) << name;
      EXPECT_EQ(reused ? priority::kBelowNormal : priority::kIdle, ClassOf(100)) << name;
      fake.processes.EndProcess(100);
      fake.processes.EndProcess(300);
    }
  }
}

TEST_F(AcceleratorTest, AfterTheSessionEndWasCancelledTheProgramInFrontIsRaisedAgain) {
  BringToFront(AddProgram(100, "C:\\A.EXE", priority::kIdle));
  accelerator.ProcessTimerEvent();
  accelerator.EndSession();
  EXPECT_EQ(priority::kIdle, ClassOf(100));
  accelerator.ProcessTimerEvent();
  EXPECT_EQ(priority::kHigh, ClassOf(100));
}

TEST_F(AcceleratorTest, AProcessThatRefusesToBeLoweredAgainIsNotRaised) {
  FakeProcess process;
  process.processId = 100;
  process.priorityClass = priority::kBelowNormal;
  process.refusedAccess = processaccess::kQueryInformation;
  fake.processes.AddProcess(process);
  BringToFront(fake.processes.AddWindow(100, "unreadable"));
  accelerator.ProcessTimerEvent();
  EXPECT_EQ(priority::kBelowNormal, ClassOf(100));
  EXPECT_EQ(100u, accelerator.LastProcessId);
}

TEST_F(AcceleratorTest, ResetStartsFromNothingRaisedAtTheCurrentTime) {
  BringToFront(AddProgram(100, "C:\\A.EXE"));
  accelerator.ProcessTimerEvent();
  fake.clock.AdvanceSeconds(5);
  accelerator.Reset();
  EXPECT_EQ(0u, accelerator.LastProcessId);
  EXPECT_EQ(priority::kNormal, accelerator.LastPriorityClass);
  EXPECT_EQ(0u, accelerator.LastWindow);
  EXPECT_EQ("", accelerator.LastProgramPath);
  EXPECT_EQ(0, accelerator.OrbitAngle);
  EXPECT_NEAR(0.5 + 5 * kSecond, accelerator.LastActionTime, 1e-9);
}

TEST_F(AcceleratorTest, GetProcessListCountsTheSnapshot) {
  EXPECT_EQ(0, accelerator.CountProcesses());
  for (std::uint32_t i = 0; i < 7; ++i)
    AddProgram(200 + i, "C:\\P.EXE");
  EXPECT_EQ(7, accelerator.CountProcesses());
  fake.processes.SetSnapshotFails(true);
  EXPECT_EQ(0, accelerator.CountProcesses());
}

}  // namespace
}  // namespace ql
