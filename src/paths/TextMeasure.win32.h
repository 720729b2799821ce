// Text widths in a label's font, for the path-ellipsis rule.
#pragma once

#include <windows.h>

#include "paths/PathEllipsis.h"

namespace ql::win32 {

// Measures text in `font` as a label on the screen draws it; 0 when it cannot be measured. The
// caller keeps the font and must keep it alive while the measure is used.
TextMeasure FontTextMeasure(HFONT font);

}  // namespace ql::win32
