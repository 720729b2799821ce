// In-memory message pump.
#include "platform/fake/FakeShell.h"

namespace ql {

void FakePump::ProcessMessages() {
  const std::size_t call = ++calls_;
  // Copies, so that an action may add or clear actions while it runs.
  std::vector<std::function<void()>> due;
  const auto range = onCall_.equal_range(call);
  for (auto it = range.first; it != range.second; ++it)
    due.push_back(it->second);
  due.insert(due.end(), onEveryCall_.begin(), onEveryCall_.end());
  for (const auto& action : due)
    action();
}

void FakePump::OnCall(std::size_t callNumber, std::function<void()> action) {
  onCall_.emplace(callNumber, std::move(action));
}

void FakePump::OnEveryCall(std::function<void()> action) {
  onEveryCall_.push_back(std::move(action));
}

void FakePump::ClearActions() {
  onCall_.clear();
  onEveryCall_.clear();
}

}  // namespace ql
