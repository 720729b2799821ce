// Fuzzes the path-ellipsis rule: any path, any width, any glyph widths; it must end, keep the file
// name and leave a path that already fits unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "paths/PathEllipsis.h"

namespace {

// The first bytes choose the label width and the width of each character, the rest is the path.
struct Input {
  int width = 0;
  std::uint8_t glyphWidths[4] = {};
  ql::AnsiString path;
};

Input Split(const std::uint8_t* data, std::size_t size) {
  Input input;
  if (size < 6)
    return input;
  input.width = data[0] | (data[1] << 8);
  for (int i = 0; i < 4; ++i)
    input.glyphWidths[i] = data[2 + i] % 16;
  input.path.assign(reinterpret_cast<const char*>(data + 6), size - 6);
  return input;
}

ql::AnsiString FileNameOf(const ql::AnsiString& path) {
  const std::size_t drive = path.size() >= 2 && path[1] == ':' ? 2 : 0;
  const std::size_t slash = path.rfind('\\');
  if (slash == ql::AnsiString::npos || slash < drive)
    return path.substr(drive);
  return path.substr(slash + 1);
}

void Require(bool condition) {
  if (!condition)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Input input = Split(data, size);
  const ql::TextMeasure measure = [&](const ql::AnsiString& text) {
    int total = 0;
    for (unsigned char c : text)
      total += input.glyphWidths[c % 4];
    return total;
  };
  const ql::AnsiString result = ql::MinimizePath(input.path, input.width, measure);
  const ql::AnsiString name = FileNameOf(input.path);
  Require(result.size() >= name.size());
  Require(result.compare(result.size() - name.size(), name.size(), name) == 0);
  if (measure(input.path) <= input.width)
    Require(result == input.path);
  return 0;
}
