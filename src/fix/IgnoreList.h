// The findings the user chose never to see again, kept under the program's settings key.
#pragma once

#include <cstddef>
#include <set>

#include "platform/registry.h"
#include "platform/system.h"
#include "platform/text.h"

namespace ql {

// The key below HKEY_CURRENT_USER that holds the list: one value per ignored finding, named by
// the registry path its fix would change, holding the file the finding names (empty for a finding
// that names none).
AnsiString IgnoredKeyPath();

// The ignore list as read at the start of a scan, with the findings ignored since. A finding is
// ignored when its registry path or the file it names is on the list, whatever the letter case.
class IgnoreList {
 public:
  IgnoreList() = default;
  // An ignore key that does not open is an empty list.
  static IgnoreList Read(Registry& registry, CodePage& codePage);

  bool Holds(const AnsiString& registryPath, const AnsiString& file) const;
  void Insert(const AnsiString& registryPath, const AnsiString& file);

 private:
  explicit IgnoreList(CodePage& codePage) : codePage_(&codePage) {}
  AnsiString Upper(const AnsiString& text) const;

  CodePage* codePage_ = nullptr;
  std::set<AnsiString> paths_;  // upper case
  std::set<AnsiString> files_;  // upper case
};

// Adds a finding to the stored list; false when the registry refused it.
bool StoreIgnored(Registry& registry, const AnsiString& registryPath, const AnsiString& file);
// How many findings the stored list holds.
std::size_t CountIgnored(Registry& registry);
// Empties the stored list; false when a value could not be deleted.
bool ClearIgnored(Registry& registry);

}  // namespace ql
