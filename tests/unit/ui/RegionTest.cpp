// Tests of the portable region, the bitmap file format and the skin region algorithm.
#include <gtest/gtest.h>

#include <array>
#include <random>

#include "ui/Bitmap.h"
#include "ui/Region.h"
#include "ui/Skin.h"

namespace ql::ui {
namespace {

TEST(RegionTest, CornersArePutInOrder) {
  EXPECT_EQ(Region::FromCorners(10, 20, 0, 0), Region::FromRect({0, 0, 10, 20}));
  EXPECT_TRUE(Region::FromCorners(5, 5, 5, 9).Empty());
}

TEST(RegionTest, OperationsKeepTheRightPixels) {
  const Region a = Region::FromRect({0, 0, 10, 10});
  const Region b = Region::FromRect({5, 5, 10, 10});
  EXPECT_EQ(a.Intersect(b), Region::FromRect({5, 5, 5, 5}));
  EXPECT_EQ(a.Union(b).Area(), 175);
  EXPECT_EQ(a.Subtract(b).Area(), 75);
  EXPECT_FALSE(a.Subtract(b).Contains({7, 7}));
  EXPECT_TRUE(a.Subtract(b).Contains({7, 2}));
  EXPECT_EQ(a.Union(b).Bounds(), (Rect{0, 0, 15, 15}));
}

TEST(RegionTest, SamePixelsCompareEqualWhateverTheRectangles) {
  const Region byRows = Region::FromRect({0, 0, 4, 2}).Union(Region::FromRect({0, 2, 4, 2}));
  const Region byColumns = Region::FromRects({{0, 0, 2, 4}, {2, 0, 2, 4}});
  EXPECT_EQ(byRows, byColumns);
  EXPECT_EQ(byRows.Rects().size(), 1u);
  EXPECT_NE(byRows, Region::FromRect({0, 0, 4, 3}));
}

// Regions built from random rectangles agree pixel by pixel with plain sets of pixels.
TEST(RegionTest, OperationsAgreeWithPixelSets) {
  constexpr int kSide = 24;
  using Pixels = std::array<bool, kSide * kSide>;
  std::mt19937 random(20261207);
  const auto randomRect = [&random] {
    const int left = static_cast<int>(random() % kSide), top = static_cast<int>(random() % kSide);
    return Rect{left, top, static_cast<int>(random() % (kSide - left + 1)),
                static_cast<int>(random() % (kSide - top + 1))};
  };
  const auto pixelsOf = [](const std::vector<Rect>& rects) {
    Pixels p{};
    for (const Rect& r : rects)
      for (int y = r.top; y < r.Bottom(); ++y)
        for (int x = r.left; x < r.Right(); ++x)
          p[static_cast<std::size_t>(y * kSide + x)] = true;
    return p;
  };
  for (int round = 0; round < 200; ++round) {
    std::vector<Rect> first, second;
    for (int i = 0; i < 4; ++i) {
      first.push_back(randomRect());
      second.push_back(randomRect());
    }
    const Region a = Region::FromRects(first), b = Region::FromRects(second);
    const Pixels pa = pixelsOf(first), pb = pixelsOf(second);
    const Region both = a.Intersect(b), either = a.Union(b), only = a.Subtract(b);
    long long area = 0;
    for (int y = 0; y < kSide; ++y) {
      for (int x = 0; x < kSide; ++x) {
        const std::size_t i = static_cast<std::size_t>(y * kSide + x);
        ASSERT_EQ(both.Contains({x, y}), pa[i] && pb[i]) << round;
        ASSERT_EQ(either.Contains({x, y}), pa[i] || pb[i]) << round;
        ASSERT_EQ(only.Contains({x, y}), pa[i] && !pb[i]) << round;
        area += pa[i] || pb[i];
      }
    }
    EXPECT_EQ(either.Area(), area);
    EXPECT_EQ(Region::FromRects(either.Rects()), either);  // the rectangles cover it exactly
    EXPECT_EQ(only.Union(both), a);
  }
}

TEST(BmpTest, EncodedFilesDecodeToTheSamePixels) {
  Bitmap bitmap(5, 3, colors::kPanel);  // 15 bytes a row: padded to 16
  bitmap.SetPixel(0, 0, Rgb(1, 2, 3));
  bitmap.SetPixel(4, 2, Rgb(200, 100, 50));
  const Bytes file = EncodeBmp(bitmap);
  EXPECT_EQ(file.size(), 14u + 40u + 3u * 16u);
  const auto decoded = DecodeBmp(file);
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(*decoded, bitmap);
  // Bottom-up: the first stored row is the bottom row, blue first.
  EXPECT_EQ(file[54 + 4 * 3], 50);
  EXPECT_EQ(file[54 + 4 * 3 + 2], 200);
}

TEST(BmpTest, TruncatedOrOddFilesGiveNothing) {
  const Bytes good = EncodeBmp(Bitmap(4, 4, colors::kWhite));
  Bytes truncated(good.begin(), good.end() - 1);
  EXPECT_FALSE(DecodeBmp(truncated).has_value());
  EXPECT_FALSE(DecodeBmp(Bytes(good.begin(), good.begin() + 30)).has_value());
  EXPECT_FALSE(DecodeBmp({}).has_value());

  struct Patch {
    std::size_t at;
    std::uint8_t value;
  };
  for (const Patch p : {Patch{0, 'X'}, Patch{28, 8}, Patch{30, 1}, Patch{10, 200}, Patch{14, 12},
                        Patch{21, 0x40}, Patch{25, 0x80}, Patch{18, 0}}) {
    Bytes odd = good;
    odd[p.at] = p.value;
    EXPECT_FALSE(DecodeBmp(odd).has_value()) << "byte " << p.at;
  }
}

TEST(BmpTest, TopDownAnd32BitFilesAreRead) {
  Bytes file = EncodeBmp(Bitmap(1, 2, colors::kBlack));
  file[22] = 0xFE;  // height -2: rows stored top-down
  file[23] = file[24] = file[25] = 0xFF;
  file[54] = 9;  // blue of the first stored row, now the top row
  const auto decoded = DecodeBmp(file);
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->Pixel(0, 0), Rgb(0, 0, 9));
  EXPECT_EQ(ViewBmp(file.data(), file.size())->Pixel(0, 0), Rgb(0, 0, 9));
  EXPECT_EQ(ViewBmp(file.data(), file.size())->InFile().rows, nullptr);  // top-down: not as drawn

  Bytes wide = EncodeBmp(Bitmap(1, 1, colors::kBlack));
  wide[28] = 32;
  wide[54] = 1;
  wide[55] = 2;
  wide[56] = 3;
  wide.push_back(0);
  EXPECT_EQ(DecodeBmp(wide)->Pixel(0, 0), Rgb(3, 2, 1));
}

TEST(BmpTest, AViewReadsTheFileInPlaceAndCopiesItBeforeAWrite) {
  Bitmap bitmap(3, 2, colors::kPanel);
  bitmap.SetPixel(0, 0, Rgb(1, 2, 3));
  bitmap.SetPixel(2, 1, Rgb(7, 8, 9));
  Bytes file = EncodeBmp(bitmap);
  auto view = ViewBmp(file.data(), file.size());
  ASSERT_TRUE(view.has_value());
  EXPECT_EQ(*view, bitmap);
  file[54] = 60;  // blue of the bottom-left pixel: the view sees the file as it is now
  EXPECT_EQ(view->Pixel(0, 1), Rgb(colors::kPanel.r, colors::kPanel.g, 60));
  EXPECT_EQ(view->InFile().info, file.data() + 14);
  EXPECT_EQ(view->InFile().rows, file.data() + 54);  // bottom-up: the bottom row comes first
  view->SetPixel(1, 1, colors::kWhite);
  EXPECT_EQ(view->InFile().info, nullptr);
  file[54] = 61;
  EXPECT_EQ(view->Pixel(0, 1).b, 60);  // copied at the write: the file no longer shows through
  EXPECT_EQ(view->Pixel(1, 1), colors::kWhite);
  EXPECT_EQ(view->Pixel(2, 1), Rgb(7, 8, 9));
  EXPECT_EQ(file[54 + 3], colors::kPanel.b);  // the write went to the copy, not to the file
  EXPECT_FALSE(ViewBmp(file.data(), file.size() - 1).has_value());
  EXPECT_FALSE(ViewBmp(nullptr, 0).has_value());
}

// A bitmap of one colour with the key colour at (1, 1).
Bitmap Framed(int w, int h, Color body, Color key) {
  Bitmap bitmap(w, h, body);
  bitmap.SetPixel(1, 1, key);
  return bitmap;
}

TEST(SkinRegionTest, NoOtherKeyColourInTheFrameLeavesAllButTheKeyPixel) {
  const Bitmap bitmap = Framed(399, 461, colors::kPanel, colors::kSkin);
  EXPECT_EQ(CreateSkinRegion(bitmap),
            Region::FromRect({0, 0, 399, 461}).Subtract(Region::FromRect({1, 1, 1, 1})));
}

TEST(SkinRegionTest, AOneColourBitmapKeepsOnlyTheInnerRectangle) {
  const Bitmap bitmap(233, 240, colors::kSkin);
  EXPECT_EQ(CreateSkinRegion(bitmap), Region::FromRect({116, 116, 1, 8}));
}

TEST(SkinRegionTest, KeyColourInsideTheInnerRectangleStaysPartOfTheWindow) {
  Bitmap bitmap(300, 300, colors::kPanel);
  bitmap.SetPixel(1, 1, colors::kSkin);
  bitmap.SetPixel(150, 150, colors::kSkin);
  bitmap.SetPixel(115, 150, colors::kSkin);  // in the left band
  const Region region = CreateSkinRegion(bitmap);
  EXPECT_TRUE(region.Contains({150, 150}));
  EXPECT_FALSE(region.Contains({115, 150}));
  EXPECT_EQ(region.Area(), 300 * 300 - 2);
}

TEST(SkinRegionTest, ASmallSkinHasOverlappingBandsAndASwappedInnerRectangle) {
  Bitmap bitmap(300, 200, colors::kSkin);
  const Region full = Region::FromRect({0, 0, 300, 200});
  EXPECT_EQ(CreateBandRegion(bitmap, 0, 116, 200 - 116, 116), full);  // no rows
  EXPECT_EQ(CreateSkinRegion(bitmap), Region::FromRect({116, 84, 68, 32}));
}

TEST(SkinRegionTest, RunsAreCutRowByRowInsideTheBandOnly) {
  Bitmap bitmap(10, 4, colors::kPanel);
  for (int x = 0; x < 10; ++x)
    bitmap.SetPixel(x, 1, colors::kSkin);
  const Region band = CreateBandRegion(bitmap, 2, 0, 2, 6);
  EXPECT_EQ(band, Region::FromRect({0, 0, 10, 4}).Subtract(Region::FromRect({2, 1, 4, 1})));
}

TEST(SkinRegionTest, TinyAndEmptyBitmapsAreHandled) {
  EXPECT_TRUE(CreateSkinRegion(Bitmap()).Empty());
  // Below 232 pixels the inner rectangle swaps its corners and covers the whole bitmap; the
  // region stays inside the bitmap.
  EXPECT_EQ(CreateSkinRegion(Framed(2, 2, colors::kPanel, colors::kSkin)),
            Region::FromRect({0, 0, 2, 2}));
}

}  // namespace
}  // namespace ql::ui
