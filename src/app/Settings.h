// Settings store: the settings values under the user's key, the startup and compatibility
// entries, and the program's two folders.
#pragma once

#include <array>

#include "app/ProgramState.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/tasks.h"
#include "platform/text.h"
#include "registry/RegistryHelpers.h"

namespace ql {

constexpr char kStartupValueName[] = "Quillon";
// Where Task Manager's Startup tab records the Run entries the user switched off.
constexpr char kStartupApprovedKey[] =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
// The task scheduler's task that starts the program at logon on Windows Vista and later.
constexpr char kLogonTaskName[] = "Quillon";
constexpr char kLayersKey[] =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
constexpr char kCompatibilityFlags[] = "RUNASADMIN ELEVATECREATEPROCESS";
constexpr char kShellFoldersKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

constexpr char kShowMinimizedValue[] = "ShowMinimized";
constexpr char kDisableMemoryManagementValue[] = "DisableMemoryManagement";

// One boolean setting: its value name under SettingsKey, its default and the flag of the program
// state that mirrors it.
struct BoolSetting {
  const char* valueName;
  bool defaultValue;
  bool& (*flag)(ProgramState& state);
};

// Every setting, in the order LoadSettings reads them.
inline constexpr std::array<BoolSetting, 2> kBoolSettings = {{
    {kShowMinimizedValue, false, [](ProgramState& state) -> bool& { return state.ShowMinimized; }},
    {kDisableMemoryManagementValue, false,
     [](ProgramState& state) -> bool& { return state.Memory.DisableMemoryManagement; }},
}};

// Sets the state's flags to their defaults, then reads each value of SettingsKey (created when
// missing); a missing value, or one that is not a four-byte REG_DWORD, is written with its
// default. When the key cannot be created the values are only read, and when it cannot be opened
// at all the defaults stay. Never throws for registry trouble: the program must start.
void LoadSettings(Registry& registry, ProgramState& state);

// Writes or removes the Run key's value "Quillon" (the executable's full path in quotes, so that a
// path with blanks is not taken for a shorter one). The Run key is not created. True when the
// entry is now as asked.
bool SetStartupEntry(Registry& registry, System& system, bool enable);
bool StartupEntryExists(Registry& registry);

// Whether Task Manager has switched the Run entry off (its StartupApproved value says so).
bool StartupEntryDisabledByUser(Registry& registry);
// Switches a Run entry that Task Manager switched off on again; an entry it has not switched off
// is left as it is. True when the entry is not switched off now.
bool EnableStartupEntryForUser(Registry& registry);

// Windows Vista and later (major version above 5) ask for elevation, and do not start a program
// that asks for it from the Run key at logon: such a program starts through a logon task.
bool IsVistaOrLater(System& system);
// The definition of the logon task that starts the executable (in quotes) when the user logs on:
// with the user's own token at the highest run level, never stopped for running long, also on
// batteries, at the normal priority a start from the Run key has. Empty without a user.
AnsiString StartupTaskXml(const AnsiString& user, const AnsiString& executable);

// On Windows Vista and later, asks the system to run the program elevated from the next start on,
// unless a value for this executable is already there (whatever its data).
void EnsureCompatibilityEntry(Registry& registry, System& system);

// Sets the state's ProgramFolder and UndoFolder, creating the undo folder and its parents; falls
// back to the program folder when the application-data folder cannot be read as a full path or the
// undo folder cannot be created. Both stay empty when the executable's path cannot be had.
void InitProgramFolders(Registry& registry, Files& files, System& system, ProgramState& state);

}  // namespace ql
