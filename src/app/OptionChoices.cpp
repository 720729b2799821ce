// The options window's choices: what it shows and how Save stores them.
#include "app/OptionChoices.h"

#include <utility>

#include "app/Settings.h"
#include "registry/RegistryHelpers.h"

namespace ql {

namespace {

AnsiString FailureText(const AnsiString& valueName) {
  return "Failed to set data for '" + valueName + "'";
}

void NoteFailure(AnsiString& firstFailure, const AnsiString& valueName) {
  if (firstFailure.empty())
    firstFailure = FailureText(valueName);
}

// Whether the Run value is there, asked with read rights only, so that a Run key that refuses
// writing still shows a value it kept.
bool StartupValuePresent(Registry& registry) {
  RegKey key(registry);
  if (!key.Open(kCurrentUser, NormalizeKeyPath(kRunPath), regaccess::kRead))
    return false;
  std::uint32_t type = regtype::kNone;
  return registry.QueryValue(key.Get(), kStartupValueName, type, nullptr);
}

// Ticked: the logon task first, then the Run value, which the window reads as the option. A task
// that could not be made changes nothing else, and a task is not left starting the program when
// the Run value could not be written.
AnsiString AddToStartup(Registry& registry, System& system, TaskScheduler& tasks) {
  const AnsiString executable = system.ExecutablePath();
  const bool withTask = IsVistaOrLater(system) && !executable.empty();
  if (withTask &&
      !tasks.RegisterTask(kLogonTaskName, StartupTaskXml(tasks.CurrentUser(), executable)))
    return kTaskNotCreatedText;
  if (!SetStartupEntry(registry, system, true)) {
    if (withTask)
      tasks.DeleteTask(kLogonTaskName);
    return FailureText(kStartupValueName);
  }
  if (!EnableStartupEntryForUser(registry))
    return FailureText(kStartupValueName);
  return AnsiString();
}

// Unticked: only a value or task left behind is a failure; a Run key, value or task that is not
// there has nothing to delete.
AnsiString RemoveFromStartup(Registry& registry, System& system, TaskScheduler& tasks) {
  AnsiString firstFailure;
  if (!SetStartupEntry(registry, system, false) && StartupValuePresent(registry))
    NoteFailure(firstFailure, kStartupValueName);
  if (IsVistaOrLater(system) && !tasks.DeleteTask(kLogonTaskName) && firstFailure.empty())
    firstFailure = kTaskNotDeletedText;
  return firstFailure;
}

}  // namespace

OptionChoices ReadOptionChoices(Registry& registry, const ProgramState& state) {
  OptionChoices choices;
  choices.startWithSystem = StartupEntryExists(registry) && !StartupEntryDisabledByUser(registry);
  choices.runMinimized = state.ShowMinimized;
  choices.disableMemoryManagement = state.Memory.DisableMemoryManagement;
  return choices;
}

AnsiString SaveOptions(Registry& registry, System& system, TaskScheduler& tasks,
                       const OptionChoices& choices, ProgramState& state) {
  AnsiString firstFailure = choices.startWithSystem ? AddToStartup(registry, system, tasks)
                                                    : RemoveFromStartup(registry, system, tasks);

  state.ShowMinimized = choices.runMinimized;
  state.Memory.DisableMemoryManagement = choices.disableMemoryManagement;

  const std::pair<const char*, bool> values[] = {
      {kShowMinimizedValue, choices.runMinimized},
      {kDisableMemoryManagementValue, choices.disableMemoryManagement},
  };
  for (const auto& [name, flag] : values) {
    if (TryWriteBoolValue(registry, kCurrentUser, SettingsKey, name, flag) != WriteOutcome::Written)
      NoteFailure(firstFailure, name);
  }
  return firstFailure.empty() ? AnsiString(kOptionsSavedText) : firstFailure;
}

}  // namespace ql
