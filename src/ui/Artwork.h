// The program's artwork, drawn in code: window skins, buttons, the main window's pictures, the
// logo and the program icon. Integer arithmetic only, so every build draws the same bytes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/text.h"
#include "ui/Bitmap.h"

namespace ql::ui::artwork {

struct Asset {
  std::string resource;  // the raw-data resource name in the executable (upper case)
  std::string file;      // the file in assets/
};

// Every bitmap resource, then the icon (resource "MAINICON", file "quillon.ico").
const std::vector<Asset>& Assets();

// The bitmap of a resource (name compared without regard to case); nothing for other names.
std::optional<ui::Bitmap> RenderBitmap(const std::string& resource);

// The program icon file: 16 x 16 and 32 x 32 images, 32 bits with alpha, plus their masks.
Bytes RenderIcon();

// The bytes of one asset file (a bitmap file or the icon); empty for unknown names.
Bytes RenderFile(const std::string& file);

}  // namespace ql::ui::artwork
