// Registry adapter: RegOpenKeyExA, RegEnumKeyExA, RegQueryValueExA and friends, handle for handle.
#include <windows.h>

#include <string>

#include "platform/win32/CodePageText.h"
#include "platform/win32/Win32Platform.h"

namespace ql::win32 {
namespace {

// Key names are at most 255 characters and value names 16,383; a name longer than what the
// information query announced (the key changed in between) makes the call retry with more room.
constexpr DWORD kLargestName = 32768;

HKEY ToHKey(RegHandle key) {
  return reinterpret_cast<HKEY>(key);
}

// The predefined roots are sign-extended in a 64-bit process, so they are mapped by name rather
// than by casting the 32-bit value.
HKEY RootKey(RegRoot root) {
  switch (root) {
    case kClassesRoot:
      return HKEY_CLASSES_ROOT;
    case kCurrentUser:
      return HKEY_CURRENT_USER;
    case kLocalMachine:
      return HKEY_LOCAL_MACHINE;
    default:
      return nullptr;
  }
}

DWORD LongestName(HKEY key, bool values) {
  DWORD longestKey = 0;
  DWORD longestValue = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &longestKey, nullptr, nullptr,
                       &longestValue, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return 0;
  return values ? longestValue : longestKey;
}

// Calls enumerate(buffer, &length) with room for 255 characters, which nearly every name fits;
// a longer one sizes the buffer from the key's information, growing it while the registry
// reports ERROR_MORE_DATA. (The information is not asked first: under Wine each query is a round
// trip to the server, and walks enumerate hundreds of thousands of names.)
template <typename Enumerate>
bool EnumName(HKEY key, bool values, AnsiString& name, Enumerate enumerate) {
  char small[256];
  DWORD smallLength = sizeof(small);
  const LONG first = enumerate(small, &smallLength);
  if (first == ERROR_SUCCESS) {
    name.assign(small, smallLength < sizeof(small) ? smallLength : sizeof(small));
    return true;
  }
  if (first != ERROR_MORE_DATA)
    return false;
  DWORD capacity = LongestName(key, values) + 1;
  if (capacity < 512)
    capacity = 512;
  for (;;) {
    std::string buffer(capacity, '\0');
    DWORD length = capacity;
    const LONG status = enumerate(&buffer[0], &length);
    if (status == ERROR_SUCCESS) {
      name.assign(buffer.data(), length < capacity ? length : capacity);
      return true;
    }
    if (status != ERROR_MORE_DATA || capacity >= kLargestName)
      return false;
    capacity *= 2;
  }
}

}  // namespace

bool Win32Registry::OpenKey(RegRoot root, const AnsiString& path, std::uint32_t access,
                            RegHandle& key) {
  key = 0;
  const HKEY rootKey = RootKey(root);
  HKEY opened = nullptr;
  if (rootKey == nullptr ||
      RegOpenKeyExA(rootKey, path.c_str(), 0, access, &opened) != ERROR_SUCCESS)
    return false;
  key = reinterpret_cast<RegHandle>(opened);
  return true;
}

bool Win32Registry::CreateKey(RegRoot root, const AnsiString& path, std::uint32_t access,
                              RegHandle& key) {
  key = 0;
  const HKEY rootKey = RootKey(root);
  HKEY opened = nullptr;
  if (rootKey == nullptr ||
      RegCreateKeyExA(rootKey, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                      &opened, nullptr) != ERROR_SUCCESS)
    return false;
  key = reinterpret_cast<RegHandle>(opened);
  return true;
}

void Win32Registry::CloseKey(RegHandle key) {
  RegCloseKey(ToHKey(key));
}

bool Win32Registry::QueryInfoKey(RegHandle key, RegKeyInfo& info) {
  DWORD subKeys = 0;
  DWORD longestKey = 0;
  DWORD values = 0;
  DWORD longestValue = 0;
  if (RegQueryInfoKeyA(ToHKey(key), nullptr, nullptr, nullptr, &subKeys, &longestKey, nullptr,
                       &values, &longestValue, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  info = RegKeyInfo{subKeys, longestKey, values, longestValue};
  return true;
}

bool Win32Registry::EnumKey(RegHandle key, std::uint32_t index, AnsiString& name) {
  return EnumName(ToHKey(key), false, name, [&](char* buffer, DWORD* length) {
    return RegEnumKeyExA(ToHKey(key), index, buffer, length, nullptr, nullptr, nullptr, nullptr);
  });
}

bool Win32Registry::EnumValue(RegHandle key, std::uint32_t index, AnsiString& name) {
  return EnumName(ToHKey(key), true, name, [&](char* buffer, DWORD* length) {
    return RegEnumValueA(ToHKey(key), index, buffer, length, nullptr, nullptr, nullptr, nullptr);
  });
}

// Names and data that fit small buffers come in one call; anything longer is read the long way.
bool Win32Registry::EnumValueData(RegHandle key, std::uint32_t index, AnsiString& name,
                                  std::uint32_t& type, Bytes& data) {
  char small[256];
  DWORD nameLength = sizeof(small);
  BYTE smallData[512];
  DWORD size = sizeof(smallData);
  DWORD valueType = 0;
  const LONG status = RegEnumValueA(ToHKey(key), static_cast<DWORD>(index), small, &nameLength,
                                    nullptr, &valueType, smallData, &size);
  if (status != ERROR_SUCCESS)
    return status == ERROR_MORE_DATA && Registry::EnumValueData(key, index, name, type, data);
  name.assign(small, nameLength < sizeof(small) ? nameLength : sizeof(small));
  type = valueType;
  data.assign(smallData, smallData + (size < sizeof(smallData) ? size : sizeof(smallData)));
  return true;
}

bool Win32Registry::QueryValue(RegHandle key, const AnsiString& name, std::uint32_t& type,
                               Bytes* data) {
  DWORD valueType = 0;
  DWORD size = 0;
  if (data == nullptr) {
    if (RegQueryValueExA(ToHKey(key), name.c_str(), nullptr, &valueType, nullptr, &size) !=
        ERROR_SUCCESS)
      return false;
    type = valueType;
    return true;
  }
  // Most values fit a small buffer, which saves the size query (a server round trip under Wine).
  BYTE small[256];
  DWORD smallSize = sizeof(small);
  const LONG first =
      RegQueryValueExA(ToHKey(key), name.c_str(), nullptr, &valueType, small, &smallSize);
  if (first == ERROR_SUCCESS) {
    type = valueType;
    data->assign(small, small + (smallSize < sizeof(small) ? smallSize : sizeof(small)));
    return true;
  }
  if (first != ERROR_MORE_DATA)
    return false;
  size = smallSize;
  // The value may grow between the two calls; then the size is asked again.
  for (int attempt = 0; attempt < 8; ++attempt) {
    data->assign(size + 1, 0);  // one spare byte: a zero size still gets a valid buffer
    DWORD received = size + 1;
    const LONG status =
        RegQueryValueExA(ToHKey(key), name.c_str(), nullptr, &valueType, data->data(), &received);
    if (status == ERROR_SUCCESS) {
      type = valueType;
      data->resize(received < size + 1 ? received : size + 1);
      return true;
    }
    if (status != ERROR_MORE_DATA)
      break;
    size = received;
  }
  data->clear();
  return false;
}

bool Win32Registry::EnumKeyExact(RegHandle key, std::uint32_t index, AnsiString& name,
                                 bool& exact) {
  wchar_t buffer[256];  // a key name holds at most 255 characters
  DWORD length = 256;
  if (RegEnumKeyExW(ToHKey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr) !=
      ERROR_SUCCESS)
    return false;
  exact = ToAnsiExactly(buffer, length < 256 ? length : 255, name);
  return true;
}

bool Win32Registry::EnumValueExact(RegHandle key, std::uint32_t index, AnsiString& name,
                                   bool& exact) {
  wchar_t small[256];
  DWORD length = 256;
  LONG status =
      RegEnumValueW(ToHKey(key), index, small, &length, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) {
    exact = ToAnsiExactly(small, length < 256 ? length : 255, name);
    return true;
  }
  if (status != ERROR_MORE_DATA)
    return false;
  std::wstring buffer(16384, L'\0');  // the longest value name Windows allows, and its NUL
  length = 16384;
  status =
      RegEnumValueW(ToHKey(key), index, &buffer[0], &length, nullptr, nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS)
    return false;
  exact = ToAnsiExactly(buffer.data(), length < 16384 ? length : 16383, name);
  return true;
}

bool Win32Registry::QueryValueWide(RegHandle key, const AnsiString& name, std::uint32_t& type,
                                   Bytes& data) {
  const std::wstring wideName = ToWideText(name);
  DWORD valueType = 0;
  DWORD size = 512;
  // The value may grow between the calls; then the size is asked again.
  for (int attempt = 0; attempt < 8; ++attempt) {
    data.assign(size + 2, 0);  // room for a NUL the data may lack
    DWORD received = size;
    const LONG status = RegQueryValueExW(ToHKey(key), wideName.c_str(), nullptr, &valueType,
                                         data.data(), &received);
    if (status == ERROR_SUCCESS) {
      type = valueType;
      data.resize(received < size ? received : size);
      return true;
    }
    if (status != ERROR_MORE_DATA)
      break;
    size = received;
  }
  data.clear();
  return false;
}

bool Win32Registry::QueryValueExact(RegHandle key, const AnsiString& name, std::uint32_t& type,
                                    Bytes* data, bool& exact) {
  exact = true;
  Bytes wide;
  if (!QueryValueWide(key, name, type, wide))
    return false;
  if (!regtype::IsText(type)) {
    if (data != nullptr)
      *data = std::move(wide);
    return true;
  }
  std::wstring units(wide.size() / 2, L'\0');
  for (std::size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<wchar_t>(wide[2 * i] | wide[2 * i + 1] << 8);
  AnsiString ansi;
  exact = ToAnsiExactly(units.data(), units.size(), ansi);
  if (data != nullptr)
    data->assign(ansi.begin(), ansi.end());
  return true;
}

bool Win32Registry::SetValue(RegHandle key, const AnsiString& name, std::uint32_t type,
                             const Bytes& data) {
  return RegSetValueExA(ToHKey(key), name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                        static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool Win32Registry::DeleteValue(RegHandle key, const AnsiString& name) {
  return RegDeleteValueA(ToHKey(key), name.c_str()) == ERROR_SUCCESS;
}

}  // namespace ql::win32
