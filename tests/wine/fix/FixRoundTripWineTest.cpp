// The scan, fix and undo round trip under Wine with the real registry and the real regedit:
// planted problems of every category, hostile names among them, are found, removed by the fix
// script and brought back byte for byte by the undo script.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "fix/FixPipeline.h"
#include "fix/RegistryScanner.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"
#include "unit/fix/KeyDeletionBackups.h"

namespace ql {
namespace {

class NoPump final : public Pump {
 public:
  void ProcessMessages() override {}
};

struct ValueDump {
  AnsiString name;
  std::uint32_t type;
  Bytes data;
  bool operator==(const ValueDump& other) const {
    return name == other.name && type == other.type && data == other.data;
  }
};

// A key's subtree: relative path -> its values by name, as the real registry lists them.
using TreeDump = std::map<AnsiString, std::map<AnsiString, ValueDump>>;

void DumpInto(Registry& registry, RegRoot root, const AnsiString& path, const AnsiString& relative,
              TreeDump& dump) {
  RegKey key(registry);
  if (!key.Open(root, path, KEY_READ | KEY_WOW64_64KEY))
    return;
  auto& values = dump[relative];
  AnsiString name;
  for (std::uint32_t i = 0; registry.EnumValue(key.Get(), i, name); ++i) {
    ValueDump value{name, 0, {}};
    registry.QueryValue(key.Get(), name, value.type, &value.data);
    values[name] = value;
  }
  for (std::uint32_t i = 0; registry.EnumKey(key.Get(), i, name); ++i)
    DumpInto(registry, root, path + "\\" + name, relative + "\\" + name, dump);
}

TreeDump DumpTree(Registry& registry, RegRoot root, const AnsiString& path) {
  TreeDump dump;
  DumpInto(registry, root, path, "", dump);
  return dump;
}

Bytes Text(const AnsiString& text) {
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

// One planted entry: where it lives, what the scan must say about it, and what the fix leaves.
struct Planted {
  RegRoot root;
  AnsiString key;        // the subtree that is compared before and after
  AnsiString finding;    // the description line, empty for a healthy entry
  AnsiString goneKey;    // a key the fix must remove (empty: none)
  AnsiString goneValue;  // a value of `key` the fix must remove
};

const AnsiString kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
const AnsiString kSharedDlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const AnsiString kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const AnsiString kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const AnsiString kFonts = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
const AnsiString kHelp = "SOFTWARE\\Microsoft\\Windows\\Help";
const AnsiString kEvent = "AppEvents\\Schemes\\Apps\\.Default\\QlEvent \"x\"";

class FixRoundTripWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    undoFolder = AnsiString(temp) + "QlFixWine\\";
    CreateDirectoryA(undoFolder.c_str(), nullptr);
    healthyFile = undoFolder + "here.exe";
    HANDLE file =
        CreateFileA(healthyFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
  }
  void TearDown() override {
    for (const Planted& entry : planted)
      DeleteNative(entry);
    for (const char* name : {"here.exe", "tmp.reg", "Quillon.reg"})
      DeleteFileA((undoFolder + name).c_str());
    WIN32_FIND_DATAA data{};
    HANDLE search = FindFirstFileA((undoFolder + "Quillon_*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileA((undoFolder + data.cFileName).c_str());
      } while (FindNextFileA(search, &data));
      FindClose(search);
    }
    RemoveDirectoryA((undoFolder + "tmp.reg").c_str());
    RemoveDirectoryA(undoFolder.c_str());
  }

  // In the native view, where the entries were planted: a 32-bit test's plain calls would clean
  // the 32-bit view and leave the entries behind for the next tests of the prefix.
  static void DeleteNative(const Planted& entry) {
    win32::UniqueHKey key;
    if (RegOpenKeyExA(Root(entry.root), entry.key.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                      key.put()) != ERROR_SUCCESS)
      return;
    if (!entry.goneValue.empty()) {
      RegDeleteValueA(key.get(), entry.goneValue.c_str());
      return;
    }
    RegDeleteTreeA(key.get(), nullptr);
    key.reset();
    RegDeleteKeyExA(Root(entry.root), entry.key.c_str(), KEY_WOW64_64KEY, 0);
  }

  static HKEY Root(RegRoot root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
  }

  void Set(RegRoot root, const AnsiString& key, const AnsiString& name, std::uint32_t type,
           const Bytes& data) {
    RegKey handle(registry());
    ASSERT_TRUE(handle.Create(root, key, KEY_ALL_ACCESS | KEY_WOW64_64KEY)) << key;
    ASSERT_TRUE(registry().SetValue(handle.Get(), name, type, data)) << key << " " << name;
  }
  void SetText(RegRoot root, const AnsiString& key, const AnsiString& name, const AnsiString& text,
               std::uint32_t type = REG_SZ) {
    Set(root, key, name, type, Text(text));
  }

  void PlantEverything() {
    const AnsiString ext = ".ql]\"=@\xE9 ";
    SetText(kClassesRoot, ext, "", "QlMissingClass");
    Set(kClassesRoot, ext + "\\ShellNew", "Data", REG_BINARY, {0, 1, 0xFE});
    planted.push_back({kClassesRoot, ext, "Invalid handler " + ext, ext, ""});

    SetText(kClassesRoot, ".qlok", "", "QlOkClass");
    SetText(kClassesRoot, "QlOkClass", "", "fine");
    planted.push_back({kClassesRoot, ".qlok", "", "", ""});
    planted.push_back({kClassesRoot, "QlOkClass", "", "", ""});

    const AnsiString appPath = kAppPaths + "ql gone [1].exe";
    SetText(kLocalMachine, appPath, "", "C:\\qlgone\\ql.exe");
    SetText(kLocalMachine, appPath, "Path", "C:\\qlgone", REG_EXPAND_SZ);
    planted.push_back(
        {kLocalMachine, appPath, "Software does not exist: ql gone [1].exe", appPath, ""});

    const AnsiString library = "C:\\qlgone\\a'b=[1]\\c.dll";
    Set(kLocalMachine, kSharedDlls, library, REG_DWORD, {5, 0, 0, 0});
    planted.push_back(
        {kLocalMachine, kSharedDlls, "Library does not exist: " + library, "", library});

    const AnsiString application = "Applications\\qlapp.exe";
    SetText(kClassesRoot, application + "\\shell\\open\\command", "",
            "\"C:\\qlgone\\qlapp.exe\" \"%1\"");
    planted.push_back({kClassesRoot, application, "Program does not exist: C:\\QLGONE\\QLAPP.EXE",
                       application, ""});

    const AnsiString clsid = "CLSID\\{QL000000-0000-0000-0000-00000000TEST}";
    SetText(kClassesRoot, clsid + "\\InprocServer32", "", "C:\\qlgone\\qlsrv.dll");
    SetText(kClassesRoot, clsid + "\\InprocServer32", "ThreadingModel", "Both");
    SetText(kClassesRoot, clsid, "", "Quillon test class");
    planted.push_back(
        {kClassesRoot, clsid, "Invalid Server32: QLSRV.DLL", clsid + "\\InprocServer32", ""});

    SetText(kClassesRoot, "qltest.class\\CLSID", "", "{ql-missing}");
    SetText(kClassesRoot, "qltest.class\\DefaultIcon", "", "C:\\qlgone\\icon.dll,0");
    planted.push_back(
        {kClassesRoot, "qltest.class", "Invalid CLSID: {QL-MISSING}", "qltest.class", ""});

    SetText(kClassesRoot, "qlicon.class\\DefaultIcon", "", "C:\\qlgone\\qlicon.dll,3");
    planted.push_back({kClassesRoot, "qlicon.class", "Invalid icon: QLICON.DLL",
                       "qlicon.class\\DefaultIcon", ""});

    const AnsiString runName = "ql \"run\" \\x";
    SetText(kCurrentUser, kRun, runName, "%ProgramFiles%\\qlgone\\x.exe -q", REG_EXPAND_SZ);
    planted.push_back({kCurrentUser, kRun,
                       "Startup file does not exist: C:\\Program Files\\QLGONE\\X.EXE", "",
                       runName});
    SetText(kCurrentUser, kRun, "qlok", "\"" + healthyFile + "\" /tray");
    planted.push_back({kCurrentUser, kRun, "", "", "qlok"});

    Set(kLocalMachine, kRun, "qlmulti", REG_MULTI_SZ, {'a', 0, 'b', 0, 0});
    planted.push_back({kLocalMachine, kRun, "Startup file does not exist: ", "", "qlmulti"});
    Set(kLocalMachine, kRun, "qlqword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});
    planted.push_back({kLocalMachine, kRun, "Startup file does not exist: ", "", "qlqword"});

    const AnsiString product = kUninstall + "ql orphan [1] ";
    SetText(kLocalMachine, product, "DisplayName", "Gone product");
    Set(kLocalMachine, product, "EstimatedSize", REG_DWORD, {0x10, 0, 0, 0});
    planted.push_back(
        {kLocalMachine, product, "Invalid uninstall path: ql orphan [1] ", product, ""});

    SetText(kLocalMachine, kFonts, "QL \"Font\" (TrueType)", "qlgone.ttf");
    planted.push_back({kLocalMachine, kFonts, "Font file does not exist: QLGONE.TTF", "",
                       "QL \"Font\" (TrueType)"});

    SetText(kLocalMachine, kHelp, "ql\\help.hlp", "C:\\qlgonehelp");
    planted.push_back({kLocalMachine, kHelp,
                       "Help file does not exist: C:\\QLGONEHELP\\QL\\HELP.HLP", "",
                       "ql\\help.hlp"});

    SetText(kCurrentUser, kEvent + "\\.Current", "", "C:\\qlgone\\a.wav");
    SetText(kCurrentUser, kEvent + "\\.Default", "", "C:\\qlgone\\b.wav");
    planted.push_back(
        {kCurrentUser, kEvent, "Sound file does not exist: C:\\QLGONE\\A.WAV", "", ""});
    planted.push_back(
        {kCurrentUser, kEvent, "Sound file does not exist: C:\\QLGONE\\B.WAV", "", ""});
  }

  Registry& registry() { return platform.registry; }

  void Scan(ScanState& state, FixPipeline& pipeline) {
    RegistryScanner scanner(platform, state, pipeline);
    Scan(scanner, state, pipeline);
  }
  void Scan(RegistryScanner& scanner, ScanState& state, FixPipeline& pipeline) {
    pipeline.RefreshFolders();
    pipeline.PrepareFixScripts();
    state.Scanning = true;
    RunAllChecks(scanner);
  }

  Bytes FileBytes(const AnsiString& name) {
    Bytes bytes;
    platform.files.ReadWholeFile(undoFolder + name, bytes);
    return bytes;
  }

  AnsiString ReadDefault(RegRoot root, const AnsiString& key) {
    RegKey handle(registry());
    std::uint32_t type = 0;
    Bytes data;
    if (!handle.Open(root, key, KEY_READ | KEY_WOW64_64KEY) ||
        !registry().QueryValue(handle.Get(), "", type, &data))
      return "<missing>";
    return AnsiString(data.begin(), std::find(data.begin(), data.end(), 0));
  }

  bool ValuePresent(RegRoot root, const AnsiString& key, const AnsiString& name) {
    RegKey handle(registry());
    std::uint32_t type = 0;
    return handle.Open(root, key, KEY_READ | KEY_WOW64_64KEY) &&
           registry().QueryValue(handle.Get(), name, type, nullptr);
  }

  NoPump pump;
  win32::Win32Platform system;
  Platform platform = system.platform(pump);
  std::vector<Planted> planted;
  AnsiString undoFolder;
  AnsiString healthyFile;
};

TEST_F(FixRoundTripWineTest, PlantedProblemsAreFixedByRegeditAndUndoneByteForByte) {
  PlantEverything();
  if (HasFatalFailure())
    return;
  std::vector<TreeDump> before;
  for (const Planted& entry : planted)
    before.push_back(DumpTree(registry(), entry.root, entry.key));

  ScanState state;
  FixPipeline pipeline(platform, state, undoFolder);
  Scan(state, pipeline);
  EXPECT_TRUE(state.NotBackedUp.empty());
  StringList findings;
  for (const StringList& lines : state.CategoryErrors)
    findings.insert(findings.end(), lines.begin(), lines.end());
  for (const Planted& entry : planted) {
    if (!entry.finding.empty()) {
      EXPECT_NE(std::find(findings.begin(), findings.end(), entry.finding), findings.end())
          << entry.finding;
    }
  }
  for (const AnsiString& line : findings)
    EXPECT_EQ(line.find("qlok"), AnsiString::npos) << line;

  // The two sounds of the event whose sounds are both missing now name each other's missing
  // file: changed, but not counted as fixed.
  const std::uint32_t fixed = pipeline.WriteFixFiles();
  const Bytes log = FileBytes(state.LogFileName);
  EXPECT_EQ(fixed, state.ErrorCount - 2) << AnsiString(log.begin(), log.end());
  EXPECT_TRUE(KeyDeletionsAreBackedUp(FileBytes(kFixScriptFileName), FileBytes(state.UndoFileName),
                                      platform.codePage));
  for (const Planted& entry : planted) {
    if (!entry.goneKey.empty()) {
      RegKey handle(registry());
      EXPECT_FALSE(handle.Open(entry.root, entry.goneKey, KEY_READ | KEY_WOW64_64KEY))
          << entry.goneKey;
    }
    if (!entry.goneValue.empty() && !entry.finding.empty()) {
      EXPECT_FALSE(ValuePresent(entry.root, entry.key, entry.goneValue)) << entry.goneValue;
    }
  }
  EXPECT_TRUE(ValuePresent(kCurrentUser, kRun, "qlok"));
  EXPECT_EQ(ReadDefault(kClassesRoot, ".qlok"), "QlOkClass");
  EXPECT_EQ(ReadDefault(kClassesRoot, "CLSID\\{QL000000-0000-0000-0000-00000000TEST}"),
            "Quillon test class");
  EXPECT_EQ(ReadDefault(kCurrentUser, kEvent + "\\.Current"), "C:\\QLGONE\\B.WAV");
  EXPECT_EQ(ReadDefault(kCurrentUser, kEvent + "\\.Default"), "C:\\QLGONE\\A.WAV");

  RunRegEdit(platform.launcher, pipeline.Folders().windowsFolder,
             UndoImportArguments(undoFolder + state.UndoFileName));
  for (std::size_t i = 0; i < planted.size(); ++i)
    EXPECT_TRUE(DumpTree(registry(), planted[i].root, planted[i].key) == before[i])
        << "not restored: " << planted[i].key;
}

// The fix works on the registry as it is when it runs: a start-up entry whose program was put
// back after the scan is left alone and not counted.
TEST_F(FixRoundTripWineTest, AFindingRepairedBeforeTheFixIsLeftAloneAndNotCounted) {
  const AnsiString later = undoFolder + "later.exe";
  SetText(kCurrentUser, kRun, "qlrepaired", later);
  planted.push_back({kCurrentUser, kRun, "", "", "qlrepaired"});
  SetText(kCurrentUser, kRun, "qlbroken", "C:\\qlgone\\broken.exe");
  planted.push_back({kCurrentUser, kRun, "", "", "qlbroken"});
  ScanState state;
  FixPipeline pipeline(platform, state, undoFolder);
  RegistryScanner scanner(platform, state, pipeline);
  Scan(scanner, state, pipeline);
  state.Scanning = false;
  // Only the two planted entries are examined again: the prefix's own findings stay as they are.
  state.Examined.erase(std::remove_if(state.Examined.begin(), state.Examined.end(),
                                      [](const ExaminedEntry& entry) {
                                        return entry.name != "qlrepaired" &&
                                               entry.name != "qlbroken";
                                      }),
                       state.Examined.end());
  ASSERT_EQ(state.Examined.size(), 2u);
  HANDLE file = CreateFileA(later.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(file);
  scanner.RecheckFindings();
  EXPECT_EQ(pipeline.WriteFixFiles(), 1u);
  DeleteFileA(later.c_str());
  EXPECT_TRUE(ValuePresent(kCurrentUser, kRun, "qlrepaired"));
  EXPECT_FALSE(ValuePresent(kCurrentUser, kRun, "qlbroken"));
  const StringList& repaired = state.NoLongerBroken;
  EXPECT_NE(std::find(repaired.begin(), repaired.end(),
                      "Startup file does not exist: " + platform.codePage.UpperCase(later)),
            repaired.end());
  EXPECT_EQ(state.ErrorsOf(Category::StartupUninstall),
            StringList{"Startup file does not exist: C:\\QLGONE\\BROKEN.EXE"});
}

// With "tmp.reg" taken by a folder no export can be written: every finding that would delete a
// whole key is left alone and named as not backed up, and the fix script deletes no key.
TEST_F(FixRoundTripWineTest, AFailedExportLeavesNoKeyDeletionInTheFixScript) {
  ASSERT_TRUE(CreateDirectoryA((undoFolder + "tmp.reg").c_str(), nullptr));
  PlantEverything();
  if (HasFatalFailure())
    return;
  ScanState state;
  FixPipeline pipeline(platform, state, undoFolder);
  Scan(state, pipeline);
  StringList findings;
  for (const StringList& lines : state.CategoryErrors)
    findings.insert(findings.end(), lines.begin(), lines.end());
  for (const Planted& entry : planted) {
    if (entry.goneKey.empty())
      continue;
    EXPECT_NE(std::find(state.NotBackedUp.begin(), state.NotBackedUp.end(), entry.finding),
              state.NotBackedUp.end())
        << entry.finding;
    EXPECT_EQ(std::find(findings.begin(), findings.end(), entry.finding), findings.end())
        << entry.finding;
  }
  pipeline.WriteFixFilesOnly();
  const Bytes fix = FileBytes(kFixScriptFileName);
  const AnsiString text(fix.begin(), fix.end());
  EXPECT_EQ(text.rfind("REGEDIT4\r\n", 0), 0u);
  EXPECT_EQ(text.find("[-"), AnsiString::npos);
  EXPECT_NE(text.find("\"qlmulti\"=-"), AnsiString::npos);
  EXPECT_TRUE(KeyDeletionsAreBackedUp(fix, FileBytes(state.UndoFileName), platform.codePage));
}

}  // namespace
}  // namespace ql
