// The Win32 host: the message path, the shared GDI objects, resources and region conversions.
#include "ui/Win32Host.win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>

#include "ui/Bitmap.h"
#include "ui/FormWindow.win32.h"

namespace ql::ui::win32 {

bool MessageLoop::OfferKeyToForm(const MSG& msg) {
  if (msg.message != WM_KEYDOWN)
    return false;
  HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
  auto* window = dynamic_cast<FormWindow*>(WindowBase::FromHandle(root));
  if (window == nullptr)
    return false;
  window->KeyPressed(msg.hwnd, static_cast<int>(msg.wParam));
  // A key that closed its window is not passed on to a control that is no longer shown.
  return !::IsWindowVisible(root);
}

void MessageLoop::DispatchOne(const MSG& msg) {
  if (hook_ && hook_(QueuedMessage{msg.hwnd, msg.message, msg.wParam, msg.lParam}))
    return;
  if (OfferKeyToForm(msg))
    return;
  ::TranslateMessage(&msg);
  ::DispatchMessageA(&msg);
  WindowBase::RethrowPending();
}

int MessageLoop::Run() {
  MSG msg{};
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
    DispatchOne(msg);
  return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 1;
}

bool MessageLoop::RunUntil(const std::function<bool()>& done) {
  while (!done()) {
    MSG msg{};
    const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (got < 0)
      return false;
    DispatchOne(msg);
  }
  return true;
}

void MessageLoop::ProcessPending() {
  MSG msg{};
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    DispatchOne(msg);
  }
}

HFONT GdiCache::FontFor(const Font& font) {
  auto key = std::make_tuple(font.face, font.height, font.bold, font.underline);
  auto& slot = fonts_[key];
  if (!slot) {
    slot.reset(::CreateFontA(-font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE,
                             font.underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, font.face.c_str()));
  }
  return slot.get();
}

// A 32-bit DIB section with rows from the top; `bits` receives its pixels.
UniqueHBitmap GdiCache::CreateSection(Size size, void*& bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = size.width;
  info.bmiHeader.biHeight = -size.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return UniqueHBitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

HBITMAP GdiCache::BitmapFor(const std::shared_ptr<const Bitmap>& bitmap,
                            std::optional<Color> clearColor) {
  auto& slot = bitmaps_[{bitmap.get(), clearColor.has_value()}];
  if (slot.second)
    return slot.second.get();
  void* bits = nullptr;
  UniqueHBitmap section = CreateSection({bitmap->Width(), bitmap->Height()}, bits);
  if (!section || bits == nullptr)
    return nullptr;
  auto* pixel = static_cast<std::uint8_t*>(bits);
  for (int y = 0; y < bitmap->Height(); ++y) {
    for (int x = 0; x < bitmap->Width(); ++x) {
      const Color c = bitmap->Pixel(x, y);
      const bool clear = clearColor && c == *clearColor;
      // Premultiplied: a clear pixel is all zero, every other one fully opaque.
      *pixel++ = clear ? 0 : c.b;
      *pixel++ = clear ? 0 : c.g;
      *pixel++ = clear ? 0 : c.r;
      *pixel++ = clearColor && !clear ? 0xFF : 0;
    }
  }
  slot = {bitmap, std::move(section)};
  return slot.second.get();
}

HBRUSH GdiCache::BrushFor(Color color) {
  auto& slot = brushes_[static_cast<std::uint32_t>(color.r << 16 | color.g << 8 | color.b)];
  if (!slot)
    slot.reset(::CreateSolidBrush(RGB(color.r, color.g, color.b)));
  return slot.get();
}

HDC GdiCache::ScratchDc() {
  if (!scratch_)
    scratch_.reset(::CreateCompatibleDC(nullptr));
  return scratch_.get();
}

HDC GdiCache::BufferDc(Size atLeast) {
  if (!bufferDc_)
    bufferDc_.reset(::CreateCompatibleDC(nullptr));
  if (atLeast.width <= bufferSize_.width && atLeast.height <= bufferSize_.height)
    return bufferDc_.get();
  const Size grown{std::max(atLeast.width, bufferSize_.width),
                   std::max(atLeast.height, bufferSize_.height)};
  const bool keep = grown.width * grown.height <= kKeptBufferPixels;
  void* bits = nullptr;
  UniqueHBitmap section = CreateSection(keep ? grown : atLeast, bits);
  if (!section)
    return bufferDc_.get();
  HGDIOBJ previous = ::SelectObject(bufferDc_.get(), section.get());
  if (dcBitmap_ == nullptr)
    dcBitmap_ = previous;
  if (keep) {
    buffer_ = std::move(section);
    bufferSize_ = grown;
  } else {
    passing_ = std::move(section);
  }
  return bufferDc_.get();
}

void GdiCache::EndBuffer() {
  if (!passing_)
    return;
  ::SelectObject(bufferDc_.get(), buffer_ ? buffer_.get() : dcBitmap_);
  passing_.reset();
}

Win32Host::Win32Host() {
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
}

Win32Host::~Win32Host() = default;

std::unique_ptr<FormView> Win32Host::CreateView(Form& form) {
  return std::make_unique<FormWindow>(*this, form);
}

std::shared_ptr<const Bitmap> Win32Host::LoadImage(const AnsiString& resource) {
  std::string name = resource;
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  const auto known = images_.find(name);
  if (known != images_.end())
    return known->second;
  std::shared_ptr<const Bitmap> image;
  HMODULE module = ::GetModuleHandleA(nullptr);
  HRSRC found = ::FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL loaded = found != nullptr ? ::LoadResource(module, found) : nullptr;
  const auto* data =
      loaded != nullptr ? static_cast<const std::uint8_t*>(::LockResource(loaded)) : nullptr;
  // The program's resources stay mapped for the whole run: the pixels are read where they lie.
  if (auto viewed = ViewBmp(data, data != nullptr ? ::SizeofResource(module, found) : 0))
    image = std::make_shared<const Bitmap>(std::move(*viewed));
  images_[name] = image;
  return image;
}

Size Win32Host::ScreenSize() {
  return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

void Win32Host::FormClosed(Form& form) {
  if (&form == mainForm_)
    ::PostQuitMessage(0);
}

FormWindow* Win32Host::WindowOf(const Form& form) const {
  const auto it = std::find_if(windows_.begin(), windows_.end(),
                               [&form](const FormWindow* w) { return &w->GetForm() == &form; });
  return it == windows_.end() ? nullptr : *it;
}

HWND Win32Host::HandleOf(const Form* form) const {
  const FormWindow* window = form != nullptr ? WindowOf(*form) : nullptr;
  return window != nullptr ? window->Handle() : nullptr;
}

UniqueHRgn ToHrgn(const Region& region) {
  const std::vector<Rect> rects = region.Rects();
  if (rects.empty())
    return UniqueHRgn(::CreateRectRgn(0, 0, 0, 0));
  const Rect bounds = region.Bounds();
  std::vector<std::uint8_t> buffer(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(rects.size());
  data->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
  data->rdh.rcBound = {bounds.left, bounds.top, bounds.Right(), bounds.Bottom()};
  auto* out = reinterpret_cast<RECT*>(data->Buffer);
  for (const Rect& r : rects)
    *out++ = {r.left, r.top, r.Right(), r.Bottom()};
  return UniqueHRgn(::ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data));
}

Region FromHrgn(HRGN region) {
  const DWORD size = ::GetRegionData(region, 0, nullptr);
  if (size < sizeof(RGNDATAHEADER))
    return {};
  std::vector<std::uint8_t> buffer(size);
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  if (::GetRegionData(region, size, data) == 0)
    return {};
  std::vector<Rect> rects;
  const auto* in = reinterpret_cast<const RECT*>(data->Buffer);
  for (DWORD i = 0; i < data->rdh.nCount; ++i, ++in)
    rects.push_back({in->left, in->top, in->right - in->left, in->bottom - in->top});
  return Region::FromRects(rects);
}

}  // namespace ql::ui::win32
