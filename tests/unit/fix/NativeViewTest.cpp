// The scanner as a 32-bit process on 64-bit Windows: it must judge the native registry view and
// the native System32, or it reports healthy entries and misses broken ones.
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

// What a whole scan reports on a 64-bit machine with 64-bit and 32-bit programs installed, run
// by a 32-bit scanner that keeps the native-view rules or breaks one of them.
StringList Findings(bool opensNativeView, bool redirectionOff) {
  FakePlatform fake;
  fake.files.AddFolder("C:\\Undo");
  fake.registry.PlayWow64Process(true);
  fake.files.PlayWow64Process("C:\\WINDOWS", redirectionOff);

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
  Platform platform = fake.platform();
  Platform seen{opensNativeView ? static_cast<Registry&>(fake.registry) : defaultView,
                platform.files,
                platform.processes,
                platform.system,
                platform.clock,
                platform.codePage,
                platform.shell,
                platform.launcher,
                platform.pump};
  const AnsiString undoFolder = "C:\\Undo\\";
  ScanState state;
  FixPipeline pipeline(seen, state, undoFolder);
  RegistryScanner scanner(seen, state, pipeline);
  pipeline.RefreshFolders();
  pipeline.PrepareFixScripts();
  state.Scanning = true;
  RunAllChecks(scanner);
  StringList findings;
  for (const StringList& category : state.CategoryErrors)
    findings.insert(findings.end(), category.begin(), category.end());
  for (const AnsiString& description : state.NotBackedUp)
    findings.push_back("left alone: " + description);
  return findings;
}

TEST(NativeViewTest, A32BitScannerMustJudgeTheNativeRegistryAndSystem32) {
  // As built: every key opened in the native view, file-system redirection off.
  EXPECT_EQ(Findings(true, true), (StringList{"Software does not exist: gone64.exe"}));
  // Keys opened without the 64-bit flag: the broken 64-bit entry is missed, and 32-bit entries
  // are found, among them a healthy 32-bit server whose System32 means SysWOW64. The 64-bit
  // registry editor sees the native view and cannot back them up, so they are left alone.
  EXPECT_EQ(Findings(false, true), (StringList{"left alone: Software does not exist: old32.exe",
                                               "left alone: Invalid Server32: OLD32.DLL"}));
  // System32 left redirected: the healthy 64-bit server is reported.
  EXPECT_EQ(Findings(true, false),
            (StringList{"Software does not exist: gone64.exe", "Invalid Server32: NATIVE64.DLL"}));
}

}  // namespace
}  // namespace ql
