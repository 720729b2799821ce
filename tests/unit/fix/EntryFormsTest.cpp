// The forms registry entries take on a real system: each is left alone while its file is there
// and reported once it is gone; and the file-system answers that never count as "gone".
#include <gtest/gtest.h>

#include <functional>

#include "cleaner/CleanerPasses.h"
#include "fix/FixPipeline.h"
#include "fix/RegistryScanner.h"
#include "platform/fake/FakePlatform.h"

namespace ql {
namespace {

constexpr char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr char kSharedDlls[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr char kFonts[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
constexpr char kHelp[] = "SOFTWARE\\Microsoft\\Windows\\Help";
constexpr char kSounds[] = "AppEvents\\Schemes\\Apps\\.Default\\";

// A user "Ann" on a 64-bit Windows of today, with every folder and variable Windows defines.
void UseTodaysProfile(FakePlatform& fake) {
  FakeSystem& system = fake.system;
  system.SetWindowsDirectory("C:\\Windows");
  system.SetShellFolderPath(csidl::kAppData, "C:\\Users\\Ann\\AppData\\Roaming");
  system.SetShellFolderPath(csidl::kProfile, "C:\\Users\\Ann");
  system.SetNativeProgramFiles("C:\\Program Files", "C:\\Program Files\\Common Files");
  system.ClearEnvironment();
  const std::pair<const char*, const char*> variables[] = {
      {"ALLUSERSPROFILE", "C:\\ProgramData"},
      {"APPDATA", "C:\\Users\\Ann\\AppData\\Roaming"},
      {"CommonProgramFiles", "C:\\Program Files\\Common Files"},
      {"CommonProgramFiles(x86)", "C:\\Program Files (x86)\\Common Files"},
      {"CommonProgramW6432", "C:\\Program Files\\Common Files"},
      {"HOMEDRIVE", "C:"},
      {"HOMEPATH", "\\Users\\Ann"},
      {"LOCALAPPDATA", "C:\\Users\\Ann\\AppData\\Local"},
      {"ProgramData", "C:\\ProgramData"},
      {"ProgramFiles", "C:\\Program Files"},
      {"ProgramFiles(x86)", "C:\\Program Files (x86)"},
      {"ProgramW6432", "C:\\Program Files"},
      {"PUBLIC", "C:\\Users\\Public"},
      {"SystemDrive", "C:"},
      {"SystemRoot", "C:\\Windows"},
      {"TEMP", "C:\\Users\\Ann\\AppData\\Local\\Temp"},
      {"TMP", "C:\\Users\\Ann\\AppData\\Local\\Temp"},
      {"USERPROFILE", "C:\\Users\\Ann"},
      {"windir", "C:\\Windows"},
  };
  for (const auto& [name, value] : variables)
    system.SetEnvironment(name, value);
  for (const char* folder : {"C:\\Windows\\System32", "C:\\Windows\\Fonts", "C:\\Undo"})
    fake.files.AddFolder(folder);
}

// A whole scan of the fake machine, as the scan window runs it.
struct Machine {
  Machine() { UseTodaysProfile(fake); }
  void Scan() {
    pipeline.RefreshFolders();
    pipeline.PrepareFixScripts();
    state.Scanning = true;
    RunAllChecks(scanner);
  }
  StringList Findings() const {
    StringList all;
    for (const StringList& category : state.CategoryErrors)
      all.insert(all.end(), category.begin(), category.end());
    return all;
  }

  FakePlatform fake;
  Platform platform = fake.platform();
  AnsiString undoFolder = "C:\\Undo\\";
  ScanState state;
  FixPipeline pipeline{platform, state, undoFolder};
  RegistryScanner scanner{platform, state, pipeline};
};

struct EntryForm {
  const char* form;
  std::function<void(FakeRegistry&)> plant;
  const char* file;  // the file the entry names, as it lies on the disk; null when it names none
  unsigned findingsWhenGone = 1;
  bool folder = false;  // the entry names a folder
};

void RunValue(FakeRegistry& registry, RegRoot root, const char* name, const char* command) {
  registry.SetString(root, kRun, name, command, regtype::kExpandString);
}

const std::vector<EntryForm>& Forms() {
  using R = FakeRegistry&;
  static const std::vector<EntryForm> forms = {
      {"quoted program with switches",
       [](R r) {
         RunValue(r, kCurrentUser, "Tray", "\"C:\\Program Files\\Tray Tool\\tray.exe\" /min /auto");
       },
       "C:\\Program Files\\Tray Tool\\tray.exe"},
      {"unquoted path with blanks and a switch",
       [](R r) {
         RunValue(r, kLocalMachine, "Agent", "C:\\Program Files\\Vendor Agent\\agent.exe -q");
       },
       "C:\\Program Files\\Vendor Agent\\agent.exe"},
      {"%APPDATA%",
       [](R r) {
         RunValue(r, kCurrentUser, "Sync", "\"%APPDATA%\\Sync App\\sync.exe\" --background");
       },
       "C:\\Users\\Ann\\AppData\\Roaming\\Sync App\\sync.exe"},
      {"per-user install under %LOCALAPPDATA%",
       [](R r) {
         RunValue(r, kCurrentUser, "Chat",
                  "%LocalAppData%\\Programs\\Chat\\Chat.exe --processStart \"Chat.exe\"");
       },
       "C:\\Users\\Ann\\AppData\\Local\\Programs\\Chat\\Chat.exe"},
      {"%ProgramData%",
       [](R r) {
         RunValue(r, kLocalMachine, "Update", "\"%ProgramData%\\Vendor\\update.exe\" /check");
       },
       "C:\\ProgramData\\Vendor\\update.exe"},
      {"%SystemDrive%",
       [](R r) { RunValue(r, kLocalMachine, "Tools", "%SystemDrive%\\Tools\\tools.exe"); },
       "C:\\Tools\\tools.exe"},
      {"%USERPROFILE%",
       [](R r) { RunValue(r, kCurrentUser, "Mine", "%USERPROFILE%\\Tools\\t.exe"); },
       "C:\\Users\\Ann\\Tools\\t.exe"},
      {"%ProgramFiles%",
       [](R r) { RunValue(r, kLocalMachine, "Vendor", "\"%ProgramFiles%\\Vendor\\v.exe\" /s"); },
       "C:\\Program Files\\Vendor\\v.exe"},
      {"%ProgramFiles(x86)%",
       [](R r) { RunValue(r, kLocalMachine, "Old", "\"%ProgramFiles(x86)%\\Old App\\old.exe\""); },
       "C:\\Program Files (x86)\\Old App\\old.exe"},
      {"%CommonProgramFiles%",
       [](R r) {
         RunValue(r, kLocalMachine, "Helper", "\"%CommonProgramFiles%\\Vendor\\helper.exe\" -tray");
       },
       "C:\\Program Files\\Common Files\\Vendor\\helper.exe"},
      {"%CommonProgramFiles(x86)%",
       [](R r) {
         RunValue(r, kLocalMachine, "Helper32", "%CommonProgramFiles(x86)%\\Vendor\\helper32.exe");
       },
       "C:\\Program Files (x86)\\Common Files\\Vendor\\helper32.exe"},
      {"%TEMP%",
       [](R r) { RunValue(r, kCurrentUser, "Setup", "%TEMP%\\setup1\\setup.exe /resume"); },
       "C:\\Users\\Ann\\AppData\\Local\\Temp\\setup1\\setup.exe"},
      {"%TMP%", [](R r) { RunValue(r, kCurrentUser, "Setup2", "%TMP%\\setup2\\finish.exe"); },
       "C:\\Users\\Ann\\AppData\\Local\\Temp\\setup2\\finish.exe"},
      {"%PUBLIC%", [](R r) { RunValue(r, kLocalMachine, "Shared", "%PUBLIC%\\Tools\\shared.exe"); },
       "C:\\Users\\Public\\Tools\\shared.exe"},
      {"%ALLUSERSPROFILE%",
       [](R r) { RunValue(r, kLocalMachine, "All", "%ALLUSERSPROFILE%\\Vendor\\all.exe"); },
       "C:\\ProgramData\\Vendor\\all.exe"},
      {"%windir%", [](R r) { RunValue(r, kLocalMachine, "Win", "%windir%\\Vendor\\win.exe"); },
       "C:\\Windows\\Vendor\\win.exe"},
      {"%HOMEDRIVE%%HOMEPATH%",
       [](R r) { RunValue(r, kCurrentUser, "Home", "%HOMEDRIVE%%HOMEPATH%\\bin\\home.exe"); },
       "C:\\Users\\Ann\\bin\\home.exe"},
      // A bare program name is found along the search path, which the scan cannot retrace.
      {"msiexec host by bare name, never judged",
       [](R r) {
         RunValue(r, kLocalMachine, "Repair", "MsiExec.exe /X{12345678-1234-1234-1234-1234}");
       },
       "C:\\Windows\\System32\\msiexec.exe", 0},
      {"rundll32 host, never judged",
       [](R r) {
         RunValue(r, kCurrentUser, "Print",
                  "rundll32.exe \"%ProgramFiles%\\Vendor\\print.dll\",Start");
       },
       "C:\\Program Files\\Vendor\\print.dll", 0},
      {"App Paths entry under %LOCALAPPDATA%",
       [](R r) {
         const AnsiString key = AnsiString(kAppPaths) + "editor.exe";
         r.SetString(kLocalMachine, key, "", "%LOCALAPPDATA%\\Programs\\Editor\\editor.exe",
                     regtype::kExpandString);
         r.SetString(kLocalMachine, key, "Path", "%LOCALAPPDATA%\\Programs\\Editor",
                     regtype::kExpandString);
       },
       "C:\\Users\\Ann\\AppData\\Local\\Programs\\Editor\\editor.exe"},
      {"App Paths entry under %ProgramW6432%",
       [](R r) {
         r.SetString(kLocalMachine, AnsiString(kAppPaths) + "big.exe", "",
                     "\"%ProgramW6432%\\Big\\big.exe\"", regtype::kExpandString);
       },
       "C:\\Program Files\\Big\\big.exe"},
      {"COM server under %LOCALAPPDATA%",
       [](R r) {
         r.SetString(kClassesRoot, "CLSID\\{0000000A-0000-0000-0000-000000000001}\\InprocServer32",
                     "", "%LOCALAPPDATA%\\Vendor\\ext64.dll", regtype::kExpandString);
       },
       "C:\\Users\\Ann\\AppData\\Local\\Vendor\\ext64.dll"},
      {"COM local server with a switch",
       [](R r) {
         r.SetString(kClassesRoot, "CLSID\\{0000000B-0000-0000-0000-000000000002}\\LocalServer32",
                     "", "\"C:\\Program Files\\App\\server.exe\" -Embedding");
       },
       "C:\\Program Files\\App\\server.exe"},
      {"class open command with its %1",
       [](R r) {
         r.SetString(kClassesRoot, "viewer.doc\\shell\\open\\command", "",
                     "\"%ProgramFiles%\\Viewer\\view.exe\" \"%1\"", regtype::kExpandString);
       },
       "C:\\Program Files\\Viewer\\view.exe"},
      {"class icon with its index",
       [](R r) {
         r.SetString(kClassesRoot, "picture.file\\DefaultIcon", "",
                     "\"C:\\Program Files\\Pictures\\pic.exe\",1");
       },
       "C:\\Program Files\\Pictures\\pic.exe"},
      {"registered per-user program",
       [](R r) {
         r.SetString(kClassesRoot, "Applications\\notes.exe\\shell\\open\\command", "",
                     "\"%LOCALAPPDATA%\\Notes\\notes.exe\" \"%1\"");
       },
       "C:\\Users\\Ann\\AppData\\Local\\Notes\\notes.exe"},
      {"font by full path",
       [](R r) {
         r.SetString(kLocalMachine, kFonts, "Mine (TrueType)",
                     "C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\Fonts\\Mine.ttf");
       },
       "C:\\Users\\Ann\\AppData\\Local\\Microsoft\\Windows\\Fonts\\Mine.ttf"},
      {"bare font name",
       [](R r) { r.SetString(kLocalMachine, kFonts, "Arial (TrueType)", "arial.ttf"); },
       "C:\\Windows\\Fonts\\arial.ttf"},
      {"help folder under %ProgramFiles%",
       [](R r) { r.SetString(kLocalMachine, kHelp, "app.chm", "%ProgramFiles%\\App\\Help"); },
       "C:\\Program Files\\App\\Help\\app.chm"},
      {"sound under %SystemRoot%",
       [](R r) {
         r.SetString(kCurrentUser, AnsiString(kSounds) + "SystemStart\\.Current", "",
                     "%SystemRoot%\\media\\Windows Startup.wav", regtype::kExpandString);
       },
       "C:\\Windows\\media\\Windows Startup.wav"},
      // Windows looks for a bare sound name in its Media folder.
      {"bare sound name, never judged",
       [](R r) {
         r.SetString(kCurrentUser, AnsiString(kSounds) + "Ding\\.Current", "", "ding.wav");
       },
       "C:\\Windows\\Media\\ding.wav", 0},
      {"default sound under %USERPROFILE%",
       [](R r) {
         r.SetString(kCurrentUser, AnsiString(kSounds) + "Notify\\.Default", "",
                     "%USERPROFILE%\\Music\\ding.wav", regtype::kExpandString);
       },
       "C:\\Users\\Ann\\Music\\ding.wav"},
      {"shared library",
       [](R r) {
         r.SetDword(kLocalMachine, kSharedDlls, "C:\\Program Files\\Common Files\\V\\shared.dll",
                    1);
       },
       "C:\\Program Files\\Common Files\\V\\shared.dll"},
      {"shared library under %CommonProgramFiles%",
       [](R r) { r.SetDword(kLocalMachine, kSharedDlls, "%CommonProgramFiles%\\V\\lib2.dll", 2); },
       "C:\\Program Files\\Common Files\\V\\lib2.dll"},
      // ---- What a stock Windows 10/11 writes, and everyday programs beside it ----
      // The Windows Default scheme leaves many events silent: both sounds empty, or no sound
      // key at all. Nothing is named, so nothing can be missing.
      {"silent sound event of the Windows Default scheme",
       [](R r) {
         for (const char* event : {"Close", "Maximize", "Minimize", "Open", "MenuPopup"}) {
           const AnsiString key = AnsiString(kSounds) + event;
           r.SetString(kCurrentUser, key + "\\.Current", "", "");
           r.SetString(kCurrentUser, key + "\\.Default", "", "");
         }
         r.AddKey(kCurrentUser, AnsiString(kSounds) + "CCSelect");
       },
       nullptr},
      {"sound of the Windows Default scheme",
       [](R r) {
         const AnsiString key = AnsiString(kSounds) + "SystemAsterisk";
         for (const char* scheme : {"\\.Current", "\\.Default"})
           r.SetString(kCurrentUser, key + scheme, "",
                       "%SystemRoot%\\media\\Windows Background.wav", regtype::kExpandString);
       },
       // Both sounds name the file: each is a finding.
       "C:\\Windows\\media\\Windows Background.wav", 2},
      // Windows' own uninstall stubs carry neither a display name nor an uninstall command.
      {"uninstall stubs of Windows",
       [](R r) {
         const AnsiString base = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
         for (const char* stub : {"AddressBook", "DirectDrawEx", "Fontcore", "IE40", "IE4Data",
                                  "IE5BAKEX", "IEData", "MobileOptionPack", "SchedulingAgent"})
           r.AddKey(kLocalMachine, base + stub);
         r.SetString(kLocalMachine, base + "WIC", "NoRemove", "");
       },
       nullptr},
      // Media players and viewers register other verbs, a DelegateExecute handler or only the
      // types they open.
      {"registered programs without an open command",
       [](R r) {
         const AnsiString wmp = "Applications\\wmplayer.exe";
         r.SetString(kClassesRoot, wmp + "\\SupportedTypes", ".mp3", "");
         r.SetString(kClassesRoot, wmp + "\\shell\\play\\command", "",
                     "\"%ProgramFiles(x86)%\\Windows Media Player\\wmplayer.exe\" /Play \"%L\"",
                     regtype::kExpandString);
         r.SetString(kClassesRoot, "Applications\\Photos.exe\\shell\\open\\command",
                     "DelegateExecute", "{4ED3A719-CEA8-4BD9-910D-E252F997AFC2}");
         r.SetString(kClassesRoot, "Applications\\VLC.exe\\SupportedTypes", ".mkv", "");
       },
       nullptr},
      {"OneDrive at log-on",
       [](R r) {
         RunValue(
             r, kCurrentUser, "OneDrive",
             "\"C:\\Users\\Ann\\AppData\\Local\\Microsoft\\OneDrive\\OneDrive.exe\" /background");
       },
       "C:\\Users\\Ann\\AppData\\Local\\Microsoft\\OneDrive\\OneDrive.exe"},
      {"Windows Security's tray icon",
       [](R r) {
         RunValue(r, kLocalMachine, "SecurityHealth",
                  "%windir%\\system32\\SecurityHealthSystray.exe");
       },
       "C:\\Windows\\System32\\SecurityHealthSystray.exe"},
      // Command lines whose file has none of the program extensions, followed by arguments.
      {"script through a host with arguments",
       [](R r) {
         RunValue(r, kCurrentUser, "TrayScript", "wscript.exe //B C:\\Scripts\\tray.vbs /silent");
       },
       "C:\\Scripts\\tray.vbs"},
      {"Java archive with arguments",
       [](R r) { RunValue(r, kCurrentUser, "Tool", "javaw -jar C:\\Apps\\tool.jar --port 8080"); },
       "C:\\Apps\\tool.jar"},
      {"folder opened at log-on",
       [](R r) { RunValue(r, kCurrentUser, "Docs", "explorer.exe C:\\Users\\Ann\\Documents"); },
       "C:\\Users\\Ann\\Documents", 1, true},
      {"help folder with a comma",
       [](R r) {
         r.SetString(kLocalMachine, kHelp, "studio.chm",
                     "C:\\Program Files (x86)\\Contoso, Inc\\Studio\\Help");
       },
       "C:\\Program Files (x86)\\Contoso, Inc\\Studio\\Help\\studio.chm"},
      // Wine names a class as the default value of the class identifiers' keys, in both views.
      {"32-bit view's class root",
       [](R r) {
         r.SetString(kClassesRoot, "CLSID", "", "ClassMoniker");
         r.SetString(kClassesRoot, "Wow6432Node\\CLSID", "", "ClassMoniker");
       },
       nullptr},
      // A 32-bit program's class lives only in the 32-bit view; its program identifier and file
      // type name it from the merged class root. The scan walks the native view's classes, so
      // the class's own server is not judged.
      {"32-bit COM program",
       [](R r) {
         const char* classId = "{6C3E2A10-5B8F-4C1D-9E7A-2F4B8D0C1A33}";
         r.SetString(kClassesRoot,
                     AnsiString("Wow6432Node\\CLSID\\") + classId + "\\InprocServer32", "",
                     "C:\\Program Files (x86)\\Contoso\\widget32.dll");
         r.SetString(kClassesRoot, "Contoso.Widget.1\\CLSID", "", classId);
         r.SetString(kClassesRoot, "Contoso.Widget.1\\DefaultIcon", "",
                     "C:\\Program Files (x86)\\Contoso\\widget32.dll,0");
       },
       "C:\\Program Files (x86)\\Contoso\\widget32.dll"},
  };
  return forms;
}

void PlantEveryForm(Machine& machine) {
  for (const EntryForm& form : Forms()) {
    form.plant(machine.fake.registry);
    if (form.file != nullptr && form.folder)
      machine.fake.files.AddFolder(form.file);
    else if (form.file != nullptr)
      machine.fake.files.AddFile(form.file);
  }
}

TEST(EntryFormsTest, EveryFormIsLeftAloneWhileItsFileIsThereAndReportedOnceItIsGone) {
  {
    Machine healthy;
    PlantEveryForm(healthy);
    healthy.Scan();
    EXPECT_EQ(healthy.Findings(), StringList{});
  }
  for (const EntryForm& form : Forms()) {
    if (form.file == nullptr)
      continue;
    Machine machine;
    PlantEveryForm(machine);
    ASSERT_TRUE(machine.fake.files.Erase(form.file)) << form.form;
    machine.Scan();
    EXPECT_EQ(machine.state.ErrorCount, form.findingsWhenGone)
        << form.form << ": " << ::testing::PrintToString(machine.Findings());
  }
}

struct UnjudgedCase {
  const char* answer;
  std::function<void(FakeFiles&)> prepare;
  const char* path;
  bool reported = false;
};

// A path counts as gone only when the system says "file not found" or "path not found" on a
// drive or share that answers; the scanner and the temporary values pass both keep the rest.
TEST(EntryFormsTest, OnlyNotFoundCountsAsGone) {
  const UnjudgedCase cases[] = {
      {"not found", [](FakeFiles&) {}, "C:\\Gone\\tool.exe", true},
      {"path not found", [](FakeFiles&) {}, "C:\\Gone\\Deeper\\tool.exe", true},
      {"access refused", [](FakeFiles& f) { f.FailPath("C:\\Locked", fileerror::kAccessDenied); },
       "C:\\Locked\\App\\tool.exe"},
      {"drive not ready",
       [](FakeFiles& f) {
         f.AddDrive("E:");
         f.FailPath("E:", fileerror::kNotReady);
       },
       "E:\\Setup\\tool.exe"},
      {"drive not mapped", [](FakeFiles&) {}, "Q:\\Apps\\tool.exe"},
      {"network path unreachable",
       [](FakeFiles& f) { f.FailPath("\\\\server\\share", fileerror::kBadNetPath); },
       "\\\\server\\share\\Apps\\tool.exe"},
      {"network name gone",
       [](FakeFiles& f) { f.FailPath("\\\\nas\\old", fileerror::kBadNetName); },
       "\\\\nas\\old\\tool.exe"},
      {"wildcards", [](FakeFiles&) {}, "C:\\Tools\\tool?.exe"},
      {"invalid path text", [](FakeFiles&) {}, "C:\\Tools\\to<ol>.exe"},
      {"undefined environment name", [](FakeFiles&) {}, "%NOSUCHFOLDER%\\Apps\\tool.exe"},
  };
  for (const UnjudgedCase& c : cases) {
    Machine machine;
    c.prepare(machine.fake.files);
    RunValue(machine.fake.registry, kLocalMachine, "Entry", c.path);
    machine.fake.registry.SetString(kLocalMachine, AnsiString(kAppPaths) + "tool.exe", "", c.path);
    machine.fake.registry.SetString(kCurrentUser, AnsiString(kSounds) + "Tool\\.Current", "",
                                    c.path);
    machine.fake.registry.SetString(kLocalMachine, kFonts, "Tool", c.path);
    machine.Scan();
    EXPECT_EQ(machine.state.ErrorCount, c.reported ? 4u : 0u)
        << c.answer << ": " << ::testing::PrintToString(machine.Findings());
    const AnsiString data = AnsiString(c.path).replace(AnsiString(c.path).rfind(".exe"), 4, ".txt");
    EXPECT_EQ(IsTemporaryValueData(data, machine.fake.files), c.reported) << c.answer;
  }
}

// A user whose name the code page cannot carry ("Gergő" on code page 1252): the ANSI calls would
// give a best-fitted look-alike of the profile, where nothing lies. The system's wide calls tell
// that the text is not exact, and what lies below the profile is never judged.
TEST(EntryFormsTest, AProfileTheCodePageCannotCarryIsNeverJudged) {
  Machine machine;
  FakeSystem& system = machine.fake.system;
  system.SetShellFolderPath(csidl::kProfile, "");
  for (const char* name : {"USERPROFILE", "APPDATA", "LOCALAPPDATA", "TEMP"}) {
    AnsiString value = name == AnsiString("USERPROFILE") ? "C:\\Users\\Gergo"
                       : name == AnsiString("APPDATA")   ? "C:\\Users\\Gergo\\AppData\\Roaming"
                                                         : "C:\\Users\\Gergo\\AppData\\Local";
    system.SetEnvironment(name, value);
    system.SetEnvironmentOutsideCodePage(name);
  }
  FakeRegistry& r = machine.fake.registry;
  RunValue(r, kCurrentUser, "Sync", "\"%APPDATA%\\Sync App\\sync.exe\" --background");
  RunValue(r, kCurrentUser, "Chat", "%LOCALAPPDATA%\\Programs\\Chat\\Chat.exe");
  RunValue(r, kCurrentUser, "Mine", "%USERPROFILE%\\Tools\\t.exe");
  RunValue(r, kCurrentUser, "Gone", "C:\\Gone\\tool.exe");
  machine.Scan();
  EXPECT_EQ(machine.Findings(), StringList{"Startup file does not exist: C:\\GONE\\TOOL.EXE"});
}

// In a double-byte code page the second byte of a character may be 0x5C, the byte of "\": text
// holding such characters is never taken apart, in a path or in a script line.
TEST(EntryFormsTest, DoubleByteTextIsNeverJudged) {
  Machine machine;
  machine.fake.codePage.PlayDoubleByteLeadBytes(true);
  FakeRegistry& r = machine.fake.registry;
  RunValue(r, kCurrentUser, "Table", "C:\\Gone\\\x95\\.exe");
  RunValue(r, kCurrentUser, "\x95\\", "C:\\Gone\\other.exe");
  r.SetString(kLocalMachine, kFonts, "Gothic", "C:\\Gone\\\x82\xA0.ttf");
  RunValue(r, kCurrentUser, "Plain", "C:\\Gone\\tool.exe");
  machine.Scan();
  EXPECT_EQ(machine.Findings(), StringList{"Startup file does not exist: C:\\GONE\\TOOL.EXE"});
}

class NoProgress : public CleanerProgress {
 public:
  void ShowFolder(const AnsiString&) override {}
  void ShowKey(const AnsiString&) override {}
};

// Names and texts come through the wide calls; what the code page cannot carry exactly is never
// judged, never turned into a look-alike, and an undo capture keeps every character.
TEST(EntryFormsTest, TextTheCodePageCannotCarryIsNeverJudged) {
  Machine machine;
  FakeRegistry& r = machine.fake.registry;
  r.SetString(kCurrentUser, kRun, "caf\xE9", "C:\\Gone\\caf\xE9.exe");
  r.SetStringWide(kCurrentUser, kRun, u"Lodz", u"C:\\Gone\\\u0141\u00F3d\u017A.exe");
  r.SetStringWide(kCurrentUser, kRun, u"\u0141odz", u"C:\\Gone\\lodz.exe");
  r.SetString(kCurrentUser, kRun, "?odz", "C:\\Gone\\look-alike.exe");
  r.AddKeyWide(kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
               u"\u0141odz App");
  r.SetStringWide(kLocalMachine, kFonts, u"Lodz (TrueType)", u"\u0141odz.ttf");
  r.SetStringWide(kCurrentUser, AnsiString(kSounds) + "Lodz\\.Current", u"", u"\u0141.wav");
  machine.Scan();
  EXPECT_EQ(machine.Findings(),
            (StringList{"Startup file does not exist: C:\\GONE\\CAF\xC9.EXE",
                        "Startup file does not exist: C:\\GONE\\LOOK-ALIKE.EXE"}));

  r.SetStringWide(kCurrentUser, "Software\\Tool", u"Recent", u"C:\\Gone\\\u0141odz.txt");
  r.SetStringWide(kCurrentUser, "Software\\Tool", u"\u0141ast", u"C:\\Gone\\last.txt");
  r.SetString(kCurrentUser, "Software\\Tool", "?ast", "C:\\Gone\\other.txt");
  bool busy = true;
  NoProgress progress;
  CleanerPasses passes(machine.fake.files, r, machine.fake.pump, busy, progress);
  StringList values;
  passes.CleanApplicationsHistory(kCurrentUser, "\\Software\\", true, values);
  EXPECT_EQ(values, StringList{"Temporary value: C:\\Gone\\other.txt"});
  EXPECT_EQ(r.Values(kCurrentUser, "Software\\Tool").size(), 2u);

  const AnsiString sound = AnsiString(kSounds) + "Lodz\\.Current";
  machine.pipeline.SaveValueToUndo(kCurrentUser, "\\" + sound, "");
  EXPECT_EQ(machine.state.UndoScript.back(), u"");
  EXPECT_EQ(machine.state.UndoScript[machine.state.UndoScript.size() - 2], u"\"\"=\"\u0141.wav\"");
}

}  // namespace
}  // namespace ql
