// The Win32 window system for forms: Win32Host creates a real borderless, skinned window for
// each form and runs the program's one message path (main loop, modal loops, Pump).
//
//   win32::Win32Host host;                        // in WinMain
//   MessageWindows messages(host);
//   auto main = MakeForm<MainWindow>(host, messages, ...);
//   host.SetMainForm(main.get());
//   host.SetMessageHook([&](const win32::QueuedMessage& m) { return main->MessageEvents(m); });
//   main->Show();
//   return host.Run();                            // until the main form closes
//
// The host must outlive every form shown on it.
//
// Every message, in the main loop, in each modal show and in Pump::ProcessMessages, is first
// offered to the hook (true: handled, not dispatched), then a key press on a form or one of its
// controls reaches the form (Control::KeyDown), then the message is dispatched.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/shell.h"
#include "platform/win32/UniqueHandle.h"
#include "ui/Form.h"

namespace ql::ui::win32 {

using ql::win32::UniqueHBitmap;
using ql::win32::UniqueHBrush;
using ql::win32::UniqueHFont;
using ql::win32::UniqueHRgn;
using ql::win32::UniqueMemoryDc;

struct QueuedMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
using MessageHook = std::function<bool(const QueuedMessage&)>;

class FormWindow;

// The one message path.
class MessageLoop {
 public:
  void SetHook(MessageHook hook) { hook_ = std::move(hook); }
  // Hook, then keys to forms, then TranslateMessage and DispatchMessage.
  void DispatchOne(const MSG& msg);
  // Runs until WM_QUIT; returns its exit code.
  int Run();
  // Runs until `done` is true; false when WM_QUIT arrived (it is posted again for the outer loop).
  bool RunUntil(const std::function<bool()>& done);
  // Dispatches whatever is pending, without waiting. A WM_QUIT is posted again and ends the call.
  void ProcessPending();

 private:
  bool OfferKeyToForm(const MSG& msg);
  MessageHook hook_;
};

// The Pump port over the message loop: what long operations call between their steps. Walks
// call it for every entry, and under Wine even an empty PeekMessage is a round trip to the
// server, so the queue is looked at only once a few milliseconds have passed since the last look:
// too soon for the user to notice, and a walk of many small steps keeps its speed.
class Win32Pump final : public Pump {
 public:
  explicit Win32Pump(MessageLoop& loop) : loop_(loop) {}
  void ProcessMessages() override {
    const DWORD now = ::GetTickCount();
    if (now - lastLook_ < kLookInterval)
      return;
    lastLook_ = now;
    loop_.ProcessPending();
  }

 private:
  static constexpr DWORD kLookInterval = 10;  // milliseconds
  MessageLoop& loop_;
  DWORD lastLook_ = 0;
};

// Fonts, bitmaps and brushes made once and shared by every window.
class GdiCache {
 public:
  HFONT FontFor(const Font& font);
  // The bitmap as a 32-bit DIB section; the cache keeps the bitmap alive with it. With a clear
  // colour the section carries an alpha channel in which that colour's pixels are transparent,
  // for AlphaBlend (which, unlike TransparentBlt, needs no scratch DCs of its own under Wine).
  // A bitmap has one clear colour at most.
  HBITMAP BitmapFor(const std::shared_ptr<const Bitmap>& bitmap,
                    std::optional<Color> clearColor = std::nullopt);
  HBRUSH BrushFor(Color color);
  // Memory DCs kept for the life of the program, since under Wine every new DC costs a round trip
  // to the X server: one to measure text and select pictures into, and one holding a buffer of at
  // least the given size to compose a paint in. Whatever is selected into them is put back.
  // Buffers for small areas (the moving dot, a changed label) are kept; one for a large area
  // (the whole window) lasts until EndBuffer, so an idle program does not hold a window's worth.
  HDC ScratchDc();
  HDC BufferDc(Size atLeast);
  void EndBuffer();

 private:
  static UniqueHBitmap CreateSection(Size size, void*& bits);

  std::map<std::tuple<std::string, int, bool, bool>, UniqueHFont> fonts_;
  std::map<std::pair<const Bitmap*, bool>, std::pair<std::shared_ptr<const Bitmap>, UniqueHBitmap>>
      bitmaps_;
  std::map<std::uint32_t, UniqueHBrush> brushes_;
  UniqueMemoryDc scratch_;
  static constexpr int kKeptBufferPixels = 64 * 1024;

  UniqueHBitmap buffer_;  // the kept buffer, of bufferSize_
  Size bufferSize_;
  UniqueHBitmap passing_;  // a large buffer, until EndBuffer
  UniqueMemoryDc bufferDc_;
  HGDIOBJ dcBitmap_ = nullptr;  // the buffer DC's own bitmap, put back when no buffer is kept
};

class Win32Host final : public FormHost {
 public:
  Win32Host();
  ~Win32Host() override;

  std::unique_ptr<FormView> CreateView(Form& form) override;
  // The raw-data resource of the executable, decoded once.
  std::shared_ptr<const Bitmap> LoadImage(const AnsiString& resource) override;
  Size ScreenSize() override;
  Form* MainForm() override { return mainForm_; }
  void SetMainForm(Form* form) override { mainForm_ = form; }
  // Closing the main form ends Run.
  void FormClosed(Form& form) override;

  MessageLoop& Loop() { return loop_; }
  Pump& GetPump() { return pump_; }
  void SetMessageHook(MessageHook hook) { loop_.SetHook(std::move(hook)); }
  int Run() { return loop_.Run(); }

  GdiCache& Gdi() { return gdi_; }
  // The window showing a form (null when the form has no window on this host).
  FormWindow* WindowOf(const Form& form) const;
  HWND HandleOf(const Form* form) const;
  // Every window now showing a form, for the modal show to disable the others.
  const std::vector<FormWindow*>& Windows() const { return windows_; }

 private:
  friend class FormWindow;
  MessageLoop loop_;
  Win32Pump pump_{loop_};
  GdiCache gdi_;
  std::map<std::string, std::shared_ptr<const Bitmap>> images_;
  std::vector<FormWindow*> windows_;
  Form* mainForm_ = nullptr;
};

// Region conversions at the window system's edge.
UniqueHRgn ToHrgn(const Region& region);
Region FromHrgn(HRGN region);

}  // namespace ql::ui::win32
