// Move-only owners of Win32 handles, and scoped types for paired releases (ReleaseDC, EndPaint,
// restoring what SelectObject replaced).
#pragma once

#include <windows.h>

#include <tlhelp32.h>

#include <utility>

namespace ql::win32 {

// Traits: a handle type, the value that means "nothing owned", and the function that frees it.
template <typename T, T (*Invalid)(), void (*Close)(T)>
struct HandleTraits {
  using Type = T;
  static Type InvalidValue() { return Invalid(); }
  static void CloseHandle(Type handle) { Close(handle); }
};

// Owns one handle and frees it exactly once. Hand ownership to the system explicitly with
// release(), for example SetWindowRgn(hwnd, region.release(), TRUE).
template <typename Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() noexcept : handle_(Traits::InvalidValue()) {}
  explicit UniqueHandle(Type handle) noexcept : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other)
      reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Type get() const noexcept { return handle_; }
  bool is_valid() const noexcept { return handle_ != Traits::InvalidValue(); }
  explicit operator bool() const noexcept { return is_valid(); }

  // Gives up ownership without freeing; the caller (or the system) now owns the handle.
  Type release() noexcept { return std::exchange(handle_, Traits::InvalidValue()); }

  void reset(Type handle = Traits::InvalidValue()) noexcept {
    const Type old = std::exchange(handle_, handle);
    if (old != Traits::InvalidValue())
      Traits::CloseHandle(old);
  }

  // For out-parameters: frees what is owned and returns the address to receive a new handle,
  // as in RegOpenKeyExA(root, path, 0, access, key.put()).
  Type* put() noexcept {
    reset();
    return &handle_;
  }

 private:
  Type handle_;
};

namespace detail {
template <typename T>
T NullValue() {
  return nullptr;
}
inline HANDLE InvalidHandleValue() {
  return INVALID_HANDLE_VALUE;
}

inline void CloseKernelHandle(HANDLE h) {
  ::CloseHandle(h);
}
inline void CloseRegKey(HKEY h) {
  ::RegCloseKey(h);
}
inline void DestroyIconHandle(HICON h) {
  ::DestroyIcon(h);
}
inline void DestroyMenuHandle(HMENU h) {
  ::DestroyMenu(h);
}
template <typename T>
void DeleteGdiObject(T h) {
  ::DeleteObject(h);
}
inline void DeleteMemoryDc(HDC h) {
  ::DeleteDC(h);
}
inline void CloseFind(HANDLE h) {
  ::FindClose(h);
}
inline void FreeLoadedLibrary(HMODULE h) {
  ::FreeLibrary(h);
}
}  // namespace detail

template <typename T, void (*Close)(T)>
using NullInvalidTraits = HandleTraits<T, &detail::NullValue<T>, Close>;

// Kernel objects that report failure as null: processes, threads, mutexes, events.
using UniqueHandleNull = UniqueHandle<NullInvalidTraits<HANDLE, &detail::CloseKernelHandle>>;
// Kernel objects that report failure as INVALID_HANDLE_VALUE: files (CreateFileA), snapshots.
using UniqueHandleFile =
    UniqueHandle<HandleTraits<HANDLE, &detail::InvalidHandleValue, &detail::CloseKernelHandle>>;
using UniqueSnapshot = UniqueHandleFile;  // CreateToolhelp32Snapshot fails with the same value
using UniqueFind =
    UniqueHandle<HandleTraits<HANDLE, &detail::InvalidHandleValue, &detail::CloseFind>>;
using UniqueHKey = UniqueHandle<NullInvalidTraits<HKEY, &detail::CloseRegKey>>;
using UniqueHIcon = UniqueHandle<NullInvalidTraits<HICON, &detail::DestroyIconHandle>>;
using UniqueHMenu = UniqueHandle<NullInvalidTraits<HMENU, &detail::DestroyMenuHandle>>;
using UniqueHBitmap = UniqueHandle<NullInvalidTraits<HBITMAP, &detail::DeleteGdiObject<HBITMAP>>>;
using UniqueHRgn = UniqueHandle<NullInvalidTraits<HRGN, &detail::DeleteGdiObject<HRGN>>>;
using UniqueHFont = UniqueHandle<NullInvalidTraits<HFONT, &detail::DeleteGdiObject<HFONT>>>;
using UniqueHBrush = UniqueHandle<NullInvalidTraits<HBRUSH, &detail::DeleteGdiObject<HBRUSH>>>;
// A memory device context from CreateCompatibleDC (freed with DeleteDC, not ReleaseDC).
using UniqueMemoryDc = UniqueHandle<NullInvalidTraits<HDC, &detail::DeleteMemoryDc>>;
// A module from LoadLibraryA (freed with FreeLibrary; GetModuleHandleA results are not owned).
using UniqueHModule = UniqueHandle<NullInvalidTraits<HMODULE, &detail::FreeLoadedLibrary>>;

// The device context of a window from GetDC, given back with ReleaseDC.
class ScopedWindowDc {
 public:
  explicit ScopedWindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ScopedWindowDc(const ScopedWindowDc&) = delete;
  ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
  ~ScopedWindowDc() {
    if (dc_ != nullptr)
      ::ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint ... EndPaint for one WM_PAINT.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  ~ScopedPaint() { ::EndPaint(window_, &paint_); }
  HDC get() const { return dc_; }
  const PAINTSTRUCT& paint() const { return paint_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Selects a GDI object into a device context and puts the previous one back when it ends, so the
// selected object can be deleted afterwards.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
  ~ScopedSelectObject() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR)
      ::SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace ql::win32
