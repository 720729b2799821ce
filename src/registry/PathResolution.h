// Path resolution: turning command lines and icon references from the registry into one file
// path, and the file checks the scanner and the cleaner make on it.
#pragma once

#include "platform/files.h"
#include "platform/system.h"
#include "platform/text.h"

namespace ql {

// The two folders the prefixes expand to; both end with "\".
struct PathFolders {
  AnsiString windowsFolder;
  AnsiString profileFolder;
};

// The folders as the scanner last computed them (Unit0's WindowsFolder and ProfileFolder).
PathFolders CurrentPathFolders();

// Replaces "%WINDIR%\", "%SYSTEMROOT%\", "%PROGRAMFILES%\" ... "%USERPROFILE%\" by their folders.
AnsiString ExpandPathPrefixes(const AnsiString& text, const PathFolders& folders);

// The upper-case file path a command line, icon reference or path names; empty for a blank text.
AnsiString ExtractCommandFile(const AnsiString& text, CodePage& codePage,
                              const PathFolders& folders);

// Every "\" written as "\\", as registry script text needs it.
AnsiString EscapeBackslashes(const AnsiString& text);

// The part after the last "\" or ":", or the whole text when it has neither.
AnsiString ExtractFileName(const AnsiString& path);

// True when the file exists in the Windows folder, its "System\" or its "System32\" folder.
bool ExistsInWindowsFolders(Files& files, const AnsiString& name, const PathFolders& folders);

// True when the path names an existing file (not a directory); false for the empty path.
bool FileExists(Files& files, const AnsiString& path);
bool DirectoryExists(Files& files, const AnsiString& path);

// Creates the folder and every missing parent; true when the folder exists afterwards.
bool ForceDirectories(Files& files, const AnsiString& path);

}  // namespace ql
