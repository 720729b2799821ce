// Colours, points, sizes and rectangles of the window model, in pixels.
#pragma once

#include <cstdint>

namespace ql::ui {

struct Color {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend constexpr bool operator==(Color x, Color y) {
    return x.r == y.r && x.g == y.g && x.b == y.b;
  }
  friend constexpr bool operator!=(Color x, Color y) { return !(x == y); }
};

constexpr Color Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return Color{r, g, b};
}

namespace colors {
constexpr Color kBlack = Rgb(0, 0, 0);
constexpr Color kWhite = Rgb(255, 255, 255);
constexpr Color kBlue = Rgb(0, 0, 255);      // a hovered button's label, links
constexpr Color kSkin = Rgb(112, 140, 144);  // background of every skinned window, the key colour
constexpr Color kGreyText = Rgb(102, 102, 102);
constexpr Color kPanel = Rgb(250, 238, 201);  // the cream panel of the skins
constexpr Color kCheckBack = Rgb(250, 238, 205);
}  // namespace colors

struct Point {
  int x = 0;
  int y = 0;
  friend constexpr bool operator==(Point a, Point b) { return a.x == b.x && a.y == b.y; }
};

struct Size {
  int width = 0;
  int height = 0;
  friend constexpr bool operator==(Size a, Size b) {
    return a.width == b.width && a.height == b.height;
  }
};

// Left, top, width, height.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  constexpr int Right() const { return left + width; }
  constexpr int Bottom() const { return top + height; }
  constexpr bool Empty() const { return width <= 0 || height <= 0; }
  constexpr bool Contains(Point p) const {
    return p.x >= left && p.x < Right() && p.y >= top && p.y < Bottom();
  }
  constexpr bool Intersects(const Rect& other) const {
    return !Empty() && !other.Empty() && left < other.Right() && other.left < Right() &&
           top < other.Bottom() && other.top < Bottom();
  }
  friend constexpr bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
  }
};

// The part both share; empty when they do not meet.
constexpr Rect Intersection(const Rect& a, const Rect& b) {
  const int left = a.left > b.left ? a.left : b.left;
  const int top = a.top > b.top ? a.top : b.top;
  const int right = a.Right() < b.Right() ? a.Right() : b.Right();
  const int bottom = a.Bottom() < b.Bottom() ? a.Bottom() : b.Bottom();
  if (right <= left || bottom <= top)
    return {};
  return {left, top, right - left, bottom - top};
}

// The smallest rectangle holding both; an empty one holds nothing.
constexpr Rect Bounding(const Rect& a, const Rect& b) {
  if (a.Empty())
    return b;
  if (b.Empty())
    return a;
  const int left = a.left < b.left ? a.left : b.left;
  const int top = a.top < b.top ? a.top : b.top;
  const int right = a.Right() > b.Right() ? a.Right() : b.Right();
  const int bottom = a.Bottom() > b.Bottom() ? a.Bottom() : b.Bottom();
  return {left, top, right - left, bottom - top};
}

}  // namespace ql::ui
