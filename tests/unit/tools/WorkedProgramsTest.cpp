// Tests of the worked-programs rules on the fake process table: listing, filtering, the actions.
#include <gtest/gtest.h>

#include "app/ProcessListRules.h"
#include "platform/fake/FakeProcesses.h"

namespace ql {
namespace {

class WorkedPrograms : public ::testing::Test {
 protected:
  void Add(std::uint32_t id, const AnsiString& name,
           std::uint32_t priorityClass = priority::kNormal, std::uint32_t refused = 0) {
    FakeProcess process;
    process.processId = id;
    process.exeName = name;
    process.path = "C:\\PROGRAMS\\" + name;
    process.priorityClass = priorityClass;
    process.refusedAccess = refused;
    processes_.AddProcess(process);
  }
  void TearDown() override { EXPECT_EQ(processes_.OpenHandleCount(), 0u); }

  FakeProcesses processes_;
};

struct ProtectedCase {
  const char* name;
  bool isProtected;
};

class ProtectedNames : public ::testing::TestWithParam<ProtectedCase> {};

TEST_P(ProtectedNames, MatchOnUpperCaseOfAToZOnly) {
  EXPECT_EQ(IsProtectedProgram(GetParam().name), GetParam().isProtected) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProtectedNames,
    ::testing::Values(ProtectedCase{"SVCHOST.EXE", true}, ProtectedCase{"svchost.exe", true},
                      ProtectedCase{"SvcHost.Exe", true}, ProtectedCase{"[System Process]", true},
                      ProtectedCase{"System", true}, ProtectedCase{"explorer.exe", true},
                      ProtectedCase{"spoolsv.exe", true}, ProtectedCase{"wmiprvse.exe", true},
                      ProtectedCase{"smss.exe", true}, ProtectedCase{"csrss.exe", true},
                      ProtectedCase{"winlogon.exe", true}, ProtectedCase{"services.exe", true},
                      ProtectedCase{"lsass.exe", true}, ProtectedCase{"alg.exe", true},
                      ProtectedCase{"mdm.exe", true}, ProtectedCase{"svchost.exe ", false},
                      ProtectedCase{"svchost", false}, ProtectedCase{"xsvchost.exe", false},
                      ProtectedCase{"notepad.exe", false}, ProtectedCase{"SYSTEM32", false},
                      ProtectedCase{"", false},
                      // Raised by a-z only, so no code page's rules for "i" get in the way.
                      ProtectedCase{"inetinfo.exe", true}));

struct PriorityCase {
  std::uint32_t priorityClass;
  const char* text;
};

class PriorityTexts : public ::testing::TestWithParam<PriorityCase> {};

TEST_P(PriorityTexts, NameOnlyNormalHighAndReal) {
  EXPECT_EQ(PriorityText(GetParam().priorityClass), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, PriorityTexts,
                         ::testing::Values(PriorityCase{priority::kNormal, "Normal"},
                                           PriorityCase{priority::kHigh, "High"},
                                           PriorityCase{priority::kRealtime, "Real"},
                                           PriorityCase{priority::kIdle, ""},
                                           PriorityCase{priority::kBelowNormal, ""},
                                           PriorityCase{priority::kAboveNormal, ""},
                                           PriorityCase{0, ""}));

TEST_F(WorkedPrograms, ListsInSnapshotOrderWithClassTexts) {
  Add(10, "notepad.exe");
  Add(11, "game.exe", priority::kHigh);
  Add(12, "audio.exe", priority::kRealtime);
  Add(13, "backup.exe", priority::kIdle);
  const std::vector<ProgramRow> rows = ListPrograms(processes_, false);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].exeName, "notepad.exe");
  EXPECT_EQ(rows[0].priority, "Normal");
  EXPECT_EQ(rows[1].priority, "High");
  EXPECT_EQ(rows[2].priority, "Real");
  EXPECT_EQ(rows[3].exeName, "backup.exe");
  EXPECT_EQ(rows[3].priority, "");
}

TEST_F(WorkedPrograms, HidesProtectedProgramsWhateverTheirCaseUnlessAskedFor) {
  Add(0, "[System Process]");
  Add(4, "System");
  Add(500, "svchost.exe");
  Add(501, "SVCHOST.EXE");
  Add(600, "Explorer.EXE");
  Add(700, "notepad.exe");
  const std::vector<ProgramRow> hidden = ListPrograms(processes_, false);
  ASSERT_EQ(hidden.size(), 1u);
  EXPECT_EQ(hidden[0].exeName, "notepad.exe");

  const std::vector<ProgramRow> all = ListPrograms(processes_, true);
  ASSERT_EQ(all.size(), 6u);
  EXPECT_EQ(all[2].exeName, "svchost.exe");
  EXPECT_EQ(all[3].exeName, "SVCHOST.EXE");
}

TEST_F(WorkedPrograms, AProcessThatRefusesQueriesIsListedWithAnEmptyClass) {
  Add(20, "guarded.exe", priority::kHigh, processaccess::kQueryInformation);
  const std::vector<ProgramRow> rows = ListPrograms(processes_, false);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].priority, "");
}

TEST_F(WorkedPrograms, AFailedSnapshotListsNothing) {
  Add(20, "notepad.exe");
  processes_.SetSnapshotFails(true);
  EXPECT_TRUE(ListPrograms(processes_, true).empty());
  EXPECT_EQ(SetPriorityOfProgram(processes_, "notepad.exe", priority::kHigh), 0u);
  EXPECT_EQ(EndProgram(processes_, "notepad.exe"), 0u);
  EXPECT_TRUE(processes_.IsRunning(20));
}

TEST_F(WorkedPrograms, RaisesAndLowersEveryCopyOfTheProgram) {
  Add(30, "copy.exe");
  Add(31, "other.exe");
  Add(32, "copy.exe", priority::kIdle);
  Add(33, "copy.exe", priority::kHigh);
  EXPECT_EQ(SetPriorityOfProgram(processes_, "copy.exe", priority::kHigh), 3u);
  for (std::uint32_t id : {30u, 32u, 33u})
    EXPECT_EQ(processes_.PriorityOf(id), priority::kHigh) << id;
  EXPECT_EQ(processes_.PriorityOf(31), priority::kNormal);

  EXPECT_EQ(SetPriorityOfProgram(processes_, "copy.exe", priority::kNormal), 3u);
  for (std::uint32_t id : {30u, 32u, 33u})
    EXPECT_EQ(processes_.PriorityOf(id), priority::kNormal) << id;
}

TEST_F(WorkedPrograms, ActionsMatchTheNameExactlyAndSkipRefusingProcesses) {
  Add(40, "Copy.exe");
  Add(41, "copy.exe");
  Add(42, "copy.exe", priority::kNormal, processaccess::kSetInformation);
  EXPECT_EQ(SetPriorityOfProgram(processes_, "copy.exe", priority::kHigh), 1u);
  EXPECT_EQ(processes_.PriorityOf(40), priority::kNormal);
  EXPECT_EQ(processes_.PriorityOf(41), priority::kHigh);
  EXPECT_EQ(processes_.PriorityOf(42), priority::kNormal);
}

TEST_F(WorkedPrograms, EndsEveryCopyWithExitCode259) {
  Add(50, "copy.exe");
  Add(51, "copy.exe");
  Add(52, "copy.exe");
  Add(53, "keep.exe");
  EXPECT_EQ(EndProgram(processes_, "copy.exe"), 3u);
  for (std::uint32_t id : {50u, 51u, 52u}) {
    EXPECT_FALSE(processes_.IsRunning(id));
    EXPECT_EQ(processes_.ExitCodeOf(id), std::optional<std::uint32_t>(259u));
  }
  EXPECT_TRUE(processes_.IsRunning(53));
}

TEST_F(WorkedPrograms, EndLeavesProcessesThatRefuseToBeEnded) {
  Add(60, "copy.exe", priority::kNormal, processaccess::kTerminate);
  Add(61, "copy.exe");
  EXPECT_EQ(EndProgram(processes_, "copy.exe"), 1u);
  EXPECT_TRUE(processes_.IsRunning(60));
  EXPECT_FALSE(processes_.IsRunning(61));
}

// Another copy of the program's own executable may be ended, the running program never.
TEST_F(WorkedPrograms, EndNeverEndsTheRunningProgram) {
  Add(70, "Quillon.exe");
  Add(71, "Quillon.exe");
  processes_.SetCurrentProcessId(70);
  EXPECT_EQ(EndProgram(processes_, "Quillon.exe"), 1u);
  EXPECT_TRUE(processes_.IsRunning(70));
  EXPECT_FALSE(processes_.IsRunning(71));
}

struct UnloadCase {
  const char* name;
  UnloadCheck check;
};

class UnloadChecks : public ::testing::TestWithParam<UnloadCase> {};

TEST_P(UnloadChecks, RefuseSystemProgramsAndTheProgramItself) {
  EXPECT_EQ(CheckUnload(GetParam().name, "C:\\Program Files\\Quillon\\Quillon.exe"),
            GetParam().check)
      << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Table, UnloadChecks,
                         ::testing::Values(UnloadCase{"svchost.exe", UnloadCheck::Protected},
                                           UnloadCase{"LSASS.EXE", UnloadCheck::Protected},
                                           UnloadCase{"Quillon.exe", UnloadCheck::OwnProgram},
                                           UnloadCase{"QUILLON.EXE", UnloadCheck::OwnProgram},
                                           UnloadCase{"Quillon", UnloadCheck::Allowed},
                                           UnloadCase{"notepad.exe", UnloadCheck::Allowed}));

TEST(WorkedProgramsPaths, FileNameOfPathTakesThePartAfterTheLastDelimiter) {
  EXPECT_EQ(FileNameOfPath("C:\\A\\B\\prog.exe"), "prog.exe");
  EXPECT_EQ(FileNameOfPath("C:/A/prog.exe"), "prog.exe");
  EXPECT_EQ(FileNameOfPath("prog.exe"), "prog.exe");
  EXPECT_EQ(FileNameOfPath("C:\\A\\"), "");
}

std::vector<ProgramRow> Rows(std::initializer_list<const char*> names) {
  std::vector<ProgramRow> rows;
  for (const char* name : names)
    rows.push_back({name, "Normal"});
  return rows;
}

TEST(WorkedProgramsSelection, KeepsTheRowWhenItStillShowsTheSameProgram) {
  EXPECT_EQ(RowToKeep(Rows({"a.exe", "b.exe", "c.exe"}), 1, "b.exe"), 1);
  EXPECT_EQ(RowToKeep(Rows({"a.exe", "b.exe", "b.exe"}), 2, "b.exe"), 2);
}

TEST(WorkedProgramsSelection, FollowsTheProgramWhenRowsMoved) {
  // a.exe ended: b.exe moved up; selecting row 1 (c.exe) would aim the actions at another program.
  EXPECT_EQ(RowToKeep(Rows({"b.exe", "c.exe"}), 1, "b.exe"), 0);
  EXPECT_EQ(RowToKeep(Rows({"new.exe", "a.exe", "b.exe"}), 1, "b.exe"), 2);
}

TEST(WorkedProgramsSelection, KeepsTheRowNumberWhenTheProgramIsGone) {
  EXPECT_EQ(RowToKeep(Rows({"a.exe", "c.exe", "d.exe"}), 1, "b.exe"), 1);
}

TEST(WorkedProgramsSelection, LeavesTheChoiceToTheListWhenTheRowIsGone) {
  EXPECT_EQ(RowToKeep(Rows({"a.exe"}), 3, "d.exe"), -1);
  EXPECT_EQ(RowToKeep(Rows({}), 0, "a.exe"), -1);
  EXPECT_EQ(RowToKeep(Rows({"a.exe"}), -1, ""), -1);
}

}  // namespace
}  // namespace ql
