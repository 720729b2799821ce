// Path resolution: turning command lines and icon references from the registry into one file
// path, and the file checks the scanner and the cleaner make on it.
#pragma once

#include "platform/files.h"
#include "platform/system.h"
#include "platform/text.h"

namespace ql {

// The folders the prefixes expand to; each ends with "\". The program-files folders are those of
// the native view; the texts below are what a standard system gives.
struct PathFolders {
  AnsiString windowsFolder;
  AnsiString profileFolder;
  AnsiString programFiles = "C:\\Program Files\\";
  AnsiString programFilesX86 = "C:\\Program Files (x86)\\";
  AnsiString commonFiles = "C:\\Program Files\\Common Files\\";
  AnsiString commonFilesX86 = "C:\\Program Files (x86)\\Common Files\\";
};

// The text with its environment references expanded: the prefix table's first (so that the
// program-files references name the native folders whatever the program's bitness), then every
// other one as the system expands it for the current user. False when a reference is left that
// names no variable: what the text means cannot be known.
bool ExpandEnvironmentReferences(System& system, const AnsiString& text, const PathFolders& folders,
                                 AnsiString& expanded);

// The upper-case file path a command line, icon reference or path from the registry names, its
// environment references expanded (ExpandEnvironmentReferences), quotes, a host program before a
// full path, arguments and an icon index cut away; empty for a blank text. Where no known program
// extension ends the file, the files there tell which blank ends it. False when the text cannot be
// judged: a reference that names no variable, a result that still begins with "%", or a file
// system that leaves the path unjudged.
bool ResolveCommandFile(System& system, CodePage& codePage, Files& files, const AnsiString& text,
                        const PathFolders& folders, AnsiString& file);

// The part after the last "\" or ":", or the whole text when it has neither.
AnsiString ExtractFileName(const AnsiString& path);

// What the file system says about a path. Missing only when it says that the entry, or a folder
// on its way, is not there (file not found, path not found) while the drive or share it lives on
// answers; a refused folder, a drive that is not ready or not mapped, an unreachable share,
// wildcards or text that is no valid path leave the path unjudged.
enum class Presence { Present, Missing, Unjudged };
Presence PathPresence(Files& files, const AnsiString& path);  // a file or a folder
Presence FilePresence(Files& files, const AnsiString& path);  // a folder there counts as missing
Presence FolderPresence(Files& files, const AnsiString& path);
// Present at the first of the three Windows folders that holds the name; Missing only when each
// of them says so.
Presence PresenceInWindowsFolders(Files& files, const AnsiString& name, const PathFolders& folders);
// "X:\..." or "\\server\share\...": a path that does not depend on the current drive or folder.
bool IsFullPath(const AnsiString& path);

// The folder with one "\" at its end, ready for a name to be appended. The empty folder stays
// empty: a folder that could not be had must never become "\", the root of the current drive.
AnsiString WithTrailingBackslash(const AnsiString& folder);
// The path without any "\" at its end; a path made only of "\" becomes empty.
AnsiString WithoutTrailingBackslashes(const AnsiString& path);

// True when the path names an existing file (not a directory); false for the empty path.
bool FileExists(Files& files, const AnsiString& path);
bool DirectoryExists(Files& files, const AnsiString& path);

// Creates the folder and every missing parent; true when the folder exists afterwards.
bool ForceDirectories(Files& files, const AnsiString& path);

}  // namespace ql
