// The artwork: shapes sampled 4 x 4 times per pixel in eighths of a pixel, blended by coverage.
#include "ui/Artwork.h"

#include <algorithm>
#include <cctype>
#include <functional>

namespace ql::ui::artwork {
namespace {

constexpr int kSub = 8;       // sample coordinates are in eighths of a pixel
constexpr int kSamples = 16;  // 4 x 4 samples per pixel

constexpr Color kKey = ui::colors::kSkin;
constexpr Color kPanel = ui::colors::kPanel;
constexpr Color kEdge = Rgb(88, 94, 100);
constexpr Color kSilverLight = Rgb(242, 244, 246);
constexpr Color kSilverDark = Rgb(146, 152, 160);
constexpr Color kLine = Rgb(160, 150, 120);
constexpr Color kWhite = Rgb(255, 255, 255);
constexpr Color kGreenEdge = Rgb(26, 88, 32);
constexpr Color kGreenLight = Rgb(126, 200, 88);
constexpr Color kGreenDark = Rgb(42, 132, 48);
constexpr Color kHoverEdge = Rgb(40, 116, 44);
constexpr Color kHoverLight = Rgb(182, 234, 142);
constexpr Color kHoverDark = Rgb(86, 182, 80);
constexpr Color kDialFace = Rgb(240, 232, 206);
constexpr Color kInfoBox = Rgb(246, 233, 192);
constexpr Color kTrough = Rgb(226, 214, 178);

struct Box {
  int left, top, right, bottom;  // pixels; right and bottom exclusive
  bool Holds(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

struct Radii {
  int tl, tr, bl, br;  // eighths of a pixel
};

Radii AllRadii(int eighths) {
  return {eighths, eighths, eighths, eighths};
}

// A shape: whether a sample point (in eighths of a pixel) lies inside, the pixels it may touch,
// and boxes of pixels that it surely covers whole (which need no sampling).
struct Shape {
  std::function<bool(int sx, int sy)> inside;
  Box bounds;
  std::vector<Box> solid;
};

// The colour a shape is painted with at a pixel.
using Paint = std::function<Color(int x, int y)>;

int Coverage(const Shape& shape, int x, int y) {
  for (const Box& box : shape.solid) {
    if (box.Holds(x, y))
      return kSamples;
  }
  int count = 0;
  for (int j = 0; j < 4; ++j) {
    for (int i = 0; i < 4; ++i) {
      if (shape.inside(x * kSub + 2 * i + 1, y * kSub + 2 * j + 1))
        ++count;
    }
  }
  return count;
}

std::uint8_t MixChannel(int a, int b, int part, int whole) {
  return static_cast<std::uint8_t>((a * (whole - part) + b * part + whole / 2) / whole);
}

// a where part is 0, b where part is whole.
Color Mix(Color a, Color b, int part, int whole) {
  part = std::clamp(part, 0, whole);
  return Rgb(MixChannel(a.r, b.r, part, whole), MixChannel(a.g, b.g, part, whole),
             MixChannel(a.b, b.b, part, whole));
}

Paint Solid(Color colour) {
  return [colour](int, int) { return colour; };
}

Paint Vertical(Color top, Color bottom, int y0, int y1) {
  return [=](int, int y) { return Mix(top, bottom, y - y0, std::max(y1 - y0 - 1, 1)); };
}

void Fill(Bitmap& bitmap, const Shape& shape, const Paint& paint) {
  const Box& b = shape.bounds;
  for (int y = std::max(b.top, 0); y < std::min(b.bottom, bitmap.Height()); ++y) {
    for (int x = std::max(b.left, 0); x < std::min(b.right, bitmap.Width()); ++x) {
      const int coverage = Coverage(shape, x, y);
      if (coverage > 0)
        bitmap.SetPixel(x, y, Mix(bitmap.Pixel(x, y), paint(x, y), coverage, kSamples));
    }
  }
}

bool WithinRadius(int sx, int sy, int cx, int cy, int radius) {
  const long long dx = sx - cx;
  const long long dy = sy - cy;
  return dx * dx + dy * dy <= static_cast<long long>(radius) * radius;
}

int CeilPixels(int eighths) {
  return (eighths + kSub - 1) / kSub;
}

Shape RoundRect(Box b, Radii r) {
  const int most = CeilPixels(std::max(std::max(r.tl, r.tr), std::max(r.bl, r.br)));
  const auto inside = [=](int sx, int sy) {
    const int l = b.left * kSub, t = b.top * kSub, rt = b.right * kSub, bt = b.bottom * kSub;
    if (sx < l || sx >= rt || sy < t || sy >= bt)
      return false;
    if (sx < l + r.tl && sy < t + r.tl)
      return WithinRadius(sx, sy, l + r.tl, t + r.tl, r.tl);
    if (sx >= rt - r.tr && sy < t + r.tr)
      return WithinRadius(sx, sy, rt - r.tr, t + r.tr, r.tr);
    if (sx < l + r.bl && sy >= bt - r.bl)
      return WithinRadius(sx, sy, l + r.bl, bt - r.bl, r.bl);
    if (sx >= rt - r.br && sy >= bt - r.br)
      return WithinRadius(sx, sy, rt - r.br, bt - r.br, r.br);
    return true;
  };
  return {inside,
          b,
          {{b.left + most, b.top, b.right - most, b.bottom},
           {b.left, b.top + most, b.right, b.bottom - most}}};
}

Shape InsetRoundRect(Box b, Radii r, int by) {
  const int less = by * kSub;
  return RoundRect({b.left + by, b.top + by, b.right - by, b.bottom - by},
                   {std::max(r.tl - less, 0), std::max(r.tr - less, 0), std::max(r.bl - less, 0),
                    std::max(r.br - less, 0)});
}

// A disc; centre and radius in eighths of a pixel.
Shape Disc(int cx, int cy, int radius) {
  // The inscribed square, a little smaller (70 / 100 of the radius is below 1 / sqrt 2).
  const int half = radius * 70 / 100;
  const Box solid{CeilPixels(cx - half), CeilPixels(cy - half), (cx + half) / kSub,
                  (cy + half) / kSub};
  return {[=](int sx, int sy) { return WithinRadius(sx, sy, cx, cy, radius); },
          {(cx - radius) / kSub - 1, (cy - radius) / kSub - 1, (cx + radius) / kSub + 1,
           (cy + radius) / kSub + 1},
          {solid}};
}

// Eighths of a pixel; the box covers the pixels the rectangle touches.
Shape Rectangle(int left, int top, int right, int bottom) {
  return {[=](int sx, int sy) { return sx >= left && sx < right && sy >= top && sy < bottom; },
          {left / kSub, top / kSub, CeilPixels(right), CeilPixels(bottom)},
          {}};
}

Box Join(const Box& a, const Box& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

Shape Both(Shape a, Shape b) {
  return {[a, b](int sx, int sy) { return a.inside(sx, sy) && b.inside(sx, sy); }, a.bounds, {}};
}

Shape Either(Shape a, Shape b) {
  std::vector<Box> solid = a.solid;
  solid.insert(solid.end(), b.solid.begin(), b.solid.end());
  return {[a, b](int sx, int sy) { return a.inside(sx, sy) || b.inside(sx, sy); },
          Join(a.bounds, b.bounds), solid};
}

Shape Without(Shape a, Shape b) {
  return {[a, b](int sx, int sy) { return a.inside(sx, sy) && !b.inside(sx, sy); }, a.bounds, {}};
}

// The silver frame around a cream panel: a dark outline, a bevelled silver ring, a fine line.
// `shape(k)` is the outline moved k pixels inwards.
void DrawFrame(Bitmap& bitmap, const std::function<Shape(int)>& shape, const Box& box) {
  Fill(bitmap, shape(0), Solid(kEdge));
  Fill(bitmap, shape(1), Vertical(kSilverLight, kSilverDark, box.top, box.bottom));
  Fill(bitmap, shape(4),
       Vertical(Mix(kSilverDark, kSilverLight, 1, 3), kSilverLight, box.top, box.bottom));
  Fill(bitmap, shape(6), Solid(kLine));
  Fill(bitmap, shape(7), Solid(kPanel));
}

// The green strip at the top centre of a window.
void DrawStrip(Bitmap& bitmap, int centre, int top) {
  const Box strip{centre - 70, top + 2, centre + 70, top + 12};
  Fill(bitmap, RoundRect(strip, AllRadii(5 * kSub)), Solid(kGreenEdge));
  const Box inner{strip.left + 1, strip.top + 1, strip.right - 1, strip.bottom - 1};
  Fill(bitmap, RoundRect(inner, AllRadii(4 * kSub)),
       Vertical(kGreenLight, kGreenDark, inner.top, inner.bottom));
}

struct SkinSpec {
  const char* resource;
  int width, height;
  bool keyRows;  // the whole top and bottom rows are left in the key colour
  Radii corners;
};

// Corner radii chosen so that the key colour covers exactly 9943, 6711 and 4706 pixels. The
// cleaner's skin is "Form4" made taller for its third line, the options window's "Form5" made
// taller for its ignore-list line.
constexpr SkinSpec kSkins[] = {
    {"FORM2", 399, 461, false, {816, 815, 931, 928}},
    {"FORM4", 398, 300, true, {646, 646, 708, 705}},
    {"FORM5", 300, 200, true, {512, 510, 616, 616}},
    {"FORM3", 398, 332, true, {646, 646, 708, 705}},
    {"FORM6", 300, 232, true, {512, 510, 616, 616}},
};

Bitmap WindowSkin(const SkinSpec& spec) {
  Bitmap bitmap(spec.width, spec.height, kKey);
  const int top = spec.keyRows ? 1 : 0;
  const Box outline{0, top, spec.width, spec.keyRows ? spec.height - 1 : spec.height};
  DrawFrame(
      bitmap, [&](int by) { return InsetRoundRect(outline, spec.corners, by); }, outline);
  DrawStrip(bitmap, spec.width / 2, top);
  return bitmap;
}

struct ButtonLook {
  Color edge, light, dark;
};

constexpr ButtonLook kRest{kGreenEdge, kGreenLight, kGreenDark};
constexpr ButtonLook kHover{kHoverEdge, kHoverLight, kHoverDark};

// A green rounded bar with a glossy upper half, on whatever the bitmap already holds.
void DrawBar(Bitmap& bitmap, const Box& box, int radius, const ButtonLook& look) {
  Fill(bitmap, RoundRect(box, AllRadii(radius * kSub)), Solid(look.edge));
  const Box body{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
  Fill(bitmap, RoundRect(body, AllRadii((radius - 1) * kSub)),
       Vertical(look.light, look.dark, body.top, body.bottom));
  const int glossBottom = box.top + (box.bottom - box.top) * 9 / 20;
  const Box gloss{box.left + 3, box.top + 2, box.right - 3, glossBottom};
  const Radii glossRadii{(radius - 3) * kSub, (radius - 3) * kSub, 2 * kSub, 2 * kSub};
  Fill(bitmap, RoundRect(gloss, glossRadii),
       Vertical(Mix(look.light, kWhite, 3, 5), look.light, gloss.top, gloss.bottom));
}

Bitmap Button(const ButtonLook& look) {
  Bitmap bitmap(100, 30, kPanel);
  DrawBar(bitmap, {0, 0, 100, 30}, 9, look);
  return bitmap;
}

Bitmap BigButton(const ButtonLook& look) {
  Bitmap bitmap(108, 56, kPanel);
  DrawBar(bitmap, {2, 2, 106, 54}, 16, look);
  return bitmap;
}

// The main window: a rounded body with a round dial at its top right, where the accelerated
// program's icon sits, the dot circles and the three small buttons lie on the bezel.
constexpr int kDialX = 420, kDialY = 74, kDialRadius = 74, kFaceRadius = 52;

Shape MainOutline(int by) {
  const Box body{0, 22, 500, 410};
  return Either(InsetRoundRect(body, AllRadii(36 * kSub), by),
                Disc(kDialX * kSub, kDialY * kSub, (kDialRadius - by) * kSub));
}

Bitmap DrawMainPicture() {
  Bitmap bitmap(500, 410, kKey);
  DrawFrame(bitmap, MainOutline, {0, 0, 500, 410});
  const int cx = kDialX * kSub, cy = kDialY * kSub;
  Fill(bitmap, Disc(cx, cy, (kDialRadius - 7) * kSub),
       Vertical(kSilverLight, kSilverDark, 0, 2 * kDialRadius));
  Fill(bitmap, Disc(cx, cy, (kFaceRadius + 1) * kSub), Solid(kLine));
  Fill(bitmap, Disc(cx, cy, kFaceRadius * kSub), Solid(kDialFace));
  DrawStrip(bitmap, 250, 22);
  const Box info{56, 128, 372, 238};
  Fill(bitmap, RoundRect(info, AllRadii(10 * kSub)), Solid(kLine));
  Fill(bitmap, InsetRoundRect(info, AllRadii(10 * kSub), 1), Solid(kInfoBox));
  const Box trough{165, 345, 294, 363};
  Fill(bitmap, RoundRect(trough, AllRadii(4 * kSub)), Solid(kLine));
  Fill(bitmap, InsetRoundRect(trough, AllRadii(4 * kSub), 1), Solid(kTrough));
  Fill(bitmap, Disc(111 * kSub, 357 * kSub, 38 * kSub), Solid(kLine));
  Fill(bitmap, Disc(111 * kSub, 357 * kSub, 37 * kSub), Solid(kInfoBox));
  return bitmap;
}

// Drawn once: several small pictures take their background from it.
const Bitmap& MainPicture() {
  static const Bitmap picture = DrawMainPicture();
  return picture;
}

Bitmap Crop(const Bitmap& source, int left, int top, int width, int height) {
  Bitmap bitmap(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      bitmap.SetPixel(x, y, source.Pixel(left + x, top + y));
  }
  return bitmap;
}

// The memory button: a green sphere with a highlight, over the main window's socket.
Bitmap Circle(const ButtonLook& look) {
  Bitmap bitmap = Crop(MainPicture(), 75, 321, 72, 72);
  const int c = 36 * kSub;
  Fill(bitmap, Disc(c, c, 34 * kSub), Solid(look.edge));
  Fill(bitmap, Disc(c, c, 33 * kSub), Vertical(look.light, look.dark, 3, 69));
  Fill(bitmap, Both(Disc(c, c, 30 * kSub), Disc(c, 20 * kSub, 18 * kSub)),
       Vertical(Mix(look.light, kWhite, 1, 2), look.light, 6, 38));
  return bitmap;
}

// White glyphs of the three small buttons: "i" (About), "?" (Help), three bars (Options).
Shape Glyph(int which) {
  const int k = kSub;
  switch (which) {
    case 1:
      return Either(Disc(10 * k, 5 * k + 4, 10), Rectangle(9 * k, 8 * k, 11 * k, 14 * k));
    case 2: {
      const Shape ring = Without(Disc(10 * k, 7 * k, 28), Disc(10 * k, 7 * k, 14));
      const Shape hook = Without(ring, Rectangle(0, 7 * k, 10 * k, 20 * k));
      return Either(Either(hook, Rectangle(9 * k, 9 * k + 4, 11 * k, 11 * k + 4)),
                    Disc(10 * k, 13 * k + 4, 10));
    }
    default:
      return Either(Either(Rectangle(6 * k, 5 * k, 14 * k, 6 * k + 4),
                           Rectangle(6 * k, 8 * k + 2, 14 * k, 9 * k + 6)),
                    Rectangle(6 * k, 11 * k + 4, 14 * k, 13 * k));
  }
}

constexpr int kTopButtonX[] = {427, 459, 471};
constexpr int kTopButtonY[] = {6, 27, 59};

Bitmap TopButton(int which, const ButtonLook& look) {
  Bitmap bitmap = Crop(MainPicture(), kTopButtonX[which - 1], kTopButtonY[which - 1], 20, 18);
  Fill(bitmap, Disc(10 * kSub, 9 * kSub, 9 * kSub), Solid(look.edge));
  Fill(bitmap, Disc(10 * kSub, 9 * kSub, 8 * kSub), Vertical(look.light, look.dark, 1, 17));
  Fill(bitmap, Glyph(which), Solid(kWhite));
  return bitmap;
}

Bitmap Dot() {
  Bitmap bitmap(7, 7, kDialFace);
  const int c = 3 * kSub + 4;
  Fill(bitmap, Disc(c, c, 27), Solid(kGreenEdge));
  Fill(bitmap, Disc(c, c, 20), Vertical(kHoverLight, kGreenDark, 1, 6));
  return bitmap;
}

Bitmap Progress() {
  Bitmap bitmap(125, 14);
  for (int y = 0; y < 14; ++y) {
    for (int x = 0; x < 125; ++x) {
      Color c = Mix(kHoverLight, kGreenDark, y, 13);
      if ((x + y) / 5 % 2 == 0)
        c = Mix(c, kWhite, 1, 5);
      if (y == 0 || y == 13)
        c = kGreenEdge;
      bitmap.SetPixel(x, y, c);
    }
  }
  return bitmap;
}

// The logo: a green badge with a white quill, drawn at any size over a background.
void DrawLogo(Bitmap& bitmap) {
  const int s = bitmap.Width() * kSub;
  const int c = s / 2;
  Fill(bitmap, Disc(c, c, c - 4), Solid(kGreenEdge));
  Fill(bitmap, Disc(c, c, c - 4 - s / 40), Vertical(kGreenLight, kGreenDark, 0, bitmap.Height()));
  // The vane: the lens between two discs whose centres lie across the up-right diagonal.
  const int lx = s * 55 / 100, ly = s * 45 / 100;
  const int radius = s * 5305 / 10000, offset = s * 3044 / 10000;
  const Shape vane =
      Both(Disc(lx + offset, ly + offset, radius), Disc(lx - offset, ly - offset, radius));
  const int half = std::max(s * 3 / 200, kSub / 2);
  const Box whole{0, 0, bitmap.Width(), bitmap.Height()};
  const Shape shaft{[=](int sx, int sy) {
                      const int along = (sx - lx) - (sy - ly);  // grows towards the upper right
                      const int across = (sx - lx) + (sy - ly);
                      return across >= -half && across <= half && along <= 0 &&
                             along >= -s * 64 / 100;
                    },
                    whole,
                    {}};
  Fill(bitmap, Either(vane, shaft), Solid(kWhite));
  const Shape rachis{[=](int sx, int sy) {
                       const int across = (sx - lx) + (sy - ly);
                       return across >= -half / 2 && across <= half / 2;
                     },
                     whole,
                     {}};
  Fill(bitmap, Both(vane, rachis), Solid(kGreenDark));
}

Bitmap Logo(const Bitmap& background, int left, int top, int size) {
  Bitmap bitmap = Crop(background, left, top, size, size);
  DrawLogo(bitmap);
  return bitmap;
}

// Resource names and their pictures, in the order the resources are listed.
struct Entry {
  const char* resource;
  const char* file;
  std::function<Bitmap()> render;
};

const std::vector<Entry>& Entries() {
  static const std::vector<Entry> entries = {
      {"FORM2", "form2.bmp", [] { return WindowSkin(kSkins[0]); }},
      {"FORM4", "form4.bmp", [] { return WindowSkin(kSkins[1]); }},
      {"FORM5", "form5.bmp", [] { return WindowSkin(kSkins[2]); }},
      {"FORM3", "form3.bmp", [] { return WindowSkin(kSkins[3]); }},
      {"FORM6", "form6.bmp", [] { return WindowSkin(kSkins[4]); }},
      {"BUTTONA", "buttona.bmp", [] { return Button(kRest); }},
      {"BUTTONB", "buttonb.bmp", [] { return Button(kHover); }},
      {"MAINFORM", "mainform.bmp", [] { return MainPicture(); }},
      {"LOGO", "logo.bmp", [] { return Logo(MainPicture(), 31, 33, 34); }},
      {"LOGOLARGE", "logolarge.bmp", [] { return Logo(WindowSkin(kSkins[1]), 32, 104, 100); }},
      {"CIRCLEA", "circlea.bmp", [] { return Circle(kRest); }},
      {"CIRCLEB", "circleb.bmp", [] { return Circle(kHover); }},
      {"DOT", "dot.bmp", Dot},
      {"PROGRESS", "progress.bmp", Progress},
      {"TOPBUTTON1A", "topbutton1a.bmp", [] { return TopButton(1, kRest); }},
      {"TOPBUTTON1B", "topbutton1b.bmp", [] { return TopButton(1, kHover); }},
      {"TOPBUTTON2A", "topbutton2a.bmp", [] { return TopButton(2, kRest); }},
      {"TOPBUTTON2B", "topbutton2b.bmp", [] { return TopButton(2, kHover); }},
      {"TOPBUTTON3A", "topbutton3a.bmp", [] { return TopButton(3, kRest); }},
      {"TOPBUTTON3B", "topbutton3b.bmp", [] { return TopButton(3, kHover); }},
      {"BIGBUTTONA", "bigbuttona.bmp", [] { return BigButton(kRest); }},
      {"BIGBUTTONB", "bigbuttonb.bmp", [] { return BigButton(kHover); }},
  };
  return entries;
}

std::string Upper(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

void PutU16(Bytes& b, unsigned v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutU32(Bytes& b, std::uint32_t v) {
  PutU16(b, v & 0xFFFF);
  PutU16(b, v >> 16);
}

// One icon image: a 40-byte header (twice the height, for the mask), BGRA rows bottom-up, then
// the 1-bit mask rows (1 = transparent), each padded to 4 bytes.
Bytes IconImage(int size) {
  Bitmap colours(size, size, kGreenEdge);
  DrawLogo(colours);
  const int c = size * kSub / 2;
  const Shape badge = Disc(c, c, c - 4);
  const int maskStride = ((size + 31) / 32) * 4;
  Bytes b;
  PutU32(b, 40);
  PutU32(b, static_cast<std::uint32_t>(size));
  PutU32(b, static_cast<std::uint32_t>(size * 2));
  PutU16(b, 1);
  PutU16(b, 32);
  PutU32(b, 0);
  PutU32(b, static_cast<std::uint32_t>(size * size * 4 + maskStride * size));
  for (int i = 0; i < 4; ++i)
    PutU32(b, 0);
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) {
      const Color p = colours.Pixel(x, y);
      b.push_back(p.b);
      b.push_back(p.g);
      b.push_back(p.r);
      b.push_back(static_cast<std::uint8_t>(Coverage(badge, x, y) * 255 / kSamples));
    }
  }
  for (int y = size - 1; y >= 0; --y) {
    Bytes row(static_cast<std::size_t>(maskStride), 0);
    for (int x = 0; x < size; ++x) {
      if (Coverage(badge, x, y) == 0)
        row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

}  // namespace

const std::vector<Asset>& Assets() {
  static const std::vector<Asset> assets = [] {
    std::vector<Asset> list;
    for (const Entry& entry : Entries())
      list.push_back({entry.resource, entry.file});
    list.push_back({"MAINICON", "quillon.ico"});
    return list;
  }();
  return assets;
}

std::optional<Bitmap> RenderBitmap(const std::string& resource) {
  const std::string name = Upper(resource);
  for (const Entry& entry : Entries()) {
    if (name == entry.resource)
      return entry.render();
  }
  return std::nullopt;
}

Bytes RenderIcon() {
  const std::vector<Bytes> images = {IconImage(16), IconImage(32)};
  Bytes b;
  PutU16(b, 0);
  PutU16(b, 1);  // an icon
  PutU16(b, static_cast<unsigned>(images.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const int size = i == 0 ? 16 : 32;
    b.push_back(static_cast<std::uint8_t>(size));
    b.push_back(static_cast<std::uint8_t>(size));
    b.push_back(0);  // no palette
    b.push_back(0);
    PutU16(b, 1);   // planes
    PutU16(b, 32);  // bits per pixel
    PutU32(b, static_cast<std::uint32_t>(images[i].size()));
    PutU32(b, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const Bytes& image : images)
    b.insert(b.end(), image.begin(), image.end());
  return b;
}

Bytes RenderFile(const std::string& file) {
  if (file == "quillon.ico")
    return RenderIcon();
  for (const Entry& entry : Entries()) {
    if (file == entry.file)
      return ui::EncodeBmp(entry.render());
  }
  return {};
}

}  // namespace ql::ui::artwork
