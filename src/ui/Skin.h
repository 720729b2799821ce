// The skinned frame's window region: the skin bitmap minus the key-coloured pixels of its frame.
#pragma once

#include "ui/Bitmap.h"
#include "ui/Region.h"

namespace ql::ui {

constexpr int kSkinBand = 116;  // width of the frame that is searched for the key colour

// The whole bitmap minus every run of key-coloured pixels (the colour at (1, 1)) in the band of
// columns left <= x < right and rows top <= y < bottom.
Region CreateBandRegion(const Bitmap& bitmap, int left, int top, int bottom, int right);

// The four bands of the 116-pixel frame intersected, united with the inner rectangle (which is
// never read). An empty bitmap gives an empty region.
Region CreateSkinRegion(const Bitmap& bitmap);

}  // namespace ql::ui
