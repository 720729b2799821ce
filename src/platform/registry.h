// Registry port: the Win32 registry calls the program is described with, one key handle at a time.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/text.h"

namespace ql {

using RegRoot = std::uint32_t;
constexpr RegRoot kClassesRoot = 0x80000000u;
constexpr RegRoot kCurrentUser = 0x80000001u;
constexpr RegRoot kLocalMachine = 0x80000002u;

// "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE", as registry scripts and the
// registry editor name the roots; empty for any other root.
inline AnsiString RootName(RegRoot root) {
  switch (root) {
    case kClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case kCurrentUser:
      return "HKEY_CURRENT_USER";
    case kLocalMachine:
      return "HKEY_LOCAL_MACHINE";
    default:
      return AnsiString();
  }
}

namespace regtype {
constexpr std::uint32_t kNone = 0;
constexpr std::uint32_t kString = 1;
constexpr std::uint32_t kExpandString = 2;
constexpr std::uint32_t kBinary = 3;
constexpr std::uint32_t kDword = 4;
constexpr std::uint32_t kMultiString = 7;
constexpr std::uint32_t kQword = 11;

// String and expandable string: the types whose data is one text.
inline bool IsString(std::uint32_t type) {
  return type == kString || type == kExpandString;
}
// The types whose data is text, multi-string included: the ANSI calls convert their data.
inline bool IsText(std::uint32_t type) {
  return IsString(type) || type == kMultiString;
}
}  // namespace regtype

namespace regaccess {
constexpr std::uint32_t kQueryValue = 0x0001;
constexpr std::uint32_t kWow64_64Key = 0x0100;
constexpr std::uint32_t kWow64_32Key = 0x0200;
constexpr std::uint32_t kAllAccess = 0xF003F;
constexpr std::uint32_t kFullAccess64 = 0xF013F;  // KEY_ALL_ACCESS | KEY_WOW64_64KEY
constexpr std::uint32_t kRead = 0x20019;
constexpr std::uint32_t kReadNoNotify = 0x20009;  // also the existence-test mode
}  // namespace regaccess

using RegHandle = std::uintptr_t;  // 0 is "no key"

struct RegKeyInfo {
  std::uint32_t subKeys = 0;
  std::uint32_t maxSubKeyLength = 0;
  std::uint32_t values = 0;
  std::uint32_t maxValueNameLength = 0;
};

// Key paths are relative to the root, components separated by "\", with no leading or trailing
// "\"; the empty path is the root itself. Names compare without regard to letter case.
class Registry {
 public:
  virtual ~Registry() = default;
  virtual bool OpenKey(RegRoot root, const AnsiString& path, std::uint32_t access,
                       RegHandle& key) = 0;
  // Opens the key, creating it and every missing parent.
  virtual bool CreateKey(RegRoot root, const AnsiString& path, std::uint32_t access,
                         RegHandle& key) = 0;
  virtual void CloseKey(RegHandle key) = 0;
  virtual bool QueryInfoKey(RegHandle key, RegKeyInfo& info) = 0;
  virtual bool EnumKey(RegHandle key, std::uint32_t index, AnsiString& name) = 0;
  virtual bool EnumValue(RegHandle key, std::uint32_t index, AnsiString& name) = 0;
  // The name, type and data of the value at index, in one call where the system allows it.
  // False only when there is no value at index; a value whose data cannot be read (it vanished
  // after its name was found) gives the type REG_NONE and no data.
  virtual bool EnumValueData(RegHandle key, std::uint32_t index, AnsiString& name,
                             std::uint32_t& type, Bytes& data) {
    if (!EnumValue(key, index, name))
      return false;
    if (!QueryValue(key, name, type, &data)) {
      type = regtype::kNone;
      data.clear();
    }
    return true;
  }
  // Type and data of a value; data may be null when only the type is wanted.
  virtual bool QueryValue(RegHandle key, const AnsiString& name, std::uint32_t& type,
                          Bytes* data) = 0;
  // The same through the wide calls, converted to the code page without best-fit mapping, so
  // that a character the code page lacks never turns into a look-alike: exact is false when the
  // name, or the text of a string value, holds such a character.
  virtual bool EnumKeyExact(RegHandle key, std::uint32_t index, AnsiString& name, bool& exact) = 0;
  virtual bool EnumValueExact(RegHandle key, std::uint32_t index, AnsiString& name,
                              bool& exact) = 0;
  virtual bool QueryValueExact(RegHandle key, const AnsiString& name, std::uint32_t& type,
                               Bytes* data, bool& exact) = 0;
  virtual bool EnumValueDataExact(RegHandle key, std::uint32_t index, AnsiString& name,
                                  std::uint32_t& type, Bytes& data, bool& exact) {
    if (!EnumValueExact(key, index, name, exact))
      return false;
    bool dataExact = true;
    if (!exact || !QueryValueExact(key, name, type, &data, dataExact)) {
      type = regtype::kNone;
      data.clear();
    }
    exact = exact && dataExact;
    return true;
  }
  // The value as the wide call gives it: the data of string types as UTF-16LE units.
  virtual bool QueryValueWide(RegHandle key, const AnsiString& name, std::uint32_t& type,
                              Bytes& data) = 0;
  virtual bool SetValue(RegHandle key, const AnsiString& name, std::uint32_t type,
                        const Bytes& data) = 0;
  virtual bool DeleteValue(RegHandle key, const AnsiString& name) = 0;
};

// Owns one open key of a Registry and closes it when it goes out of scope.
class RegKey {
 public:
  explicit RegKey(Registry& registry) : registry_(&registry) {}
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  RegKey(RegKey&& other) noexcept
      : registry_(other.registry_), handle_(std::exchange(other.handle_, 0)) {}
  ~RegKey() { Close(); }

  bool Open(RegRoot root, const AnsiString& path, std::uint32_t access) {
    Close();
    return registry_->OpenKey(root, path, access, handle_);
  }
  bool Create(RegRoot root, const AnsiString& path, std::uint32_t access) {
    Close();
    return registry_->CreateKey(root, path, access, handle_);
  }
  void Close() {
    if (handle_ != 0)
      registry_->CloseKey(std::exchange(handle_, 0));
  }
  bool IsOpen() const { return handle_ != 0; }
  RegHandle Get() const { return handle_; }
  Registry& registry() const { return *registry_; }

 private:
  Registry* registry_;
  RegHandle handle_ = 0;
};

}  // namespace ql
