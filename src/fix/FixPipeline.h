// The fix pipeline: folders and scan texts of a scan, the undo captures, the registry editor's
// command lines and the files a fix writes.
#pragma once

#include <stdexcept>

#include "fix/ScanState.h"
#include "platform/platform.h"

namespace ql {

constexpr char kFixScriptFileName[] = "Quillon.reg";
constexpr char kExportFileName[] = "tmp.reg";
constexpr char kUndoFilePrefix[] = "Quillon_Undo_";
constexpr char kLogFilePrefix[] = "Quillon_Log_";
constexpr char kUndoScriptHeader[] = "Windows Registry Editor Version 5.00";
constexpr char kFixScriptHeader[] = "REGEDIT4";

// A file of a fix that could not be written; the message names the file and the reason, and the
// fix goes no further.
class FileCreateError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The registry editor of the Windows folder, started hidden with an exact argument string and
// waited for at most ten seconds.
void RunRegEdit(Launcher& launcher, const AnsiString& windowsFolder, const AnsiString& arguments);

// " \"" + the undo script's path + "\"": an import the registry editor asks the user about.
AnsiString UndoImportArguments(const AnsiString& undoScriptPath);

class FixPipeline {
 public:
  FixPipeline(Platform& platform, ScanState& state) : platform_(platform), state_(state) {}

  // When off, ExportKeyToUndo starts no registry editor (previews that write no undo script).
  void SetKeyExports(bool enabled) { keyExports_ = enabled; }

  // Recomputes Unit0's WindowsFolder, ProfileFolder (the user's profile folder as the system
  // reports it) and the native program-files folders.
  void RefreshFolders();
  // Chooses the number of the next undo script and restarts the three texts with their headers.
  void PrepareFixScripts();
  // Appends the value as it now stands, with its key line and an empty line, to the undo script;
  // nothing when the key does not open. The empty name is the default value.
  void SaveValueToUndo(RegRoot root, const AnsiString& keyPath, const AnsiString& valueName);
  // Appends the key with all its values and subkeys, through the registry editor's export.
  void ExportKeyToUndo(RegRoot root, const AnsiString& keyPath);
  // Completes and writes the log, the undo script and the fix script, then lets the registry
  // editor import the fix script. Throws FileCreateError when a file cannot be written.
  void WriteFixFiles();
  // WriteFixFiles without the import: what a preview writes.
  void WriteFixFilesOnly();

 private:
  void CompleteReportLog();
  void WriteFile(const AnsiString& path, const Bytes& bytes);
  void AppendUndoLine(const AnsiString& line);

  Platform& platform_;
  ScanState& state_;
  bool keyExports_ = true;
};

}  // namespace ql
