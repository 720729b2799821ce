// The rules of the worked-programs list: the protected system programs and the three actions.
#include "app/ProcessListRules.h"

#include <array>

#include "paths/AnsiText.h"

namespace ql {

namespace {

// Windows' own programs: hidden unless asked for, and never ended from the list.
constexpr std::array<const char*, 14> kProtectedPrograms = {
    "SYSTEM",       "SMSS.EXE",     "CSRSS.EXE",   "WINLOGON.EXE",    "SERVICES.EXE",
    "LSASS.EXE",    "SVCHOST.EXE",  "ALG.EXE",     "INETINFO.EXE",    "MDM.EXE",
    "EXPLORER.EXE", "WMIPRVSE.EXE", "SPOOLSV.EXE", "[SYSTEM PROCESS]"};

std::uint32_t ReadPriorityClass(Processes& processes, std::uint32_t processId) {
  ProcessRef process(processes, processId, processaccess::kQueryInformation);
  return process.IsOpen() ? processes.PriorityClassOf(process.Get()) : 0;
}

std::vector<ProcessEntry> TakeSnapshot(Processes& processes) {
  std::vector<ProcessEntry> entries;
  if (!processes.Snapshot(entries))
    entries.clear();
  return entries;
}

}  // namespace

bool IsProtectedProgram(const AnsiString& exeName) {
  const AnsiString upper = UpperCaseAsciiLetters(exeName);
  for (const char* name : kProtectedPrograms) {
    if (upper == name)
      return true;
  }
  return false;
}

AnsiString PriorityText(std::uint32_t priorityClass) {
  switch (priorityClass) {
    case priority::kNormal:
      return "Normal";
    case priority::kHigh:
      return "High";
    case priority::kRealtime:
      return "Real";
    default:
      return "";
  }
}

std::vector<ProgramRow> ListPrograms(Processes& processes, bool includeSystemPrograms) {
  std::vector<ProgramRow> rows;
  for (const ProcessEntry& entry : TakeSnapshot(processes)) {
    const std::uint32_t priorityClass = ReadPriorityClass(processes, entry.processId);
    if (!includeSystemPrograms && IsProtectedProgram(entry.exeName))
      continue;
    rows.push_back({entry.exeName, PriorityText(priorityClass)});
  }
  return rows;
}

int RowToKeep(const std::vector<ProgramRow>& rows, int previousRow,
              const AnsiString& previousName) {
  const int count = static_cast<int>(rows.size());
  if (previousRow >= 0 && previousRow < count && rows[previousRow].exeName == previousName)
    return previousRow;
  for (int row = 0; row < count; ++row) {
    if (rows[row].exeName == previousName)
      return row;
  }
  return previousRow >= 0 && previousRow < count ? previousRow : -1;
}

std::size_t SetPriorityOfProgram(Processes& processes, const AnsiString& exeName,
                                 std::uint32_t priorityClass) {
  std::size_t changed = 0;
  for (const ProcessEntry& entry : TakeSnapshot(processes)) {
    if (entry.exeName != exeName)
      continue;
    ProcessRef process(processes, entry.processId, processaccess::kSetInformation);
    if (process.IsOpen() && processes.SetPriorityClassOf(process.Get(), priorityClass))
      ++changed;
  }
  return changed;
}

std::size_t EndProgram(Processes& processes, const AnsiString& exeName) {
  const std::uint32_t ownProcessId = processes.CurrentProcessId();
  std::size_t ended = 0;
  for (const ProcessEntry& entry : TakeSnapshot(processes)) {
    if (entry.exeName != exeName || entry.processId == ownProcessId)
      continue;
    ProcessRef process(processes, entry.processId, processaccess::kTerminate);
    if (process.IsOpen() && processes.TerminateWithCode(process.Get(), kUnloadExitCode))
      ++ended;
  }
  return ended;
}

UnloadCheck CheckUnload(const AnsiString& exeName, const AnsiString& ownExecutablePath) {
  if (IsProtectedProgram(exeName))
    return UnloadCheck::Protected;
  if (UpperCaseAsciiLetters(exeName) == UpperCaseAsciiLetters(FileNameOfPath(ownExecutablePath)))
    return UnloadCheck::OwnProgram;
  return UnloadCheck::Allowed;
}

AnsiString FileNameOfPath(const AnsiString& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == AnsiString::npos ? path : path.substr(slash + 1);
}

}  // namespace ql
