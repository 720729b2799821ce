// The files passes of the cleaner: the guarded internet cache pass, the depth-first walk of a
// file source's folder and the one safe way its files are deleted.
#include <cstdio>
#include <deque>
#include <iterator>
#include <memory>
#include <string>

#include "cleaner/CleanerPasses.h"
#include "paths/AnsiText.h"

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

bool IsSkippedFolder(const FileSource& source, const AnsiString& folder) {
  const AnsiString upper = UpperCaseAsciiLetters(folder);
  for (const AnsiString& skipped : source.skippedFolders) {
    if (UpperCaseAsciiLetters(skipped) == upper)
      return true;
  }
  return false;
}

AnsiString NoteText(KeepReason reason) {
  switch (reason) {
    case KeepReason::kInUse:
      return "Not deleted (in use): ";
    case KeepReason::kReadOnly:
      return "Not deleted (read-only): ";
    default:
      return "Not deleted (access denied): ";
  }
}

}  // namespace

std::uint64_t FilesReport::TotalBytes() const {
  std::uint64_t total = 0;
  for (std::uint64_t size : sizes)
    total += size;
  return total;
}

StringList FilesReport::DetailLines() const {
  StringList lines;
  for (std::size_t i = 0; i < files.size(); ++i)
    lines.push_back(files[i] + "  (" + SizeText(sizes[i]) + ")");
  lines.insert(lines.end(), notes.begin(), notes.end());
  return lines;
}

AnsiString SizeText(std::uint64_t bytes) {
  if (bytes < 1024)
    return std::to_string(bytes) + " bytes";
  static const char* const kUnits[] = {"KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes) / 1024;
  std::size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(kUnits)) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof(text), "%.1f %s", value, kUnits[unit]);
  return text;
}

KeepReason JudgeOpenedFile(const FileDetails& details, std::uint64_t now,
                           std::uint64_t minimumAge) {
  if ((details.attributes & fileattr::kReparsePoint) != 0)
    return KeepReason::kLink;
  if ((details.attributes & fileattr::kDirectory) != 0)
    return KeepReason::kFolder;
  if (details.linkCount != 1)
    return KeepReason::kHardLinks;  // deleting one name would not free the file, only change it
  if (minimumAge != 0 && (details.lastWriteTime > now || now - details.lastWriteTime < minimumAge))
    return KeepReason::kRecent;
  if ((details.attributes & fileattr::kReadOnly) != 0)
    return KeepReason::kReadOnly;
  return KeepReason::kNone;
}

KeepReason ReasonOfError(std::uint32_t error) {
  constexpr std::uint32_t kLockViolation = 33;
  switch (error) {
    case fileerror::kNone:
      return KeepReason::kNone;
    case fileerror::kFileNotFound:
    case fileerror::kPathNotFound:
      return KeepReason::kGone;
    case fileerror::kSharingViolation:
    case kLockViolation:
      return KeepReason::kInUse;
    default:
      return KeepReason::kRefused;
  }
}

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
// whole walk.
void CleanerPasses::CleanDir(const AnsiString& folder, bool deleteFiles, FilesReport& report) {
  if (PassesTemporaryGuard(folder))
    CleanSource(FileSource{folder, 0, {}}, deleteFiles, report);
}

// A level that stops (Stop, or no more entries) is dropped; its parent then goes on with its
// next entry and meets the cleared flag at once, as a recursive walk would.
void CleanerPasses::CleanSource(const FileSource& source, bool deleteFiles, FilesReport& report) {
  const std::uint64_t now = files_.CurrentFileTime();
  std::deque<FolderLevel> levels;
  levels.emplace_back(files_, source.folder);
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
      const AnsiString subfolder = level.folder + entry.name + "\\";
      if (IsFollowableFolder(entry) && !IsSkippedFolder(source, subfolder))
        levels.emplace_back(files_, subfolder);
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
    CleanFile(level.folder + entry.name, source, now, deleteFiles, report);
  }
}

// The file is opened once and judged and deleted through that handle, so no other file can take
// its name in between.
void CleanerPasses::CleanFile(const AnsiString& path, const FileSource& source, std::uint64_t now,
                              bool deleteFiles, FilesReport& report) {
  std::unique_ptr<OpenedFile> file;
  KeepReason reason = ReasonOfError(files_.OpenForDeletion(path, file));
  if (reason == KeepReason::kNone)
    reason = JudgeOpenedFile(file->Details(), now, source.minimumAge);
  if (reason == KeepReason::kNone && deleteFiles)
    reason = ReasonOfError(file->Delete());
  if (reason == KeepReason::kNone) {
    report.files.push_back(path);
    report.sizes.push_back(file->Details().size);
  } else if (reason >= KeepReason::kInUse) {
    report.notes.push_back(NoteText(reason) + path);
  }
}

}  // namespace ql
