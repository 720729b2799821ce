// Settings store: the settings values under the user's key, the startup and compatibility
// entries, and the program's two folders.
#include "app/Settings.h"

#include "registry/PathResolution.h"
#include "registry/RegistryHelpers.h"

namespace ql {

namespace {

// A value the program can read: a REG_DWORD of four bytes; any non-zero number is true.
bool ReadStoredBool(Registry& registry, RegHandle key, const char* name, bool& flag) {
  std::uint32_t type = regtype::kNone;
  Bytes data;
  if (!registry.QueryValue(key, name, type, &data) || type != regtype::kDword || data.size() != 4)
    return false;
  flag = data[0] != 0 || data[1] != 0 || data[2] != 0 || data[3] != 0;
  return true;
}

// A missing value, or one of another type or size, is (re)written with the default, so the store
// shows what the program uses.
void LoadBoolSetting(Registry& registry, RegHandle key, bool writable, const BoolSetting& setting,
                     ProgramState& state) {
  if (ReadStoredBool(registry, key, setting.valueName, setting.flag(state)))
    return;
  if (writable)
    registry.SetValue(key, setting.valueName, regtype::kDword, DwordData(setting.defaultValue));
}

AnsiString FolderOf(const AnsiString& path) {
  const std::size_t backslash = path.rfind('\\');
  if (backslash != AnsiString::npos)
    return path.substr(0, backslash);
  const std::size_t colon = path.rfind(':');
  return colon == AnsiString::npos ? AnsiString() : path.substr(0, colon + 1);
}

}  // namespace

void LoadSettings(Registry& registry, ProgramState& state) {
  for (const BoolSetting& setting : kBoolSettings)
    setting.flag(state) = setting.defaultValue;
  RegKey key(registry);
  const bool writable = key.Create(kCurrentUser, SettingsKey, FullAccess64);
  if (!writable && !key.Open(kCurrentUser, SettingsKey, regaccess::kRead))
    return;
  for (const BoolSetting& setting : kBoolSettings)
    LoadBoolSetting(registry, key.Get(), writable, setting, state);
}

bool SetStartupEntry(Registry& registry, System& system, bool enable) {
  RegKey key(registry);
  if (!key.Open(kCurrentUser, NormalizeKeyPath(kRunKey), FullAccess64))
    return false;
  if (enable) {
    const AnsiString executable = system.ExecutablePath();
    return !executable.empty() && registry.SetValue(key.Get(), kStartupValueName, regtype::kString,
                                                    StringData(executable));
  }
  std::uint32_t type = regtype::kNone;
  if (!registry.QueryValue(key.Get(), kStartupValueName, type, nullptr))
    return true;
  return registry.DeleteValue(key.Get(), kStartupValueName);
}

bool StartupEntryExists(Registry& registry) {
  return ValueExists(registry, kCurrentUser, kRunKey, kStartupValueName);
}

void EnsureCompatibilityEntry(Registry& registry, System& system) {
  if (system.Version().major <= 5)  // before Windows Vista
    return;
  const AnsiString executable = system.ExecutablePath();
  // An empty name would be the Layers key's default value, not an entry for this program.
  if (executable.empty() || ValueExists(registry, kCurrentUser, kLayersKey, executable))
    return;
  // A refused write only means the program will not ask for elevation; it still starts.
  TryWriteStringValue(registry, kCurrentUser, kLayersKey, executable, kCompatibilityFlags);
}

void InitProgramFolders(Registry& registry, Files& files, System& system, ProgramState& state) {
  state.ProgramFolder = FolderOf(system.ExecutablePath());
  const AnsiString appData = ReadStringValue(registry, kCurrentUser, kShellFoldersKey, "AppData");
  // A missing, empty or relative (unexpanded) value would put the folder at the root of the
  // current drive or below the current folder: the program's own folder is used instead.
  state.UndoFolder = WithTrailingBackslash(appData) + "Quillon\\";
  if (!IsFullPath(appData) || !ForceDirectories(files, state.UndoFolder))
    state.UndoFolder = WithTrailingBackslash(state.ProgramFolder);
}

}  // namespace ql
