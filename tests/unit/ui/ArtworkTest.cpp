// Tests of the generated artwork: the committed files are what the generator draws, in the
// bitmap format the program reads, and the window skins have the outline the frame expects.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "ui/Artwork.h"
#include "ui/Skin.h"

namespace ql::ui {
namespace {

Bytes ReadAsset(const std::string& file) {
  std::ifstream in(std::string(QUILLON_ASSETS_DIR) + "/" + file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t U32(const Bytes& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TEST(ArtworkTest, TheCommittedFilesAreWhatTheGeneratorDraws) {
  for (const artwork::Asset& asset : artwork::Assets()) {
    const Bytes committed = ReadAsset(asset.file);
    ASSERT_FALSE(committed.empty()) << asset.file << " is missing; run skingen assets";
    EXPECT_TRUE(committed == artwork::RenderFile(asset.file)) << asset.file << " is out of date";
  }
}

struct Expected {
  const char* resource;
  int width;
  int height;
};

constexpr Expected kSizes[] = {
    {"FORM2", 399, 461},     {"FORM4", 398, 300},     {"FORM5", 300, 200},
    {"FORM3", 398, 332},     {"FORM6", 300, 232},     {"BUTTONA", 100, 30},
    {"BUTTONB", 100, 30},    {"MAINFORM", 500, 410},  {"LOGO", 34, 34},
    {"LOGOLARGE", 100, 100}, {"CIRCLEA", 72, 72},     {"CIRCLEB", 72, 72},
    {"DOT", 7, 7},           {"PROGRESS", 125, 14},   {"TOPBUTTON1A", 20, 18},
    {"TOPBUTTON3B", 20, 18}, {"BIGBUTTONA", 108, 56}, {"BIGBUTTONB", 108, 56},
};

TEST(ArtworkTest, BitmapsAre24BitBottomUpAt2834PixelsPerMetre) {
  for (const Expected& e : kSizes) {
    const auto bitmap = artwork::RenderBitmap(e.resource);
    ASSERT_TRUE(bitmap.has_value()) << e.resource;
    const Bytes file = EncodeBmp(*bitmap);
    EXPECT_EQ(U32(file, 10), 54u) << e.resource;  // no palette
    EXPECT_EQ(U32(file, 14), 40u);
    EXPECT_EQ(U32(file, 18), static_cast<std::uint32_t>(e.width)) << e.resource;
    EXPECT_EQ(U32(file, 22), static_cast<std::uint32_t>(e.height)) << e.resource;  // positive
    EXPECT_EQ(file[28], 24);
    EXPECT_EQ(U32(file, 30), 0u);
    EXPECT_EQ(U32(file, 38), 2834u);
    EXPECT_EQ(U32(file, 42), 2834u);
    EXPECT_EQ(*DecodeBmp(file), *bitmap);
  }
  EXPECT_TRUE(artwork::RenderBitmap("form5").has_value());
  EXPECT_FALSE(artwork::RenderBitmap("FORM7").has_value());
}

long long KeyPixels(const Bitmap& bitmap) {
  long long count = 0;
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x)
      count += bitmap.Pixel(x, y) == colors::kSkin ? 1 : 0;
  }
  return count;
}

// The bitmap's rectangle minus every key-coloured pixel, built pixel by pixel.
Region WithoutKeyPixels(const Bitmap& bitmap) {
  std::vector<Rect> keys;
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) {
      if (bitmap.Pixel(x, y) == colors::kSkin)
        keys.push_back({x, y, 1, 1});
    }
  }
  return Region::FromRect({0, 0, bitmap.Width(), bitmap.Height()})
      .Subtract(Region::FromRects(keys));
}

struct SkinExpectation {
  const char* resource;
  long long keyPixels;
  bool keyRows;
};

TEST(ArtworkTest, WindowSkinsCutExactlyTheirKeyColouredPixels) {
  for (const SkinExpectation& e :
       {SkinExpectation{"FORM2", 9943, false}, SkinExpectation{"FORM4", 6711, true},
        SkinExpectation{"FORM5", 4706, true}, SkinExpectation{"FORM3", 6711, true},
        SkinExpectation{"FORM6", 4706, true}, SkinExpectation{"MAINFORM", -1, false}}) {
    const Bitmap skin = *artwork::RenderBitmap(e.resource);
    EXPECT_EQ(skin.Pixel(1, 1), colors::kSkin) << e.resource;
    if (e.keyPixels >= 0) {
      EXPECT_EQ(KeyPixels(skin), e.keyPixels) << e.resource;
    }
    const Region region = CreateSkinRegion(skin);
    EXPECT_EQ(region, WithoutKeyPixels(skin)) << e.resource;
    EXPECT_EQ(region.Area(),
              static_cast<long long>(skin.Width()) * skin.Height() - KeyPixels(skin));
    for (int x = 0; e.keyRows && x < skin.Width(); ++x) {
      ASSERT_EQ(skin.Pixel(x, 0), colors::kSkin) << e.resource << " top row at " << x;
      ASSERT_EQ(skin.Pixel(x, skin.Height() - 1), colors::kSkin) << e.resource;
    }
  }
}

TEST(ArtworkTest, TheIconHoldsA16And32PixelImageWithAlpha) {
  const Bytes icon = artwork::RenderIcon();
  ASSERT_GE(icon.size(), 6u + 32u);
  EXPECT_EQ(icon[2], 1);  // an icon
  EXPECT_EQ(icon[4], 2);  // two images
  for (int i = 0; i < 2; ++i) {
    const std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
    const int size = i == 0 ? 16 : 32;
    EXPECT_EQ(icon[entry], size);
    EXPECT_EQ(icon[entry + 6], 32);  // bits per pixel
    const std::uint32_t bytes = U32(icon, entry + 8);
    const std::uint32_t offset = U32(icon, entry + 12);
    ASSERT_LE(offset + bytes, icon.size());
    EXPECT_EQ(U32(icon, offset + 8), static_cast<std::uint32_t>(size * 2));  // with the mask
    const std::size_t maskRow = static_cast<std::size_t>((size + 31) / 32 * 4);
    EXPECT_EQ(bytes, 40 + static_cast<std::uint32_t>(size * size * 4 + maskRow * size));
    EXPECT_EQ(icon[offset + 40 + 3], 0) << "the corner is transparent";
    const std::size_t centre =
        offset + 40 + (static_cast<std::size_t>(size / 2) * size + size / 2) * 4;
    EXPECT_EQ(icon[centre + 3], 255) << "the badge is opaque";
  }
}

}  // namespace
}  // namespace ql::ui
