// Stateless registry helpers; each call opens its own key, does one thing and closes it.
#include "registry/RegistryHelpers.h"

#include "paths/AnsiText.h"

namespace ql {

namespace {

// The read-only modes of ReadDwordValue, tried in order, and the existence-test mode of
// KeyExists. All of them carry the 64-bit view flag: a 32-bit program on 64-bit Windows would
// otherwise look at the redirected view, not at the keys the scanner lists.
constexpr std::uint32_t kDwordReadModes[] = {
    regaccess::kRead | regaccess::kWow64_64Key,
    regaccess::kReadNoNotify | regaccess::kWow64_64Key,
    regaccess::kQueryValue | regaccess::kWow64_64Key,
};
constexpr std::uint32_t kExistenceTestMode = regaccess::kReadNoNotify | regaccess::kWow64_64Key;

using EnumFunction = bool (Registry::*)(RegHandle, std::uint32_t, AnsiString&, bool&);

std::int32_t ReadNames(Registry& registry, RegRoot root, const AnsiString& path, StringList& names,
                       bool valueNames) {
  names.clear();
  RegKey key(registry);
  if (!key.Open(root, NormalizeKeyPath(path), FullAccess64))
    return 0;
  RegKeyInfo info;
  if (!registry.QueryInfoKey(key.Get(), info))
    return 0;
  const std::uint32_t count = valueNames ? info.values : info.subKeys;
  const EnumFunction enumerate = valueNames ? &Registry::EnumValueExact : &Registry::EnumKeyExact;
  for (std::uint32_t index = 0; index < count; ++index) {
    AnsiString name;
    bool exact = true;
    // An entry that vanished while listing is skipped: an empty subkey name would make the
    // callers look at (and possibly delete) the parent key itself.
    if ((registry.*enumerate)(key.Get(), index, name, exact) && exact &&
        (valueNames || name.find('\\') == AnsiString::npos))
      names.push_back(name);
  }
  return static_cast<std::int32_t>(names.size());
}

WriteOutcome WriteValue(Registry& registry, RegRoot root, const AnsiString& path,
                        const AnsiString& name, std::uint32_t type, const Bytes& data) {
  RegKey key(registry);
  if (!key.Create(root, NormalizeKeyPath(path), FullAccess64))
    return WriteOutcome::KeyNotOpened;
  return registry.SetValue(key.Get(), name, type, data) ? WriteOutcome::Written
                                                        : WriteOutcome::Refused;
}

void ThrowWhenRefused(WriteOutcome outcome, const AnsiString& name) {
  if (outcome == WriteOutcome::Refused)
    throw RegistryError("Failed to set data for '" + name + "'");
}

}  // namespace

AnsiString NormalizeKeyPath(const AnsiString& path) {
  const std::size_t first = path.find_first_not_of('\\');
  if (first == AnsiString::npos)
    return AnsiString();
  const std::size_t last = path.find_last_not_of('\\');
  return path.substr(first, last - first + 1);
}

std::int32_t ReadKeyNames(Registry& registry, RegRoot root, const AnsiString& path,
                          StringList& names) {
  return ReadNames(registry, root, path, names, false);
}

std::int32_t ReadValueNames(Registry& registry, RegRoot root, const AnsiString& path,
                            StringList& names) {
  return ReadNames(registry, root, path, names, true);
}

AnsiString ReadStringValue(Registry& registry, RegRoot root, const AnsiString& path,
                           const AnsiString& name) {
  AnsiString text;
  ReadExactStringValue(registry, root, path, name, text);
  return text;
}

bool ReadExactStringValue(Registry& registry, RegRoot root, const AnsiString& path,
                          const AnsiString& name, AnsiString& text) {
  text.clear();
  RegKey key(registry);
  if (!key.Open(root, NormalizeKeyPath(path), FullAccess64))
    return true;
  std::uint32_t type = regtype::kNone;
  if (!registry.QueryValue(key.Get(), name, type, nullptr) || !regtype::IsString(type))
    return true;
  Bytes data;
  bool exact = true;
  // The type is asked again with the data: the value may have changed in between.
  if (!registry.QueryValueExact(key.Get(), name, type, &data, exact) || !regtype::IsString(type))
    return true;
  if (!exact)
    return false;
  text = UpperCaseAsciiLetters(TrimControlsAndBlanks(TextOfStringData(data)));
  return true;
}

std::int32_t ReadDwordValue(Registry& registry, RegRoot root, const AnsiString& path,
                            const AnsiString& name) {
  const AnsiString keyPath = NormalizeKeyPath(path);
  RegKey key(registry);
  bool opened = false;
  for (std::uint32_t mode : kDwordReadModes) {
    opened = key.Open(root, keyPath, mode);
    if (opened)
      break;
  }
  if (!opened)
    return 0;
  std::uint32_t type = regtype::kNone;
  if (!registry.QueryValue(key.Get(), name, type, nullptr) || type != regtype::kDword)
    return 0;
  Bytes data;
  if (!registry.QueryValue(key.Get(), name, type, &data) || type != regtype::kDword ||
      data.size() != 4)
    return 0;
  const std::uint32_t value =
      static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
      static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
  return static_cast<std::int32_t>(value);
}

WriteOutcome TryWriteStringValue(Registry& registry, RegRoot root, const AnsiString& path,
                                 const AnsiString& name, const AnsiString& text) {
  return WriteValue(registry, root, path, name, regtype::kString, StringData(text));
}

WriteOutcome TryWriteBoolValue(Registry& registry, RegRoot root, const AnsiString& path,
                               const AnsiString& name, bool flag) {
  return WriteValue(registry, root, path, name, regtype::kDword, DwordData(flag ? 1 : 0));
}

void WriteStringValue(Registry& registry, RegRoot root, const AnsiString& path,
                      const AnsiString& name, const AnsiString& text) {
  ThrowWhenRefused(TryWriteStringValue(registry, root, path, name, text), name);
}

void WriteBoolValue(Registry& registry, RegRoot root, const AnsiString& path,
                    const AnsiString& name, bool flag) {
  ThrowWhenRefused(TryWriteBoolValue(registry, root, path, name, flag), name);
}

bool KeyExists(Registry& registry, RegRoot root, const AnsiString& path) {
  RegKey key(registry);
  return key.Open(root, NormalizeKeyPath(path), kExistenceTestMode);
}

bool KeyExistsInEitherView(Registry& registry, RegRoot root, const AnsiString& path) {
  RegKey key(registry);
  return KeyExists(registry, root, path) ||
         key.Open(root, NormalizeKeyPath(path), regaccess::kReadNoNotify | regaccess::kWow64_32Key);
}

bool HasSubKeys(Registry& registry, RegRoot root, const AnsiString& path) {
  RegKey key(registry);
  if (!key.Open(root, NormalizeKeyPath(path), FullAccess64))
    return false;
  RegKeyInfo info;
  return registry.QueryInfoKey(key.Get(), info) && info.subKeys > 0;
}

bool ValueExists(Registry& registry, RegRoot root, const AnsiString& path, const AnsiString& name) {
  RegKey key(registry);
  if (!key.Open(root, NormalizeKeyPath(path), FullAccess64))
    return false;
  std::uint32_t type = regtype::kNone;
  return registry.QueryValue(key.Get(), name, type, nullptr);
}

bool KeyIsWritable(Registry& registry, RegRoot root, const AnsiString& path) {
  if (root == kCurrentUser)
    return true;
  RegKey key(registry);
  return key.Open(root, NormalizeKeyPath(path), FullAccess64);
}

Bytes StringData(const AnsiString& text) {
  Bytes data(text.begin(), text.end());
  data.push_back(0);
  return data;
}

Bytes DwordData(std::uint32_t value) {
  return Bytes{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
               static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

AnsiString TextOfStringData(const Bytes& data) {
  AnsiString text;
  for (std::uint8_t byte : data) {
    if (byte == 0)
      break;
    text.push_back(static_cast<char>(byte));
  }
  return text;
}

}  // namespace ql
