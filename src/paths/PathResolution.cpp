// Path resolution: turning command lines and icon references from the registry into one file
// path, and the file checks the scanner and the cleaner make on it.
#include "paths/PathResolution.h"

#include <vector>

#include "paths/AnsiText.h"

namespace ql {

namespace {

struct PrefixRow {
  const char* token;
  const AnsiString& replacement;
};

// Applied top to bottom. The program-files rows name the native folders: a 32-bit process on
// 64-bit Windows would get the 32-bit ones from its own environment.
std::vector<PrefixRow> PrefixTable(const PathFolders& folders) {
  return {
      {"%WINDIR%\\", folders.windowsFolder},
      {"%SYSTEMROOT%\\", folders.windowsFolder},
      {"%PROGRAMFILES%\\", folders.programFiles},
      {"%PROGRAMFILES(X86)%\\", folders.programFilesX86},
      {"%PROGRAMW6432%\\", folders.programFiles},
      {"%COMMONPROGRAMFILES%\\", folders.commonFiles},
      {"%COMMONPROGRAMFILES(X86)%\\", folders.commonFilesX86},
      {"%COMMONPROGRAMW6432%\\", folders.commonFiles},
      {"%USERPROFILE%\\", folders.profileFolder},
  };
}

// A character of an environment name as programs write them in the registry. Blanks are left
// out, so that "%1 %2" of a command line is not taken for a reference.
bool IsNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         AnsiString("_().#$@{}-").find(c) != AnsiString::npos;
}

// True when the text still holds "%NAME%" with a name that does not begin with a digit ("%1" is
// a placeholder of a command line, not a variable).
bool HoldsUnexpandedReference(const AnsiString& text) {
  std::size_t open = text.find('%');
  while (open != AnsiString::npos) {
    const std::size_t close = text.find('%', open + 1);
    if (close == AnsiString::npos)
      return false;
    bool name = close > open + 1 && !(text[open + 1] >= '0' && text[open + 1] <= '9');
    for (std::size_t i = open + 1; name && i < close; ++i)
      name = IsNameCharacter(text[i]);
    if (name)
      return true;
    open = close;
  }
  return false;
}

// Characters no Windows path holds, and a colon anywhere but after a drive letter.
bool IsInvalidPathText(const AnsiString& path) {
  for (std::size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (c < 32 || c == '<' || c == '>' || c == '|' || c == '"' || (c == ':' && i != 1))
      return true;
  }
  return false;
}

AnsiString RootOf(const AnsiString& path) {
  if (path.size() >= 2 && path[1] == ':')
    return path.substr(0, 2) + "\\";
  if (path.compare(0, 2, "\\\\") != 0)
    return AnsiString();
  const std::size_t server = path.find('\\', 2);
  const std::size_t share = server == AnsiString::npos ? server : path.find('\\', server + 1);
  return share == AnsiString::npos ? path + "\\" : path.substr(0, share + 1);
}

Presence Query(Files& files, const AnsiString& path, std::uint32_t& attributes) {
  if (path.empty())
    return Presence::Missing;
  if (path.find_first_of("*?") != AnsiString::npos || IsInvalidPathText(path))
    return Presence::Unjudged;
  // A name without a drive or a share is found along a search path (the Windows folders, PATH,
  // App Paths, the Media folder for sounds) that this check cannot retrace; the current folder
  // says nothing about it.
  const AnsiString root = RootOf(path);
  if (root.empty())
    return Presence::Unjudged;
  const std::uint32_t error = files.QueryAttributes(path, attributes);
  if (error == fileerror::kNone)
    return Presence::Present;
  if (error != fileerror::kFileNotFound && error != fileerror::kPathNotFound)
    return Presence::Unjudged;
  // A drive that is not mapped also gives "path not found": the root must answer.
  std::uint32_t rootAttributes = 0;
  if (files.QueryAttributes(root, rootAttributes) != fileerror::kNone)
    return Presence::Unjudged;
  return Presence::Missing;
}

constexpr const char* kCommandExtensions[] = {".EXE", ".DLL", ".BAT", ".CMD",
                                              ".CPL", ".APL", ".OCX"};

AnsiString WithoutQuotes(const AnsiString& text) {
  AnsiString result;
  for (char c : text) {
    if (c != '"')
      result.push_back(c);
  }
  return result;
}

// Drops whatever stands before the drive letter of the first full path (a host program, "START ").
void DropTextBeforeFirstDrive(AnsiString& text) {
  const std::size_t colon = text.find(":\\");
  if (colon != AnsiString::npos && colon > 1)
    text.erase(0, colon - 1);
}

// Cuts the text just before the drive letter of a second full path. The search starts at the
// third character, and a hit at the first two characters of that tail is ignored.
void CutBeforeSecondDrive(AnsiString& text) {
  const std::size_t colon = text.find(":\\", 2);
  if (colon == AnsiString::npos)
    return;
  const std::size_t positionInTail = colon - 1;  // counted from 1, in the tail from character 3
  if (positionInTail > 2)
    text.resize(positionInTail);
}

// True when a name can end at `end`: the end of the text, or a character that no file name goes
// on with (a blank, a comma, a switch); "\" there means the name was a folder's.
bool NameEndsAt(const AnsiString& text, std::size_t end) {
  if (end >= text.size())
    return true;
  const auto c = static_cast<unsigned char>(text[end]);
  const bool goesOn = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                      c >= 0x80 || c == '\\' || c == '.' || c == '_' || c == '-' || c == '~';
  return !goesOn;
}

// An extension counts only where a name ends with it, so that "C:\DIR.DLLS\APP.EXE" and
// "C:\SETUP.EXE\APP.EXE" keep their program instead of being cut inside a folder name. True when
// the text was cut after one.
bool CutAfterKnownExtensions(AnsiString& text) {
  bool cut = false;
  for (const char* extension : kCommandExtensions) {
    for (std::size_t at = text.find(extension); at != AnsiString::npos;
         at = text.find(extension, at + 1)) {
      if (NameEndsAt(text, at + 4)) {
        text.resize(at + 4);
        cut = true;
        break;
      }
    }
  }
  return cut;
}

void DropStartPrefix(AnsiString& text) {
  if (text.compare(0, 6, "START ") == 0)
    text.erase(0, 6);
}

// An icon reference "FILE,INDEX" keeps the file. Only a whole number, perhaps negative, after the
// last comma is an index: a comma inside a folder name ("Contoso, Inc") stays.
void CutIconIndex(AnsiString& text) {
  const std::size_t comma = text.rfind(',');
  if (comma == AnsiString::npos)
    return;
  std::size_t digits = text.find_first_not_of(' ', comma + 1);
  if (digits != AnsiString::npos && text[digits] == '-')
    ++digits;
  if (digits >= text.size() || text.find_first_not_of("0123456789", digits) != AnsiString::npos)
    return;
  text.resize(comma);
}

// The steps after the expansion: quotes, host programs, known extensions' arguments and icon
// indexes go. `endsAtExtension` tells whether a known extension ended the file.
AnsiString CutToFile(const AnsiString& expanded, bool& endsAtExtension) {
  AnsiString file = WithoutQuotes(expanded);
  DropTextBeforeFirstDrive(file);
  CutBeforeSecondDrive(file);
  endsAtExtension = CutAfterKnownExtensions(file);
  DropStartPrefix(file);
  CutIconIndex(file);
  return file;
}

bool LastNameHasExtension(const AnsiString& path) {
  const std::size_t name = path.find_last_of('\\');
  return path.find('.', name == AnsiString::npos ? 0 : name) != AnsiString::npos;
}

// A path followed by arguments ("C:\SCRIPTS\TRAY.VBS /SILENT", "C:\APPS\TOOL.JAR --PORT 8080"): the
// file ends at one of the blanks. The first text up to a blank that is a file is the one named;
// the whole text may also name a folder ("EXPLORER.EXE C:\USERS\ME\DOCUMENTS"). When nothing is
// there, the missing one is the first whose last name has an extension, else the whole text; an
// argument is never what is judged. False when the file system leaves one of them unjudged.
bool PickPathBeforeArguments(Files& files, AnsiString& file) {
  StringList candidates;
  for (std::size_t blank = file.find(' '); blank != AnsiString::npos;
       blank = file.find(' ', blank + 1)) {
    if (blank > 0 && file[blank - 1] != ' ')
      candidates.push_back(file.substr(0, blank));
  }
  if (candidates.empty())
    return true;
  bool unjudged = false;
  for (const AnsiString& candidate : candidates) {
    const Presence presence = FilePresence(files, candidate);
    if (presence == Presence::Present) {
      file = candidate;
      return true;
    }
    unjudged = unjudged || presence == Presence::Unjudged;
  }
  const Presence whole = PathPresence(files, file);
  if (whole != Presence::Missing)
    return whole == Presence::Present;
  if (unjudged)
    return false;
  for (const AnsiString& candidate : candidates) {
    if (LastNameHasExtension(candidate)) {
      file = candidate;
      break;
    }
  }
  return true;
}

// Neither the empty prefix of a rooted path nor a bare drive ("C:") can be created.
bool IsCreatableFolder(const AnsiString& folder) {
  return !folder.empty() && folder.back() != ':';
}

}  // namespace

bool ExpandEnvironmentReferences(System& system, const AnsiString& text, const PathFolders& folders,
                                 AnsiString& expanded) {
  expanded = text;
  if (text.find('%') == AnsiString::npos)
    return true;
  for (const PrefixRow& row : PrefixTable(folders))
    expanded = ReplaceAllIgnoringCase(expanded, row.token, row.replacement);
  return system.ExpandEnvironment(expanded, expanded) && !HoldsUnexpandedReference(expanded);
}

bool ResolveCommandFile(System& system, CodePage& codePage, Files& files, const AnsiString& text,
                        const PathFolders& folders, AnsiString& file) {
  file = TrimControlsAndBlanks(text);
  if (file.empty())
    return true;
  // Upper-cased before the expansion, so that the folders put in keep their letter case.
  AnsiString expanded;
  if (!ExpandEnvironmentReferences(system, codePage.UpperCase(file), folders, expanded))
    return false;
  bool endsAtExtension = false;
  file = CutToFile(expanded, endsAtExtension);
  if (!file.empty() && file[0] == '%')
    return false;
  return endsAtExtension || PickPathBeforeArguments(files, file);
}

AnsiString ExtractFileName(const AnsiString& path) {
  const std::size_t delimiter = path.find_last_of("\\:");
  return delimiter == AnsiString::npos ? path : path.substr(delimiter + 1);
}

Presence PathPresence(Files& files, const AnsiString& path) {
  std::uint32_t attributes = 0;
  return Query(files, path, attributes);
}

Presence FilePresence(Files& files, const AnsiString& path) {
  std::uint32_t attributes = 0;
  const Presence presence = Query(files, path, attributes);
  if (presence == Presence::Present && (attributes & fileattr::kDirectory) != 0)
    return Presence::Missing;
  return presence;
}

Presence FolderPresence(Files& files, const AnsiString& path) {
  std::uint32_t attributes = 0;
  const Presence presence = Query(files, path, attributes);
  if (presence == Presence::Present && (attributes & fileattr::kDirectory) == 0)
    return Presence::Missing;
  return presence;
}

Presence PresenceInWindowsFolders(Files& files, const AnsiString& name,
                                  const PathFolders& folders) {
  const AnsiString& windows = folders.windowsFolder;
  Presence found = Presence::Missing;
  for (const AnsiString& path :
       {windows + name, windows + "System\\" + name, windows + "System32\\" + name}) {
    const Presence presence = FilePresence(files, path);
    if (presence == Presence::Present)
      return presence;
    if (presence == Presence::Unjudged)
      found = presence;
  }
  return found;
}

bool IsFullPath(const AnsiString& path) {
  const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (path.size() >= 3 && isLetter(path[0]) && path[1] == ':' && path[2] == '\\')
    return true;
  return path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

AnsiString WithTrailingBackslash(const AnsiString& folder) {
  if (folder.empty() || folder.back() == '\\')
    return folder;
  return folder + "\\";
}

AnsiString WithoutTrailingBackslashes(const AnsiString& path) {
  const std::size_t last = path.find_last_not_of('\\');
  return last == AnsiString::npos ? AnsiString() : path.substr(0, last + 1);
}

bool FileExists(Files& files, const AnsiString& path) {
  if (path.empty())
    return false;
  FindSearch search(files);
  FindEntry entry;
  return search.First(path, fileattr::kAnyEntry, entry) && !entry.IsDirectory();
}

bool DirectoryExists(Files& files, const AnsiString& path) {
  std::uint32_t attributes = 0;
  return files.GetAttributes(path, attributes) && (attributes & fileattr::kDirectory) != 0;
}

bool ForceDirectories(Files& files, const AnsiString& path) {
  const AnsiString folder = WithoutTrailingBackslashes(path);
  if (folder.empty())
    return false;
  std::size_t separator = 0;
  do {
    separator = folder.find('\\', separator + 1);
    const AnsiString prefix = folder.substr(0, separator);
    if (IsCreatableFolder(prefix) && !DirectoryExists(files, prefix))
      files.MakeDirectory(prefix);
  } while (separator != AnsiString::npos);
  return DirectoryExists(files, folder);
}

}  // namespace ql
