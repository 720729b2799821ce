// The worked-programs actions on real Wine processes: three copies of a program raised, lowered
// and ended through the Win32 process adapter.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/ProcessListRules.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"

namespace ql {
namespace {

constexpr char kChildName[] = "ql_tools_child.exe";

AnsiString ChildPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  AnsiString folder(path);
  folder.erase(folder.find_last_of('\\') + 1);
  return folder + kChildName;
}

// Copies of the child program, ended and waited for when the test is over.
class Children {
 public:
  explicit Children(int count) {
    for (int i = 0; i < count; ++i)
      Start();
  }
  Children(const Children&) = delete;
  Children& operator=(const Children&) = delete;
  ~Children() {
    for (const win32::UniqueHandleNull& process : processes_) {
      TerminateProcess(process.get(), 0);
      WaitForSingleObject(process.get(), 5000);
    }
  }
  const std::vector<win32::UniqueHandleNull>& processes() const { return processes_; }
  bool AllStarted(int count) const { return static_cast<int>(processes_.size()) == count; }

 private:
  void Start() {
    AnsiString commandLine = "\"" + ChildPath() + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
      return;
    CloseHandle(info.hThread);
    processes_.emplace_back(info.hProcess);
  }

  std::vector<win32::UniqueHandleNull> processes_;
};

std::size_t RowsNamed(const std::vector<ProgramRow>& rows, const AnsiString& name,
                      const AnsiString& priority) {
  return static_cast<std::size_t>(std::count_if(
      rows.begin(), rows.end(),
      [&](const ProgramRow& row) { return row.exeName == name && row.priority == priority; }));
}

class WorkedProgramsWine : public ::testing::Test {
 protected:
  win32::Win32Processes processes_;
  Children children_{3};
};

TEST_F(WorkedProgramsWine, ListsEveryCopyWithItsClass) {
  ASSERT_TRUE(children_.AllStarted(3));
  EXPECT_EQ(RowsNamed(ListPrograms(processes_, false), kChildName, "Normal"), 3u);
}

TEST_F(WorkedProgramsWine, RaisesAndLowersEveryCopy) {
  ASSERT_TRUE(children_.AllStarted(3));
  EXPECT_EQ(SetPriorityOfProgram(processes_, kChildName, priority::kHigh), 3u);
  for (const auto& process : children_.processes())
    EXPECT_EQ(GetPriorityClass(process.get()), static_cast<DWORD>(HIGH_PRIORITY_CLASS));
  EXPECT_EQ(RowsNamed(ListPrograms(processes_, false), kChildName, "High"), 3u);

  EXPECT_EQ(SetPriorityOfProgram(processes_, kChildName, priority::kNormal), 3u);
  for (const auto& process : children_.processes())
    EXPECT_EQ(GetPriorityClass(process.get()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
}

TEST_F(WorkedProgramsWine, LowersAnIdleProgramToNormal) {
  ASSERT_TRUE(children_.AllStarted(3));
  SetPriorityClass(children_.processes()[0].get(), IDLE_PRIORITY_CLASS);
  EXPECT_EQ(RowsNamed(ListPrograms(processes_, false), kChildName, ""), 1u);
  SetPriorityOfProgram(processes_, kChildName, priority::kNormal);
  EXPECT_EQ(GetPriorityClass(children_.processes()[0].get()),
            static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
}

// Wine reports exit code 259 like a running process, so the test waits on the handles.
TEST_F(WorkedProgramsWine, EndsEveryCopyWithExitCode259) {
  ASSERT_TRUE(children_.AllStarted(3));
  EXPECT_EQ(EndProgram(processes_, kChildName), 3u);
  for (const auto& process : children_.processes()) {
    ASSERT_EQ(WaitForSingleObject(process.get(), 5000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    ASSERT_TRUE(GetExitCodeProcess(process.get(), &exitCode));
    EXPECT_EQ(exitCode, 259u);
  }
  EXPECT_EQ(RowsNamed(ListPrograms(processes_, false), kChildName, "Normal"), 0u);
}

TEST_F(WorkedProgramsWine, NeverEndsItself) {
  win32::Win32System system;
  const AnsiString ownName = FileNameOfPath(system.ExecutablePath());
  EXPECT_EQ(CheckUnload(ownName, system.ExecutablePath()), UnloadCheck::OwnProgram);
  EXPECT_EQ(EndProgram(processes_, ownName), 0u);
}

}  // namespace
}  // namespace ql
