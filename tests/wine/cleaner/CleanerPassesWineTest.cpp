// The cleaner's passes under Wine: a real cache-like folder tree and a real HKCU\Software tree.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "cleaner/CleanerPasses.h"
#include "platform/fake/FakeShell.h"
#include "platform/win32/SystemFunction.h"
#include "platform/win32/Win32Platform.h"
#include "wine/cleaner/UnixLinks.win32.h"

namespace ql {
namespace {

class SilentProgress : public CleanerProgress {
 public:
  void ShowFolder(const AnsiString&) override { ++shown; }
  void ShowKey(const AnsiString&) override { ++shown; }
  std::size_t shown = 0;
};

AnsiString TempFolder() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(MAX_PATH, buffer);
  return AnsiString(buffer, length);
}

bool IsReparseFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Removes a folder tree, clearing attributes first; a reparse point is removed as a link, its
// target is never entered.
void RemoveTree(const AnsiString& folder) {
  WIN32_FIND_DATAA data{};
  const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const AnsiString name = data.cFileName;
      if (name == "." || name == "..")
        continue;
      const AnsiString path = folder + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        DeleteFileA(path.c_str());
      else if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        RemoveDirectoryA(path.c_str());
      else
        RemoveTree(path);
    } while (FindNextFileA(search, &data));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

bool MakeFile(const AnsiString& path, DWORD attributes = FILE_ATTRIBUTE_ARCHIVE) {
  const HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  WriteFile(file, "cache", 5, &written, nullptr);
  CloseHandle(file);
  return true;
}

bool PathExists(const AnsiString& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The passes over the real adapters, with a counting pump.
struct RealGround {
  win32::Win32Files files;
  win32::Win32Registry registry;
  FakePump pump;
  bool busy = true;
  SilentProgress progress;
  CleanerPasses passes{files, registry, pump, busy, progress};
};

class CacheTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A fresh name each time: Wine pids repeat, and a leftover dangling link cannot be removed.
    root_ = TempFolder() + "quillon-cleaner-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount());
    cache_ = root_ + "\\Local Settings\\Temporary Internet Files\\";
    outside_ = root_ + "\\My Documents\\";
    for (const AnsiString& folder : {root_, root_ + "\\Local Settings", cache_,
                                     cache_ + "Content.IE5", cache_ + "Content.IE5\\AB12CD34",
                                     cache_ + "Content.IE5\\EF56GH78", cache_ + "Empty", outside_})
      ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    planted_ = {{"page.htm", FILE_ATTRIBUTE_ARCHIVE, true},
                {"hidden.dat", FILE_ATTRIBUTE_HIDDEN, true},
                {"system.dat", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN, true},
                {"locked.htm", FILE_ATTRIBUTE_READONLY, false},
                {"index.dat", FILE_ATTRIBUTE_ARCHIVE, false},
                {"Content.IE5\\index.dat", FILE_ATTRIBUTE_ARCHIVE, false},
                {"Content.IE5\\desktop.ini", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false},
                {"Content.IE5\\AB12CD34\\logo[1].gif", FILE_ATTRIBUTE_ARCHIVE, true},
                {"Content.IE5\\AB12CD34\\caf\xe9.css", FILE_ATTRIBUTE_ARCHIVE, true},
                {"Content.IE5\\EF56GH78\\script[2].js", FILE_ATTRIBUTE_READONLY, false},
                {"Content.IE5\\EF56GH78\\index.dat.bak", FILE_ATTRIBUTE_ARCHIVE, true}};
    for (const Planted& file : planted_)
      ASSERT_TRUE(MakeFile(cache_ + file.relative, file.attributes)) << file.relative;
    ASSERT_TRUE(MakeFile(outside_ + "thesis.doc"));
    ASSERT_TRUE(MakeFile(root_ + "\\Local Settings\\settings.ini"));
  }
  void TearDown() override { RemoveTree(root_); }

  std::set<AnsiString> ExpectedListing() const {
    std::set<AnsiString> listed;
    for (const Planted& file : planted_) {
      if (file.listed)
        listed.insert(cache_ + file.relative);
    }
    return listed;
  }

  struct Planted {
    AnsiString relative;
    DWORD attributes;
    bool listed;
  };
  AnsiString root_;
  AnsiString cache_;
  AnsiString outside_;
  std::vector<Planted> planted_;
  RealGround ground_;
};

TEST_F(CacheTreeTest, ScanListsEveryFileButTheExcludedOnesAndDeletesNothing) {
  FilesReport report;
  ground_.passes.CleanDir(cache_, false, report);
  const StringList& found = report.files;
  EXPECT_EQ(std::set<AnsiString>(found.begin(), found.end()), ExpectedListing());
  EXPECT_EQ(found.size(), ExpectedListing().size());
  for (const Planted& file : planted_)
    EXPECT_TRUE(PathExists(cache_ + file.relative)) << file.relative;
}

TEST_F(CacheTreeTest, CleanDeletesFilesAndLeavesFoldersReadOnlyAndExcludedFiles) {
  FilesReport report;
  ground_.passes.CleanDir(cache_, true, report);
  const StringList& found = report.files;
  EXPECT_EQ(std::set<AnsiString>(found.begin(), found.end()), ExpectedListing());
  for (const Planted& file : planted_) {
    EXPECT_EQ(PathExists(cache_ + file.relative), !file.listed) << file.relative;
  }
  for (const char* folder : {"Content.IE5", "Content.IE5\\AB12CD34", "Empty"})
    EXPECT_TRUE(PathExists(cache_ + folder)) << folder;
  EXPECT_TRUE(PathExists(outside_ + "thesis.doc"));
  EXPECT_TRUE(PathExists(root_ + "\\Local Settings\\settings.ini"));
}

TEST_F(CacheTreeTest, FilesOfEachSubfolderAreListedTogether) {
  FilesReport report;
  ground_.passes.CleanDir(cache_, false, report);
  const StringList& found = report.files;
  const AnsiString sub = cache_ + "Content.IE5\\AB12CD34\\";
  const auto inSub = [&](const AnsiString& path) { return path.compare(0, sub.size(), sub) == 0; };
  const auto first = std::find_if(found.begin(), found.end(), inSub);
  ASSERT_NE(first, found.end());
  EXPECT_TRUE(std::all_of(first, first + 2, inSub));
  EXPECT_EQ(std::count_if(found.begin(), found.end(), inSub), 2);
}

TEST_F(CacheTreeTest, StopAfterTheFirstFileLeavesTheRestInPlace) {
  ground_.pump.OnEveryCall([this] {
    if (!ground_.progress.shown)
      return;
    ground_.busy = false;
  });
  FilesReport report;
  ground_.passes.CleanDir(cache_, true, report);
  const StringList& found = report.files;
  ASSERT_EQ(found.size(), 1u);
  std::size_t present = 0;
  for (const Planted& file : planted_)
    present += PathExists(cache_ + file.relative) ? 1 : 0;
  EXPECT_EQ(present, planted_.size() - (PathExists(found[0]) ? 0 : 1));
}

TEST_F(CacheTreeTest, InternetCacheFolderOfThisSystemFailsTheGuard) {
  win32::Win32System system;
  const AnsiString cache = system.ShellFolderPath(0x20);
  ASSERT_FALSE(cache.empty());
  EXPECT_NE(cache.find("INetCache"), AnsiString::npos) << cache;
  EXPECT_FALSE(PassesTemporaryGuard(cache + "\\"));
}

// Wine shows a Unix symbolic link to a folder as a directory reparse point.
bool MakeUnixDirectoryLink(const AnsiString& link, const AnsiString& target) {
  return test::MakeUnixLink(link, target,
                            [&] { return IsReparseFolder(GetFileAttributesA(link.c_str())); });
}

bool RemoveDirectoryLink(const AnsiString& link) {
  return RemoveDirectoryA(link.c_str()) || test::RemoveUnixLink(link, [&] {
           return GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES;
         });
}

// Creates a directory symbolic link, the Windows way or else the Wine way; false when neither
// works (then only the fake file system can show the walk's behaviour).
bool MakeDirectoryLink(const AnsiString& link, const AnsiString& target) {
  using CreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
  const auto create = win32::LookUpFunction<CreateLink>("kernel32.dll", "CreateSymbolicLinkA");
  if (create != nullptr && create(link.c_str(), target.c_str(), 1 /* directory */) &&
      IsReparseFolder(GetFileAttributesA(link.c_str())))
    return true;
  RemoveDirectoryA(link.c_str());
  return MakeUnixDirectoryLink(link, target);
}

TEST_F(CacheTreeTest, DirectoryLinkInsideTheCacheIsNotFollowed) {
  const AnsiString link = cache_ + "Documents";
  if (!MakeDirectoryLink(link, outside_.substr(0, outside_.size() - 1)))
    GTEST_SKIP() << "this Wine makes no directory reparse points; the fake file system covers it";
  FilesReport report;
  ground_.passes.CleanDir(cache_, true, report);
  const StringList& found = report.files;
  EXPECT_TRUE(PathExists(outside_ + "thesis.doc"));
  EXPECT_TRUE(IsReparseFolder(GetFileAttributesA(link.c_str())));
  EXPECT_EQ(found.size(), ExpectedListing().size());
  for (const AnsiString& path : found)
    EXPECT_EQ(path.find("Documents"), AnsiString::npos) << path;
  // Removed while its target exists: Wine does not list a dangling link, so the tree removal
  // could not find it afterwards.
  EXPECT_TRUE(RemoveDirectoryLink(link));
}

// A Unix symbolic link to a file, which Wine shows as a reparse point.
bool MakeUnixFileLink(const AnsiString& link, const AnsiString& target) {
  return test::MakeUnixLink(
      link, target, [&] { return GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

// The deletion rules on the real file system: a second name of a file outside, a link to it and
// a file this process holds open stay, and only the plain files are listed and deleted.
TEST_F(CacheTreeTest, LinksHardLinksAndFilesInUseAreLeftAlone) {
  const AnsiString thesis = outside_ + "thesis.doc";
  ASSERT_TRUE(CreateHardLinkA((cache_ + "second-name.htm").c_str(), thesis.c_str(), nullptr));
  ASSERT_TRUE(MakeUnixFileLink(cache_ + "link.htm", thesis));
  ASSERT_TRUE(MakeFile(cache_ + "open.htm"));
  const HANDLE open = CreateFileA((cache_ + "open.htm").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(open, INVALID_HANDLE_VALUE);
  for (bool deleteFiles : {false, true}) {
    SCOPED_TRACE(deleteFiles);
    FilesReport report;
    ground_.passes.CleanDir(cache_, deleteFiles, report);
    EXPECT_EQ(std::set<AnsiString>(report.files.begin(), report.files.end()), ExpectedListing());
    EXPECT_EQ(std::set<AnsiString>(report.notes.begin(), report.notes.end()),
              (std::set<AnsiString>{
                  "Not deleted (read-only): " + cache_ + "locked.htm",
                  "Not deleted (read-only): " + cache_ + "Content.IE5\\EF56GH78\\script[2].js",
                  "Not deleted (in use): " + cache_ + "open.htm"}));
    for (const char* kept : {"second-name.htm", "link.htm", "open.htm"})
      EXPECT_TRUE(PathExists(cache_ + kept)) << kept;
    EXPECT_TRUE(PathExists(thesis));
  }
  CloseHandle(open);
  DeleteFileA((cache_ + "link.htm").c_str());
}

const char kExplorerFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// Points the user's cache shell folder somewhere else and puts the old value back afterwards.
class CacheShellFolder {
 public:
  explicit CacheShellFolder(const AnsiString& folder) {
    RegCreateKeyExA(HKEY_CURRENT_USER, kExplorerFolders, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key_, nullptr);
    char old[MAX_PATH * 2] = {};
    DWORD size = sizeof(old) - 1;
    had_ = RegQueryValueExA(key_, "Cache", nullptr, &type_, reinterpret_cast<BYTE*>(old), &size) ==
           ERROR_SUCCESS;
    old_.assign(old, strnlen(old, sizeof(old)));
    Set(REG_EXPAND_SZ, folder);
  }
  CacheShellFolder(const CacheShellFolder&) = delete;
  CacheShellFolder& operator=(const CacheShellFolder&) = delete;
  ~CacheShellFolder() {
    if (had_)
      Set(type_, old_);
    else
      RegDeleteValueA(key_, "Cache");
    RegCloseKey(key_);
  }

 private:
  void Set(DWORD type, const AnsiString& text) {
    RegSetValueExA(key_, "Cache", 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
  }
  HKEY key_ = nullptr;
  DWORD type_ = REG_EXPAND_SZ;
  bool had_ = false;
  AnsiString old_;
};

TEST_F(CacheTreeTest, MovedCacheShellFolderIsTheFolderTheFilesPassCleans) {
  const CacheShellFolder moved(cache_.substr(0, cache_.size() - 1));
  win32::Win32System system;
  AnsiString cache = system.ShellFolderPath(0x20);
  ASSERT_EQ(cache + "\\", cache_);
  FilesReport report;
  ground_.passes.CleanDir(cache + "\\", true, report);
  const StringList& found = report.files;
  EXPECT_EQ(found.size(), ExpectedListing().size());
  EXPECT_FALSE(PathExists(cache_ + "page.htm"));
}

// A real key tree below HKCU\Software, removed again at the end.
class SoftwareTreeTest : public ::testing::Test {
 protected:
  static constexpr char kTop[] = "Software\\QuillonCleanerTest";

  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kTop);
    existing_ = TempFolder() + "quillon-existing-" + std::to_string(GetCurrentProcessId()) + ".txt";
    ASSERT_TRUE(MakeFile(existing_));
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kTop);
    DeleteFileA(existing_.c_str());
  }

  // Creates the key one level at a time: Wine refuses a single path of more than 255 characters.
  void Set(const AnsiString& key, const AnsiString& name, DWORD type, const AnsiString& data) {
    HKEY opened = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTop, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &opened, nullptr),
              ERROR_SUCCESS);
    std::size_t start = 0;
    while (start <= key.size()) {
      const std::size_t end = std::min(key.find('\\', start), key.size());
      HKEY child = nullptr;
      const LONG status = RegCreateKeyExA(opened, key.substr(start, end - start).c_str(), 0,
                                          nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr);
      RegCloseKey(opened);
      ASSERT_EQ(status, ERROR_SUCCESS) << key;
      opened = child;
      start = end + 1;
    }
    RegSetValueExA(opened, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size() + 1));
    RegCloseKey(opened);
  }
  bool Has(const AnsiString& key, const AnsiString& name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kTop, 0, KEY_READ, &opened) != ERROR_SUCCESS)
      return false;
    std::size_t start = 0;
    while (opened != nullptr && start <= key.size()) {
      const std::size_t end = std::min(key.find('\\', start), key.size());
      HKEY child = nullptr;
      if (RegOpenKeyExA(opened, key.substr(start, end - start).c_str(), 0, KEY_READ, &child) !=
          ERROR_SUCCESS)
        child = nullptr;
      RegCloseKey(opened);
      opened = child;
      start = end + 1;
    }
    if (opened == nullptr)
      return false;
    const bool has =
        RegQueryValueExA(opened, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(opened);
    return has;
  }
  StringList Run(const AnsiString& path, bool deleteValues) {
    StringList found;
    ground_.passes.CleanApplicationsHistory(kCurrentUser, path, deleteValues, found);
    return found;
  }

  AnsiString existing_;
  RealGround ground_;
};

TEST_F(SoftwareTreeTest, CleanRemovesExactlyTheListedValuesAndSparesSkippedKeys) {
  Set("App\\Recent", "File1", REG_SZ, "C:\\Quillon gone\\report.doc");
  Set("App\\Recent", "File2", REG_SZ, existing_);
  Set("App\\Recent", "File3", REG_EXPAND_SZ, "C:\\Quillon gone\\notes.txt");
  Set("App\\Recent", "", REG_SZ, "C:\\Quillon gone\\default.doc");
  Set("App\\Recent", "Comma", REG_SZ, "C:\\Quillon gone\\app.exe,0");
  Set("App\\Recent", "Folder", REG_SZ, "C:\\windows\\.");
  Set("App\\Recent", "Multi", REG_MULTI_SZ, "C:\\Quillon gone\\m.doc");
  Set("App\\Recent", "Floppy", REG_SZ, "A:\\SETUP.EXE");
  Set("App\\Microsoft\\Inner", "Gone", REG_SZ, "C:\\Quillon gone\\ms.doc");
  Set("App\\AutoSave", "Gone", REG_SZ, "C:\\Quillon gone\\auto.doc");
  Set("Vendor\\Sync", "Gone", REG_SZ, "C:\\Quillon gone\\sync.doc");
  Set("Caf\xe9\\Deep\\Deeper", "Gone", REG_SZ, "C:\\Quillon gone\\caf\xe9.doc");

  const StringList expected = {"Temporary value: C:\\Quillon gone\\report.doc",
                               "Temporary value: C:\\Quillon gone\\notes.txt",
                               "Temporary value: C:\\Quillon gone\\default.doc",
                               "Temporary value: A:\\SETUP.EXE",
                               "Temporary value: C:\\Quillon gone\\caf\xe9.doc"};
  const AnsiString top = "\\Software\\QuillonCleanerTest\\";
  StringList scanned = Run(top, false);
  std::sort(scanned.begin(), scanned.end());
  StringList sortedExpected = expected;
  std::sort(sortedExpected.begin(), sortedExpected.end());
  EXPECT_EQ(scanned, sortedExpected);
  EXPECT_TRUE(Has("App\\Recent", "File1"));

  StringList cleaned = Run(top, true);
  std::sort(cleaned.begin(), cleaned.end());
  EXPECT_EQ(cleaned, sortedExpected);
  for (const char* gone : {"File1", "File3", "", "Floppy"})
    EXPECT_FALSE(Has("App\\Recent", gone)) << gone;
  EXPECT_FALSE(Has("Caf\xe9\\Deep\\Deeper", "Gone"));
  for (const char* kept : {"File2", "Comma", "Folder", "Multi"})
    EXPECT_TRUE(Has("App\\Recent", kept)) << kept;
  EXPECT_TRUE(Has("App\\Microsoft\\Inner", "Gone"));
  EXPECT_TRUE(Has("App\\AutoSave", "Gone"));
  EXPECT_TRUE(Has("Vendor\\Sync", "Gone"));
  EXPECT_TRUE(Run(top, true).empty());
}

// Names beyond 255 characters and data beyond 256 bytes take the adapter's longer reads.
TEST_F(SoftwareTreeTest, LongValueNamesAndLongDataAreReadWhole) {
  const AnsiString longName(300, 'n');
  // Beyond 256 bytes, yet a valid path: no component beyond 255 characters, all of it below 260.
  const AnsiString longData =
      "C:\\Quillon gone\\" + AnsiString(120, 'd') + "\\" + AnsiString(116, 'd') + ".doc";
  Set("Long", longName, REG_SZ, longData);
  Set("Long", "short", REG_SZ, "C:\\Quillon gone\\short.doc");
  StringList found = Run("\\Software\\QuillonCleanerTest\\", true);
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (StringList{"Temporary value: " + longData,
                               "Temporary value: C:\\Quillon gone\\short.doc"}));
  EXPECT_FALSE(Has("Long", longName));
  EXPECT_FALSE(Has("Long", "short"));
}

TEST_F(SoftwareTreeTest, ScanOfTheWholeSoftwareKeyFindsThePlantedValueAndChangesNothing) {
  Set("App", "File", REG_SZ, "C:\\Quillon gone\\whole.doc");
  const StringList found = Run("\\Software\\", false);
  EXPECT_NE(std::find(found.begin(), found.end(), "Temporary value: C:\\Quillon gone\\whole.doc"),
            found.end());
  EXPECT_TRUE(Has("App", "File"));
}

// The ANSI registry calls take paths of at most 260 characters, so keys deeper than that are
// out of the walk's reach: they must be passed over quietly, and a value is deleted exactly
// when it is listed.
TEST_F(SoftwareTreeTest, KeysHundredsOfLevelsDeepEndTheWalkQuietly) {
  AnsiString key = "Deep";
  for (int level = 0; level < 200; ++level) {
    key += "\\k";
    if (level == 10)
      Set(key, "Gone", REG_SZ, "C:\\Quillon gone\\shallow.doc");
  }
  Set(key, "Gone", REG_SZ, "C:\\Quillon gone\\bottom.doc");
  Set("Later", "Gone", REG_SZ, "C:\\Quillon gone\\later.doc");
  const StringList found = Run("\\Software\\QuillonCleanerTest\\", true);
  ASSERT_GE(found.size(), 2u);
  EXPECT_EQ(found.front(), "Temporary value: C:\\Quillon gone\\shallow.doc");
  EXPECT_EQ(found.back(), "Temporary value: C:\\Quillon gone\\later.doc");
  EXPECT_FALSE(Has(key.substr(0, 4 + 11 * 2), "Gone"));
  EXPECT_EQ(Has(key, "Gone"), found.size() == 2);
}

}  // namespace
}  // namespace ql
