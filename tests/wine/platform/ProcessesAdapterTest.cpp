// The process adapter on real Wine processes: snapshots, priority classes, module paths, ending a
// process, window titles.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "WineTestSupport.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"

namespace ql::win32 {
namespace {

constexpr char kChildName[] = "ql_test_child.exe";

bool EndsWithNoCase(const AnsiString& text, const AnsiString& tail) {
  return text.size() >= tail.size() &&
         lstrcmpiA(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

std::set<std::uint32_t> ChildIds(Processes& processes) {
  std::vector<ProcessEntry> entries;
  EXPECT_TRUE(processes.Snapshot(entries));
  std::set<std::uint32_t> ids;
  for (const ProcessEntry& entry : entries)
    if (lstrcmpiA(entry.exeName.c_str(), kChildName) == 0)
      ids.insert(entry.processId);
  return ids;
}

// Starts the helper program through the launcher without waiting, and opens it.
class ProcessesAdapter : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::set<std::uint32_t> before = ChildIds(processes_);
    const AnsiString program = wintest::ProgramFolder() + kChildName;
    LaunchOptions options;
    options.creationFlags = 0;
    options.waitMilliseconds = 0;
    ASSERT_EQ(launcher_.Run(program, "\"" + program + "\"", options), LaunchResult::kStillRunning);
    for (std::uint32_t id : ChildIds(processes_))
      if (before.count(id) == 0)
        childId_ = id;
    ASSERT_NE(childId_, 0u);
    child_ = processes_.OpenProcess(childId_, processaccess::kAllAccess);
    ASSERT_NE(child_, 0u);
  }
  void TearDown() override {
    if (child_ == 0)
      return;
    processes_.TerminateWithCode(child_, 1);
    processes_.CloseProcess(child_);
  }

  Win32Processes processes_;
  Win32Launcher launcher_;
  std::uint32_t childId_ = 0;
  ProcessHandle child_ = 0;
};

TEST_F(ProcessesAdapter, PriorityClassesReadBackAsSet) {
  EXPECT_EQ(processes_.PriorityClassOf(child_), priority::kNormal);
  for (std::uint32_t cls : {priority::kHigh, priority::kIdle, priority::kBelowNormal,
                            priority::kAboveNormal, priority::kNormal}) {
    EXPECT_TRUE(processes_.SetPriorityClassOf(child_, cls));
    EXPECT_EQ(processes_.PriorityClassOf(child_), cls);
  }
  EXPECT_FALSE(processes_.SetPriorityClassOf(child_, 0x12345));
}

// A process that was only just started may not list its modules yet: its loader is still at work.
TEST_F(ProcessesAdapter, ModuleAndImagePathsNameTheProgram) {
  AnsiString path;
  const DWORD deadline = GetTickCount() + 10000;
  while (!processes_.FirstModulePath(child_, path) && GetTickCount() < deadline)
    Sleep(20);
  ASSERT_TRUE(processes_.FirstModulePath(child_, path));
  EXPECT_TRUE(EndsWithNoCase(path, kChildName)) << path;
  ASSERT_TRUE(processes_.ImagePath(child_, path));
  EXPECT_TRUE(EndsWithNoCase(path, kChildName)) << path;
}

// Exit code 259 reads like "still running", so only a wait on the handle tells it ended.
TEST_F(ProcessesAdapter, TerminatedProcessSignalsItsHandle) {
  ASSERT_TRUE(processes_.TerminateWithCode(child_, 259));
  HANDLE handle = reinterpret_cast<HANDLE>(child_);
  ASSERT_EQ(WaitForSingleObject(handle, 10000), WAIT_OBJECT_0);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(handle, &code));
  EXPECT_EQ(code, 259u);
  // The process list may name an ended process a little longer than its handle takes to signal.
  const DWORD deadline = GetTickCount() + 10000;
  while (ChildIds(processes_).count(childId_) != 0 && GetTickCount() < deadline)
    Sleep(20);
  EXPECT_EQ(ChildIds(processes_).count(childId_), 0u);
}

TEST(ProcessesAdapterAlone, SnapshotListsThisProcess) {
  Win32Processes processes;
  std::vector<ProcessEntry> entries;
  ASSERT_TRUE(processes.Snapshot(entries));
  const std::uint32_t self = processes.CurrentProcessId();
  EXPECT_EQ(self, GetCurrentProcessId());
  const auto found = std::find_if(entries.begin(), entries.end(),
                                  [&](const ProcessEntry& e) { return e.processId == self; });
  ASSERT_NE(found, entries.end());
  EXPECT_TRUE(EndsWithNoCase(found->exeName, "wine_platform_tests.exe")) << found->exeName;
}

// Processes may start or end between the two readings, so a few tries are allowed to agree.
TEST(ProcessesAdapterAlone, TheCountMatchesTheSnapshot) {
  Win32Processes processes;
  bool agreed = false;
  for (int attempt = 0; attempt < 5 && !agreed; ++attempt) {
    std::vector<ProcessEntry> entries;
    std::size_t count = 0;
    ASSERT_TRUE(processes.Snapshot(entries));
    ASSERT_TRUE(processes.CountProcesses(count));
    agreed = count == entries.size();
  }
  EXPECT_TRUE(agreed);
}

TEST(ProcessesAdapterAlone, MissingProcessesDoNotOpen) {
  Win32Processes processes;
  EXPECT_EQ(processes.OpenProcess(0xFFFFFFF0u, processaccess::kQueryInformation), 0u);
}

// Titles are read into a buffer of 260 characters, so longer ones are cut at 259.
TEST(ProcessesAdapterAlone, WindowTitleAndOwner) {
  const AnsiString title(300, 'T');
  const HWND window = CreateWindowExA(0, "STATIC", title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr,
                                      nullptr, nullptr, nullptr);
  if (window == nullptr)
    GTEST_SKIP() << "no display for windows";
  Win32Processes processes;
  const WindowId id = reinterpret_cast<WindowId>(window);
  EXPECT_EQ(processes.WindowTitle(id), AnsiString(259, 'T'));
  EXPECT_EQ(processes.WindowProcessId(id), GetCurrentProcessId());
  EXPECT_EQ(processes.WindowTitle(0), "");
  DestroyWindow(window);
}

}  // namespace
}  // namespace ql::win32
