// Path resolution: turning command lines and icon references from the registry into one file
// path, and the file checks the scanner and the cleaner make on it.
#include "registry/PathResolution.h"

#include <vector>

#include "app/Unit0.h"
#include "registry/AnsiText.h"

namespace ql {

namespace {

struct PrefixRow {
  const char* token;
  const AnsiString& replacement;
};

const AnsiString kProgramFiles = "C:\\Program Files\\";
const AnsiString kProgramFilesX86 = "C:\\Program Files (x86)\\";
const AnsiString kCommonFiles = "C:\\Program Files\\Common Files\\";
const AnsiString kCommonFilesX86 = "C:\\Program Files (x86)\\Common Files\\";

// Applied top to bottom. The program-files folders are fixed texts, not the running system's
// folders.
std::vector<PrefixRow> PrefixTable(const PathFolders& folders) {
  return {
      {"%WINDIR%\\", folders.windowsFolder},
      {"%SYSTEMROOT%\\", folders.windowsFolder},
      {"%PROGRAMFILES%\\", kProgramFiles},
      {"%PROGRAMFILES(X86)%\\", kProgramFilesX86},
      {"%PROGRAMW6432%\\", kProgramFiles},
      {"%COMMONPROGRAMFILES%\\", kCommonFiles},
      {"%COMMONPROGRAMFILES(X86)%\\", kCommonFilesX86},
      {"%COMMONPROGRAMW6432%\\", kCommonFiles},
      {"%USERPROFILE%\\", folders.profileFolder},
  };
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

void CutAfterKnownExtensions(AnsiString& text) {
  for (const char* extension : kCommandExtensions) {
    const std::size_t at = text.find(extension);
    if (at != AnsiString::npos)
      text.resize(at + 4);
  }
}

void DropStartPrefix(AnsiString& text) {
  if (text.compare(0, 6, "START ") == 0)
    text.erase(0, 6);
}

// An icon reference "FILE,INDEX": keep the file. `comma` stays the comma's position in the text
// before any deletion, as the later comparison is made against it.
void CutIconIndex(AnsiString& text) {
  const std::size_t comma = text.find(',');
  if (comma == AnsiString::npos)
    return;
  const std::size_t colon = text.find(':');
  if (colon != AnsiString::npos && comma < colon)
    text.erase(0, comma + 1);
  const std::size_t firstDot = text.find('.');
  if (firstDot == AnsiString::npos || firstDot < comma) {
    const std::size_t lastDot = text.rfind('.');
    const std::size_t keep = lastDot == AnsiString::npos ? 3 : lastDot + 4;
    if (keep < text.size())
      text.resize(keep);
  }
}

AnsiString WithoutTrailingBackslashes(const AnsiString& path) {
  const std::size_t last = path.find_last_not_of('\\');
  return last == AnsiString::npos ? AnsiString() : path.substr(0, last + 1);
}

// Neither the empty prefix of a rooted path nor a bare drive ("C:") can be created.
bool IsCreatableFolder(const AnsiString& folder) {
  return !folder.empty() && folder.back() != ':';
}

}  // namespace

PathFolders CurrentPathFolders() {
  return PathFolders{Unit0::WindowsFolder, Unit0::ProfileFolder};
}

AnsiString ExpandPathPrefixes(const AnsiString& text, const PathFolders& folders) {
  AnsiString result = text;
  for (const PrefixRow& row : PrefixTable(folders)) {
    if (result.find(row.token) != AnsiString::npos)
      result = ReplaceAllIgnoringCase(result, row.token, row.replacement);
  }
  return result;
}

AnsiString ExtractCommandFile(const AnsiString& text, CodePage& codePage,
                              const PathFolders& folders) {
  AnsiString file = TrimControlsAndBlanks(text);
  if (file.empty())
    return file;
  file = WithoutQuotes(ExpandPathPrefixes(codePage.UpperCase(file), folders));
  DropTextBeforeFirstDrive(file);
  CutBeforeSecondDrive(file);
  CutAfterKnownExtensions(file);
  DropStartPrefix(file);
  CutIconIndex(file);
  return file;
}

AnsiString EscapeBackslashes(const AnsiString& text) {
  AnsiString result;
  result.reserve(text.size());
  for (char c : text) {
    if (c == '\\')
      result.push_back('\\');
    result.push_back(c);
  }
  return result;
}

AnsiString ExtractFileName(const AnsiString& path) {
  const std::size_t delimiter = path.find_last_of("\\:");
  return delimiter == AnsiString::npos ? path : path.substr(delimiter + 1);
}

bool ExistsInWindowsFolders(Files& files, const AnsiString& name, const PathFolders& folders) {
  const AnsiString& windows = folders.windowsFolder;
  return FileExists(files, windows + name) || FileExists(files, windows + "System\\" + name) ||
         FileExists(files, windows + "System32\\" + name);
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
