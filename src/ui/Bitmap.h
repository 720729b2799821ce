// A plain RGB bitmap, and Windows bitmap files (BMP) decoded from and encoded to bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/text.h"
#include "ui/Geometry.h"

namespace ql::ui {

// Pixels in rows from the top; (0, 0) is the top-left corner. A bitmap made by ViewBmp reads its
// pixels in place from a file's bytes until a pixel is written, which copies them first.
class Bitmap {
 public:
  Bitmap() = default;
  // Negative sizes count as 0.
  Bitmap(int width, int height, Color fill = colors::kBlack);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  // Reading outside the bitmap gives black; writing outside it does nothing.
  Color Pixel(int x, int y) const;
  void SetPixel(int x, int y, Color color);
  bool operator==(const Bitmap& other) const;

  // A bitmap viewed in a file whose rows are stored bottom-up, as drawing calls take them: the
  // file's information header and its first stored row. Empty for any other bitmap, and once
  // the bitmap has its own pixels.
  struct FilePixels {
    const std::uint8_t* info = nullptr;
    const std::uint8_t* rows = nullptr;
  };
  FilePixels InFile() const { return top_ != nullptr && rowStep_ < 0 ? file_ : FilePixels{}; }

 private:
  friend std::optional<Bitmap> ViewBmp(const std::uint8_t* file, std::size_t size);
  friend std::optional<Bitmap> DecodeBmp(const Bytes& file);

  // The same checks as DecodeBmp, but the pixels stay in the file's bytes, which must outlive the
  // bitmap and all its copies: for the program's own resources, mapped for the whole run.
  std::optional<Bitmap> ViewBmp(const std::uint8_t* file, std::size_t size);
  Bitmap(int width, int height, FilePixels file, const std::uint8_t* top, std::ptrdiff_t rowStep,
         std::size_t bytesPerPixel);
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  void CopyPixels();
  int width_ = 0;
  int height_ = 0;
  std::vector<Color> pixels_;
  FilePixels file_;
  const std::uint8_t* top_ = nullptr;  // the top row of a viewed file, blue first
  std::ptrdiff_t rowStep_ = 0;         // from one row of the file to the row below it
  std::size_t bytesPerPixel_ = 0;
};

// Decodes a bitmap file: uncompressed 24 or 32 bits per pixel, rows bottom-up or top-down.
// Anything else, and any file too short for what its headers promise, gives nothing; sizes above
// 16384 pixels are refused rather than allocated.
std::optional<Bitmap> DecodeBmp(const Bytes& file);

// The same checks as DecodeBmp, but the pixels stay in the file's bytes, which must outlive the
// bitmap and all its copies: for the program's own resources, mapped for the whole run.
std::optional<Bitmap> ViewBmp(const std::uint8_t* file, std::size_t size);

constexpr int kPixelsPerMetre = 2834;  // 72 dots per inch

// A complete bitmap file: file header, 40-byte information header, 24 bits per pixel, rows
// bottom-up and padded to 4 bytes, 2834 pixels per metre, no palette.
Bytes EncodeBmp(const Bitmap& bitmap);

}  // namespace ql::ui
