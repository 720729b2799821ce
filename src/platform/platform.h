// The bundle of ports that the program's logic reaches the system through.
#pragma once

#include "platform/files.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/tasks.h"

namespace ql {

struct Platform {
  Registry& registry;
  Files& files;
  Processes& processes;
  System& system;
  Clock& clock;
  CodePage& codePage;
  Shell& shell;
  Launcher& launcher;
  Pump& pump;
  TaskScheduler& tasks;
};

}  // namespace ql
