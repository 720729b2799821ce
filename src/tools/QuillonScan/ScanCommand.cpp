// QuillonScan's command: argument handling, the scan, the printed findings and the written files.
#include "tools/QuillonScan/ScanCommand.h"

#include <string>

#include "fix/FixPipeline.h"
#include "fix/RegistryScanner.h"
#include "paths/PathResolution.h"

namespace ql {

namespace {

// Makes the folder when it is missing (one level) and makes it the undo folder. A folder made only
// of backslashes would be the root of the current drive: the files are never written there.
bool UseAsUndoFolder(Files& files, const AnsiString& folder, AnsiString& undoFolder) {
  const AnsiString bare = WithoutTrailingBackslashes(folder);
  if (bare.empty())
    return false;
  if (!DirectoryExists(files, bare))
    files.MakeDirectory(bare);
  if (!DirectoryExists(files, bare))
    return false;
  undoFolder = bare + "\\";
  return true;
}

void RunAllChecks(RegistryScanner& scanner, ScanState& state) {
  state.Scanning = true;
  RunAllChecks(scanner);
  state.Scanning = false;
  state.Scanned = true;
}

}  // namespace

void PrintFindings(const ScanState& state, AnsiString& out) {
  for (std::size_t category = 0; category < kCategoryCount; ++category) {
    const StringList& errors = state.CategoryErrors[category];
    out += AnsiString(kCategoryCaptions[category]) + ": " + std::to_string(errors.size()) + "\n";
    for (const AnsiString& line : errors)
      out += "  " + line + "\n";
  }
  out += "Total: " + std::to_string(state.ErrorCount) + "\n";
}

int RunScanCommand(const StringList& arguments, Platform& platform, AnsiString& out,
                   AnsiString& err) {
  const bool write = arguments.size() == 2 && arguments[0] == "--write" && !arguments[1].empty();
  if (!arguments.empty() && !write) {
    err += kScanUsage;
    return scanexit::kUsageError;
  }
  AnsiString undoFolder;  // a preview writes nothing
  ScanState state;
  FixPipeline pipeline(platform, state, undoFolder);
  RegistryScanner scanner(platform, state, pipeline);
  pipeline.RefreshFolders();
  pipeline.SetKeyExports(write);
  if (write) {
    if (!UseAsUndoFolder(platform.files, arguments[1], undoFolder)) {
      err += "Cannot create the folder \"" + arguments[1] + "\".\n";
      return scanexit::kWriteFailed;
    }
    pipeline.PrepareFixScripts();
  }
  state.Ignored = IgnoreList::Read(platform.registry, platform.codePage);
  RunAllChecks(scanner, state);
  PrintFindings(state, out);
  if (write) {
    try {
      pipeline.WriteFixFilesOnly();
    } catch (const FileCreateError& error) {
      err += AnsiString(error.what()) + "\n";
      return scanexit::kWriteFailed;
    }
  }
  return state.ErrorCount > 0 ? scanexit::kProblemsFound : scanexit::kNothingFound;
}

}  // namespace ql
