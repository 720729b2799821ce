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
  constexpr bool Contains(Point p) const {
    return p.x >= left && p.x < Right() && p.y >= top && p.y < Bottom();
  }
  friend constexpr bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
  }
};

}  // namespace ql::ui
