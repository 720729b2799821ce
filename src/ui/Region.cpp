// Region operations on horizontal bands of spans.
#include "ui/Region.h"

#include <algorithm>
#include <cstdlib>

namespace ql::ui {
namespace {

using Spans = std::vector<Region::Span>;

using Keep = bool (*)(bool, bool);
bool Both(bool a, bool b) {
  return a && b;
}
bool Either(bool a, bool b) {
  return a || b;
}
bool FirstOnly(bool a, bool b) {
  return a && !b;
}

bool Covers(const Spans& spans, int x) {
  return std::any_of(spans.begin(), spans.end(),
                     [x](const Region::Span& s) { return s.left <= x && x < s.right; });
}

// Combines two sorted lists of disjoint spans pixel by pixel through `keep`.
Spans CombineSpans(const Spans& a, const Spans& b, Keep keep) {
  std::vector<int> xs;
  for (const Spans* list : {&a, &b}) {
    for (const Region::Span& s : *list) {
      xs.push_back(s.left);
      xs.push_back(s.right);
    }
  }
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  Spans result;
  for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
    if (!keep(Covers(a, xs[i]), Covers(b, xs[i])))
      continue;
    if (!result.empty() && result.back().right == xs[i])
      result.back().right = xs[i + 1];
    else
      result.push_back({xs[i], xs[i + 1]});
  }
  return result;
}

const Spans* SpansAt(const std::vector<Region::Band>& bands, int y) {
  for (const Region::Band& band : bands) {
    if (band.top <= y && y < band.bottom)
      return &band.spans;
  }
  return nullptr;
}

// Appends a band, merging it into the previous one when they touch and have the same spans.
void AppendBand(std::vector<Region::Band>& bands, int top, int bottom, Spans spans) {
  if (spans.empty())
    return;
  if (!bands.empty() && bands.back().bottom == top && bands.back().spans == spans) {
    bands.back().bottom = bottom;
    return;
  }
  bands.push_back({top, bottom, std::move(spans)});
}

std::vector<int> BandEdges(const std::vector<Region::Band>& a, const std::vector<Region::Band>& b) {
  std::vector<int> ys;
  for (const auto* bands : {&a, &b}) {
    for (const Region::Band& band : *bands) {
      ys.push_back(band.top);
      ys.push_back(band.bottom);
    }
  }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  return ys;
}

}  // namespace

Region Region::FromCorners(int x1, int y1, int x2, int y2) {
  return FromRect({std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1)});
}

Region Region::FromRect(const Rect& rect) {
  Region region;
  if (rect.width > 0 && rect.height > 0)
    region.bands_.push_back({rect.top, rect.Bottom(), {{rect.left, rect.Right()}}});
  return region;
}

Region Region::FromRects(const std::vector<Rect>& rects) {
  std::vector<int> ys;
  for (const Rect& r : rects) {
    if (r.width > 0 && r.height > 0) {
      ys.push_back(r.top);
      ys.push_back(r.Bottom());
    }
  }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  Region region;
  for (std::size_t i = 0; i + 1 < ys.size(); ++i) {
    Spans row;
    for (const Rect& r : rects) {
      if (r.width > 0 && r.top <= ys[i] && ys[i] < r.Bottom())
        row = CombineSpans(row, {{r.left, r.Right()}}, Either);
    }
    AppendBand(region.bands_, ys[i], ys[i + 1], std::move(row));
  }
  return region;
}

Region Region::Combine(const Region& other, Keep keep) const {
  const std::vector<int> ys = BandEdges(bands_, other.bands_);
  Region result;
  for (std::size_t i = 0; i + 1 < ys.size(); ++i) {
    const Spans* a = SpansAt(bands_, ys[i]);
    const Spans* b = SpansAt(other.bands_, ys[i]);
    AppendBand(result.bands_, ys[i], ys[i + 1],
               CombineSpans(a ? *a : Spans{}, b ? *b : Spans{}, keep));
  }
  return result;
}

Region Region::Intersect(const Region& other) const {
  return Combine(other, Both);
}

Region Region::Union(const Region& other) const {
  return Combine(other, Either);
}

Region Region::Subtract(const Region& other) const {
  return Combine(other, FirstOnly);
}

bool Region::Contains(Point p) const {
  const Spans* spans = SpansAt(bands_, p.y);
  return spans != nullptr && Covers(*spans, p.x);
}

long long Region::Area() const {
  long long area = 0;
  for (const Band& band : bands_) {
    for (const Span& s : band.spans)
      area += static_cast<long long>(s.right - s.left) * (band.bottom - band.top);
  }
  return area;
}

Rect Region::Bounds() const {
  if (bands_.empty())
    return {};
  int left = bands_.front().spans.front().left;
  int right = bands_.front().spans.back().right;
  for (const Band& band : bands_) {
    left = std::min(left, band.spans.front().left);
    right = std::max(right, band.spans.back().right);
  }
  const int top = bands_.front().top;
  return {left, top, right - left, bands_.back().bottom - top};
}

std::vector<Rect> Region::Rects() const {
  std::vector<Rect> rects;
  for (const Band& band : bands_) {
    for (const Span& s : band.spans)
      rects.push_back({s.left, band.top, s.right - s.left, band.bottom - band.top});
  }
  return rects;
}

bool Region::operator==(const Region& other) const {
  return std::equal(bands_.begin(), bands_.end(), other.bands_.begin(), other.bands_.end(),
                    [](const Band& a, const Band& b) {
                      return a.top == b.top && a.bottom == b.bottom && a.spans == b.spans;
                    });
}

}  // namespace ql::ui
