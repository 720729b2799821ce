// The fix pipeline: folders and scan texts of a scan, the undo captures, the registry editor's
// command lines and the files a fix writes.
#pragma once

#include <map>
#include <stdexcept>

#include "fix/ScanState.h"
#include "paths/PathResolution.h"
#include "platform/platform.h"

namespace ql {

constexpr char kFixScriptFileName[] = "Quillon.reg";
constexpr char kExportFileName[] = "tmp.reg";
constexpr char kUndoFilePrefix[] = "Quillon_Undo_";
constexpr char kLogFilePrefix[] = "Quillon_Log_";
constexpr char kUndoScriptHeader[] = "Windows Registry Editor Version 5.00";
constexpr char kFixScriptHeader[] = "REGEDIT4";

// Log lines of the findings a fix leaves alone or that the registry editor did not apply, each
// followed by the finding's description.
constexpr char kNotBackedUpPrefix[] = "Left alone because it could not be backed up: ";
constexpr char kNotAppliedPrefix[] = "Not changed by the registry editor: ";
constexpr char kStillMissingPrefix[] = "Changed, but it still names a missing file: ";
constexpr char kNoLongerBrokenPrefix[] = "Left alone because it is no longer broken: ";
constexpr char kNotChosenPrefix[] = "Left alone because it was not ticked: ";

// A fix that could not be carried out; the message tells the user what failed.
class FixError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file of a fix that could not be written; the message names the file and the reason, and the
// fix goes no further.
class FileCreateError : public FixError {
 public:
  using FixError::FixError;
};

// The registry editor that should import the fix script could not be started, or had not ended
// when its wait was over.
class RegEditError : public FixError {
 public:
  using FixError::FixError;
};

// The registry editor of the Windows folder (the folder ends with "\"): the one program that
// exports, fixes and undoes.
AnsiString RegistryEditorPath(const AnsiString& windowsFolder);

// The registry editor, started hidden with an exact argument string and waited for at most ten
// seconds. Always its native build, which works on the registry view the scan reads: a 32-bit
// process on 64-bit Windows would otherwise start the 32-bit one, which edits the 32-bit view.
LaunchResult RunRegEdit(Launcher& launcher, const AnsiString& windowsFolder,
                        const AnsiString& arguments);

// " \"" + the undo script's path + "\"": an import the registry editor asks the user about.
AnsiString UndoImportArguments(const AnsiString& undoScriptPath);

class FixPipeline {
 public:
  // The undo folder ends with "\" and must outlive the pipeline: the scripts and the log of a
  // fix, and the registry editor's exports, go there.
  FixPipeline(Platform& platform, ScanState& state, const AnsiString& undoFolder)
      : platform_(platform), state_(state), undoFolder_(undoFolder) {}

  // When off, ExportKeyToUndo starts no registry editor and reports no backup: for previews that
  // write no files. The scanner then counts and describes the key findings but writes no fix line
  // for them, so a key deletion never reaches a fix script without its backup.
  void SetKeyExports(bool enabled) { keyExports_ = enabled; }
  bool KeyExports() const { return keyExports_; }

  // Recomputes the Windows folder, the profile folder (the user's profile folder as the system
  // reports it) and the native program-files folders; a program-files folder the system does not
  // report keeps its standard text.
  void RefreshFolders();
  // The folders as RefreshFolders last computed them: those the scanner's path checks expand to.
  const PathFolders& Folders() const { return folders_; }
  // Chooses the number of the next undo script and restarts the three texts with their headers.
  void PrepareFixScripts();
  // Appends the value as it now stands, with its key line and an empty line, to the undo script;
  // nothing when the key does not open. The empty name is the default value. True only when the
  // undo script now holds the value.
  bool SaveValueToUndo(RegRoot root, const AnsiString& keyPath, const AnsiString& valueName);
  // Appends the key with all its values and subkeys, through the registry editor's export. True
  // only when the undo script now holds the whole key: the registry editor ended within its wait,
  // its export opens with this very key's line and holds every key of the subtree with as many
  // values as the registry has there (an export cut short holds less).
  bool ExportKeyToUndo(RegRoot root, const AnsiString& keyPath);
  // Writes the log, the undo script and the fix script, lets the registry editor import the fix
  // script, then reads every fixed entry back and writes the log again with what the import did.
  // Returns the number of entries that are now gone or changed. Throws FileCreateError when a
  // file cannot be written, RegEditError when the registry editor does not start or does not end
  // within its wait (the log is written again first).
  std::uint32_t WriteFixFiles();
  // WriteFixFiles without the import: what a preview writes.
  void WriteFixFilesOnly();

 private:
  // The log: its header, the findings by category, the summary with the number of fixed entries,
  // then the findings the import did not apply, those it changed that still name a missing file,
  // those left alone for want of a backup, those no longer broken when the fix ran and those the
  // user did not tick.
  StringList ReportLogLines(std::uint32_t fixed, const StringList& notApplied,
                            const StringList& stillMissing) const;
  bool IsApplied(const FixedEntry& entry);
  bool NamesMissingFile(const FixedEntry& entry);
  bool ExportHoldsSubtree(RegRoot root, const AnsiString& keyPath,
                          const std::map<WideString, std::size_t>& valueCounts);
  void WriteFile(const AnsiString& path, const Bytes& bytes);
  void AppendUndoLine(const AnsiString& line);

  Platform& platform_;
  ScanState& state_;
  const AnsiString& undoFolder_;
  PathFolders folders_;
  bool keyExports_ = true;
};

}  // namespace ql
