// In-memory task scheduler: the registered definitions by name, and switches that make it refuse.
#pragma once

#include <map>
#include <optional>

#include "platform/tasks.h"

namespace ql {

class FakeTaskScheduler : public TaskScheduler {
 public:
  AnsiString CurrentUser() override { return user; }
  bool RegisterTask(const AnsiString& name, const AnsiString& xml) override;
  bool DeleteTask(const AnsiString& name) override;

  // The definition of the task of that name (letter case ignored, as the scheduler does).
  std::optional<AnsiString> Find(const AnsiString& name) const;

  AnsiString user = "QUILLON-PC\\Tester";
  bool refuseRegister = false;  // as a scheduler service that is not running, or access denied
  bool refuseDelete = false;

 private:
  std::map<AnsiString, AnsiString> tasks_;  // by upper-cased name
};

}  // namespace ql
