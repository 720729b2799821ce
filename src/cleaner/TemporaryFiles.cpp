// The files pass of the cleaner: a guarded depth-first walk of the internet cache folder.
#include <deque>

#include "cleaner/CleanerPasses.h"
#include "registry/AnsiText.h"

namespace ql {

namespace {

constexpr char kAllEntries[] = "*.*";

// One folder of the walk with its open search; the search closes when the level is dropped.
struct FolderLevel {
  FolderLevel(Files& files, AnsiString path) : folder(std::move(path)), search(files) {}
  AnsiString folder;
  FindSearch search;
  bool started = false;
};

// The next entry of the level's folder: the first one on the first call.
bool NextEntry(FolderLevel& level, FindEntry& entry) {
  if (level.started)
    return level.search.Next(entry);
  level.started = true;
  return level.search.First(level.folder + kAllEntries, fileattr::kAnyEntry, entry);
}

// A reparse point may lead anywhere on the disk, outside the folder being cleaned.
bool IsFollowableFolder(const FindEntry& entry) {
  return (entry.attributes & fileattr::kReparsePoint) == 0 && IsPlainEntryName(entry.name);
}

}  // namespace

bool PassesTemporaryGuard(const AnsiString& folder) {
  return UpperCaseAsciiLetters(folder).find("TEMPORARY") != AnsiString::npos;
}

bool IsExcludedCacheFile(const AnsiString& name) {
  const AnsiString upper = UpperCaseAsciiLetters(name);
  return upper == "DESKTOP.INI" || upper == "INDEX.DAT";
}

bool IsPlainEntryName(const AnsiString& name) {
  return name.find_first_not_of('.') != AnsiString::npos &&
         name.find_first_of("\\/:") == AnsiString::npos;
}

CleanerPasses::CleanerPasses(Files& files, Registry& registry, Pump& pump, const bool& busy,
                             CleanerProgress& progress)
    : files_(files), registry_(registry), pump_(pump), busy_(busy), progress_(progress) {}

// Every subfolder's path begins with its parent's, so the guard on the top folder holds for the
// whole walk. A level that stops (Stop, or no more entries) is dropped; its parent then goes on
// with its next entry and meets the cleared flag at once, as a recursive walk would.
void CleanerPasses::CleanDir(const AnsiString& folder, bool deleteFiles, StringList& filesList) {
  if (!PassesTemporaryGuard(folder))
    return;
  std::deque<FolderLevel> levels;
  levels.emplace_back(files_, folder);
  FindEntry entry;
  while (!levels.empty()) {
    FolderLevel& level = levels.back();
    if (!NextEntry(level, entry)) {
      levels.pop_back();
      continue;
    }
    pump_.ProcessMessages();
    if (!busy_) {
      levels.pop_back();
      continue;
    }
    if (entry.IsDirectory()) {
      if (IsFollowableFolder(entry))
        levels.emplace_back(files_, level.folder + entry.name + "\\");
      continue;
    }
    pump_.ProcessMessages();
    if (!busy_) {
      levels.pop_back();
      continue;
    }
    progress_.ShowFolder(level.folder);
    if (IsExcludedCacheFile(entry.name) || !IsPlainEntryName(entry.name))
      continue;
    const AnsiString path = level.folder + entry.name;
    if (deleteFiles)
      files_.RemoveFile(path);  // a file that cannot be deleted stays, and still counts
    filesList.push_back(path);
  }
}

}  // namespace ql
