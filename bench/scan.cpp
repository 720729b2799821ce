// The full registry scan on the in-memory fakes, against a plain walk over the same keys and
// values: 50,000 classes, 5,000 class identifiers and 2,000 values in each value list.
#include <benchmark/benchmark.h>

#include "fix/FixPipeline.h"
#include "fix/RegistryScanner.h"
#include "platform/fake/FakePlatform.h"
#include "registry/RegistryHelpers.h"

namespace ql {
namespace {

constexpr int kClasses = 50000;
constexpr int kClassIds = 5000;
constexpr int kListValues = 2000;

const char* const kValueLists[] = {
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts",
    "SOFTWARE\\Microsoft\\Windows\\Help",
};

// A registry shaped like a well-used machine: most entries healthy, one in fifty broken.
void Populate(FakePlatform& fake) {
  fake.files.AddFile("C:\\Program Files\\App\\app.exe");
  fake.files.AddFile("C:\\WINDOWS\\System32\\shell32.dll");
  for (int i = 0; i < kClasses; ++i) {
    const AnsiString n = std::to_string(i);
    if (i % 2 == 0) {
      fake.registry.SetString(kClassesRoot, ".e" + n, "", "class" + n);
    } else {
      fake.registry.SetString(
          kClassesRoot, "class" + std::to_string(i - 1) + "\\shell\\open\\command", "",
          i % 50 == 1 ? "C:\\GONE\\X.EXE %1" : "\"C:\\Program Files\\App\\app.exe\" %1");
    }
  }
  for (int i = 0; i < kClassIds; ++i) {
    fake.registry.SetString(
        kClassesRoot, "CLSID\\{" + std::to_string(i) + "}\\InprocServer32", "",
        i % 50 == 0 ? "C:\\GONE\\X.DLL" : "%SystemRoot%\\System32\\shell32.dll");
  }
  for (const char* list : kValueLists) {
    for (int i = 0; i < kListValues; ++i) {
      const AnsiString name = "C:\\Program Files\\App\\v" + std::to_string(i) + ".hlp";
      fake.registry.SetString(kLocalMachine, list, name, "C:\\Program Files\\App\\app.exe");
      if (list == kValueLists[1])
        fake.registry.SetString(kCurrentUser, list, name, "C:\\Program Files\\App\\app.exe");
    }
  }
}

FakePlatform& Machine() {
  static FakePlatform* fake = [] {
    auto* created = new FakePlatform;
    Populate(*created);
    return created;
  }();
  return *fake;
}

void WalkKey(Registry& registry, RegRoot root, const AnsiString& path, int depth,
             std::size_t& seen) {
  StringList names;
  ReadValueNames(registry, root, path, names);
  for (const AnsiString& name : names)
    seen += ReadStringValue(registry, root, path, name).size();
  if (depth == 0)
    return;
  ReadKeyNames(registry, root, path, names);
  for (const AnsiString& name : names)
    WalkKey(registry, root, path + "\\" + name, depth - 1, seen);
}

// The baseline: every key the scan lists, its values read once, no decisions.
void BM_PlainWalk(benchmark::State& state) {
  FakePlatform& fake = Machine();
  for (auto _ : state) {
    std::size_t seen = 0;
    WalkKey(fake.registry, kClassesRoot, "", 3, seen);
    for (const char* list : kValueLists)
      WalkKey(fake.registry, kLocalMachine, list, 0, seen);
    WalkKey(fake.registry, kCurrentUser, kValueLists[1], 0, seen);
    benchmark::DoNotOptimize(seen);
  }
}
BENCHMARK(BM_PlainWalk)->Unit(benchmark::kMillisecond);

void BM_FullScanWithoutExports(benchmark::State& state) {
  FakePlatform& fake = Machine();
  Platform platform = fake.platform();
  const AnsiString undoFolder = "C:\\Undo\\";
  for (auto _ : state) {
    ScanState scan;
    FixPipeline pipeline(platform, scan, undoFolder);
    pipeline.SetKeyExports(false);
    RegistryScanner scanner(platform, scan, pipeline);
    pipeline.RefreshFolders();
    scan.Scanning = true;
    RunAllChecks(scanner);
    benchmark::DoNotOptimize(scan.ErrorCount);
  }
}
BENCHMARK(BM_FullScanWithoutExports)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql

BENCHMARK_MAIN();
