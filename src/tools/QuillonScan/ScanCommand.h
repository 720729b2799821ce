// QuillonScan's command: scans the registry, prints the findings per category and, when asked,
// writes the files a fix would write; it never changes the registry.
#pragma once

#include "fix/ScanState.h"
#include "platform/platform.h"

namespace ql {

namespace scanexit {
constexpr int kNothingFound = 0;
constexpr int kProblemsFound = 1;
constexpr int kUsageError = 2;
constexpr int kWriteFailed = 3;
}  // namespace scanexit

constexpr char kScanUsage[] =
    "Usage: QuillonScan [--write FOLDER]\n"
    "Scans the registry for broken entries and prints them per category; never changes the\n"
    "registry. Entries ignored in Quillon's details window are left out. With --write, also\n"
    "writes the log, the undo script and the fix script that a fix would write into FOLDER,\n"
    "without importing anything.\n"
    "Exit code: 0 nothing found, 1 problems found, 2 usage error, 3 a file could not be written.\n";

// Each category: its caption, ": " and its count, then its description lines indented by two
// blanks; then "Total: " and the count of all problems.
void PrintFindings(const ScanState& state, AnsiString& out);

// Runs the command with its arguments (the program name not included) and returns the exit code;
// what goes to standard output and standard error is appended to out and err. The text is kept
// out of the stream library, whose locale machinery would be most of the program's size.
int RunScanCommand(const StringList& arguments, Platform& platform, AnsiString& out,
                   AnsiString& err);

}  // namespace ql
