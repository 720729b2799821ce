// The options window's choices: what it shows and how Save stores them.
#pragma once

#include "app/ProgramState.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/tasks.h"
#include "platform/text.h"

namespace ql {

// The three choices of the options window, in the order of its check boxes.
struct OptionChoices {
  bool startWithSystem = false;
  bool runMinimized = false;
  bool disableMemoryManagement = false;
};

constexpr char kOptionsSavedText[] = "Options are saved!";
constexpr char kTaskNotCreatedText[] = "Failed to create the logon task 'Quillon'";
constexpr char kTaskNotDeletedText[] = "Failed to delete the logon task 'Quillon'";

// The startup entry as the Run key holds it (ticked only when Task Manager has not switched it
// off), and the two settings as the running program has them.
OptionChoices ReadOptionChoices(Registry& registry, const ProgramState& state);

// Save in this order: the startup entry (on Windows Vista and later with its logon task, and
// switched on again in Task Manager when ticked), the settings of the program state (used at
// once), then the values "ShowMinimized" and "DisableMemoryManagement" under SettingsKey. Every
// step runs even when an earlier one failed. Returns the text for the information window:
// "Options are saved!", or the first failure: "Failed to set data for '<value name>'" for a write
// or delete that did not take, or that the logon task could not be created or deleted, so that a
// refused or unreachable key or scheduler is never reported as saved.
AnsiString SaveOptions(Registry& registry, System& system, TaskScheduler& tasks,
                       const OptionChoices& choices, ProgramState& state);

}  // namespace ql
