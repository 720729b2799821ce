// Randomized round trip on the fakes: plant broken and healthy entries with hostile names, scan,
// import the fix script, then the undo script. The fix touches only what was reported, and the
// undo brings back every key and value byte for byte.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "fix/FixPipeline.h"
#include "fix/RegistryScanner.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/RegEditFiles.h"
#include "registry/RegistryHelpers.h"
#include "unit/fix/KeyDeletionBackups.h"

namespace ql {
namespace {

constexpr int kSeeds = 1000;

// One key or value that a fix may change: a whole key (its subtree included) or one value.
struct Region {
  RegRoot root;
  AnsiString keyPath;  // without leading "\"
  bool wholeKey;
  AnsiString valueName;
};

struct ValueDump {
  AnsiString name;
  std::uint32_t type;
  Bytes data;
  WideString text;  // a text stored as UTF-16, which the code page may not carry
  bool operator==(const ValueDump& other) const {
    return name == other.name && type == other.type && data == other.data && text == other.text;
  }
};

struct KeyDump {
  AnsiString path;                         // as enumerated, letter case kept
  std::map<AnsiString, ValueDump> values;  // by upper-case name
  bool operator==(const KeyDump& other) const {
    return path == other.path && values == other.values;
  }
};

using Snapshot = std::map<std::pair<RegRoot, AnsiString>, KeyDump>;  // by upper-case path

void DumpKey(FakeRegistry& registry, RegRoot root, const AnsiString& path, Snapshot& snapshot) {
  KeyDump dump{path, {}};
  for (const RegValue& value : registry.Values(root, path))
    dump.values[UpperCase1252(value.name)] =
        ValueDump{value.name, value.type, value.data, value.storedWide ? value.wideText : u""};
  snapshot[{root, UpperCase1252(path)}] = dump;
  for (const AnsiString& name : registry.SubKeyNames(root, path))
    DumpKey(registry, root, path.empty() ? name : path + "\\" + name, snapshot);
}

Snapshot Dump(FakeRegistry& registry) {
  Snapshot snapshot;
  for (RegRoot root : {kClassesRoot, kCurrentUser, kLocalMachine})
    DumpKey(registry, root, "", snapshot);
  return snapshot;
}

// Every way an export can fail: the registry editor does not start, outlasts its wait, writes
// nothing, or leaves a file that holds another key.
enum class ExportFailure { kNotStarted, kStillRunning, kNothingWritten, kOtherKey };

// Exports, by the key given to the registry editor in upper case, that are made to fail.
using ExportFailures = std::map<AnsiString, ExportFailure>;

// The fake registry editor, with the planned exports failing.
class FailingExports : public Launcher {
 public:
  FailingExports(FakePlatform& fake, const ExportFailures& failures)
      : fake_(fake), failures_(failures) {}

  LaunchResult Run(const AnsiString& program, const AnsiString& commandLine,
                   const LaunchOptions& options) override {
    const StringList arguments = SplitCommandLine(commandLine);
    const auto failure = arguments.size() == 4 && arguments[1] == "/e"
                             ? failures_.find(UpperCase1252(arguments[3]))
                             : failures_.end();
    if (failure == failures_.end())
      return fake_.launcher.Run(program, commandLine, options);
    switch (failure->second) {
      case ExportFailure::kNotStarted:
        return LaunchResult::kNotStarted;
      case ExportFailure::kStillRunning:
        fake_.launcher.Run(program, commandLine, options);
        return LaunchResult::kStillRunning;
      case ExportFailure::kNothingWritten:
        return LaunchResult::kEnded;
      case ExportFailure::kOtherKey:
        fake_.files.WriteWholeFile(
            arguments[2], EncodeUtf16File(RegScriptExportHeader() +
                                          u"[HKEY_CURRENT_USER\\Software\\Other]\r\n\r\n"));
        return LaunchResult::kEnded;
    }
    return LaunchResult::kNotStarted;
  }

 private:
  FakePlatform& fake_;
  const ExportFailures& failures_;
};

// Builds a registry of planted entries and remembers what a scan should report and may change.
class Planter {
 public:
  Planter(FakePlatform& fake, unsigned seed, bool failExports = false)
      : fake_(fake), random_(seed), failExports_(failExports) {}

  void PlantAll() {
    if (Chance(30))
      PlantTextBeyondTheCodePage();
    const int count = Pick(3, 8);
    for (int i = 0; i < count; ++i) {
      switch (Pick(0, 10)) {
        case 0:
          PlantExtension();
          break;
        case 1:
          PlantAppPath();
          break;
        case 2:
          PlantSharedLibrary();
          break;
        case 3:
          PlantApplication();
          break;
        case 4:
          PlantClassId();
          break;
        case 5:
          PlantClass();
          break;
        case 6:
          PlantStartup(Pick(0, 1) ? kCurrentUser : kLocalMachine);
          break;
        case 7:
          PlantUninstall();
          break;
        case 8:
          PlantFont();
          break;
        case 9:
          PlantHelp();
          break;
        default:
          PlantSound();
          break;
      }
    }
  }

  std::uint32_t expectedProblems = 0;
  std::uint32_t leftAlone = 0;  // findings whose export fails
  ExportFailures failingExports;
  std::vector<Region> regions;     // what the fixes may change
  std::vector<Region> mustChange;  // what the fixes must remove

 private:
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool Chance(int percent) { return Pick(1, 100) <= percent; }

  // A name of hostile pieces; key names never hold "\" and names of recordable entries never
  // hold a line break. Every name is unique, so plants never meet.
  AnsiString Name(bool forKey, bool allowLineBreak, bool forFile = false) {
    static const char* const pieces[] = {"a",    "Z",    "\"", "\\", "[",  "]", "=",
                                         "@",    " ",    "-",  ";",  "%",  ".", "\xE9",
                                         "\xFF", "\x80", "{",  "}x", "ab", "\t"};
    AnsiString name = "n" + std::to_string(++serial_);
    const int length = Chance(5) ? 120 : Pick(0, 6);
    for (int i = 0; i < length; ++i) {
      AnsiString piece = pieces[Pick(0, 19)];
      if (forKey && piece == "\\")
        piece = "]";
      if (piece == "{" || piece == "}x")
        piece = forKey ? "(" : piece;
      // A file name holds no double quote or tab, and a "%" pair would be a reference to an
      // environment name, which leaves the entry unjudged.
      if (forFile && (piece == "\"" || piece == "\t" || piece == "%"))
        piece = "_";
      name += piece;
    }
    if (allowLineBreak && Chance(10))
      name.insert(name.size() / 2, Chance(50) ? "\n" : "\r");
    return name;
  }

  Bytes RandomData(std::uint32_t type) {
    Bytes data(Pick(0, 12));
    for (auto& byte : data)
      byte = static_cast<std::uint8_t>(Pick(0, 255));
    if ((type == regtype::kString || type == regtype::kExpandString) && Chance(70)) {
      for (auto& byte : data)
        byte = byte == 0 ? 'x' : byte;
      data.push_back(0);
    }
    if (type == regtype::kDword && Chance(80))
      data.resize(4);
    return data;
  }

  std::uint32_t RandomType() {
    static const std::uint32_t types[] = {
        regtype::kNone,  regtype::kString,      regtype::kExpandString, regtype::kBinary,
        regtype::kDword, regtype::kMultiString, regtype::kQword,        0x20};
    return types[Pick(0, 7)];
  }

  // Values and subkeys that only the undo can bring back after a whole-key deletion.
  void AddPayload(RegRoot root, const AnsiString& path) {
    const int values = Pick(0, 3);
    for (int i = 0; i < values; ++i) {
      const std::uint32_t type = RandomType();
      fake_.registry.SetValue(root, path, Name(false, true), type, RandomData(type));
    }
    if (Chance(30))
      fake_.registry.SetDword(root, path + "\\" + Name(true, false), "", 7);
    AddTextBeyondTheCodePage(root, path);
  }

  // A string value whose text the code page cannot carry: only the undo's UTF-16 brings it back.
  void AddTextBeyondTheCodePage(RegRoot root, const AnsiString& path) {
    if (!Chance(40))
      return;
    static const char16_t* const texts[] = {u"\u0141\u00F3d\u017A", u"\u4E2D\u6587 \"q\" \\x",
                                            u"\U0001F600 C:\\Gone\\x.exe", u"caf\u00E9 \u2603"};
    fake_.registry.SetStringWide(root, path, fake_.codePage.ToWide(Name(false, false)),
                                 texts[Pick(0, 3)],
                                 Chance(50) ? regtype::kString : regtype::kExpandString);
  }

  // An entry whose text names a missing file in characters the code page lacks: it cannot be
  // judged, so the fix must leave it alone.
  void PlantTextBeyondTheCodePage() {
    const AnsiString key = AnsiString(kRunPath).substr(1);
    fake_.registry.SetStringWide(
        kCurrentUser, key, fake_.codePage.ToWide(Name(false, false)),
        u"C:\\GONE\\\u0141" + fake_.codePage.ToWide(std::to_string(++serial_)) + u".EXE");
  }

  // An unrecordable name (line break) or a subtree that an export cannot carry: the entry must
  // be left alone.
  bool Recordable(const AnsiString& name) { return name.find_first_of("\r\n") == AnsiString::npos; }

  void ExpectKeyFix(RegRoot root, const AnsiString& exportPath, const AnsiString& deletePath,
                    const AnsiString& name, std::uint32_t problems = 1) {
    const bool hiddenSubkey = Chance(5);
    if (hiddenSubkey)
      fake_.registry.AddKey(root, exportPath + "\\line\nbreak");
    if (!Recordable(name) || hiddenSubkey)
      return;
    if (failExports_ && Chance(25)) {
      failingExports[UpperCase1252(RootName(root) + "\\" + exportPath)] =
          static_cast<ExportFailure>(Pick(0, 3));
      leftAlone += problems;
      return;
    }
    expectedProblems += problems;
    regions.push_back(Region{root, exportPath, true, ""});
    mustChange.push_back(Region{root, deletePath, true, ""});
  }

  void ExpectValueFix(RegRoot root, const AnsiString& listingPath, const AnsiString& name) {
    if (!Recordable(name))
      return;
    const AnsiString keyPath = listingPath.substr(0, listingPath.size() - 1);
    ++expectedProblems;
    regions.push_back(Region{root, keyPath, false, name});
    mustChange.push_back(Region{root, keyPath, false, name});
  }

  AnsiString GoneFile(const char* extension) {
    return "C:\\GONE\\F" + std::to_string(++serial_) + extension;
  }
  AnsiString HereFile(const char* extension) {
    const AnsiString path = "C:\\Here\\F" + std::to_string(++serial_) + extension;
    fake_.files.AddFile(path);
    return path;
  }

  void PlantExtension() {
    const AnsiString name = "." + Name(true, true);
    const bool broken = Chance(60);
    const AnsiString handler = "class" + std::to_string(++serial_);
    if (!broken)
      fake_.registry.AddKey(kClassesRoot, handler);
    fake_.registry.SetString(kClassesRoot, name, "", handler);
    AddPayload(kClassesRoot, name);
    if (broken)
      ExpectKeyFix(kClassesRoot, name, name, name);
  }

  void PlantAppPath() {
    const AnsiString name = Name(true, true);
    const AnsiString key = AnsiString(kAppPathsPath).substr(1) + name;
    const bool broken = Chance(60);
    fake_.registry.SetString(kLocalMachine, key, "", broken ? GoneFile(".EXE") : HereFile(".EXE"));
    for (int i = Pick(0, 2); i > 0; --i)
      fake_.registry.SetValue(kLocalMachine, key, Name(false, true), regtype::kBinary, {1, 2});
    if (broken)
      ExpectKeyFix(kLocalMachine, key, key, name);
  }

  void PlantSharedLibrary() {
    const bool broken = Chance(60);
    const AnsiString name = broken ? "C:\\GONE\\" + Name(false, true, true) : HereFile(".DLL");
    const std::uint32_t type = RandomType();
    const AnsiString key = AnsiString(kSharedDllsPath).substr(1);
    fake_.registry.SetValue(kLocalMachine, key, name, type, RandomData(type));
    if (broken)
      ExpectValueFix(kLocalMachine, key, name);
  }

  void PlantApplication() {
    const AnsiString name = Name(true, true);
    const AnsiString key = AnsiString(kApplicationsPath).substr(1) + name;
    const bool broken = Chance(60);
    fake_.registry.SetString(kClassesRoot, key + "\\shell\\open\\command", "",
                             "\"" + (broken ? GoneFile(".EXE") : HereFile(".EXE")) + "\" %1");
    AddPayload(kClassesRoot, key);
    if (broken)
      ExpectKeyFix(kClassesRoot, key, key, name);
  }

  void PlantClassId() {
    const AnsiString name = "{" + Name(true, true) + "}";
    const AnsiString key = "CLSID\\" + name;
    const bool broken = Chance(60);
    fake_.registry.SetString(kClassesRoot, key + "\\InprocServer32", "",
                             broken ? GoneFile(".DLL") : HereFile(".DLL"));
    AddPayload(kClassesRoot, key);
    if (broken)
      ExpectKeyFix(kClassesRoot, key, key + "\\InprocServer32", name);
  }

  void PlantClass() {
    const AnsiString name = "c" + Name(true, true);
    switch (Pick(0, 2)) {
      case 0:
        fake_.registry.SetString(kClassesRoot, name + "\\CLSID", "", "{missing}");
        AddPayload(kClassesRoot, name);
        ExpectKeyFix(kClassesRoot, name, name, name);
        break;
      case 1:
        fake_.registry.SetString(kClassesRoot, name + "\\DefaultIcon", "", GoneFile(".DLL") + ",0");
        AddPayload(kClassesRoot, name + "\\DefaultIcon");
        ExpectKeyFix(kClassesRoot, name + "\\DefaultIcon", name + "\\DefaultIcon", name);
        break;
      default:
        fake_.registry.SetString(kClassesRoot, name + "\\shell\\open\\command", "",
                                 HereFile(".EXE") + " %1");
        break;
    }
  }

  void PlantStartup(RegRoot root) {
    const AnsiString name = Name(false, true);
    const AnsiString key = AnsiString(kRunPath).substr(1);
    if (Chance(40)) {
      fake_.registry.SetString(root, key, name, "\"" + HereFile(".EXE") + "\" /min");
      return;
    }
    if (Chance(50)) {
      fake_.registry.SetString(root, key, name, "\"" + GoneFile(".EXE") + "\" /min",
                               Chance(50) ? regtype::kString : regtype::kExpandString);
    } else {
      static const std::uint32_t kNotText[] = {regtype::kNone,  regtype::kBinary,
                                               regtype::kDword, regtype::kMultiString,
                                               regtype::kQword, 0x20};
      const std::uint32_t type = kNotText[Pick(0, 5)];
      // Values that are no text give no command at all.
      fake_.registry.SetValue(root, key, name, type, RandomData(type));
    }
    ExpectValueFix(root, key, name);
  }

  void PlantUninstall() {
    const AnsiString name = Name(true, true);
    const AnsiString key = AnsiString(kUninstallPath).substr(1) + name;
    const bool broken = Chance(60);
    fake_.registry.SetString(kLocalMachine, key, broken ? "DisplayName" : "UninstallString", "x");
    AddPayload(kLocalMachine, key);
    if (broken)
      ExpectKeyFix(kLocalMachine, key, key, name);
  }

  void PlantFont() {
    const AnsiString name = Name(false, true);
    const bool broken = Chance(60);
    AnsiString file = "f" + std::to_string(++serial_) + ".ttf";
    if (!broken)
      fake_.files.AddFile("C:\\WINDOWS\\Fonts\\" + file);
    const AnsiString key = AnsiString(kFontsPath).substr(1);
    fake_.registry.SetString(kLocalMachine, key, name, file);
    if (broken)
      ExpectValueFix(kLocalMachine, key, name);
  }

  void PlantHelp() {
    const bool broken = Chance(60);
    // A file name cannot hold every character a value name can.
    const AnsiString name =
        broken ? Name(false, true, true) + ".hlp" : "h" + std::to_string(++serial_) + ".hlp";
    if (!broken)
      fake_.files.AddFile("C:\\Help\\" + UpperCase1252(name));
    const AnsiString key = AnsiString(kHelpPath).substr(1);
    fake_.registry.SetString(kLocalMachine, key, name, "C:\\Help");
    if (broken)
      ExpectValueFix(kLocalMachine, key, name);
  }

  void PlantSound() {
    const AnsiString name = Name(true, true);
    const AnsiString event = AnsiString(kSoundsPath).substr(1) + name;
    const AnsiString current = event + "\\.Current";
    const AnsiString fallback = event + "\\.Default";
    AddPayload(kCurrentUser, event);
    switch (Pick(0, 3)) {
      case 0:  // no sound at all: nothing is named, nothing is missing
        fake_.registry.SetString(kCurrentUser, current, "", "");
        fake_.registry.AddKey(kCurrentUser, fallback + "\\x");
        return;
      case 1:  // a missing current sound takes the default sound
        fake_.registry.SetString(kCurrentUser, current, "", GoneFile(".WAV"));
        fake_.registry.SetString(kCurrentUser, fallback, "", HereFile(".WAV"));
        if (Recordable(name)) {
          ++expectedProblems;
          regions.push_back(Region{kCurrentUser, current, false, ""});
        }
        return;
      case 2:  // both missing: each takes the other's text
        fake_.registry.SetString(kCurrentUser, current, "", GoneFile(".WAV"));
        fake_.registry.SetString(kCurrentUser, fallback, "", GoneFile(".WAV"));
        if (Recordable(name)) {
          expectedProblems += 2;
          regions.push_back(Region{kCurrentUser, current, false, ""});
          regions.push_back(Region{kCurrentUser, fallback, false, ""});
        }
        return;
      default:  // a present current sound ends the event
        fake_.registry.SetString(kCurrentUser, current, "", HereFile(".WAV"));
        fake_.registry.SetString(kCurrentUser, fallback, "", GoneFile(".WAV"));
        return;
    }
  }

  FakePlatform& fake_;
  std::mt19937 random_;
  bool failExports_;
  int serial_ = 0;
};

bool Within(const Region& region, RegRoot root, const AnsiString& upperPath) {
  const AnsiString key = UpperCase1252(region.keyPath);
  return region.root == root && region.wholeKey &&
         (upperPath == key || upperPath.rfind(key + "\\", 0) == 0);
}

bool ValueWithin(const std::vector<Region>& regions, RegRoot root, const AnsiString& upperPath,
                 const AnsiString& upperName) {
  for (const Region& region : regions) {
    if (Within(region, root, upperPath) ||
        (region.root == root && !region.wholeKey && UpperCase1252(region.keyPath) == upperPath &&
         UpperCase1252(region.valueName) == upperName))
      return true;
  }
  return false;
}

bool KeyWithin(const std::vector<Region>& regions, RegRoot root, const AnsiString& upperPath) {
  for (const Region& region : regions) {
    if (Within(region, root, upperPath))
      return true;
  }
  return false;
}

// Every difference between the two snapshots lies inside one of the regions.
::testing::AssertionResult ChangesConfined(const Snapshot& before, const Snapshot& after,
                                           const std::vector<Region>& regions) {
  std::set<std::pair<RegRoot, AnsiString>> keys;
  for (const auto& entry : before)
    keys.insert(entry.first);
  for (const auto& entry : after)
    keys.insert(entry.first);
  for (const auto& key : keys) {
    const auto old = before.find(key);
    const auto now = after.find(key);
    if (old == before.end() || now == after.end()) {
      if (!KeyWithin(regions, key.first, key.second))
        return ::testing::AssertionFailure() << "key changed unreported: " << key.second;
      continue;
    }
    std::set<AnsiString> names;
    for (const auto& value : old->second.values)
      names.insert(value.first);
    for (const auto& value : now->second.values)
      names.insert(value.first);
    for (const AnsiString& name : names) {
      const auto a = old->second.values.find(name);
      const auto b = now->second.values.find(name);
      const bool same =
          a != old->second.values.end() && b != now->second.values.end() && a->second == b->second;
      if (!same && !ValueWithin(regions, key.first, key.second, name))
        return ::testing::AssertionFailure()
               << "value changed unreported: " << key.second << " / " << name;
    }
  }
  return ::testing::AssertionSuccess();
}

bool Removed(const Snapshot& after, const Region& region) {
  const auto key = after.find({region.root, UpperCase1252(region.keyPath)});
  if (region.wholeKey)
    return key == after.end();
  return key == after.end() || key->second.values.count(UpperCase1252(region.valueName)) == 0;
}

void RunSeed(unsigned seed, bool failExports = false) {
  SCOPED_TRACE("seed " + std::to_string(seed));
  FakePlatform fake;
  fake.files.AddFolder("C:\\Undo");
  fake.files.AddFolder("C:\\WINDOWS\\Fonts");
  fake.files.AddFolder("C:\\Help");
  const AnsiString undoFolder = "C:\\Undo\\";
  Planter planter(fake, seed, failExports);
  planter.PlantAll();
  const Snapshot before = Dump(fake.registry);

  FailingExports regedit(fake, planter.failingExports);
  Platform platform = fake.platform(regedit);
  ScanState state;
  FixPipeline pipeline(platform, state, undoFolder);
  RegistryScanner scanner(platform, state, pipeline);
  pipeline.RefreshFolders();
  pipeline.PrepareFixScripts();
  state.Scanning = true;
  RunAllChecks(scanner);
  ASSERT_EQ(state.ErrorCount, planter.expectedProblems);
  ASSERT_EQ(state.NotBackedUp.size(), planter.leftAlone);
  ASSERT_TRUE(KeyDeletionsAreBackedUp(state, fake.codePage));
  ASSERT_TRUE(ChangesConfined(before, Dump(fake.registry), {})) << "the scan changed the registry";

  pipeline.WriteFixFiles();
  const Snapshot fixed = Dump(fake.registry);
  ASSERT_TRUE(ChangesConfined(before, fixed, planter.regions));
  for (const Region& region : planter.mustChange)
    ASSERT_TRUE(Removed(fixed, region)) << region.keyPath << " / " << region.valueName;

  fake.launcher.SetConfirmationAnswer(true);
  RunRegEdit(fake.launcher, pipeline.Folders().windowsFolder,
             UndoImportArguments(undoFolder + state.UndoFileName));
  ASSERT_EQ(fake.launcher.Calls().back().outcome, RegEditOutcome::kImported);
  ASSERT_TRUE(ChangesConfined(before, Dump(fake.registry), {})) << "the undo left a difference";
  ASSERT_EQ(fake.registry.OpenHandleCount(), 0u);
}

TEST(RoundTripPropertyTest, FixChangesOnlyWhatWasReportedAndUndoRestoresEverything) {
  for (unsigned seed = 1; seed <= kSeeds; ++seed) {
    RunSeed(seed);
    if (::testing::Test::HasFatalFailure())
      return;
  }
}

TEST(RoundTripPropertyTest, FailedExportsLeaveTheirKeysAsTheyWere) {
  for (unsigned seed = 1; seed <= kSeeds; ++seed) {
    RunSeed(seed, true);
    if (::testing::Test::HasFatalFailure())
      return;
  }
}

}  // namespace
}  // namespace ql
