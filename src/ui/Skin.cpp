// The skin region algorithm over a plain bitmap.
#include "ui/Skin.h"

#include <vector>

namespace ql::ui {

Region CreateBandRegion(const Bitmap& bitmap, int left, int top, int bottom, int right) {
  const int w = bitmap.Width();
  const int h = bitmap.Height();
  const Color key = bitmap.Pixel(1, 1);
  // One rectangle per run of equal colour; removed all at once, which leaves the same pixels as
  // removing them one by one.
  std::vector<Rect> keyRuns;
  for (int y = top; y < bottom; ++y) {
    int x = left;
    while (x < right) {
      const Color colour = bitmap.Pixel(x, y);
      int end = x + 1;
      while (end < right && bitmap.Pixel(end, y) == colour)
        ++end;
      if (colour == key)
        keyRuns.push_back({x, y, end - x, 1});
      x = end;
    }
  }
  return Region::FromCorners(0, 0, w, h).Subtract(Region::FromRects(keyRuns));
}

Region CreateSkinRegion(const Bitmap& bitmap) {
  const int w = bitmap.Width();
  const int h = bitmap.Height();
  if (bitmap.Empty())
    return {};
  const Region top = CreateBandRegion(bitmap, 0, 0, kSkinBand, w);
  const Region left = CreateBandRegion(bitmap, 0, kSkinBand, h - kSkinBand, kSkinBand);
  const Region right = CreateBandRegion(bitmap, w - kSkinBand, kSkinBand, h - kSkinBand, w);
  const Region bottom = CreateBandRegion(bitmap, 0, h - kSkinBand, h, w);
  const Region inner = Region::FromCorners(kSkinBand, kSkinBand, w - kSkinBand, h - kSkinBand);
  // Below 232 pixels the inner rectangle reaches outside the bitmap; the window needs no more.
  return top.Intersect(left).Intersect(right).Intersect(bottom).Union(inner).Intersect(
      Region::FromCorners(0, 0, w, h));
}

}  // namespace ql::ui
