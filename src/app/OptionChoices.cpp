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
  if (!key.Open(kCurrentUser, NormalizeKeyPath(kRunKey), regaccess::kRead))
    return false;
  std::uint32_t type = regtype::kNone;
  return registry.QueryValue(key.Get(), kStartupValueName, type, nullptr);
}

}  // namespace

OptionChoices ReadOptionChoices(Registry& registry, const ProgramState& state) {
  OptionChoices choices;
  choices.startWithSystem = StartupEntryExists(registry);
  choices.runMinimized = state.ShowMinimized;
  choices.disableMemoryManagement = state.Memory.DisableMemoryManagement;
  return choices;
}

AnsiString SaveOptions(Registry& registry, System& system, const OptionChoices& choices,
                       ProgramState& state) {
  AnsiString firstFailure;
  // With the box unticked only a value left behind is a failure: a Run key or value that is not
  // there has nothing to delete.
  if (!SetStartupEntry(registry, system, choices.startWithSystem) &&
      (choices.startWithSystem || StartupValuePresent(registry)))
    NoteFailure(firstFailure, kStartupValueName);

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
