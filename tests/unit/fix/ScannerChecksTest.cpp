// Tests of the eleven scanner checks: what each one reports, captures for undo and writes to fix.
#include <gtest/gtest.h>

#include "unit/fix/ScanFixture.h"

namespace ql {
namespace {

constexpr char kSharedDlls[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char kFonts[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
constexpr char kHelp[] = "SOFTWARE\\Microsoft\\Windows\\Help";
constexpr char kSounds[] = "AppEvents\\Schemes\\Apps\\.Default\\";
constexpr std::uint32_t kKeySetValue = 0x0002;

using ChecksTest = ScanFixture;

// ---- Extensions handlers ----

TEST_F(ChecksTest, AnExtensionWithAnUnregisteredHandlerIsDeletedWholeAfterItsExport) {
  fake.registry.SetString(kClassesRoot, ".abc", "", "nofile");
  fake.registry.SetString(kClassesRoot, ".abc\\ShellNew", "x", "y");
  scanner.CheckExtensionsHandlers();
  EXPECT_EQ(Errors(Category::ExtensionsHandlers), (StringList{"Invalid handler .abc"}));
  EXPECT_EQ(FixLines(), (StringList{"[-HKEY_CLASSES_ROOT\\.abc]", ""}));
  EXPECT_EQ(ExportedKeys(), (StringList{"HKEY_CLASSES_ROOT\\.abc"}));
  EXPECT_EQ(state.ErrorCount, 1u);
}

TEST_F(ChecksTest, ExtensionsThatAreFineOrProtectedAreNotReported) {
  fake.registry.SetString(kClassesRoot, ".txt", "", "txtfile");
  fake.registry.AddKey(kClassesRoot, "txtfile");
  fake.registry.SetString(kClassesRoot, ".nul", "", "");
  fake.registry.AddKey(kClassesRoot, ".none");
  fake.registry.SetString(kClassesRoot, "noext", "", "missing");
  fake.registry.SetString(kClassesRoot, ".ro", "", "missing");
  fake.registry.DenyAccess(kClassesRoot, ".ro", kKeySetValue);
  scanner.CheckExtensionsHandlers();
  EXPECT_EQ(state.ErrorCount, 0u);
  EXPECT_EQ(FixLines(), StringList{});
}

// The class root shows a key of both class hives once; each hive's key is exported and deleted
// in that hive, and each is a finding.
TEST_F(ChecksTest, AClassKeyInBothHivesIsExportedAndDeletedInEach) {
  fake.registry.SetString(kClassesRoot, ".abc", "", "gone");
  fake.registry.SetString(kCurrentUser, "Software\\Classes\\.abc", "", "gone");
  fake.registry.SetString(kLocalMachine, "SOFTWARE\\Classes\\.abc", "", "gone");
  scanner.CheckExtensionsHandlers();
  EXPECT_EQ(Errors(Category::ExtensionsHandlers),
            (StringList{"Invalid handler .abc", "Invalid handler .abc"}));
  EXPECT_EQ(FixLines(), (StringList{"[-HKEY_CURRENT_USER\\Software\\Classes\\.abc]", "",
                                    "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.abc]", ""}));
  EXPECT_EQ(ExportedKeys(), (StringList{"HKEY_CURRENT_USER\\Software\\Classes\\.abc",
                                        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.abc"}));
}

// ---- Registered programs ----

TEST_F(ChecksTest, AnApplicationReportsTheEditCommandWhenTheOpenCommandIsEmpty) {
  fake.registry.SetString(kClassesRoot, "Applications\\ed.exe\\shell\\edit\\command", "",
                          "\"C:\\Gone\\Ed.exe\" %1");
  scanner.CheckRegisteredPrograms();
  EXPECT_EQ(Errors(Category::RegisteredPrograms),
            (StringList{"Program does not exist: C:\\GONE\\ED.EXE"}));
  EXPECT_EQ(FixLines(), (StringList{"[-HKEY_CLASSES_ROOT\\Applications\\ed.exe]", ""}));
  EXPECT_EQ(ExportedKeys(), (StringList{"HKEY_CLASSES_ROOT\\Applications\\ed.exe"}));
}

TEST_F(ChecksTest, ApplicationsThatAreExemptOrFineAreNotReported) {
  const AnsiString gone = "C:\\GONE\\A.EXE";
  fake.registry.SetString(kClassesRoot, "Applications\\a.exe\\shell\\open\\command", "", gone);
  fake.registry.SetDword(kClassesRoot, "Applications\\a.exe", "NoOpenWith", 0);
  fake.registry.SetString(kClassesRoot, "Applications\\b.exe\\shell\\open\\command", "", gone);
  fake.registry.SetString(kClassesRoot, "Applications\\b.exe", "NoStartPage", "");
  fake.registry.SetString(kClassesRoot, "Applications\\c.exe", "", gone);
  fake.registry.SetString(kClassesRoot, "Applications\\d.exe\\shell\\open\\command", "",
                          "rundll32.exe shell32.dll,Control_RunDLL");
  fake.files.AddFile("C:\\Tools\\E.exe");
  fake.registry.SetString(kClassesRoot, "Applications\\e.exe\\shell\\open\\command", "",
                          "C:\\TOOLS\\E.EXE /x");
  fake.registry.SetString(kClassesRoot, "Applications\\f.exe\\shell\\open\\command", "", gone);
  fake.registry.DenyAccess(kClassesRoot, "Applications\\f.exe", kKeySetValue);
  scanner.CheckRegisteredPrograms();
  EXPECT_EQ(state.ErrorCount, 0u);
}

// ---- COM servers ----

TEST_F(ChecksTest, AMissingInprocServerIsDeletedWhileTheWholeClassIsKeptForUndo) {
  const AnsiString clsid = "CLSID\\{11111111-2222-3333-4444-555555555555}";
  fake.registry.SetString(kClassesRoot, clsid + "\\InprocServer32", "", "C:\\GONE\\X.DLL");
  fake.files.AddFile("C:\\Srv\\Local.exe");
  fake.registry.SetString(kClassesRoot, clsid + "\\LocalServer32", "", "C:\\Srv\\Local.exe");
  scanner.CheckCOM();
  EXPECT_EQ(Errors(Category::ComActiveX), (StringList{"Invalid Server32: X.DLL"}));
  EXPECT_EQ(FixLines(), (StringList{"[-HKEY_CLASSES_ROOT\\" + clsid + "\\InprocServer32]", ""}));
  EXPECT_EQ(ExportedKeys(), (StringList{"HKEY_CLASSES_ROOT\\" + clsid}));
}

TEST_F(ChecksTest, AMissingLocalServerIsDeletedAsTheLocalServerKey) {
  fake.registry.SetString(kClassesRoot, "CLSID\\{A}\\LocalServer32", "", "C:\\GONE\\L.EXE -x");
  scanner.CheckCOM();
  EXPECT_EQ(FixLines(), (StringList{"[-HKEY_CLASSES_ROOT\\CLSID\\{A}\\LocalServer32]", ""}));
}

TEST_F(ChecksTest, ServersFoundInTheWindowsFoldersOrMissingAreNotReported) {
  fake.files.AddFile("C:\\WINDOWS\\System32\\x.dll");
  fake.registry.SetString(kClassesRoot, "CLSID\\{A}\\InprocServer32", "", "C:\\GONE\\X.DLL");
  fake.registry.AddKey(kClassesRoot, "CLSID\\{B}\\InprocServer32");
  scanner.CheckCOM();
  EXPECT_EQ(state.ErrorCount, 0u);
}

// ---- ActiveX classes ----

TEST_F(ChecksTest, AClassWithAnUnregisteredClassIdGivesOneProblemOnly) {
  fake.registry.SetString(kClassesRoot, "foo\\CLSID", "", "{dead}");
  fake.registry.SetString(kClassesRoot, "foo\\DefaultIcon", "", "C:\\GONE\\I.DLL,0");
  fake.registry.SetString(kClassesRoot, "foo\\shell\\open\\command", "", "C:\\GONE\\O.EXE");
  scanner.CheckActiveX();
  EXPECT_EQ(Errors(Category::ComActiveX), (StringList{"Invalid CLSID: {DEAD}"}));
  EXPECT_EQ(FixLines(), (StringList{"[-HKEY_CLASSES_ROOT\\foo]", ""}));
  EXPECT_EQ(ExportedKeys(), (StringList{"HKEY_CLASSES_ROOT\\foo"}));
}

TEST_F(ChecksTest, IconOpenAndEditCommandsAreTestedIndependently) {
  fake.registry.SetString(kClassesRoot, "bar\\DefaultIcon", "", "C:\\GONE\\I.DLL,0");
  fake.registry.SetString(kClassesRoot, "bar\\shell\\open\\command", "", "\"C:\\GONE\\O.EXE\" %1");
  fake.registry.SetString(kClassesRoot, "bar\\shell\\edit\\command", "", "C:\\GONE\\E.EXE");
  scanner.CheckActiveX();
  EXPECT_EQ(
      Errors(Category::ComActiveX),
      (StringList{"Invalid icon: I.DLL", "Invalid command : O.EXE", "Invalid command : E.EXE"}));
  EXPECT_EQ(FixLines(), (StringList{"[-HKEY_CLASSES_ROOT\\bar\\DefaultIcon]", "",
                                    "[-HKEY_CLASSES_ROOT\\bar\\shell\\open\\command]", "",
                                    "[-HKEY_CLASSES_ROOT\\bar\\shell\\edit\\command]", ""}));
  EXPECT_EQ(ExportedKeys(), (StringList{"HKEY_CLASSES_ROOT\\bar\\DefaultIcon",
                                        "HKEY_CLASSES_ROOT\\bar\\shell\\open\\command",
                                        "HKEY_CLASSES_ROOT\\bar\\shell\\edit\\command"}));
}

struct ClassCase {
  const char* label;
  AnsiString subKey;
  AnsiString text;
};

class ActiveXExemptTest : public ScanFixture, public ::testing::WithParamInterface<ClassCase> {};

TEST_P(ActiveXExemptTest, IsNotReported) {
  fake.registry.AddKey(kClassesRoot, "CLSID\\{OK}");
  fake.files.AddFile("C:\\WINDOWS\\notepad.exe");
  fake.registry.SetString(kClassesRoot, "cls\\" + GetParam().subKey, "", GetParam().text);
  scanner.CheckActiveX();
  EXPECT_EQ(state.ErrorCount, 0u) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ActiveXExemptTest,
    ::testing::Values(ClassCase{"icon file", "DefaultIcon", "C:\\GONE\\A.ICO,0"},
                      ClassCase{"explorer", "shell\\open\\command", "C:\\GONE\\EXPLORER.EXE /e"},
                      ClassCase{"rundll32", "shell\\open\\command",
                                "RUNDLL32.EXE C:\\GONE\\X.DLL,Y"},
                      ClassCase{"unknown prefix", "shell\\edit\\command", "%FOO%\\X.EXE"},
                      ClassCase{"no exe or dll", "shell\\open\\command", "C:\\GONE\\X.COM"},
                      ClassCase{"registered class id", "CLSID", "{ok}"},
                      ClassCase{"in windows folder", "DefaultIcon", "C:\\GONE\\NOTEPAD.EXE,1"}),
    [](const ::testing::TestParamInfo<ClassCase>& info) {
      return "Case" + std::to_string(info.index);
    });

// Wine writes a default value on the class-ID key of both views, which then reads as the
// "CLSID" text of the 32-bit view's root "Wow6432Node".
TEST_F(ChecksTest, ActiveXPassesOverExtensionsUrnsAndTheSpecialNames) {
  fake.files.AddFile("C:\\WINDOWS\\notepad.exe");
  fake.registry.AddKey(kClassesRoot, "CLSID\\{ok}");
  for (const char* name : {".x", "a-urn:b", "clsid", "LnkFile", "Wow6432Node"})
    fake.registry.SetString(kClassesRoot, AnsiString(name) + "\\CLSID", "", "{missing}");
  scanner.CheckActiveX();
  EXPECT_EQ(state.ErrorCount, 0u);
}

// ---- Programs location ----

TEST_F(ChecksTest, AnAppPathWhoseProgramIsMissingIsDeleted) {
  fake.registry.SetString(kLocalMachine, AnsiString(kAppPaths) + "FOO.EXE", "",
                          "C:\\GONE\\FOO.EXE");
  scanner.CheckProgramsLocation();
  EXPECT_EQ(Errors(Category::ProgramsLocation), (StringList{"Software does not exist: FOO.EXE"}));
  EXPECT_EQ(FixLines(),
            (StringList{"[-HKEY_LOCAL_MACHINE\\" + AnsiString(kAppPaths) + "FOO.EXE]", ""}));
}

TEST_F(ChecksTest, AppPathsRules) {
  const AnsiString base = kAppPaths;
  fake.files.AddFolder("C:\\Tools");
  fake.registry.SetString(kLocalMachine, base + "folder.exe", "Path", "C:\\Tools");
  fake.registry.AddKey(kLocalMachine, base + "neither.exe");
  fake.registry.SetString(kLocalMachine, base + "admin.exe", "", "C:\\GONE\\A.EXE");
  fake.registry.SetDword(kLocalMachine, base + "admin.exe", "RunAsOnNonAdminInstall", 1);
  fake.registry.SetString(kLocalMachine, base + "sub.exe\\SupportedProtocols", "", "");
  fake.files.AddFile("C:\\Tools\\ok.exe");
  fake.registry.SetString(kLocalMachine, base + "ok.exe", "", "\"C:\\Tools\\ok.exe\"");
  scanner.CheckProgramsLocation();
  EXPECT_EQ(Errors(Category::ProgramsLocation),
            (StringList{"Software does not exist: neither.exe"}));
}

// ---- Common libraries ----

TEST_F(ChecksTest, AMissingSharedLibraryIsRemovedByItsEscapedName) {
  fake.registry.SetDword(kLocalMachine, kSharedDlls, "C:\\GONE\\X.DLL", 3);
  fake.files.AddFile("C:\\Lib\\Here.dll");
  fake.registry.SetDword(kLocalMachine, kSharedDlls, "C:\\Lib\\Here.dll", 1);
  fake.files.AddFile("C:\\WINDOWS\\w.dll");
  fake.registry.SetDword(kLocalMachine, kSharedDlls, "%WINDIR%\\w.dll", 1);
  fake.registry.SetDword(kLocalMachine, kSharedDlls, "%WINDIR%\\gone.dll", 1);
  scanner.CheckCommonLibraries();
  EXPECT_EQ(Errors(Category::CommonLibraries),
            (StringList{"Library does not exist: C:\\GONE\\X.DLL",
                        "Library does not exist: %WINDIR%\\gone.dll"}));
  const AnsiString header = "[HKEY_LOCAL_MACHINE\\" + AnsiString(kSharedDlls) + "\\]";
  EXPECT_EQ(FixLines(), (StringList{header, "\"C:\\\\GONE\\\\X.DLL\"=-", "", header,
                                    "\"%WINDIR%\\\\gone.dll\"=-", ""}));
  EXPECT_EQ(UndoLines(), (StringList{"[HKEY_LOCAL_MACHINE\\" + AnsiString(kSharedDlls) + "]",
                                     "\"C:\\\\GONE\\\\X.DLL\"=dword:00000003", "",
                                     "[HKEY_LOCAL_MACHINE\\" + AnsiString(kSharedDlls) + "]",
                                     "\"%WINDIR%\\\\gone.dll\"=dword:00000001", ""}));
}

// ---- Startup ----

TEST_F(ChecksTest, StartupValuesWithoutAUsableCommandAreReportedUnderTheirOwnRoot) {
  fake.registry.SetString(kCurrentUser, kRun, "Empty", "");
  fake.registry.SetValue(kLocalMachine, kRun, "Bin", regtype::kBinary, {1, 2});
  scanner.CheckStartup(kCurrentUser);
  scanner.CheckStartup(kLocalMachine);
  EXPECT_EQ(Errors(Category::StartupUninstall),
            (StringList{"Startup file does not exist: ", "Startup file does not exist: "}));
  EXPECT_EQ(FixLines(),
            (StringList{"[HKEY_CURRENT_USER\\" + AnsiString(kRun) + "\\]", "\"Empty\"=-", "",
                        "[HKEY_LOCAL_MACHINE\\" + AnsiString(kRun) + "\\]", "\"Bin\"=-", ""}));
  EXPECT_EQ(UndoLines()[4], "\"Bin\"=hex:01,02");
}

TEST_F(ChecksTest, StartupRules) {
  fake.files.AddFile("C:\\WINDOWS\\tool.exe");
  fake.files.AddFile("C:\\Apps\\run.exe");
  fake.registry.SetString(kCurrentUser, kRun, "Sys", "%SystemRoot%\\gone.exe");
  fake.registry.SetString(kCurrentUser, kRun, "Dll", "rundll32 C:\\GONE\\X.DLL,Start");
  fake.registry.SetString(kCurrentUser, kRun, "Win", "C:\\OLD\\TOOL.EXE -min");
  fake.registry.SetString(kCurrentUser, kRun, "Ok", "\"C:\\Apps\\run.exe\" /tray");
  fake.registry.SetString(kCurrentUser, kRun, "Gone", "\"C:\\Gone\\app.exe\" /tray");
  scanner.CheckStartup(kCurrentUser);
  EXPECT_EQ(Errors(Category::StartupUninstall),
            (StringList{"Startup file does not exist: C:\\GONE\\APP.EXE"}));
}

TEST_F(ChecksTest, StartupValueNamesAreEscapedInTheFixLine) {
  fake.registry.SetString(kCurrentUser, kRun, "a\\\"b", "C:\\GONE\\A.EXE");
  scanner.CheckStartup(kCurrentUser);
  EXPECT_EQ(FixLines()[1], "\"a\\\\\\\"b\"=-");
}

// ---- Uninstall ----

TEST_F(ChecksTest, UninstallEntriesWithoutACommandAreReported) {
  const AnsiString base = kUninstall;
  fake.registry.SetString(kLocalMachine, base + "Orphan", "DisplayName", "x");
  fake.registry.SetString(kLocalMachine, base + "{GUID}", "DisplayName", "x");
  fake.registry.SetString(kLocalMachine, base + "Cmd", "UninstallString", "C:\\GONE\\U.EXE");
  fake.registry.SetString(kLocalMachine, base + "Quiet", "QuietUninstallString", "C:\\U.EXE");
  fake.registry.SetDword(kLocalMachine, base + "Kept", "NoRemove", 1);
  fake.registry.SetDword(kLocalMachine, base + "Sys", "SystemComponent", 1);
  scanner.CheckUninstall();
  EXPECT_EQ(Errors(Category::StartupUninstall), (StringList{"Invalid uninstall path: Orphan"}));
  EXPECT_EQ(FixLines(), (StringList{"[-HKEY_LOCAL_MACHINE\\" + base + "Orphan]", ""}));
}

// ---- Fonts, help, sounds ----

TEST_F(ChecksTest, BareFontNamesAreLookedForInTheFontsFolderAndFullPathsWhereTheyPoint) {
  fake.files.AddFile("C:\\WINDOWS\\Fonts\\arial.ttf");
  fake.files.AddFile("C:\\Fonts Elsewhere\\mine.ttf");
  fake.registry.SetString(kLocalMachine, kFonts, "Arial (TrueType)", "ARIAL.TTF");
  fake.registry.SetString(kLocalMachine, kFonts, "Gone \"x\"", "gone.ttf");
  fake.registry.SetString(kLocalMachine, kFonts, "Full", "C:\\WINDOWS\\Fonts\\arial.ttf");
  fake.registry.SetString(kLocalMachine, kFonts, "Mine", "C:\\Fonts Elsewhere\\mine.ttf");
  fake.registry.SetString(kLocalMachine, kFonts, "Full gone", "C:\\Fonts Elsewhere\\old.ttf");
  scanner.CheckFonts();
  EXPECT_EQ(Errors(Category::FontHelpSounds),
            (StringList{"Font file does not exist: GONE.TTF",
                        "Font file does not exist: C:\\FONTS ELSEWHERE\\OLD.TTF"}));
  EXPECT_EQ(FixLines()[1], "\"Gone \\\"x\\\"\"=-");
}

TEST_F(ChecksTest, HelpFilesAreLookedForInTheirFolderInUpperCase) {
  fake.files.AddFile("C:\\Help\\here.hlp");
  fake.registry.SetString(kLocalMachine, kHelp, "here.hlp", "C:\\HELP\\");
  fake.registry.SetString(kLocalMachine, kHelp, "foo.hlp", "C:\\HELP");
  scanner.CheckHelp();
  EXPECT_EQ(Errors(Category::FontHelpSounds),
            (StringList{"Help file does not exist: C:\\HELP\\FOO.HLP"}));
  EXPECT_EQ(FixLines(),
            (StringList{"[HKEY_LOCAL_MACHINE\\" + AnsiString(kHelp) + "\\]", "\"foo.hlp\"=-", ""}));
}

class SoundsTest : public ScanFixture {
 protected:
  void SetSounds(const AnsiString& current, const AnsiString& defaultSound) {
    fake.registry.SetString(kCurrentUser, event + "\\.Current", "", current);
    fake.registry.SetString(kCurrentUser, event + "\\.Default", "", defaultSound);
  }
  const AnsiString event = AnsiString(kSounds) + "Ding";
  const AnsiString root = "HKEY_CURRENT_USER\\";
};

TEST_F(SoundsTest, AMissingCurrentSoundTakesTheDefaultSoundAsRead) {
  fake.files.AddFile("C:\\WINDOWS\\Media\\ding.wav");
  SetSounds("c:\\gone\\x.wav", "%windir%\\Media\\ding.wav");
  scanner.CheckSounds();
  EXPECT_EQ(Errors(Category::FontHelpSounds),
            (StringList{"Sound file does not exist: C:\\GONE\\X.WAV"}));
  EXPECT_EQ(FixLines(), (StringList{"[" + root + event + "\\.Current]",
                                    "@=\"%WINDIR%\\\\MEDIA\\\\DING.WAV\"", ""}));
  EXPECT_EQ(UndoLines(),
            (StringList{"[" + root + event + "\\.Current]", "\"\"=\"c:\\\\gone\\\\x.wav\"", ""}));
}

TEST_F(SoundsTest, AnExistingCurrentSoundFinishesTheEvent) {
  fake.files.AddFile("C:\\Snd\\a.wav");
  SetSounds("C:\\Snd\\a.wav", "C:\\GONE\\B.WAV");
  scanner.CheckSounds();
  EXPECT_EQ(state.ErrorCount, 0u);
}

TEST_F(SoundsTest, AMissingDefaultSoundWithoutCurrentSoundIsEmptied) {
  SetSounds("", "C:\\GONE\\B.WAV");
  scanner.CheckSounds();
  EXPECT_EQ(FixLines(), (StringList{"[" + root + event + "\\.Default]", "@=\"\"", ""}));
}

TEST_F(SoundsTest, TwoMissingSoundsEachTakeTheOthersText) {
  SetSounds("\"C:\\GONE\\A.WAV\"", "C:\\GONE\\B.WAV");
  scanner.CheckSounds();
  EXPECT_EQ(state.ErrorCount, 2u);
  EXPECT_EQ(FixLines(),
            (StringList{"[" + root + event + "\\.Current]", "@=\"C:\\\\GONE\\\\B.WAV\"", "",
                        "[" + root + event + "\\.Default]", "@=\"C:\\\\GONE\\\\A.WAV\"", ""}));
}

}  // namespace
}  // namespace ql
