// The path-ellipsis rule: a path shortened to a label's width by replacing leading folders with
// "...".
#pragma once

#include <functional>

#include "platform/text.h"

namespace ql {

// Width of a text in pixels, in the font of the label the text is meant for.
using TextMeasure = std::function<int(const AnsiString&)>;

// Drops the path's leading folders one at a time (then the drive) until the text fits `width` by
// `measure`; the file name is never shortened, so the result may still be wider. Ends for any
// input: every step shortens the directory part, or empties it and then drops the drive.
AnsiString MinimizePath(const AnsiString& path, int width, const TextMeasure& measure);

}  // namespace ql
