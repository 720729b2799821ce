// The options window's choices: what it shows and how Save stores them.
#pragma once

#include "app/ProgramState.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/text.h"

namespace ql {

// The three choices of the options window, in the order of its check boxes.
struct OptionChoices {
  bool startWithSystem = false;
  bool runMinimized = false;
  bool disableMemoryManagement = false;
};

constexpr char kOptionsSavedText[] = "Options are saved!";

// The startup entry as the Run key holds it, and the two settings as the running program has them.
OptionChoices ReadOptionChoices(Registry& registry, const ProgramState& state);

// Save in this order: the startup entry, the settings of the program state (used at once), then the
// values "ShowMinimized" and "DisableMemoryManagement" under SettingsKey. Every step runs even
// when an earlier one failed. Returns the text for the information window: "Options are saved!",
// or, when a write or delete did not take, "Failed to set data for '<value name>'" for the first
// of them, so that a refused or unreachable key is never reported as saved.
AnsiString SaveOptions(Registry& registry, System& system, const OptionChoices& choices,
                       ProgramState& state);

}  // namespace ql
