// Tests of the settings store on the in-memory registry and file system: loading and repairing
// the values, the startup and compatibility entries, and the two program folders.
#include "app/Settings.h"

#include <gtest/gtest.h>

#include "platform/fake/FakeFiles.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeSystem.h"
#include "registry/ObservedRegistry.h"
#include "registry/RegistryHelpers.h"

namespace ql {
namespace {

constexpr char kExe[] = "C:\\Program Files\\Quillon\\Quillon.exe";
constexpr char kRunPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::uint32_t kSetValue = 0x0002;
constexpr std::uint32_t kCreateSubKey = 0x0004;

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { system.SetExecutablePath(kExe); }
  void TearDown() override {
    EXPECT_EQ(fake.OpenHandleCount(), 0u);
    EXPECT_EQ(fake.InvalidCloseCount(), 0u);
  }

  std::optional<RegValue> Setting(const char* name) const {
    return fake.GetValue(kCurrentUser, SettingsKey, name);
  }

  // Remembers every folder the program asks for, made or not.
  class RecordingFiles : public FakeFiles {
   public:
    bool MakeDirectory(const AnsiString& path) override {
      madeFolders.push_back(path);
      return FakeFiles::MakeDirectory(path);
    }
    StringList madeFolders;
  };

  FakeRegistry fake;
  test::ObservedRegistry registry{fake};
  FakeSystem system;
  RecordingFiles files;
  ProgramState state;
};

TEST_F(SettingsTest, FirstStartCreatesTheKeyWithDefaults) {
  LoadSettings(registry, state);
  EXPECT_FALSE(state.ShowMinimized);
  EXPECT_FALSE(state.Memory.DisableMemoryManagement);
  for (const char* name : {"ShowMinimized", "DisableMemoryManagement"}) {
    ASSERT_TRUE(Setting(name).has_value()) << name;
    EXPECT_EQ(Setting(name)->type, regtype::kDword);
    EXPECT_EQ(Setting(name)->data, (Bytes{0, 0, 0, 0}));
  }
}

TEST_F(SettingsTest, StoredValuesAreReadAndLeftAsTheyAre) {
  fake.SetDword(kCurrentUser, SettingsKey, "SHOWMINIMIZED", 1);
  fake.SetDword(kCurrentUser, SettingsKey, kDisableMemoryManagementValue, 0x100);
  state.ShowMinimized = false;
  LoadSettings(registry, state);
  EXPECT_TRUE(state.ShowMinimized);
  EXPECT_TRUE(state.Memory.DisableMemoryManagement);  // any non-zero number is true
  EXPECT_EQ(Setting(kDisableMemoryManagementValue)->data, (Bytes{0, 1, 0, 0}));
}

TEST_F(SettingsTest, DeletedValueIsRecreatedAndTheOtherKept) {
  fake.SetDword(kCurrentUser, SettingsKey, kShowMinimizedValue, 1);
  LoadSettings(registry, state);
  EXPECT_TRUE(state.ShowMinimized);
  EXPECT_EQ(Setting(kShowMinimizedValue)->data, (Bytes{1, 0, 0, 0}));
  EXPECT_EQ(Setting(kDisableMemoryManagementValue)->data, (Bytes{0, 0, 0, 0}));
}

TEST_F(SettingsTest, VariablesStartFromTheirDefaults) {
  fake.SetDword(kCurrentUser, SettingsKey, kShowMinimizedValue, 0);
  state.ShowMinimized = true;
  state.Memory.DisableMemoryManagement = true;
  LoadSettings(registry, state);
  EXPECT_FALSE(state.ShowMinimized);
  EXPECT_FALSE(state.Memory.DisableMemoryManagement);
}

struct WrongValueCase {
  const char* what;
  std::uint32_t type;
  Bytes data;
};

// A value the program cannot read counts as its default and is rewritten as one, so the store
// shows what the program uses.
TEST_F(SettingsTest, ValueOfAnotherTypeOrSizeIsReadAndRewrittenAsTheDefault) {
  const WrongValueCase cases[] = {
      {"string one", regtype::kString, Bytes{'1', 0}},
      {"binary one", regtype::kBinary, Bytes{1, 0, 0, 0}},
      {"qword one", regtype::kQword, Bytes{1, 0, 0, 0, 0, 0, 0, 0}},
      {"dword of two bytes", regtype::kDword, Bytes{1, 0}},
      {"dword of no bytes", regtype::kDword, Bytes{}},
      {"multi string", regtype::kMultiString, Bytes{'1', 0, 0}},
  };
  for (const WrongValueCase& c : cases) {
    fake.SetValue(kCurrentUser, SettingsKey, kShowMinimizedValue, c.type, c.data);
    state.ShowMinimized = true;
    LoadSettings(registry, state);
    EXPECT_FALSE(state.ShowMinimized) << c.what;
    EXPECT_EQ(Setting(kShowMinimizedValue)->type, regtype::kDword) << c.what;
    EXPECT_EQ(Setting(kShowMinimizedValue)->data, (Bytes{0, 0, 0, 0})) << c.what;
  }
}

TEST_F(SettingsTest, KeyThatCannotBeCreatedLeavesDefaultsAndWritesNothing) {
  fake.AddKey(kCurrentUser, "SOFTWARE");
  fake.DenyAccess(kCurrentUser, "SOFTWARE", kCreateSubKey);
  state.ShowMinimized = true;
  EXPECT_NO_THROW(LoadSettings(registry, state));
  EXPECT_FALSE(state.ShowMinimized);
  EXPECT_FALSE(fake.HasKey(kCurrentUser, SettingsKey));
}

TEST_F(SettingsTest, ReadOnlyKeyIsReadButNotWritten) {
  fake.SetDword(kCurrentUser, SettingsKey, kDisableMemoryManagementValue, 1);
  fake.DenyAccess(kCurrentUser, SettingsKey, kSetValue);
  LoadSettings(registry, state);
  EXPECT_TRUE(state.Memory.DisableMemoryManagement);
  EXPECT_FALSE(Setting(kShowMinimizedValue).has_value());
}

TEST_F(SettingsTest, KeyThatRefusesEveryOpenLeavesDefaults) {
  fake.SetDword(kCurrentUser, SettingsKey, kShowMinimizedValue, 1);
  fake.DenyAccess(kCurrentUser, SettingsKey, 0xFFFFFFFF);
  EXPECT_NO_THROW(LoadSettings(registry, state));
  EXPECT_FALSE(state.ShowMinimized);
}

TEST_F(SettingsTest, RefusedWritesOfDefaultsDoNotStopTheStart) {
  registry.refuseWrites = true;
  fake.SetDword(kCurrentUser, SettingsKey, kDisableMemoryManagementValue, 1);
  EXPECT_NO_THROW(LoadSettings(registry, state));
  EXPECT_TRUE(state.Memory.DisableMemoryManagement);
  EXPECT_FALSE(Setting(kShowMinimizedValue).has_value());
}

TEST_F(SettingsTest, OptionsWriteOneSettingThroughTheHelper) {
  WriteBoolValue(registry, kCurrentUser, SettingsKey, kShowMinimizedValue, true);
  LoadSettings(registry, state);
  EXPECT_TRUE(state.ShowMinimized);
}

TEST_F(SettingsTest, StartupEntryOnTwiceLeavesOneValueWithTheExecutablePath) {
  fake.AddKey(kCurrentUser, kRunPath);
  EXPECT_TRUE(SetStartupEntry(registry, system, true));
  EXPECT_TRUE(SetStartupEntry(registry, system, true));
  EXPECT_EQ(fake.Values(kCurrentUser, kRunPath).size(), 1u);
  EXPECT_EQ(fake.GetValue(kCurrentUser, kRunPath, "Quillon")->type, regtype::kString);
  EXPECT_EQ(fake.GetString(kCurrentUser, kRunPath, "Quillon"), '"' + AnsiString(kExe) + '"');
  EXPECT_TRUE(StartupEntryExists(registry));
}

TEST_F(SettingsTest, StartupEntryFollowsAMovedExecutable) {
  fake.AddKey(kCurrentUser, kRunPath);
  SetStartupEntry(registry, system, true);
  system.SetExecutablePath("D:\\Tools\\Quillon.exe");
  SetStartupEntry(registry, system, true);
  EXPECT_EQ(fake.GetString(kCurrentUser, kRunPath, "Quillon"), "\"D:\\Tools\\Quillon.exe\"");
}

TEST_F(SettingsTest, StartupEntryOffRemovesOnlyOurValue) {
  fake.SetString(kCurrentUser, kRunPath, "Quillon", "old");
  fake.SetString(kCurrentUser, kRunPath, "Other", "other.exe");
  EXPECT_TRUE(SetStartupEntry(registry, system, false));
  EXPECT_FALSE(StartupEntryExists(registry));
  EXPECT_TRUE(fake.HasValue(kCurrentUser, kRunPath, "Other"));
  EXPECT_TRUE(SetStartupEntry(registry, system, false));
  EXPECT_EQ(fake.Values(kCurrentUser, kRunPath).size(), 1u);
}

TEST_F(SettingsTest, StartupEntryNeedsAnExistingRunKey) {
  EXPECT_FALSE(SetStartupEntry(registry, system, true));
  EXPECT_FALSE(fake.HasKey(kCurrentUser, kRunPath));
  EXPECT_FALSE(StartupEntryExists(registry));
}

TEST_F(SettingsTest, StartupEntryReportsFailures) {
  fake.AddKey(kCurrentUser, kRunPath);
  system.SetExecutablePath("");
  EXPECT_FALSE(SetStartupEntry(registry, system, true));
  EXPECT_FALSE(StartupEntryExists(registry));
  system.SetExecutablePath(kExe);
  registry.refuseWrites = true;
  EXPECT_FALSE(SetStartupEntry(registry, system, true));
  fake.SetString(kCurrentUser, kRunPath, "Quillon", kExe);
  EXPECT_FALSE(SetStartupEntry(registry, system, false));
  EXPECT_TRUE(StartupEntryExists(registry));
}

// A user or folder name with "&" or "<" must not break the task's definition, and a task for no
// user in particular would start the program at every user's logon.
TEST_F(SettingsTest, StartupTaskNamesItsUserAndEscapesNames) {
  const AnsiString xml = StartupTaskXml("PC\\R&D <1>", "C:\\A & B\\Quillon.exe");
  EXPECT_NE(xml.find("<UserId>PC\\R&amp;D &lt;1&gt;</UserId>"), AnsiString::npos);
  EXPECT_NE(xml.find("<Command>\"C:\\A &amp; B\\Quillon.exe\"</Command>"), AnsiString::npos);
  EXPECT_EQ(xml.find("{"), AnsiString::npos);
  EXPECT_EQ(StartupTaskXml("", kExe), "");
}

struct CompatibilityCase {
  std::uint32_t major;
  bool written;
};

TEST_F(SettingsTest, CompatibilityEntryOnlyFromWindowsVistaOn) {
  const CompatibilityCase cases[] = {{4, false}, {5, false}, {6, true}, {10, true}};
  for (const CompatibilityCase& c : cases) {
    fake.DeleteTree(kCurrentUser, "Software");
    system.SetVersion(VersionInfo{2, c.major, 0});
    EnsureCompatibilityEntry(registry, system);
    EXPECT_EQ(fake.HasValue(kCurrentUser, kLayersKey, kExe), c.written) << c.major;
  }
  const auto value = fake.GetValue(kCurrentUser, kLayersKey, kExe);
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->type, regtype::kString);
  EXPECT_EQ(fake.GetString(kCurrentUser, kLayersKey, kExe), kCompatibilityFlags);
}

TEST_F(SettingsTest, CompatibilityEntryKeepsAnExistingValueWhateverItsData) {
  fake.SetString(kCurrentUser, kLayersKey, kExe, "WINXPSP3");
  EnsureCompatibilityEntry(registry, system);
  EXPECT_EQ(fake.GetString(kCurrentUser, kLayersKey, kExe), "WINXPSP3");
}

TEST_F(SettingsTest, CompatibilityEntryOfAMovedExecutableLeavesTheOldOne) {
  EnsureCompatibilityEntry(registry, system);
  system.SetExecutablePath("D:\\Quillon.exe");
  EnsureCompatibilityEntry(registry, system);
  EXPECT_TRUE(fake.HasValue(kCurrentUser, kLayersKey, kExe));
  EXPECT_TRUE(fake.HasValue(kCurrentUser, kLayersKey, "D:\\Quillon.exe"));
}

TEST_F(SettingsTest, CompatibilityEntryNeverStopsTheStart) {
  registry.refuseWrites = true;
  EXPECT_NO_THROW(EnsureCompatibilityEntry(registry, system));
  registry.refuseWrites = false;
  system.SetExecutablePath("");
  EnsureCompatibilityEntry(registry, system);
  EXPECT_FALSE(fake.HasValue(kCurrentUser, kLayersKey, ""));
}

constexpr char kShellFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

struct FolderCase {
  const char* what;
  const char* executable;
  const char* appData;  // null: no value
  const char* programFolder;
  const char* undoFolder;
};

TEST_F(SettingsTest, ProgramFoldersFromTheExecutableAndTheApplicationDataFolder) {
  const FolderCase cases[] = {
      {"upper case up to the application data", kExe, "  C:\\Users\\Ann\\AppData\\Roaming ",
       "C:\\Program Files\\Quillon", "C:\\USERS\\ANN\\APPDATA\\ROAMING\\Quillon\\"},
      {"trailing delimiter not doubled", kExe, "C:\\Data\\", "C:\\Program Files\\Quillon",
       "C:\\DATA\\Quillon\\"},
      {"executable at a drive root", "C:\\Quillon.exe", "C:\\Data", "C:", "C:\\DATA\\Quillon\\"},
      {"folder on a missing drive falls back", kExe, "Q:\\Data", "C:\\Program Files\\Quillon",
       "C:\\Program Files\\Quillon\\"},
      // A value that cannot be read as a full path would put the folder at the root of the
      // current drive or below the current folder.
      {"missing value", kExe, nullptr, "C:\\Program Files\\Quillon",
       "C:\\Program Files\\Quillon\\"},
      {"blank value", kExe, "  ", "C:\\Program Files\\Quillon", "C:\\Program Files\\Quillon\\"},
      {"rooted without a drive", kExe, "\\Data", "C:\\Program Files\\Quillon",
       "C:\\Program Files\\Quillon\\"},
      {"relative", kExe, "AppData", "C:\\Program Files\\Quillon", "C:\\Program Files\\Quillon\\"},
      {"drive without a folder", kExe, "D:", "C:\\Program Files\\Quillon",
       "C:\\Program Files\\Quillon\\"},
      {"not expanded", kExe, "%USERPROFILE%\\AppData\\Roaming", "C:\\Program Files\\Quillon",
       "C:\\Program Files\\Quillon\\"},
      // Without the program's own folder there is no undo folder, never the current drive's root.
      {"executable path unknown", "", "AppData", "", ""},
  };
  files.AddFolder("C:\\Data");
  for (const FolderCase& c : cases) {
    system.SetExecutablePath(c.executable);
    fake.DeleteTree(kCurrentUser, "SOFTWARE");
    if (c.appData != nullptr)
      fake.SetString(kCurrentUser, kShellFolders, "AppData", c.appData);
    files.madeFolders.clear();
    InitProgramFolders(registry, files, system, state);
    EXPECT_EQ(state.ProgramFolder, c.programFolder) << c.what;
    EXPECT_EQ(state.UndoFolder, c.undoFolder) << c.what;
    for (const AnsiString& folder : files.madeFolders) {
      EXPECT_TRUE(folder.size() > 2 && folder[1] == ':' && folder[2] == '\\')
          << c.what << ": made " << folder;
    }
  }
}

TEST_F(SettingsTest, UndoFolderIsCreatedWithItsParents) {
  fake.SetString(kCurrentUser, kShellFolders, "AppData", "C:\\Users\\Ann\\AppData\\Roaming");
  InitProgramFolders(registry, files, system, state);
  EXPECT_TRUE(files.IsFolder("C:\\Users\\Ann\\AppData\\Roaming\\Quillon"));
}

TEST_F(SettingsTest, UndoFolderBlockedByAFileFallsBackToTheProgramFolder) {
  fake.SetString(kCurrentUser, kShellFolders, "AppData", "C:\\Data");
  files.AddFile("C:\\Data\\Quillon");
  InitProgramFolders(registry, files, system, state);
  EXPECT_EQ(state.UndoFolder, "C:\\Program Files\\Quillon\\");
}

}  // namespace
}  // namespace ql
