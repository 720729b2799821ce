// Task scheduler port: tasks of the current user, registered from their XML definitions.
#pragma once

#include "platform/text.h"

namespace ql {

class TaskScheduler {
 public:
  virtual ~TaskScheduler() = default;
  // "DOMAIN\user" of the running program's account; empty when it cannot be had.
  virtual AnsiString CurrentUser() = 0;
  // Creates the task of this name in the scheduler's root folder from a definition in the Task
  // Scheduler schema, or replaces the one there, to run with the user's interactive token; false
  // when it is not registered.
  virtual bool RegisterTask(const AnsiString& name, const AnsiString& xml) = 0;
  // True when no task of this name is left, also when there was none.
  virtual bool DeleteTask(const AnsiString& name) = 0;
};

}  // namespace ql
