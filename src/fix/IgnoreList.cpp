// The ignore list under the settings key.
#include "fix/IgnoreList.h"

#include "paths/AnsiText.h"
#include "registry/RegistryHelpers.h"

namespace ql {

AnsiString IgnoredKeyPath() {
  return AnsiString(SettingsKey) + "\\Ignored";
}

IgnoreList IgnoreList::Read(Registry& registry, CodePage& codePage) {
  IgnoreList list(codePage);
  StringList names;
  ReadValueNames(registry, kCurrentUser, IgnoredKeyPath(), names);
  for (const AnsiString& name : names)
    list.Insert(name, ReadStringValue(registry, kCurrentUser, IgnoredKeyPath(), name));
  return list;
}

bool IgnoreList::Holds(const AnsiString& registryPath, const AnsiString& file) const {
  return paths_.count(Upper(registryPath)) != 0 ||
         (!file.empty() && files_.count(Upper(file)) != 0);
}

void IgnoreList::Insert(const AnsiString& registryPath, const AnsiString& file) {
  paths_.insert(Upper(registryPath));
  if (!file.empty())
    files_.insert(Upper(file));
}

AnsiString IgnoreList::Upper(const AnsiString& text) const {
  return codePage_ != nullptr ? codePage_->UpperCase(text) : UpperCaseAsciiLetters(text);
}

bool StoreIgnored(Registry& registry, const AnsiString& registryPath, const AnsiString& file) {
  return TryWriteStringValue(registry, kCurrentUser, IgnoredKeyPath(), registryPath, file) ==
         WriteOutcome::Written;
}

std::size_t CountIgnored(Registry& registry) {
  StringList names;
  return static_cast<std::size_t>(ReadValueNames(registry, kCurrentUser, IgnoredKeyPath(), names));
}

bool ClearIgnored(Registry& registry) {
  RegKey key(registry);
  if (!key.Open(kCurrentUser, IgnoredKeyPath(), FullAccess64))
    return true;
  StringList names;
  ReadValueNames(registry, kCurrentUser, IgnoredKeyPath(), names);
  bool cleared = true;
  for (const AnsiString& name : names)
    cleared = registry.DeleteValue(key.Get(), name) && cleared;
  return cleared;
}

}  // namespace ql
