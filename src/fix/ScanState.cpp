// The state of one registry scan: the findings the user ticks and removes.
#include "fix/ScanState.h"

#include <algorithm>

namespace ql {

AnsiString FindingPath(const FixedEntry& entry) {
  AnsiString key = RootName(entry.root) + entry.keyPath;
  if (key.back() == '\\')
    key.pop_back();
  return entry.change == FixedEntry::Change::ValueDeleted ? key + "\\" + entry.valueName : key;
}

void ScanState::SetTicked(const FixedEntry& entry, bool ticked) {
  if (ticked)
    Unticked.erase(FindingPath(entry));
  else
    Unticked.insert(FindingPath(entry));
}

std::size_t ScanState::TickedCount(Category category) const {
  return static_cast<std::size_t>(
      std::count_if(Fixes.begin(), Fixes.end(),
                    [&](const FixedEntry& e) { return e.category == category && IsTicked(e); }));
}

// A category's list holds its findings' descriptions in the order of Fixes.
void ScanState::Remove(std::size_t fix) {
  const FixedEntry& entry = Fixes[fix];
  const auto before =
      std::count_if(Fixes.begin(), Fixes.begin() + static_cast<std::ptrdiff_t>(fix),
                    [&](const FixedEntry& e) { return e.category == entry.category; });
  StringList& errors = ErrorsOf(entry.category);
  errors.erase(errors.begin() + before);
  Fixes.erase(Fixes.begin() + static_cast<std::ptrdiff_t>(fix));
  --ErrorCount;
}

}  // namespace ql
