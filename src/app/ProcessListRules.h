// The rules of the worked-programs list: the protected system programs and the three actions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/processes.h"
#include "platform/text.h"

namespace ql {

// Exit code given to programs ended from the list (the value of STILL_ACTIVE).
constexpr std::uint32_t kUnloadExitCode = 259;

// Whether the name, with a-z raised to A-Z and nothing else changed, is a protected program.
bool IsProtectedProgram(const AnsiString& exeName);

// "Normal", "High" or "Real"; empty for any other class and for a class that could not be read.
AnsiString PriorityText(std::uint32_t priorityClass);

struct ProgramRow {
  AnsiString exeName;   // as the snapshot reports it
  AnsiString priority;  // PriorityText of the process's class
};

// One row per running process in snapshot order; protected programs only when asked for.
std::vector<ProgramRow> ListPrograms(Processes& processes, bool includeSystemPrograms);

// The row to select after a refresh. The same program stays selected when it is still listed, so
// that an action never falls on a program that moved into the selected place; otherwise the
// previous row when it still exists; -1 leaves the choice to the list.
int RowToKeep(const std::vector<ProgramRow>& rows, int previousRow, const AnsiString& previousName);

// Set the class of every process whose executable name equals exeName exactly; processes that
// cannot be opened are skipped. Returns how many were changed.
std::size_t SetPriorityOfProgram(Processes& processes, const AnsiString& exeName,
                                 std::uint32_t priorityClass);

// End every process whose executable name equals exeName exactly, except this program's own
// process. Returns how many were ended.
std::size_t EndProgram(Processes& processes, const AnsiString& exeName);

enum class UnloadCheck { Protected, OwnProgram, Allowed };

// Whether "Unload program" may go on for the name. The program's own executable is recognised
// whatever the letter case, since Windows file names ignore it.
UnloadCheck CheckUnload(const AnsiString& exeName, const AnsiString& ownExecutablePath);

// The file name part of a path (after the last "\" or "/").
AnsiString FileNameOfPath(const AnsiString& path);

}  // namespace ql
