// The registry scanner: the eleven checks that find broken entries and record them as problems.
#pragma once

#include <functional>
#include <set>

#include "fix/FixPipeline.h"
#include "fix/ScanState.h"
#include "paths/PathResolution.h"
#include "platform/platform.h"

namespace ql {

// Listings the checks walk; each path begins and ends with "\".
constexpr char kApplicationsPath[] = "\\Applications\\";
constexpr char kClsidPath[] = "\\CLSID\\";
constexpr char kAppPathsPath[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr char kSharedDllsPath[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\";
constexpr char kUninstallPath[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char kFontsPath[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts\\";
constexpr char kHelpPath[] = "\\SOFTWARE\\Microsoft\\Windows\\Help\\";
constexpr char kSoundsPath[] = "\\AppEvents\\Schemes\\Apps\\.Default\\";

// How a check wants the entry it examines shown: as it stands, or shortened to the status
// label's width by the path-ellipsis rule.
enum class StatusForm { Unchanged, Shortened };
using StatusSink = std::function<void(const AnsiString& text, StatusForm form)>;

class RegistryScanner {
 public:
  RegistryScanner(Platform& platform, ScanState& state, FixPipeline& pipeline)
      : platform_(platform), state_(state), pipeline_(pipeline) {}

  void SetStatusSink(StatusSink sink) { status_ = std::move(sink); }

  void CheckExtensionsHandlers();
  void CheckRegisteredPrograms();
  void CheckCOM();
  void CheckActiveX();
  void CheckProgramsLocation();
  void CheckCommonLibraries();
  void CheckStartup(RegRoot root);
  void CheckUninstall();
  void CheckFonts();
  void CheckHelp();
  void CheckSounds();

  // Right before a fix: examines again every entry the scan recorded something for, with fresh
  // backups and fix lines, so that the fix works on the registry as it is now. A finding that is
  // no longer broken (the program was reinstalled, the file came back) is left alone and named
  // in the log.
  void RecheckFindings();

 private:
  using Examine = void (RegistryScanner::*)(const AnsiString& name);
  // Every entry examination, in a fixed order: ExaminedEntry::check is a place in this list.
  static const std::vector<Examine>& Examinations();
  void ExamineAndNote(Examine examine, const AnsiString& name);

  // Walks a listing: pending input is processed once per entry, and entries are examined only
  // while Scanning is set. Names that occur twice in the listing are remembered as ambiguous.
  void Walk(const StringList& names, Examine examine, bool skipEmptyNames = true);

  void ExamineExtension(const AnsiString& name);
  void ExamineApplication(const AnsiString& name);
  void ExamineClassId(const AnsiString& name);
  void ExamineClass(const AnsiString& name);
  void ExamineClassFile(const AnsiString& name, const AnsiString& text, const AnsiString& subKey,
                        const char* prefix);
  void ExamineAppPath(const AnsiString& name);
  void ExamineSharedLibrary(const AnsiString& name);
  void ExamineStartupValue(const AnsiString& name);
  void ExamineUninstallEntry(const AnsiString& name);
  void ExamineFont(const AnsiString& name);
  void ExamineHelpFile(const AnsiString& name);
  void ExamineSoundEvent(const AnsiString& name);
  void ExamineSound(const AnsiString& event, const AnsiString& subKey, const AnsiString& sound,
                    const AnsiString& sisterText);

  // An entry may be recorded only when the script can carry its name, the listing named it once
  // and the name opens back under that name: a fix line must name nothing but the entry found.
  bool KeyEntryIsSafe(RegRoot root, const AnsiString& parentPath, const AnsiString& name) const;
  bool ValueEntryIsSafe(RegRoot root, const AnsiString& keyPath, const AnsiString& name) const;
  // True when every key of the subtree has a name an exported script can carry, so that the
  // undo script brings back the whole key that a fix deletes.
  bool SubtreeCanBeCarried(RegRoot root, const AnsiString& keyPath) const;

  void AddProblem(const FixedEntry& entry);
  bool IsLeftOut(const FixedEntry& entry);
  // A change is recorded only once the undo script holds the exported key or the value; a
  // finding whose backup failed is left alone and named in the log. `file` is the missing file
  // the finding names, empty when it names none.
  void RecordKeyDeletion(Category category, const AnsiString& description, const AnsiString& file,
                         RegRoot root, const AnsiString& exportPath, const AnsiString& deletePath);
  void RecordKeyDeletionIn(const FixedEntry& entry, const AnsiString& exportPath);
  void RecordValueDeletion(Category category, const AnsiString& description, const AnsiString& file,
                           RegRoot root, const AnsiString& keyPath, const AnsiString& valueName);
  void RecordDefaultValue(Category category, const AnsiString& description, const AnsiString& file,
                          const AnsiString& keyPath, const AnsiString& text);

  void Show(const AnsiString& text, StatusForm form) const;
  // ReadStringValue; false when the entry in hand cannot be judged by the text: the code page
  // cannot carry it exactly, or it holds double-byte characters. Such an entry is never recorded.
  bool Read(RegRoot root, const AnsiString& path, const AnsiString& name, AnsiString& text) const;
  bool ReadClassText(const AnsiString& keyPath, AnsiString& text) const;
  // In a double-byte code page (932 and its kin) the second byte of a character may be 0x5C, the
  // byte of "\": such text is never taken apart byte by byte, in paths or in script lines.
  bool HoldsDoubleByteCharacters(const AnsiString& text) const;
  // The file a text names; false when the text cannot be judged.
  bool Resolve(const AnsiString& text, AnsiString& path) const;
  bool Expand(const AnsiString& text, AnsiString& expanded) const;
  // Only what the file system says is not there may be reported.
  bool IsMissing(const AnsiString& path) const;
  bool IsPresent(const AnsiString& path) const;
  bool MissingInWindowsFolders(const AnsiString& name) const;

  Platform& platform_;
  ScanState& state_;
  FixPipeline& pipeline_;
  StatusSink status_;
  PathFolders folders_;
  RegRoot startupRoot_ = kCurrentUser;
  std::set<AnsiString> ambiguousNames_;  // upper case
};

// One step of a scan: the checks it runs, one after the other, and the category whose count is
// shown afterwards. Categories 5 and 7 take one step per check, so their counts are refreshed
// after each; category 6 runs its three checks in one step.
struct ScanStep {
  Category category;
  std::vector<void (*)(RegistryScanner&)> checks;
};

// The steps of a full scan, in order.
const std::vector<ScanStep>& ScanSteps();

// Runs every check of every step, in order: a full scan without the window's counts between steps.
void RunAllChecks(RegistryScanner& scanner);

}  // namespace ql
