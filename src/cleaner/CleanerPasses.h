// The cleaner's two passes: files below the internet cache folder and temporary string values
// below the user's software key, each listing what it finds and deleting it when asked.
#pragma once

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

// The walks of the cleaner window. Both run only while `busy` is true and pump messages between
// steps, so the window's Stop (which clears the flag) ends them at their next check. Both keep
// their own stack of levels instead of recursing, so a tree hundreds of levels deep cannot
// exhaust the thread's stack; each level still closes its own search or key when it ends.
class CleanerPasses {
 public:
  CleanerPasses(Files& files, Registry& registry, Pump& pump, const bool& busy,
                CleanerProgress& progress);

  // Lists (and with deleteFiles deletes) every file below folder, which ends with "\", depth
  // first in the order the file system returns entries. Does nothing unless the folder's path
  // contains "TEMPORARY"; never deletes folders, never follows a folder that is a reparse point
  // (junction or symbolic link), skips "desktop.ini" and "index.dat".
  void CleanDir(const AnsiString& folder, bool deleteFiles, StringList& filesList);

  // Lists (and with deleteValues deletes) every string value below path ("\Software\") whose
  // data passes IsTemporaryValueData, as "Temporary value: " + data; keys whose path holds a
  // skip word are left alone with their whole subtree.
  void CleanApplicationsHistory(RegRoot root, const AnsiString& path, bool deleteValues,
                                StringList& valuesList);

 private:
  struct KeyLevel;
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
