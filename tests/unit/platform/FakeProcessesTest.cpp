// Tests of the in-memory process table: rights, classes, windows, termination.
#include <gtest/gtest.h>

#include "platform/fake/FakeProcesses.h"

namespace ql {
namespace {

FakeProcess Process(std::uint32_t id, const char* name) {
  FakeProcess process;
  process.processId = id;
  process.exeName = name;
  process.path = AnsiString("C:\\Apps\\") + name;
  return process;
}

TEST(FakeProcesses, HandlesAllowOnlyTheRightsTheyWereOpenedWith) {
  FakeProcesses processes;
  processes.AddProcess(Process(10, "a.exe"));
  const ProcessHandle query = processes.OpenProcess(10, processaccess::kQueryInformation);
  const ProcessHandle set = processes.OpenProcess(10, processaccess::kSetInformation);
  ASSERT_NE(query, 0u);
  ASSERT_NE(set, 0u);
  EXPECT_EQ(processes.PriorityClassOf(set), 0u);
  EXPECT_FALSE(processes.SetPriorityClassOf(query, priority::kHigh));
  EXPECT_TRUE(processes.SetPriorityClassOf(set, priority::kHigh));
  EXPECT_FALSE(processes.SetPriorityClassOf(set, 0x1234));
  EXPECT_EQ(processes.PriorityClassOf(query), priority::kHigh);
  EXPECT_FALSE(processes.TerminateWithCode(set, 1));
  AnsiString path;
  EXPECT_FALSE(processes.FirstModulePath(query, path));
  EXPECT_TRUE(processes.ImagePath(query, path));
  EXPECT_EQ(path, "C:\\Apps\\a.exe");
  EXPECT_EQ(processes.OpenHandleCount(), 2u);
  processes.CloseProcess(query);
  processes.CloseProcess(set);
  EXPECT_EQ(processes.OpenHandleCount(), 0u);
  EXPECT_EQ(processes.MaxOpenHandleCount(), 2u);
}

TEST(FakeProcesses, RefusedRightsAndMissingProcessesDoNotOpen) {
  FakeProcesses processes;
  FakeProcess guarded = Process(20, "svchost.exe");
  guarded.refusedAccess = processaccess::kTerminate | processaccess::kSetInformation;
  processes.AddProcess(guarded);
  EXPECT_EQ(processes.OpenProcess(20, processaccess::kAllAccess), 0u);
  EXPECT_EQ(processes.OpenProcess(20, processaccess::kTerminate), 0u);
  EXPECT_EQ(processes.OpenProcess(21, processaccess::kQueryInformation), 0u);
  ProcessRef query(processes, 20, processaccess::kQueryInformation);
  EXPECT_TRUE(query.IsOpen());
}

TEST(FakeProcesses, UnreadableModulesStillLeaveTheImagePath) {
  FakeProcesses processes;
  FakeProcess wide = Process(30, "x64.exe");
  wide.modulesReadable = false;
  processes.AddProcess(wide);
  ProcessRef full(processes, 30, processaccess::kAllAccess);
  AnsiString path;
  EXPECT_FALSE(processes.FirstModulePath(full.Get(), path));
  EXPECT_TRUE(processes.ImagePath(full.Get(), path));
}

TEST(FakeProcesses, TerminationRemovesTheProcessItsWindowsAndKeepsTheExitCode) {
  FakeProcesses processes;
  processes.AddProcess(Process(1, "one.exe"));
  processes.AddProcess(Process(2, "two.exe"));
  const WindowId window = processes.AddWindow(2, AnsiString(300, 't'));
  processes.SetForegroundWindow(window);
  EXPECT_EQ(processes.WindowProcessId(window), 2u);
  EXPECT_EQ(processes.WindowTitle(window).size(), 259u);
  {
    ProcessRef end(processes, 2, processaccess::kTerminate);
    EXPECT_TRUE(processes.TerminateWithCode(end.Get(), 259));
    EXPECT_FALSE(processes.TerminateWithCode(end.Get(), 259));
  }
  EXPECT_EQ(processes.ExitCodeOf(2), 259u);
  EXPECT_FALSE(processes.ExitCodeOf(1).has_value());
  EXPECT_EQ(processes.ForegroundWindow(), 0u);
  EXPECT_EQ(processes.WindowProcessId(window), 0u);
  std::vector<ProcessEntry> entries;
  ASSERT_TRUE(processes.Snapshot(entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].exeName, "one.exe");
  processes.SetSnapshotFails(true);
  EXPECT_FALSE(processes.Snapshot(entries));
  EXPECT_TRUE(entries.empty());
}

}  // namespace
}  // namespace ql
