// The state of one registry scan: counts, the findings per category and the three scan texts.
#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <vector>

#include "fix/IgnoreList.h"
#include "fix/ScriptText.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace ql {

constexpr std::size_t kCategoryCount = 7;

// Category captions in the order of the scan window's rows.
inline constexpr std::array<const char*, kCategoryCount> kCategoryCaptions = {
    "Extensions handlers", "Programs location", "Common libraries", "Registered programs",
    "Com/ActiveX",         "Startup/Uninstall", "Font/Help/Sounds",
};

enum class Category {
  ExtensionsHandlers,
  ProgramsLocation,
  CommonLibraries,
  RegisteredPrograms,
  ComActiveX,
  StartupUninstall,
  FontHelpSounds,
};

// One recorded problem as its fix lines change the registry, so that the entry can be read back
// once the fix script has been imported.
struct FixedEntry {
  enum class Change { KeyDeleted, ValueDeleted, DefaultValueSet };
  Change change;
  Category category;
  RegRoot root;
  AnsiString keyPath;    // as in the fix lines, beginning with "\"
  AnsiString valueName;  // the value a ValueDeleted fix removes
  AnsiString text;       // the data a DefaultValueSet fix writes
  AnsiString description;
  AnsiString file;  // the missing file the finding names; empty when it names none
};

// The registry path a finding's fix changes: the key, or the key and the value's name.
AnsiString FindingPath(const FixedEntry& entry);

// An entry a scan recorded something for: the check that examined it (its place in the
// scanner's list of entry examinations), the root of a check that walks two, and its name.
struct ExaminedEntry {
  std::size_t check;
  RegRoot root;
  AnsiString name;
};

struct ScanState {
  bool Scanning = false;
  bool Scanned = false;
  std::uint32_t ErrorCount = 0;
  std::array<StringList, kCategoryCount> CategoryErrors;
  StringList FixScript;       // code-page lines of the "REGEDIT4" fix script
  WideStringList UndoScript;  // lines of the Unicode undo script
  StringList ReportLog;       // code-page lines of the log
  AnsiString UndoFileName;
  AnsiString LogFileName;
  std::vector<FixedEntry> Fixes;  // one per counted problem, in the order found
  StringList NotBackedUp;         // descriptions of the findings left alone: no backup was made
  StringList NoLongerBroken;      // descriptions of the findings repaired before the fix ran
  std::vector<ExaminedEntry> Examined;  // the entries to examine again right before the fix
  IgnoreList Ignored;                   // never reported
  std::set<AnsiString> Unticked;        // finding paths the user left out of the next fix
  StringList NotChosen;                 // descriptions of the unticked findings a fix left alone

  bool IsTicked(const FixedEntry& entry) const { return Unticked.count(FindingPath(entry)) == 0; }
  void SetTicked(const FixedEntry& entry, bool ticked);
  // The number of the category's findings that are ticked.
  std::size_t TickedCount(Category category) const;
  // Takes a finding out of the scan's results (Fixes, its category's list and the count).
  void Remove(std::size_t fix);

  StringList& ErrorsOf(Category category) {
    return CategoryErrors[static_cast<std::size_t>(category)];
  }
  // Empties the texts and the lists and clears the counters and flags.
  void Reset() { *this = ScanState(); }
};

}  // namespace ql
