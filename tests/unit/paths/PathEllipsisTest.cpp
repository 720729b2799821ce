// Tests of the path-ellipsis rule with a measure of a fixed number of pixels per character.
#include "paths/PathEllipsis.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

namespace ql {
namespace {

constexpr int kCharWidth = 7;

int FixedWidth(const AnsiString& text) {
  return static_cast<int>(text.size()) * kCharWidth;
}

int Width(const std::string& text) {
  return FixedWidth(text);
}

// What follows the drive ("X:") and the last "\\".
std::string FileNameOf(const std::string& path) {
  const std::size_t driveLength = path.size() >= 2 && path[1] == ':' ? 2 : 0;
  const std::size_t lastBackslash = path.rfind('\\');
  if (lastBackslash == std::string::npos || lastBackslash < driveLength)
    return path.substr(driveLength);
  return path.substr(lastBackslash + 1);
}

struct EllipsisCase {
  std::string path;
  int width;
  std::string expected;
};

TEST(MinimizePathTest, DropsLeadingFoldersThenTheDrive) {
  const std::string path = "C:\\Program Files\\Quillon\\Quillon.exe";
  const EllipsisCase cases[] = {
      {path, Width(path), path},
      {path, Width(path) - 1, "C:\\...\\Quillon\\Quillon.exe"},
      {path, Width("C:\\...\\Quillon\\Quillon.exe") - 1, "C:\\...\\Quillon.exe"},
      {path, Width("C:\\...\\Quillon.exe") - 1, "...\\Quillon.exe"},
      {path, Width("...\\Quillon.exe") - 1, "Quillon.exe"},
      // The file name is never shortened, even when it alone is too wide.
      {path, 0, "Quillon.exe"},
      {path, -5, "Quillon.exe"},
      // Relative folders.
      {"AAAA\\B\\C\\f.txt", Width("...\\B\\C\\f.txt"), "...\\B\\C\\f.txt"},
      {"AAAA\\BBBB\\C\\f.txt", Width("...\\C\\f.txt"), "...\\C\\f.txt"},
      // "..." is longer than a one-letter folder: the rule goes on until the text fits.
      {"A\\B\\C\\f.txt", Width("A\\B\\C\\f.txt") - 1, "...\\f.txt"},
      {"A\\B\\C\\f.txt", 0, "f.txt"},
      // A drive with no folders is dropped; a root folder alone goes at once.
      {"C:file.txt", 0, "file.txt"},
      {"C:\\file.txt", Width("C:\\file.txt") - 1, "C:file.txt"},
      {"\\file.txt", 0, "file.txt"},
      // Nothing to drop.
      {"file.txt", 0, "file.txt"},
      {"", 0, ""},
      {"C:", 0, ""},
      // A path that ends in a folder keeps its empty file name.
      {"C:\\A\\B\\", 0, ""},
      // A colon elsewhere is not a drive.
      {"ab:cd\\x", 0, "x"},
      // Only the first two characters make a drive.
      {"\\:x", 0, "x"},
      // A folder part that already starts with "...\" loses it and its next folder.
      {"...\\A\\B\\f", Width("...\\A\\B\\f") - 1, "...\\B\\f"},
      // A UNC path: the empty first folder goes first.
      {"\\\\server\\share\\f", Width("\\\\server\\share\\f") - 1, "\\...\\share\\f"},
      {"\\\\server\\share\\f", Width("\\...\\share\\f") - 1, "\\...\\f"},
  };
  for (const EllipsisCase& c : cases)
    EXPECT_EQ(MinimizePath(c.path, c.width, FixedWidth), c.expected)
        << "path: " << c.path << " width: " << c.width;
}

TEST(MinimizePathTest, DoesNotMeasureAgainOnceItFits) {
  int calls = 0;
  const auto counting = [&calls](const AnsiString& text) {
    ++calls;
    return FixedWidth(text);
  };
  EXPECT_EQ(MinimizePath("C:\\A\\B.EXE", 1000, counting), "C:\\A\\B.EXE");
  EXPECT_EQ(calls, 1);
}

// Paths made of the characters the rule reacts to, with a measure that never fits: the rule
// must stop, with only the file name left, after a number of steps bounded by the path's length.
TEST(MinimizePathTest, EndsForAnyPath) {
  std::mt19937 random(20260101);
  const char alphabet[] = {'\\', '\\', '.', ':', 'A', ' ', '\xe9'};
  std::uniform_int_distribution<int> pick(0, sizeof(alphabet) - 1);
  std::uniform_int_distribution<int> length(0, 40);
  for (int round = 0; round < 5000; ++round) {
    std::string path;
    for (int i = length(random); i > 0; --i)
      path.push_back(alphabet[pick(random)]);
    std::size_t calls = 0;
    const auto neverFits = [&calls](const AnsiString&) {
      ++calls;
      return INT_MAX;
    };
    const AnsiString shortened = MinimizePath(path, 100, neverFits);
    EXPECT_EQ(shortened, FileNameOf(path)) << "path: " << path;
    EXPECT_LE(calls, 2 * path.size() + 4) << "path: " << path;
  }
}

}  // namespace
}  // namespace ql
