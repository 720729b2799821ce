// The scanner and the fix as a 32-bit process on 64-bit Windows: the scan must judge the native
// registry view and the native System32, or it reports healthy entries and misses broken ones, and
// the registry editor must work on the view the scan read.
#include <gtest/gtest.h>

#include "fix/FixPipeline.h"
#include "fix/RegistryScanner.h"
#include "platform/fake/FakePlatform.h"
#include "unit/registry/ObservedRegistry.h"

namespace ql {
namespace {

constexpr char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr char kAppPaths32[] =
    "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr char kUndoFolder[] = "C:\\Undo\\";

StringList Findings(const ScanState& state) {
  StringList findings;
  for (const StringList& category : state.CategoryErrors)
    findings.insert(findings.end(), category.begin(), category.end());
  for (const AnsiString& description : state.NotBackedUp)
    findings.push_back("left alone: " + description);
  return findings;
}

// One scan with its texts prepared, as the scan window runs it.
void Scan(Platform& platform, ScanState& state, FixPipeline& pipeline) {
  RegistryScanner scanner(platform, state, pipeline);
  pipeline.RefreshFolders();
  pipeline.PrepareFixScripts();
  state.Scanning = true;
  RunAllChecks(scanner);
}

// A 32-bit program on 64-bit Windows (both registry views, System32 redirected unless the file
// calls turn that off, "%windir%\regedit.exe" redirected to the 32-bit editor).
void PlayWow64Process(FakePlatform& fake, bool redirectionOff) {
  fake.registry.PlayWow64Process(true);
  fake.files.PlayWow64Process("C:\\WINDOWS", redirectionOff);
  fake.launcher.PlayWow64Process(true);
}

// What a whole scan reports on a 64-bit machine with 64-bit and 32-bit programs installed, run
// by a 32-bit scanner that keeps the native-view rules or breaks one of them.
StringList NativeAndWow64Findings(bool opensNativeView, bool redirectionOff) {
  FakePlatform fake;
  fake.files.AddFolder("C:\\Undo");
  PlayWow64Process(fake, redirectionOff);

  // 64-bit programs, in the native view.
  fake.files.AddFile("C:\\Program Files\\Big\\big.exe");
  fake.registry.SetString(kLocalMachine, AnsiString(kAppPaths) + "big.exe", "",
                          "C:\\Program Files\\Big\\big.exe");
  fake.registry.SetString(kLocalMachine, AnsiString(kAppPaths) + "gone64.exe", "",
                          "C:\\Program Files\\Gone\\gone64.exe");
  fake.files.AddFile("C:\\WINDOWS\\System32\\native64.dll");
  fake.registry.SetString(kClassesRoot, "CLSID\\{64}\\InprocServer32", "",
                          "%SystemRoot%\\System32\\native64.dll");
  // 32-bit programs, in the redirected view and folder.
  fake.files.AddFile("C:\\WINDOWS\\SysWOW64\\old32.dll");
  fake.registry.SetString(kLocalMachine, AnsiString(kAppPaths32) + "old32.exe", "",
                          "C:\\Program Files (x86)\\Old\\old32.exe");
  fake.registry.SetString(kClassesRoot, "Wow6432Node\\CLSID\\{32}\\InprocServer32", "",
                          "C:\\WINDOWS\\System32\\old32.dll");

  // Code that opens its keys without KEY_WOW64_64KEY sees the redirected view.
  test::ObservedRegistry defaultView(fake.registry);
  defaultView.droppedAccess = regaccess::kWow64_64Key;
  Platform seen = opensNativeView ? fake.platform() : fake.platform(defaultView);
  const AnsiString undoFolder = kUndoFolder;
  ScanState state;
  FixPipeline pipeline(seen, state, undoFolder);
  Scan(seen, state, pipeline);
  return Findings(state);
}

TEST(NativeViewTest, A32BitScannerMustJudgeTheNativeRegistryAndSystem32) {
  // As built: every key opened in the native view, file-system redirection off.
  EXPECT_EQ(NativeAndWow64Findings(true, true),
            (StringList{"Software does not exist: gone64.exe"}));
  // Keys opened without the 64-bit flag: the broken 64-bit entry is missed, and 32-bit entries
  // are found, among them a healthy 32-bit server whose System32 means SysWOW64. The 64-bit
  // registry editor sees the native view and cannot back them up, so they are left alone.
  EXPECT_EQ(NativeAndWow64Findings(false, true),
            (StringList{"left alone: Software does not exist: old32.exe",
                        "left alone: Invalid Server32: OLD32.DLL"}));
  // System32 left redirected: the healthy 64-bit server is reported.
  EXPECT_EQ(NativeAndWow64Findings(true, false),
            (StringList{"Software does not exist: gone64.exe", "Invalid Server32: NATIVE64.DLL"}));
}

enum class Machine { k32BitOn32BitWindows, k32BitOn64BitWindows, k64BitOn64BitWindows };

// The class keys a program identifier names live in the native view for a 64-bit server and, on
// 64-bit Windows, in the 32-bit view for a 32-bit one; the identifiers themselves are shared.
TEST(NativeViewTest, AProgramIdentifiersClassCountsInEitherViewOnEveryMachine) {
  enum class ClassAt { kNativeView, k32BitView, kNowhere };
  struct Row {
    const char* what;
    ClassAt classAt;
    StringList expected;
  };
  const Row rows[] = {
      {"a 64-bit server's class", ClassAt::kNativeView, {}},
      {"a 32-bit server's class (office add-ins, older controls)", ClassAt::k32BitView, {}},
      {"a class registered nowhere", ClassAt::kNowhere, {"Invalid CLSID: {C1A55}"}},
  };
  for (Machine machine : {Machine::k32BitOn32BitWindows, Machine::k32BitOn64BitWindows,
                          Machine::k64BitOn64BitWindows}) {
    const bool windows64 = machine != Machine::k32BitOn32BitWindows;
    for (const Row& row : rows) {
      SCOPED_TRACE(::testing::Message() << row.what << ", machine " << static_cast<int>(machine));
      FakePlatform fake;
      fake.files.AddFolder("C:\\Undo");
      if (machine == Machine::k32BitOn64BitWindows)
        PlayWow64Process(fake, true);
      fake.files.AddFile("C:\\Program Files\\Contoso\\server.dll");
      fake.registry.SetString(kClassesRoot, "Contoso.Thing\\CLSID", "", "{C1A55}");
      // On 32-bit Windows there is one view: a 32-bit server registers where a native one does.
      const char* classKey = row.classAt == ClassAt::k32BitView && windows64
                                 ? "Wow6432Node\\CLSID\\{C1A55}\\InprocServer32"
                                 : "CLSID\\{C1A55}\\InprocServer32";
      if (row.classAt != ClassAt::kNowhere)
        fake.registry.SetString(kClassesRoot, classKey, "",
                                "C:\\Program Files\\Contoso\\server.dll");
      Platform platform = fake.platform();
      const AnsiString undoFolder = kUndoFolder;
      ScanState state;
      FixPipeline pipeline(platform, state, undoFolder);
      Scan(platform, state, pipeline);
      EXPECT_EQ(Findings(state), row.expected);
    }
  }
}

// Forgets to ask for the native registry editor, as a start left redirected would.
class RedirectedLauncher : public Launcher {
 public:
  explicit RedirectedLauncher(Launcher& inner) : inner_(inner) {}
  LaunchResult Run(const AnsiString& program, const AnsiString& commandLine,
                   const LaunchOptions& options) override {
    LaunchOptions redirected = options;
    redirected.nativeProgram = false;
    return inner_.Run(program, commandLine, redirected);
  }

 private:
  Launcher& inner_;
};

// A machine-wide entry of a 64-bit program that a 32-bit Quillon finds broken, beside a healthy
// 32-bit registration of the same name and shape: the backup, the fix and the undo must all reach
// the native key and leave the 32-bit one alone.
TEST(NativeViewTest, TheFixAndTheUndoOfA32BitQuillonReachTheNativeView) {
  for (bool startsNativeEditor : {true, false}) {
    SCOPED_TRACE(startsNativeEditor ? "native registry editor" : "start left redirected");
    FakePlatform fake;
    fake.files.AddFolder("C:\\Undo");
    PlayWow64Process(fake, true);
    const AnsiString native = AnsiString(kAppPaths) + "tool.exe";
    const AnsiString wow64 = AnsiString(kAppPaths32) + "tool.exe";
    fake.registry.SetString(kLocalMachine, native, "", "C:\\Program Files\\Tool\\tool.exe");
    fake.registry.SetString(kLocalMachine, native, "Path", "C:\\Program Files\\Tool");
    fake.files.AddFile("C:\\Program Files (x86)\\Tool\\tool.exe");
    fake.registry.SetString(kLocalMachine, wow64, "", "C:\\Program Files (x86)\\Tool\\tool.exe");
    fake.registry.SetString(kLocalMachine, wow64, "Path", "C:\\Program Files (x86)\\Tool");
    fake.launcher.SetConfirmationAnswer(true);

    RedirectedLauncher redirected(fake.launcher);
    Platform seen = startsNativeEditor ? fake.platform() : fake.platform(redirected);
    const AnsiString undoFolder = kUndoFolder;
    ScanState state;
    FixPipeline pipeline(seen, state, undoFolder);
    Scan(seen, state, pipeline);
    ASSERT_EQ(Findings(state), (StringList{"Software does not exist: tool.exe"}));
    const std::uint32_t fixed = pipeline.WriteFixFiles();

    if (startsNativeEditor) {
      EXPECT_EQ(fixed, 1u);
      EXPECT_FALSE(fake.registry.HasKey(kLocalMachine, native));
    } else {
      // The 32-bit editor backs up and deletes the healthy 32-bit key, and the broken one stays.
      EXPECT_EQ(fixed, 0u);
      EXPECT_TRUE(fake.registry.HasKey(kLocalMachine, native));
    }
    EXPECT_EQ(fake.registry.HasKey(kLocalMachine, wow64), startsNativeEditor);

    // The undo manager's Apply.
    RunRegEdit(seen.launcher, "C:\\WINDOWS\\",
               UndoImportArguments(undoFolder + state.UndoFileName));
    EXPECT_EQ(fake.registry.GetString(kLocalMachine, native, "Path"), "C:\\Program Files\\Tool");
    EXPECT_EQ(fake.registry.GetString(kLocalMachine, wow64, ""),
              "C:\\Program Files (x86)\\Tool\\tool.exe");
  }
}

}  // namespace
}  // namespace ql
