// In-memory program launcher: records every start and plays the system registry editor on the
// fake registry and files.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/shell.h"
#include "platform/system.h"

namespace ql {

class FakeFiles;
class FakeRegistry;
class FakeSystem;

// What the registry editor did with one command line.
enum class RegEditOutcome {
  kNotStarted,       // not the registry editor, or starts were made to fail
  kImported,         // every script file named was applied
  kDeclined,         // the confirmation was answered no
  kImportFailed,     // a script file was missing or had no registry-script header
  kExported,         // the export file was written
  kNothingExported,  // the key does not exist (or cannot be read): no file written
  kExportFailed,     // the export file could not be written
  kWindowOpened,     // no arguments: regedit opens its window and does not end by itself
  kUsage,            // switches without files, or a switch regedit does not know
};

struct LaunchCall {
  AnsiString program;
  AnsiString commandLine;
  LaunchOptions options;
  RegEditOutcome outcome = RegEditOutcome::kNotStarted;
  std::size_t confirmationsAsked = 0;
};

// Only "<Windows folder>\regedit.exe" (any letter case) starts; every other program fails to
// start, as a missing file would. The command line is split the way CommandLineToArgvW splits it,
// which is how regedit reads it: the first token is the program's own name (empty when the line
// starts with a blank), so a line that starts with the script file runs regedit without
// arguments, and a quoted argument that ends in "\" swallows its closing quote. Then:
//   /s /e file key  exports the key (or all three roots without a key) as 5.00 text;
//   /s file...      imports each file;
//   file...         imports each file once the scripted confirmation says yes (default no).
// Playing a 32-bit process on 64-bit Windows, "%windir%\regedit.exe" started without
// LaunchOptions::nativeProgram is redirected to the 32-bit editor, which works on the 32-bit
// registry view; with it, the native editor runs on the native view.
class FakeLauncher : public Launcher {
 public:
  FakeLauncher(FakeSystem& system, FakeRegistry& registry, FakeFiles& files, CodePage& codePage)
      : system_(system), registry_(registry), files_(files), codePage_(codePage) {}

  LaunchResult Run(const AnsiString& program, const AnsiString& commandLine,
                   const LaunchOptions& options) override;

  const std::vector<LaunchCall>& Calls() const { return calls_; }
  // Makes the next starts fail, as when the registry editor is missing.
  void SetStartFails(bool fails) { startFails_ = fails; }
  // Makes the next runs outlast the caller's wait: the command is carried out, but the caller
  // hears only that the registry editor is still running.
  void SetRunsPastWait(bool runsPast) { runsPastWait_ = runsPast; }
  // The answer to regedit's "Are you sure you want to continue?" before an import without /s.
  void SetConfirmationAnswer(bool yes) { confirmationAnswer_ = yes; }
  void PlayWow64Process(bool playing) { wow64Process_ = playing; }

 private:
  bool IsRegistryEditor(const AnsiString& program);
  RegEditOutcome Perform(const StringList& arguments, std::uint32_t view, LaunchCall& call);
  RegEditOutcome Export(const StringList& files, std::uint32_t view);
  RegEditOutcome Import(const StringList& files, bool silent, std::uint32_t view, LaunchCall& call);

  FakeSystem& system_;
  FakeRegistry& registry_;
  FakeFiles& files_;
  CodePage& codePage_;
  std::vector<LaunchCall> calls_;
  bool startFails_ = false;
  bool runsPastWait_ = false;
  bool confirmationAnswer_ = false;
  bool wow64Process_ = false;
};

// Splits a command line as CommandLineToArgvW does; the first element is the program name.
StringList SplitCommandLine(const AnsiString& commandLine);

}  // namespace ql
