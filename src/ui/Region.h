// A portable window region: a set of pixels made of rectangles, with the operations windows use
// (rectangle, intersection, union, difference).
#pragma once

#include <vector>

#include "ui/Geometry.h"

namespace ql::ui {

// Kept in one canonical form (horizontal bands of disjoint spans, equal neighbouring bands
// merged), so two regions covering the same pixels compare equal.
class Region {
 public:
  Region() = default;
  // The rectangle with corners (x1, y1) and (x2, y2), exclusive at the right and bottom; the
  // corners are put in order first, as CreateRectRgn does.
  static Region FromCorners(int x1, int y1, int x2, int y2);
  static Region FromRect(const Rect& rect);
  static Region FromRects(const std::vector<Rect>& rects);

  Region Intersect(const Region& other) const;
  Region Union(const Region& other) const;
  Region Subtract(const Region& other) const;

  bool Empty() const { return bands_.empty(); }
  bool Contains(Point p) const;
  long long Area() const;
  // The bounding box; all zero for an empty region.
  Rect Bounds() const;
  // Disjoint rectangles covering the region, top to bottom, left to right.
  std::vector<Rect> Rects() const;
  bool operator==(const Region& other) const;
  bool operator!=(const Region& other) const { return !(*this == other); }

  struct Span {
    int left;
    int right;  // exclusive
    bool operator==(const Span& o) const { return left == o.left && right == o.right; }
  };
  struct Band {
    int top;
    int bottom;  // exclusive
    std::vector<Span> spans;
  };

 private:
  // Keeps the pixels for which keep(in this, in other) is true.
  Region Combine(const Region& other, bool (*keep)(bool, bool)) const;
  std::vector<Band> bands_;
};

}  // namespace ql::ui
