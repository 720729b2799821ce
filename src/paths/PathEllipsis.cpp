// The path-ellipsis rule: a path shortened to a label's width by replacing leading folders with
// "...".
#include "paths/PathEllipsis.h"

namespace ql {

namespace {

struct PathParts {
  AnsiString drive;      // "C:" or empty
  AnsiString directory;  // up to and including the last "\", or empty
  AnsiString fileName;
  AnsiString Joined() const { return drive + directory + fileName; }
};

PathParts SplitPath(const AnsiString& path) {
  PathParts parts;
  if (path.size() >= 2 && path[1] == ':')
    parts.drive = path.substr(0, 2);
  const std::size_t start = parts.drive.size();
  const std::size_t lastBackslash = path.rfind('\\');
  const std::size_t nameStart =
      lastBackslash == AnsiString::npos || lastBackslash < start ? start : lastBackslash + 1;
  parts.directory = path.substr(start, nameStart - start);
  parts.fileName = path.substr(nameStart);
  return parts;
}

// "\A\B\" becomes "\...\B\"; "...\B\C\" becomes "...\C\"; a part with no folder left after its
// first becomes empty.
AnsiString CutFirstDirectory(const AnsiString& directory) {
  const bool rooted = !directory.empty() && directory[0] == '\\';
  AnsiString rest = rooted ? directory.substr(1) : directory;
  if (rest.compare(0, 4, "...\\") == 0)
    rest.erase(0, 4);
  const std::size_t separator = rest.find('\\');
  if (separator == AnsiString::npos)
    return AnsiString();
  return (rooted ? "\\...\\" : "...\\") + rest.substr(separator + 1);
}

}  // namespace

AnsiString MinimizePath(const AnsiString& path, int width, const TextMeasure& measure) {
  PathParts parts = SplitPath(path);
  AnsiString result = path;
  while ((!parts.drive.empty() || !parts.directory.empty()) && measure(result) > width) {
    if (parts.directory == "\\...\\") {
      parts.drive.clear();
      parts.directory = "...\\";
    } else if (parts.directory.empty()) {
      parts.drive.clear();
    } else {
      parts.directory = CutFirstDirectory(parts.directory);
    }
    result = parts.Joined();
  }
  return result;
}

}  // namespace ql
