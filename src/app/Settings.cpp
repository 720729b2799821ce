// Settings store: the settings values under the user's key, the startup and compatibility
// entries, and the program's two folders.
#include "app/Settings.h"

#include "paths/PathResolution.h"
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

// Task Manager keeps 12 bytes per entry: the first says whether it is on (02, also 06) or off
// (03), the rest is when it was switched off.
constexpr std::size_t kApprovalSize = 12;
constexpr std::uint8_t kApprovedOn = 0x02;
constexpr std::uint8_t kApprovalOffBit = 0x01;

bool IsSwitchedOff(std::uint32_t type, const Bytes& data) {
  return type == regtype::kBinary && !data.empty() && (data[0] & kApprovalOffBit) != 0;
}

// The logon task's definition in the Task Scheduler schema of Windows Vista (version 1.2).
// Priority 4 is the normal priority class; the scheduler's default, 7, is below normal.
constexpr char kStartupTaskTemplate[] =
    R"(<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">
  <Triggers>
    <LogonTrigger>
      <UserId>{user}</UserId>
    </LogonTrigger>
  </Triggers>
  <Principals>
    <Principal id="Author">
      <UserId>{user}</UserId>
      <LogonType>InteractiveToken</LogonType>
      <RunLevel>HighestAvailable</RunLevel>
    </Principal>
  </Principals>
  <Settings>
    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>
    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>
    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>
    <Priority>4</Priority>
  </Settings>
  <Actions Context="Author">
    <Exec>
      <Command>{command}</Command>
    </Exec>
  </Actions>
</Task>
)";

void ReplaceAll(AnsiString& text, const AnsiString& placeholder, const AnsiString& value) {
  for (std::size_t at = text.find(placeholder); at != AnsiString::npos;
       at = text.find(placeholder, at + value.size()))
    text.replace(at, placeholder.size(), value);
}

// Text inside an XML element: a folder or user name may hold "&" or "<".
AnsiString EscapeXml(const AnsiString& text) {
  AnsiString escaped;
  for (const char c : text) {
    if (c == '&')
      escaped += "&amp;";
    else if (c == '<')
      escaped += "&lt;";
    else if (c == '>')
      escaped += "&gt;";
    else
      escaped += c;
  }
  return escaped;
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
  if (!key.Open(kCurrentUser, NormalizeKeyPath(kRunPath), FullAccess64))
    return false;
  if (enable) {
    const AnsiString executable = system.ExecutablePath();
    return !executable.empty() && registry.SetValue(key.Get(), kStartupValueName, regtype::kString,
                                                    StringData('"' + executable + '"'));
  }
  std::uint32_t type = regtype::kNone;
  if (!registry.QueryValue(key.Get(), kStartupValueName, type, nullptr))
    return true;
  return registry.DeleteValue(key.Get(), kStartupValueName);
}

bool StartupEntryExists(Registry& registry) {
  return ValueExists(registry, kCurrentUser, kRunPath, kStartupValueName);
}

bool StartupEntryDisabledByUser(Registry& registry) {
  RegKey key(registry);
  if (!key.Open(kCurrentUser, NormalizeKeyPath(kStartupApprovedKey), regaccess::kRead))
    return false;
  std::uint32_t type = regtype::kNone;
  Bytes data;
  return registry.QueryValue(key.Get(), kStartupValueName, type, &data) &&
         IsSwitchedOff(type, data);
}

bool EnableStartupEntryForUser(Registry& registry) {
  if (!StartupEntryDisabledByUser(registry))
    return true;
  RegKey key(registry);
  if (!key.Open(kCurrentUser, NormalizeKeyPath(kStartupApprovedKey), FullAccess64))
    return false;
  Bytes on(kApprovalSize, 0);
  on[0] = kApprovedOn;
  return registry.SetValue(key.Get(), kStartupValueName, regtype::kBinary, on);
}

bool IsVistaOrLater(System& system) {
  return system.Version().major > 5;
}

AnsiString StartupTaskXml(const AnsiString& user, const AnsiString& executable) {
  if (user.empty())
    return AnsiString();
  AnsiString xml = kStartupTaskTemplate;
  ReplaceAll(xml, "{user}", EscapeXml(user));
  ReplaceAll(xml, "{command}", EscapeXml('"' + executable + '"'));
  return xml;
}

void EnsureCompatibilityEntry(Registry& registry, System& system) {
  if (!IsVistaOrLater(system))
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
