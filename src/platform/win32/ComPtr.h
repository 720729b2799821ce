// Owners of COM objects for the adapters that talk COM: interface pointers (Release), strings
// (SysFreeString) and the apartment of the calling thread (CoUninitialize).
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>

#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

namespace detail {
template <typename T>
void ReleaseInterface(T* object) {
  object->Release();
}
inline void FreeBstr(BSTR text) {
  ::SysFreeString(text);
}
}  // namespace detail

// An interface pointer, released once; put() receives one from a creating call.
template <typename T>
using ComPtr = UniqueHandle<NullInvalidTraits<T*, &detail::ReleaseInterface<T>>>;
using UniqueBstr = UniqueHandle<NullInvalidTraits<BSTR, &detail::FreeBstr>>;

template <typename T>
void** PutVoid(ComPtr<T>& pointer) {
  return reinterpret_cast<void**>(pointer.put());
}

// Another interface of the same object; null when it has none.
template <typename Wanted, typename T>
ComPtr<Wanted> QueryAs(const ComPtr<T>& object) {
  ComPtr<Wanted> wanted;
  if (object)
    object.get()->QueryInterface(__uuidof(Wanted), PutVoid(wanted));
  return wanted;
}

inline UniqueBstr MakeBstr(const std::u16string& text) {
  return UniqueBstr(::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                        static_cast<UINT>(text.size())));
}

// COM on the calling thread for the life of the object. A thread that already has COM in another
// apartment model keeps it and may still make the calls.
class ComApartment {
 public:
  ComApartment() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (SUCCEEDED(result_))
      ::CoUninitialize();
  }
  bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

}  // namespace ql::win32
