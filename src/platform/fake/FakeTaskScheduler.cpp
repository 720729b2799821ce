// In-memory task scheduler.
#include "platform/fake/FakeTaskScheduler.h"

#include <algorithm>

namespace ql {

namespace {
AnsiString Key(AnsiString name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
  return name;
}
}  // namespace

bool FakeTaskScheduler::RegisterTask(const AnsiString& name, const AnsiString& xml) {
  if (refuseRegister || name.empty() || xml.empty())
    return false;
  tasks_[Key(name)] = xml;
  return true;
}

bool FakeTaskScheduler::DeleteTask(const AnsiString& name) {
  const auto found = tasks_.find(Key(name));
  if (found == tasks_.end())
    return true;
  if (refuseDelete)
    return false;
  tasks_.erase(found);
  return true;
}

std::optional<AnsiString> FakeTaskScheduler::Find(const AnsiString& name) const {
  const auto found = tasks_.find(Key(name));
  if (found == tasks_.end())
    return std::nullopt;
  return found->second;
}

}  // namespace ql
