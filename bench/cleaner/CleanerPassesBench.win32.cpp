// Measures what the cleaner's safe way of deleting costs, against walks of the same trees without
// it by the same program in the same run. Two trees of empty files in folders of 1,000: an internet
// cache (the CleanDir pass) and a Chrome profile's disk cache (the source FindBrowserCaches finds).
//   clean: the deleting pass (each file opened once, judged by the deletion rules and deleted
//          through that handle) against a bare deleting walk (FindFirstFileA/FindNextFileA and
//          DeleteFileA per file, folders kept). Every round plants two fresh copies of the tree,
//          untimed, one for each contender; the two then run back to back, taking turns at going
//          first. This is the like-for-like measure of the deletion rules.
//   scan:  the listing pass (the same opening and judging, nothing deleted) against a bare find
//          walk that only builds each file's path, on one planted tree. The bare walk makes no
//          call per file at all, so this ratio is mostly the price of opening each listed file.
// The values pass is measured against a plain walk of the same key tree. The cleaner's passes run
// with the program's message pump and a real progress label. Printed: the medians of the rounds'
// times, and the median and range of the rounds' ratios.
// Usage: bench_cleaner_passes [files a tree, default 10000] [values, default 100000]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "Timing.h"
#include "cleaner/CleanerPasses.h"
#include "cleaner/FileSources.h"
#include "paths/TextMeasure.win32.h"
#include "platform/win32/Win32Platform.h"
#include "ui/Win32Host.win32.h"

namespace {

using ql::AnsiString;
using ql::StringList;

constexpr char kBenchKey[] = "Software\\QuillonBench";
constexpr int kFilesPerFolder = 1000;
constexpr int kValuesPerKey = 100;
constexpr int kRounds = 5;

using ql::bench::Median;
using ql::bench::Seconds;

// A static control 340 pixels wide in Arial bold 12, as the cleaner window's status line.
class ProgressLabel : public ql::CleanerProgress {
 public:
  ProgressLabel() {
    window_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 398, 300, nullptr, nullptr, nullptr,
                              nullptr);
    label_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_CENTER, 32, 181, 340, 15,
                             window_, nullptr, nullptr, nullptr);
    font_ = CreateFontA(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    SendMessageA(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    measure_ = ql::win32::FontTextMeasure(font_);
  }
  ~ProgressLabel() override {
    DestroyWindow(window_);
    DeleteObject(font_);
  }
  void ShowFolder(const AnsiString& folder) override {
    if (folder != folder_) {
      folder_ = folder;
      shortened_ = ql::MinimizePath(folder, 340, measure_);
      SetWindowTextA(label_, shortened_.c_str());
    }
  }
  void ShowKey(const AnsiString& path) override { SetWindowTextA(label_, path.c_str()); }

 private:
  HWND window_ = nullptr;
  HWND label_ = nullptr;
  HFONT font_ = nullptr;
  ql::TextMeasure measure_;
  AnsiString folder_;
  AnsiString shortened_;
};

AnsiString TempFolder() {
  char buffer[MAX_PATH + 1] = {};
  return AnsiString(buffer, GetTempPathA(MAX_PATH, buffer));
}

// folders of kFilesPerFolder files each, ten folders to a parent, like a browser's cache.
void PlantFiles(const AnsiString& cache, int files) {
  CreateDirectoryA(cache.c_str(), nullptr);
  for (int n = 0; n < files; ++n) {
    const int folder = n / kFilesPerFolder;
    const AnsiString parent = cache + "Content" + std::to_string(folder / 10) + "\\";
    const AnsiString leaf = parent + "F" + std::to_string(folder) + "\\";
    if (n % kFilesPerFolder == 0) {
      CreateDirectoryA(parent.c_str(), nullptr);
      CreateDirectoryA(leaf.c_str(), nullptr);
    }
    const HANDLE file = CreateFileA((leaf + "page" + std::to_string(n) + ".htm").c_str(),
                                    GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
  }
}

// Depth first, as the cleaner walks: each file by its full path, then each folder once its
// entries are done (the top folder last).
void WalkTree(const AnsiString& folder, const std::function<void(const AnsiString&)>& onFile,
              const std::function<void(const AnsiString&)>& onFolderDone) {
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA((folder + "*.*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const AnsiString name = data.cFileName;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        onFile(folder + name);
      else if (name != "." && name != "..")
        WalkTree(folder + name + "\\", onFile, onFolderDone);
    } while (FindNextFileA(search, &data));
    FindClose(search);
  }
  if (onFolderDone)
    onFolderDone(folder);
}

void RemoveTree(const AnsiString& folder) {
  WalkTree(
      folder, [](const AnsiString& file) { DeleteFileA(file.c_str()); },
      [](const AnsiString& done) { RemoveDirectoryA(done.c_str()); });
}

// The baseline: every entry of the tree found and every file's full path built.
void PlainFileWalk(const AnsiString& folder, StringList& found) {
  WalkTree(
      folder, [&](const AnsiString& file) { found.push_back(file); }, nullptr);
}

// The baseline of a clean: every entry of the tree found and every file deleted by its name, as
// the cleaner did before it judged each file through its handle. Folders stay, as they do there.
void PlainDeletingWalk(const AnsiString& folder, std::size_t& deleted) {
  WalkTree(
      folder, [&](const AnsiString& file) { deleted += DeleteFileA(file.c_str()) != FALSE; },
      nullptr);
}

// Values: one in ten holds the path of a missing file, the others plain text, as in a real hive.
void PlantValues(int values) {
  HKEY key = nullptr;
  for (int n = 0; n < values; ++n) {
    if (n % kValuesPerKey == 0) {
      RegCloseKey(key);
      const AnsiString path = AnsiString(kBenchKey) + "\\Vendor" +
                              std::to_string(n / (kValuesPerKey * 10)) + "\\App" +
                              std::to_string(n / kValuesPerKey);
      RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr);
    }
    const AnsiString data = n % 10 == 0 ? "C:\\Quillon bench\\gone" + std::to_string(n) + ".doc"
                                        : "setting text " + std::to_string(n);
    RegSetValueExA(key, ("Value" + std::to_string(n)).c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
  }
  RegCloseKey(key);
}

// The baseline: every key opened by its path, every value's type and data read.
void PlainValueWalk(const AnsiString& path, std::size_t& values) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return;
  char name[256];
  BYTE data[1024];
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = sizeof(name);
    DWORD type = 0;
    DWORD size = sizeof(data);
    if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS)
      break;
    ++values;
  }
  std::vector<AnsiString> children;
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = sizeof(name);
    if (RegEnumKeyExA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    children.push_back(name);
  }
  for (const AnsiString& child : children)
    PlainValueWalk(path + "\\" + child, values);
  RegCloseKey(key);
}

// The times of one tree: the bare walk and the cleaner's pass, per round.
struct Times {
  std::vector<double> plain;
  std::vector<double> pass;
  std::size_t items = 0;
};

// The medians of the times, and the median of the rounds' ratios: the two contenders of a round
// run back to back, so a round's ratio is the least touched by other work on the machine.
void Report(const char* what, const Times& times, double target) {
  std::vector<double> ratios;
  for (std::size_t round = 0; round < times.plain.size(); ++round)
    ratios.push_back(times.pass[round] / times.plain[round]);
  const auto [least, most] = std::minmax_element(ratios.begin(), ratios.end());
  std::printf(
      "%-13s %7zu files  bare walk %7.3f s  cleaner pass %7.3f s  ratio %5.2f (rounds %.2f to "
      "%.2f, target %.1f)\n",
      what, times.items, Median(times.plain), Median(times.pass), Median(ratios), *least, *most,
      target);
}

// One of the trees the cleaner walks: where it is planted and how the cleaner's pass runs over it.
struct Tree {
  AnsiString folder;
  std::function<void(bool deleteFiles, ql::FilesReport& report)> pass;
  // Where the bare deleting walk gets its own copy: beside the tree, out of the cleaner's way.
  AnsiString BareCopy() const { return folder.substr(0, folder.size() - 1) + " (bare)\\"; }
};

// A fresh copy of the tree, without what an earlier round left (the folders a clean keeps).
void Replant(const AnsiString& folder, int files) {
  RemoveTree(folder);
  PlantFiles(folder, files);
}

// One round of the clean: each contender deletes its own fresh copy, planted before either runs.
// The contenders take turns at going first.
void MeasureClean(const Tree& tree, int files, bool bareFirst, Times& times) {
  Replant(tree.BareCopy(), files);
  Replant(tree.folder, files);
  std::size_t deleted = 0;
  ql::FilesReport report;
  const auto bare = [&] {
    times.plain.push_back(Seconds([&] { PlainDeletingWalk(tree.BareCopy(), deleted); }));
  };
  const auto safe = [&] { times.pass.push_back(Seconds([&] { tree.pass(true, report); })); };
  if (bareFirst) {
    bare();
    safe();
  } else {
    safe();
    bare();
  }
  if (report.files.size() != deleted)
    std::printf("%s: the bare walk deleted %zu files, the cleaner %zu\n", tree.folder.c_str(),
                deleted, report.files.size());
  times.items = report.files.size();
}

// One round of the scan, on the tree as planted.
void MeasureScan(const Tree& tree, Times& times) {
  StringList found;
  times.plain.push_back(Seconds([&] { PlainFileWalk(tree.folder, found); }));
  ql::FilesReport report;
  times.pass.push_back(Seconds([&] { tree.pass(false, report); }));
  times.items = report.files.size();
}

// The values pass against the plain walk, over a key tree planted for it.
void MeasureValues(ql::CleanerPasses& passes, int values) {
  RegDeleteTreeA(HKEY_CURRENT_USER, kBenchKey);
  PlantValues(values);
  std::vector<double> plainValues, cleanerValues;
  std::size_t valuesFound = 0, valuesSeen = 0;
  for (int round = 0; round < kRounds; ++round) {
    std::size_t seen = 0;
    plainValues.push_back(Seconds([&] { PlainValueWalk(kBenchKey, seen); }));
    valuesSeen = seen;
    StringList temporary;
    cleanerValues.push_back(Seconds([&] {
      passes.CleanApplicationsHistory(ql::kCurrentUser, "\\" + AnsiString(kBenchKey) + "\\", false,
                                      temporary);
    }));
    valuesFound = temporary.size();
  }
  const double plain = Median(plainValues);
  const double cleaner = Median(cleanerValues);
  std::printf(
      "%-13s %7zu values plain walk %7.3f s  cleaner pass %7.3f s  ratio %5.2f (target 2.0)\n",
      "values", valuesSeen, plain, cleaner, cleaner / plain);
  std::printf("temporary values found: %zu\n", valuesFound);
}

}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int values = argc > 2 ? std::atoi(argv[2]) : 100000;
  ql::win32::Win32Files fileSystem;
  ql::win32::Win32Registry registry;
  ql::win32::Win32Processes processes;
  ql::ui::win32::Win32Host host;  // the program's own message pump
  ql::Pump& pump = host.GetPump();
  ProgressLabel progress;
  bool busy = true;
  ql::CleanerPasses passes(fileSystem, registry, pump, busy, progress);

  const AnsiString root = TempFolder() + "quillon-bench-" + std::to_string(GetTickCount()) + "\\";
  CreateDirectoryA(root.c_str(), nullptr);
  // A Chrome profile's disk cache below a local application data folder of the run.
  for (const char* folder : {"Google", "Google\\Chrome", "Google\\Chrome\\User Data",
                             "Google\\Chrome\\User Data\\Default"})
    CreateDirectoryA((root + folder).c_str(), nullptr);
  const Tree internetCache{
      root + "Temporary Internet Files\\", [&](bool deleteFiles, ql::FilesReport& report) {
        passes.CleanDir(root + "Temporary Internet Files\\", deleteFiles, report);
      }};
  const Tree chromeCache{root + "Google\\Chrome\\User Data\\Default\\Cache\\",
                         [&](bool deleteFiles, ql::FilesReport& report) {
                           const ql::BrowserCaches caches =
                               ql::FindBrowserCaches(fileSystem, processes, root, "", "");
                           for (const ql::FileSource& source : caches.sources)
                             passes.CleanSource(source, deleteFiles, report);
                         }};
  std::printf("%d files a tree, %d values, %d rounds\n", files, values, kRounds);

  Times cleanCache, cleanChrome, scanCache, scanChrome;
  for (int round = 0; round < kRounds; ++round) {
    MeasureClean(internetCache, files, round % 2 == 0, cleanCache);
    MeasureClean(chromeCache, files, round % 2 == 0, cleanChrome);
  }
  Replant(internetCache.folder, files);
  Replant(chromeCache.folder, files);
  for (int round = 0; round < kRounds; ++round) {
    MeasureScan(internetCache, scanCache);
    MeasureScan(chromeCache, scanChrome);
  }
  Report("clean cache", cleanCache, 1.5);
  Report("clean chrome", cleanChrome, 1.5);
  Report("scan cache", scanCache, 1.5);
  Report("scan chrome", scanChrome, 1.5);

  MeasureValues(passes, values);

  RegDeleteTreeA(HKEY_CURRENT_USER, kBenchKey);
  RemoveTree(root);
  return 0;
}
