// Measures the full registry scan (without the registry editor's exports) against a plain walk
// of the same keys and values in the same run, and the cost of one export through regedit.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Timing.h"
#include "fix/FixPipeline.h"
#include "fix/RegistryScanner.h"
#include "platform/win32/Win32Platform.h"
#include "registry/RegistryHelpers.h"

namespace {

using ql::AnsiString;
using ql::StringList;

constexpr int kClassIds = 5000;
constexpr int kListValues = 2000;
constexpr char kMarker[] = "qlbench";

class NoPump final : public ql::Pump {
 public:
  void ProcessMessages() override {}
};

using ql::bench::Median;
using ql::bench::Seconds;

void SetText(HKEY root, const AnsiString& key, const AnsiString& name, const AnsiString& text) {
  HKEY handle = nullptr;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr,
                      &handle, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(handle);
}

const char* const kValueLists[] = {
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts",
    "SOFTWARE\\Microsoft\\Windows\\Help",
};

AnsiString Healthy() {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  return AnsiString(windows) + "\\notepad.exe";
}

// Half the classes are extensions naming the other half, which carry an open command.
void Populate(int classes) {
  const AnsiString program = Healthy();
  for (int i = 0; i < classes; i += 2) {
    const AnsiString n = kMarker + std::to_string(i);
    SetText(HKEY_CLASSES_ROOT, "." + n, "", n);
    SetText(HKEY_CLASSES_ROOT, n + "\\shell\\open\\command", "", "\"" + program + "\" %1");
  }
  for (int i = 0; i < kClassIds; ++i)
    SetText(HKEY_CLASSES_ROOT,
            "CLSID\\{" + AnsiString(kMarker) + std::to_string(i) + "}\\InprocServer32", "",
            "%SystemRoot%\\System32\\shell32.dll");
  for (const char* list : kValueLists) {
    for (int i = 0; i < kListValues; ++i) {
      const AnsiString name = kMarker + std::to_string(i);
      SetText(HKEY_LOCAL_MACHINE, list, name, program);
      if (list == kValueLists[1])
        SetText(HKEY_CURRENT_USER, list, name, program);
    }
  }
}

void Remove(int classes) {
  for (int i = 0; i < classes; i += 2) {
    const AnsiString n = kMarker + std::to_string(i);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ("." + n).c_str());
    RegDeleteTreeA(HKEY_CLASSES_ROOT, n.c_str());
  }
  for (int i = 0; i < kClassIds; ++i)
    RegDeleteTreeA(HKEY_CLASSES_ROOT,
                   ("CLSID\\{" + AnsiString(kMarker) + std::to_string(i) + "}").c_str());
  for (const char* list : kValueLists) {
    for (int i = 0; i < kListValues; ++i) {
      const AnsiString name = kMarker + std::to_string(i);
      RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, list, name.c_str());
      RegDeleteKeyValueA(HKEY_CURRENT_USER, list, name.c_str());
    }
  }
}

void WalkKey(ql::Registry& registry, ql::RegRoot root, const AnsiString& path, int depth,
             std::size_t& seen) {
  StringList names;
  ql::ReadValueNames(registry, root, path, names);
  for (const AnsiString& name : names)
    seen += ql::ReadStringValue(registry, root, path, name).size();
  if (depth == 0)
    return;
  ql::ReadKeyNames(registry, root, path, names);
  for (const AnsiString& name : names)
    WalkKey(registry, root, path + "\\" + name, depth - 1, seen);
}

// The baseline: every key of the class root down to the depth the checks read, and every value
// list, each value read once; no decisions, no file checks.
void PlainWalk(ql::Registry& registry) {
  std::size_t seen = 0;
  WalkKey(registry, ql::kClassesRoot, "", 3, seen);
  for (const char* list : kValueLists)
    WalkKey(registry, ql::kLocalMachine, list, 0, seen);
  WalkKey(registry, ql::kCurrentUser, kValueLists[1], 0, seen);
  WalkKey(registry, ql::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths", 1,
          seen);
  WalkKey(registry, ql::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", 1,
          seen);
}

std::uint32_t FullScan(ql::Platform& platform) {
  const AnsiString undoFolder;  // without exports nothing is written
  ql::ScanState state;
  ql::FixPipeline pipeline(platform, state, undoFolder);
  pipeline.SetKeyExports(false);
  ql::RegistryScanner scanner(platform, state, pipeline);
  pipeline.RefreshFolders();
  state.Scanning = true;
  ql::RunAllChecks(scanner);
  return state.ErrorCount;
}

}  // namespace

// bench_scan_wine [classes [rounds]]: the planted keys are removed at the end of the run.
int main(int argc, char** argv) {
  const int classes = argc > 1 ? std::atoi(argv[1]) : 50000;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  NoPump pump;
  ql::win32::Win32Platform system;
  ql::Platform platform = system.platform(pump);
  std::printf("populating %d classes, %d class identifiers, %d values per list: %.1f s\n", classes,
              kClassIds, kListValues, Seconds([&] { Populate(classes); }));
  std::vector<double> walks;
  std::vector<double> scans;
  std::uint32_t found = 0;
  for (int round = 0; round < rounds; ++round) {
    walks.push_back(Seconds([&] { PlainWalk(platform.registry); }));
    scans.push_back(Seconds([&] { found = FullScan(platform); }));
  }
  const double walk = Median(walks);
  const double scan = Median(scans);
  std::printf("plain walk %.2f s, full scan %.2f s (%u problems), ratio %.2f\n", walk, scan, found,
              scan / walk);

  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const AnsiString undoFolder = temp;
  std::vector<double> exports;
  for (int round = 0; round < 5; ++round) {
    ql::ScanState state;
    ql::FixPipeline pipeline(platform, state, undoFolder);
    pipeline.RefreshFolders();
    exports.push_back(Seconds(
        [&] { pipeline.ExportKeyToUndo(ql::kClassesRoot, "\\." + AnsiString(kMarker) + "0"); }));
  }
  std::printf("one ExportKeyToUndo (regedit start to file read): median %.3f s\n", Median(exports));
  std::printf("removing: %.1f s\n", Seconds([&] { Remove(classes); }));
  return 0;
}
