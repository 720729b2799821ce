// Text widths in a label's font, for the path-ellipsis rule.
#include "paths/TextMeasure.win32.h"

#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

TextMeasure FontTextMeasure(HFONT font) {
  return [font](const AnsiString& text) {
    // A memory context compatible with the screen has the screen's resolution and needs no window.
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc)
      return 0;
    ScopedSelectObject selected(dc.get(), font);
    SIZE size{};
    if (!GetTextExtentPoint32A(dc.get(), text.data(), static_cast<int>(text.size()), &size))
      return 0;
    return static_cast<int>(size.cx);
  };
}

}  // namespace ql::win32
