// The cleaner's passes: files below the folders of the file sources (the internet cache, the
// temporary folder, the browsers' caches) and temporary string values below the user's software
// key, each listing what it finds and deleting it when asked.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace ql {

// Where the passes report what they are working on (the cleaner window's status line).
class CleanerProgress {
 public:
  virtual ~CleanerProgress() = default;
  // The folder whose file is in hand; the receiver shortens it to fit its label.
  virtual void ShowFolder(const AnsiString& folder) = 0;
  // The key path about to be examined, as "\Software\...\".
  virtual void ShowKey(const AnsiString& path) = 0;
};

// What a files walk listed (a scan) or deleted (a clean), with each file's size, and the files it
// left in place with the reason ("Not deleted (in use): C:\...").
struct FilesReport {
  StringList files;
  std::vector<std::uint64_t> sizes;  // one per file, in bytes
  StringList notes;
  std::uint64_t TotalBytes() const;
  // The lines of the details window: each file with its size, then the notes.
  StringList DetailLines() const;
};

// A folder that one source of files may clean, and the rules of that source.
struct FileSource {
  AnsiString folder;             // ends with "\"
  std::uint64_t minimumAge = 0;  // files written more recently stay; in file-time units
  StringList skippedFolders;     // folders below it that another source walks, ending with "\"
};

// Why a file the walk met stays where it is; kNone when it may go. From kInUse on, the reasons
// are failures that the report notes; the others are the rules at work.
enum class KeepReason {
  kNone,
  kLink,
  kFolder,
  kHardLinks,
  kRecent,
  kGone,
  kInUse,
  kReadOnly,
  kRefused,
};

// The rules every file the cleaner deletes passes, judged on what the opened entry itself tells:
// a link (junction or symbolic link) is neither followed nor deleted, a folder is never deleted,
// a file with another name (a hard link) is left alone, as is one written less than minimumAge
// before now, and a read-only file stays.
KeepReason JudgeOpenedFile(const FileDetails& details, std::uint64_t now, std::uint64_t minimumAge);

// The reason behind a system error of opening or deleting a file.
KeepReason ReasonOfError(std::uint32_t error);

// "1.5 MB": a size for people, in bytes below 1 KB, else in KB, MB, GB or TB with one decimal.
AnsiString SizeText(std::uint64_t bytes);

// The walks of the cleaner window. Both run only while `busy` is true and pump messages between
// steps, so the window's Stop (which clears the flag) ends them at their next check. Both keep
// their own stack of levels instead of recursing, so a tree hundreds of levels deep cannot
// exhaust the thread's stack; each level still closes its own search or key when it ends.
class CleanerPasses {
 public:
  CleanerPasses(Files& files, Registry& registry, Pump& pump, const bool& busy,
                CleanerProgress& progress);

  // The internet cache pass: the walk of CleanSource over folder, which ends with "\", and only
  // when the folder's path contains "TEMPORARY".
  void CleanDir(const AnsiString& folder, bool deleteFiles, FilesReport& report);

  // Lists (and with deleteFiles deletes) every file below the source's folder that passes
  // JudgeOpenedFile, depth first in the order the file system returns entries: each is opened
  // once, judged and deleted through that one handle. Never deletes folders, never follows a
  // folder that is a reparse point or one of the source's skipped folders, skips "desktop.ini"
  // and "index.dat". A file that cannot be deleted is not listed; the report notes it.
  void CleanSource(const FileSource& source, bool deleteFiles, FilesReport& report);

  // Lists (and with deleteValues deletes) every string value below path ("\Software\") whose
  // data passes IsTemporaryValueData, as "Temporary value: " + data; keys whose path holds a
  // skip word are left alone with their whole subtree.
  void CleanApplicationsHistory(RegRoot root, const AnsiString& path, bool deleteValues,
                                StringList& valuesList);

 private:
  struct KeyLevel;
  void CleanFile(const AnsiString& path, const FileSource& source, std::uint64_t now,
                 bool deleteFiles, FilesReport& report);
  bool EnterKey(RegRoot root, const AnsiString& path, bool deleteValues, StringList& valuesList,
                KeyLevel& level);
  void CleanValues(KeyLevel& level, bool deleteValues, StringList& valuesList);
  bool StillTemporary(const RegKey& key, const AnsiString& name, AnsiString& text);

  Files& files_;
  Registry& registry_;
  Pump& pump_;
  const bool& busy_;
  CleanerProgress& progress_;
};

// True when the folder's path, upper-cased, contains "TEMPORARY": the only folders the files
// pass may touch.
bool PassesTemporaryGuard(const AnsiString& folder);

// "desktop.ini" and "index.dat" in any letter case: system files of the cache, never touched.
bool IsExcludedCacheFile(const AnsiString& name);

// A name the file system may return that the walk can safely join to its folder: not empty, no
// path delimiter or drive colon, not made of dots only ("." and ".." included).
bool IsPlainEntryName(const AnsiString& name);

// True when the key path, upper-cased, contains one of the words whose subtrees the values pass
// never enters.
bool HasSkipWord(const AnsiString& path);

// The temporary-value rule on data exactly as read: longer than 4 characters; holds ":", "\"
// and "."; holds none of `,` `"` `%` `~` `*` `?`; and either starts with a capital "A" (a
// floppy path, not looked up) or names something the file system says is not there (a path it
// cannot judge, such as one on a refused folder or a drive that is not ready, is kept).
bool IsTemporaryValueData(const AnsiString& data, Files& files);

// The text a temporary value is listed with.
AnsiString TemporaryValueLine(const AnsiString& data);

}  // namespace ql
