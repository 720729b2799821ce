// Bitmap pixels and the Windows bitmap file format.
#include "ui/Bitmap.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace ql::ui {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr int kMaxSide = 16384;

std::uint32_t ReadU32(const std::uint8_t* b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint16_t ReadU16(const std::uint8_t* b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

void PutU32(Bytes& b, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8)
    b.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutU16(Bytes& b, std::uint16_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}

std::size_t RowStride(int width, int bitsPerPixel) {
  return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) / 8 + 3) & ~3u;
}

}  // namespace

Bitmap::Bitmap(int width, int height, Color fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill) {
  if (width_ == 0 || height_ == 0)
    width_ = height_ = 0;
}

Bitmap::Bitmap(int width, int height, FilePixels file, const std::uint8_t* top,
               std::ptrdiff_t rowStep, std::size_t bytesPerPixel)
    : width_(width),
      height_(height),
      file_(file),
      top_(top),
      rowStep_(rowStep),
      bytesPerPixel_(bytesPerPixel) {}

Color Bitmap::Pixel(int x, int y) const {
  if (!Inside(x, y))
    return colors::kBlack;
  if (top_ != nullptr) {
    const std::uint8_t* p = top_ + static_cast<std::ptrdiff_t>(y) * rowStep_ +
                            static_cast<std::size_t>(x) * bytesPerPixel_;
    return Rgb(p[2], p[1], p[0]);
  }
  return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                 static_cast<std::size_t>(x)];
}

void Bitmap::SetPixel(int x, int y, Color color) {
  if (!Inside(x, y))
    return;
  CopyPixels();
  pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
          static_cast<std::size_t>(x)] = color;
}

void Bitmap::CopyPixels() {
  if (top_ == nullptr)
    return;
  std::vector<Color> pixels;
  pixels.reserve(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x)
      pixels.push_back(Pixel(x, y));
  }
  pixels_ = std::move(pixels);
  top_ = nullptr;
}

bool Bitmap::operator==(const Bitmap& other) const {
  if (width_ != other.width_ || height_ != other.height_)
    return false;
  if (top_ == nullptr && other.top_ == nullptr)
    return pixels_ == other.pixels_;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (Pixel(x, y) != other.Pixel(x, y))
        return false;
    }
  }
  return true;
}

std::optional<Bitmap> ViewBmp(const std::uint8_t* file, std::size_t size) {
  if (file == nullptr || size < kFileHeaderSize + kInfoHeaderSize || file[0] != 'B' ||
      file[1] != 'M')
    return std::nullopt;
  const std::uint32_t dataOffset = ReadU32(file, 10);
  const std::uint32_t infoSize = ReadU32(file, 14);
  const auto width = static_cast<std::int32_t>(ReadU32(file, 18));
  const auto rawHeight = static_cast<std::int32_t>(ReadU32(file, 22));
  const std::uint16_t bits = ReadU16(file, 28);
  const std::uint32_t compression = ReadU32(file, 30);
  const bool topDown = rawHeight < 0;
  // The most negative height has no positive counterpart; it is refused with the oversized ones.
  const std::int64_t height = topDown ? -static_cast<std::int64_t>(rawHeight) : rawHeight;
  if (infoSize < kInfoHeaderSize || (bits != 24 && bits != 32) || compression != 0 || width <= 0 ||
      height <= 0 || width > kMaxSide || height > kMaxSide)
    return std::nullopt;
  const std::size_t stride = RowStride(width, bits);
  const std::size_t needed = static_cast<std::size_t>(height) * stride;
  if (dataOffset < kFileHeaderSize + infoSize || dataOffset > size || size - dataOffset < needed)
    return std::nullopt;
  const std::uint8_t* rows = file + dataOffset;
  const auto step = static_cast<std::ptrdiff_t>(stride);
  const std::uint8_t* top = topDown ? rows : rows + (height - 1) * step;
  return Bitmap(width, static_cast<int>(height), {file + kFileHeaderSize, rows}, top,
                topDown ? step : -step, bits / 8u);
}

std::optional<Bitmap> DecodeBmp(const Bytes& file) {
  std::optional<Bitmap> bitmap = ViewBmp(file.data(), file.size());
  if (bitmap)
    bitmap->CopyPixels();
  return bitmap;
}

Bytes EncodeBmp(const Bitmap& bitmap) {
  const std::size_t stride = RowStride(bitmap.Width(), 24);
  const auto imageSize =
      static_cast<std::uint32_t>(stride * static_cast<std::size_t>(bitmap.Height()));
  const auto offset = static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize);
  Bytes b;
  b.reserve(offset + imageSize);
  b.push_back('B');
  b.push_back('M');
  PutU32(b, offset + imageSize);
  PutU32(b, 0);  // reserved
  PutU32(b, offset);
  PutU32(b, kInfoHeaderSize);
  PutU32(b, static_cast<std::uint32_t>(bitmap.Width()));
  PutU32(b, static_cast<std::uint32_t>(bitmap.Height()));  // positive: rows bottom-up
  PutU16(b, 1);                                            // planes
  PutU16(b, 24);
  PutU32(b, 0);  // uncompressed
  PutU32(b, imageSize);
  PutU32(b, kPixelsPerMetre);
  PutU32(b, kPixelsPerMetre);
  PutU32(b, 0);  // no palette
  PutU32(b, 0);
  for (int y = bitmap.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < bitmap.Width(); ++x) {
      const Color c = bitmap.Pixel(x, y);
      b.push_back(c.b);
      b.push_back(c.g);
      b.push_back(c.r);
    }
    for (std::size_t pad = static_cast<std::size_t>(bitmap.Width()) * 3; pad < stride; ++pad)
      b.push_back(0);
  }
  return b;
}

}  // namespace ql::ui
