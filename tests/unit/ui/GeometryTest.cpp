// Tests of the rectangle helpers the renderer uses to limit its painting, against pixel sets.
#include <gtest/gtest.h>

#include <random>

#include "ui/Geometry.h"

namespace ql::ui {
namespace {

bool PixelIn(const Rect& r, int x, int y) {
  return r.Contains({x, y});
}

// Random rectangles on a small grid, empty and negative sizes included, checked pixel by pixel.
TEST(GeometryTest, IntersectionAndBoundingAgreeWithPixelSets) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> place(-4, 8);
  std::uniform_int_distribution<int> extent(-2, 7);
  for (int round = 0; round < 2000; ++round) {
    const Rect a{place(random), place(random), extent(random), extent(random)};
    const Rect b{place(random), place(random), extent(random), extent(random)};
    const Rect both = Intersection(a, b);
    const Rect bounding = Bounding(a, b);
    bool shared = false;
    for (int y = -6; y < 16; ++y) {
      for (int x = -6; x < 16; ++x) {
        const bool inA = PixelIn(a, x, y);
        const bool inB = PixelIn(b, x, y);
        shared = shared || (inA && inB);
        ASSERT_EQ(PixelIn(both, x, y), inA && inB) << round;
        if (inA || inB) {
          ASSERT_TRUE(PixelIn(bounding, x, y)) << round;
        }
      }
    }
    ASSERT_EQ(a.Intersects(b), shared) << round;
    ASSERT_EQ(both.Empty(), !shared) << round;
  }
}

TEST(GeometryTest, BoundingIsTheSmallestRectangleAroundBoth) {
  EXPECT_EQ(Bounding({374, 62, 7, 7}, {389, 70, 7, 7}), (Rect{374, 62, 22, 15}));
  EXPECT_EQ(Bounding({}, {5, 6, 7, 8}), (Rect{5, 6, 7, 8}));
  EXPECT_EQ(Bounding({5, 6, 7, 8}, {100, 100, 0, 3}), (Rect{5, 6, 7, 8}));
}

}  // namespace
}  // namespace ql::ui
