// Measures the cleaner's files and values passes, with the program's message pump and a real
// progress label, against plain walks of the same trees by the same program in the same run: the
// internet cache pass and the browser caches (each file opened and judged by the deletion rules)
// against a bare walk of the same folders.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Timing.h"
#include "cleaner/CleanerPasses.h"
#include "cleaner/FileSources.h"
#include "platform/win32/Win32Platform.h"
#include "paths/TextMeasure.win32.h"
#include "ui/Win32Host.win32.h"

namespace {

using ql::AnsiString;
using ql::StringList;

constexpr char kBenchKey[] = "Software\\QuillonBench";
constexpr int kFilesPerFolder = 1000;
constexpr int kValuesPerKey = 100;
constexpr int kRounds = 3;

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

void RemoveTree(const AnsiString& folder) {
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA((folder + "*.*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const AnsiString name = data.cFileName;
      if (name == "." || name == "..")
        continue;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        RemoveTree(folder + name + "\\");
      else
        DeleteFileA((folder + name).c_str());
    } while (FindNextFileA(search, &data));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

// The baseline: every entry of the tree found and every file's full path built.
void PlainFileWalk(const AnsiString& folder, StringList& found) {
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA((folder + "*.*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE)
    return;
  do {
    const AnsiString name = data.cFileName;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      found.push_back(folder + name);
    else if (name != "." && name != "..")
      PlainFileWalk(folder + name + "\\", found);
  } while (FindNextFileA(search, &data));
  FindClose(search);
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

void Report(const char* what, std::size_t items, double baseline, double pass, double target) {
  std::printf(
      "%-7s %7zu items  plain walk %7.3f s  cleaner pass %7.3f s  ratio %5.2f (target %.1f)\n",
      what, items, baseline, pass, pass / baseline, target);
}

}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int values = argc > 2 ? std::atoi(argv[2]) : 100000;
  ql::win32::Win32Files fileSystem;
  ql::win32::Win32Registry registry;
  ql::ui::win32::Win32Host host;  // the program's own message pump
  ql::Pump& pump = host.GetPump();
  ProgressLabel progress;
  bool busy = true;
  ql::CleanerPasses passes(fileSystem, registry, pump, busy, progress);

  const AnsiString root = TempFolder() + "quillon-bench-" + std::to_string(GetTickCount()) + "\\";
  const AnsiString cache = root + "Temporary Internet Files\\";
  CreateDirectoryA(root.c_str(), nullptr);
  std::printf("planting %d files and %d values...\n", files, values);
  PlantFiles(cache, files);
  RegDeleteTreeA(HKEY_CURRENT_USER, kBenchKey);
  PlantValues(values);

  // A Chrome profile's disk cache below a local application data folder of the run.
  const AnsiString browserCache = root + "Google\\Chrome\\User Data\\Default\\Cache\\";
  for (const char* folder : {"Google", "Google\\Chrome", "Google\\Chrome\\User Data",
                             "Google\\Chrome\\User Data\\Default"})
    CreateDirectoryA((root + folder).c_str(), nullptr);
  PlantFiles(browserCache, files);
  ql::win32::Win32Processes processes;

  std::vector<double> plainFiles, cleanerFiles, plainCaches, cleanerCaches, plainValues,
      cleanerValues;
  std::size_t filesFound = 0, cachesFound = 0, valuesFound = 0, valuesSeen = 0;
  for (int round = 0; round < kRounds; ++round) {
    StringList found;
    plainFiles.push_back(Seconds([&] { PlainFileWalk(cache, found); }));
    ql::FilesReport listed;
    cleanerFiles.push_back(Seconds([&] { passes.CleanDir(cache, false, listed); }));
    filesFound = listed.files.size();
    StringList cacheFiles;
    plainCaches.push_back(Seconds([&] { PlainFileWalk(browserCache, cacheFiles); }));
    ql::FilesReport caches;
    cleanerCaches.push_back(Seconds([&] {
      const ql::BrowserCaches sources = ql::FindBrowserCaches(fileSystem, processes, root, "", "");
      for (const ql::FileSource& source : sources.sources)
        passes.CleanSource(source, false, caches);
    }));
    cachesFound = caches.files.size();
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
  Report("files", filesFound, Median(plainFiles), Median(cleanerFiles), 1.5);
  Report("caches", cachesFound, Median(plainCaches), Median(cleanerCaches), 1.5);
  Report("values", valuesSeen, Median(plainValues), Median(cleanerValues), 2.0);
  std::printf("temporary values found: %zu\n", valuesFound);

  RegDeleteTreeA(HKEY_CURRENT_USER, kBenchKey);
  RemoveTree(root);
  return 0;
}
