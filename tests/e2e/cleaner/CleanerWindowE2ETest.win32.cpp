// The cleaner window of the real Quillon.exe, driven from outside through window texts and
// control IDs: Scan finds the planted cache files, old temporary files, browser caches and
// registry values, Details lists them, Clean removes exactly them and leaves read-only, excluded,
// linked and open files, running browsers' caches and every folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "Driver.win32.h"
#include "wine/cleaner/UnixLinks.win32.h"

namespace ql::e2e {
namespace {

constexpr int kCleanSystemCommand = 40002;  // the tray menu's "Clean your system"
constexpr char kCleanerTitle[] = "Clean your system";
constexpr char kExplorerFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr char kPlantedKey[] = "Software\\QuillonCleanerE2E";

void MakeFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_ARCHIVE) {
  const HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, "cached", 6, &written, nullptr);
  CloseHandle(file);
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool HasValue(const char* key, const char* name) {
  return RegistryValueExists(HKEY_CURRENT_USER, key, name);
}

std::string ReadCacheShellFolder(DWORD& type, bool& present) {
  char data[MAX_PATH * 2] = {};
  DWORD size = sizeof(data) - 1;
  present = RegGetValueA(HKEY_CURRENT_USER, kExplorerFolders, "Cache", RRF_RT_ANY | RRF_NOEXPAND,
                         &type, data, &size) == ERROR_SUCCESS;
  return data;
}

bool MakeUnixFileLink(const std::string& link, const std::string& target) {
  return test::MakeUnixLink(link, target, [&] { return Exists(link); });
}

void RemoveUnixLink(const std::string& link) {
  test::RemoveUnixLink(link, [&] { return !Exists(link); });
}

class CleanerWindowE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    static const std::string userTemp = TempFolder();  // before a test points it elsewhere
    root_ = userTemp + "quillon-e2e-cleaner-" + std::to_string(GetTickCount());
    cache_ = root_ + "\\Temporary Internet Files";
    temp_ = root_ + "\\Temp\\";
    for (const std::string& folder : {root_, cache_, cache_ + "\\Content.IE5",
                                      cache_ + "\\Content.IE5\\X1", root_ + "\\Outside", temp_})
      ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    // Quillon cleans a temporary folder of the test's own, which nothing else fills.
    SetEnvironmentVariableA("TMP", temp_.c_str());
    SetEnvironmentVariableA("TEMP", temp_.c_str());
    MakeFile(cache_ + "\\page.htm");
    MakeFile(cache_ + "\\hidden.dat", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(cache_ + "\\locked.htm", FILE_ATTRIBUTE_READONLY);
    MakeFile(cache_ + "\\Content.IE5\\index.dat");
    MakeFile(cache_ + "\\Content.IE5\\desktop.ini", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    MakeFile(cache_ + "\\Content.IE5\\X1\\logo.gif", FILE_ATTRIBUTE_SYSTEM);
    MakeFile(root_ + "\\Outside\\letter.doc");
    oldCache_ = ReadCacheShellFolder(oldCacheType_, hadCache_);
    ASSERT_TRUE(
        WriteRegistryText(HKEY_CURRENT_USER, kExplorerFolders, "Cache", cache_, REG_EXPAND_SZ));
    RegDeleteTreeA(HKEY_CURRENT_USER, kPlantedKey);
    ASSERT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, kPlantedKey, "Gone",
                                  "C:\\Quillon e2e gone\\report.doc"));
    ASSERT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, kPlantedKey, "Present",
                                  root_ + "\\Outside\\letter.doc"));
    ASSERT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, (std::string(kPlantedKey) + "\\Sync").c_str(),
                                  "Gone", "C:\\Quillon e2e gone\\sync.doc"));

    quillon_ = Start("\"" + QuillonPath() + "\"");
    ASSERT_TRUE(quillon_.Started());
    ASSERT_TRUE(WaitUntil([this] { return FindMain() != nullptr; })) << "no main window";
  }

  void TearDown() override {
    quillon_.Kill();
    for (const std::string& link : links_)
      RemoveUnixLink(link);
    for (const std::string& tree : trees_)
      RemoveTree(tree);
    if (hadCache_)
      WriteRegistryText(HKEY_CURRENT_USER, kExplorerFolders, "Cache", oldCache_, oldCacheType_);
    RegDeleteTreeA(HKEY_CURRENT_USER, kPlantedKey);
    RemoveTree(root_);
  }

  static void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA data{};
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = data.cFileName;
        const std::string path = folder + "\\" + name;
        if (name == "." || name == "..")
          continue;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
          RemoveTree(path);
        else
          DeleteFileA(path.c_str());
      } while (FindNextFileA(search, &data));
      FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
  }

  // The main window may be hidden in the tray; it still takes the tray menu's commands.
  HWND FindMain() const { return FindProcessWindow(quillon_.Id(), "Quillon"); }
  HWND Window(const char* title) const { return FindVisibleWindow(quillon_.Id(), title); }
  HWND WaitForWindow(const char* title) const {
    return WaitForVisibleWindow(quillon_.Id(), title, 20000);
  }

  std::string root_;
  std::string cache_;
  std::string temp_;
  std::vector<std::string> links_;  // removed at the end, before the trees
  std::vector<std::string> trees_;
  std::string oldCache_;
  DWORD oldCacheType_ = REG_EXPAND_SZ;
  bool hadCache_ = false;
  Program quillon_;
};

TEST_F(CleanerWindowE2E, ScanDetailsAndCleanFromTheTrayMenu) {
  PostMessageA(FindMain(), WM_COMMAND, kCleanSystemCommand, 0);
  const HWND cleaner = WaitForWindow(kCleanerTitle);
  ASSERT_NE(cleaner, nullptr);
  EXPECT_EQ(ChildText(cleaner, "InfoLabel"), "Please click \"Scan\" button.");
  EXPECT_EQ(ChildText(cleaner, "Label1c"), "What is this?");

  Click(cleaner, "Button1Label");
  ASSERT_TRUE(WaitUntil([&] { return ChildText(cleaner, "Label1c") == "Details"; }))
      << ChildText(cleaner, "InfoLabel");
  EXPECT_EQ(ChildText(cleaner, "Label1b"), "3 items found");
  EXPECT_EQ(ChildText(cleaner, "InfoLabel"), "To clean these items please click \"Clean\" button.");
  EXPECT_TRUE(Exists(cache_ + "\\page.htm"));

  Click(cleaner, "Label1c");
  const HWND details = WaitForWindow("Details");
  ASSERT_NE(details, nullptr);
  const std::string listed = ChildText(details, "InfoList");
  for (const char* file : {"\\page.htm", "\\hidden.dat", "\\locked.htm", "\\X1\\logo.gif"})
    EXPECT_NE(listed.find(file), std::string::npos) << file << " in " << listed;
  EXPECT_EQ(listed.find("desktop.ini"), std::string::npos);
  Click(details, "Button1Label");
  ASSERT_TRUE(WaitUntil([&] { return Window("Details") == nullptr; }));

  Click(cleaner, "Label2c");
  const HWND values = WaitForWindow("Details");
  ASSERT_NE(values, nullptr);
  const std::string valuesListed = ChildText(values, "InfoList");
  EXPECT_NE(valuesListed.find("Temporary value: C:\\Quillon e2e gone\\report.doc"),
            std::string::npos)
      << valuesListed;
  EXPECT_EQ(valuesListed.find("sync.doc"), std::string::npos);
  Click(values, "Button1Label");
  ASSERT_TRUE(WaitUntil([&] { return Window("Details") == nullptr; }));

  Click(cleaner, "Button2Label");
  const HWND information = WaitForWindow("Information");
  ASSERT_NE(information, nullptr);
  const std::string cleaned = ChildText(information, "InfoLabel");
  EXPECT_NE(cleaned.find(" items cleaned!"), std::string::npos) << cleaned;
  Click(information, "Button1Label");
  ASSERT_TRUE(WaitUntil([&] { return Window("Information") == nullptr; }));
  EXPECT_EQ(ChildText(cleaner, "Label1b"), "3 items cleaned");
  EXPECT_EQ(ChildText(cleaner, "Label1c"), "Details");  // the read-only file could not go

  for (const char* gone : {"\\page.htm", "\\hidden.dat", "\\Content.IE5\\X1\\logo.gif"})
    EXPECT_FALSE(Exists(cache_ + gone)) << gone;
  for (const char* kept : {"\\locked.htm", "\\Content.IE5\\index.dat", "\\Content.IE5\\desktop.ini",
                           "\\Content.IE5\\X1"})
    EXPECT_TRUE(Exists(cache_ + kept)) << kept;
  EXPECT_TRUE(Exists(root_ + "\\Outside\\letter.doc"));
  EXPECT_FALSE(HasValue(kPlantedKey, "Gone"));
  EXPECT_TRUE(HasValue(kPlantedKey, "Present"));
  EXPECT_TRUE(HasValue((std::string(kPlantedKey) + "\\Sync").c_str(), "Gone"));

  Click(cleaner, "Button3Label");
  EXPECT_TRUE(WaitUntil([&] { return Window(kCleanerTitle) == nullptr; }));
}

constexpr ULONGLONG kTwoDays = 2ULL * 24 * 60 * 60 * 10000000;

void MakeOld(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER time{};
  time.LowPart = now.dwLowDateTime;
  time.HighPart = now.dwHighDateTime;
  time.QuadPart -= kTwoDays;
  const FILETIME old{time.LowPart, time.HighPart};
  EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &old));
  CloseHandle(file);
}

void MakeFolders(const std::string& path) {
  for (std::size_t end = path.find('\\', 3); end != std::string::npos;
       end = path.find('\\', end + 1))
    CreateDirectoryA(path.substr(0, end).c_str(), nullptr);
}

void MakeFileIn(const std::string& path) {
  MakeFolders(path);
  MakeFile(path);
}

std::string LocalAppData() {
  char buffer[MAX_PATH] = {};
  GetEnvironmentVariableA("LOCALAPPDATA", buffer, MAX_PATH);
  return std::string(buffer) + "\\";
}

// A child process that keeps the file open, without letting it be deleted, until it is ended.
Program HoldInChild(const std::string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  const HANDLE held =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, 0, nullptr);
  const std::string child = DriverFolder() + "\\ql_test_child.exe";
  std::string commandLine = "\"" + child + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  const bool started = held != INVALID_HANDLE_VALUE &&
                       CreateProcessA(child.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &process);
  CloseHandle(held);
  if (!started)
    return Program();
  CloseHandle(process.hThread);
  return Program(win32::UniqueHandleNull(process.hProcess), process.dwProcessId);
}

// The paths a details window lists as found, without their sizes; notes are left out.
std::set<std::string> ListedPaths(const std::string& details) {
  std::set<std::string> paths;
  std::size_t start = 0;
  while (start < details.size()) {
    std::size_t end = details.find("\r\n", start);
    if (end == std::string::npos)
      end = details.size();
    const std::string line = details.substr(start, end - start);
    const std::size_t size = line.rfind("  (");
    if (size != std::string::npos && line.back() == ')')
      paths.insert(line.substr(0, size));
    start = end + 2;
  }
  return paths;
}

// The user's temporary folder and the caches of Edge, Chrome and Firefox profiles beside the
// internet cache pass: Scan lists exactly what Clean deletes, files with another name, links, open
// files, recent temporary files and a running browser's cache stay, and nothing else is touched.
TEST_F(CleanerWindowE2E, TemporaryFolderAndBrowserCachesAreCleanedSafely) {
  const std::string tag = std::to_string(GetTickCount());
  const std::string temp = temp_;
  const std::string local = LocalAppData();
  const std::string outside = "C:\\quillon-e2e-outside-" + tag + "\\";
  const std::string edge = local + "Microsoft\\Edge\\User Data\\";
  const std::string chrome = local + "Google\\Chrome\\User Data\\";
  const std::string firefox = local + "Mozilla\\Firefox\\Profiles\\";
  const std::string oldTemp = temp + "quillon-e2e-old-" + tag + ".tmp";
  const std::string newTemp = temp + "quillon-e2e-new-" + tag + ".tmp";
  const std::string oldDeep = temp + "quillon-e2e-" + tag + "\\old.tmp";
  const std::string secondName = temp + "quillon-e2e-second-" + tag + ".tmp";
  const std::string keep = outside + "keep.doc";
  const std::string link = chrome + "Default\\Cache\\Cache_Data\\link";
  const std::string held = edge + "Default\\GPUCache\\data_1";
  const std::string firefoxEntry = firefox + "e2e.default\\cache2\\entries\\ABCD";
  const std::set<std::string> temporaryGone = {oldTemp, oldDeep};
  const std::set<std::string> cachesGone = {edge + "Default\\Cache\\Cache_Data\\data_0",
                                            edge + "Profile 1\\Code Cache\\js\\index",
                                            chrome + "Default\\Cache\\Cache_Data\\f_000001"};
  const std::vector<std::string> kept = {newTemp,
                                         secondName,
                                         keep,
                                         link,
                                         held,
                                         firefoxEntry,
                                         edge + "Default\\Bookmarks",
                                         firefox + "e2e.default\\places.sqlite"};
  links_ = {link};
  trees_ = {outside.substr(0, outside.size() - 1), edge.substr(0, edge.size() - 1),
            chrome.substr(0, chrome.size() - 1), local + "Mozilla\\Firefox"};
  for (const std::string& path : {oldTemp, oldDeep, keep}) {
    MakeFileIn(path);
    MakeOld(path);
  }
  for (const std::string& path : cachesGone)
    MakeFileIn(path);
  for (const std::string& path : {newTemp, held, firefoxEntry, edge + "Default\\Bookmarks",
                                  firefox + "e2e.default\\places.sqlite"})
    MakeFileIn(path);
  ASSERT_TRUE(CreateHardLinkA(secondName.c_str(), keep.c_str(), nullptr));
  ASSERT_TRUE(MakeUnixFileLink(link, keep));
  Program holder = HoldInChild(held);
  ASSERT_TRUE(holder.Started());
  ASSERT_TRUE(CopyFileA((DriverFolder() + "\\ql_test_child.exe").c_str(),
                        (outside + "firefox.exe").c_str(), FALSE));
  Program browser = Start("\"" + outside + "firefox.exe\"");
  ASSERT_TRUE(browser.Started());

  PostMessageA(FindMain(), WM_COMMAND, kCleanSystemCommand, 0);
  const HWND cleaner = WaitForWindow(kCleanerTitle);
  ASSERT_NE(cleaner, nullptr);
  EXPECT_EQ(ChildText(cleaner, "Label3a"), "Browser caches");
  Click(cleaner, "Button1Label");
  ASSERT_TRUE(WaitUntil([&] { return ChildText(cleaner, "Label3c") == "Details"; }));
  EXPECT_EQ(ChildText(cleaner, "Label1b"), "5 items found");
  EXPECT_EQ(ChildText(cleaner, "Label3b"), "3 items found");
  const auto details = [&](const char* link) {
    Click(cleaner, link);
    const HWND window = WaitForWindow("Details");
    const std::string text = window != nullptr ? ChildText(window, "InfoList") : "";
    if (window != nullptr)
      Click(window, "Button1Label");
    WaitUntil([&] { return Window("Details") == nullptr; });
    return text;
  };
  const std::string filesListed = details("Label1c");
  const std::string cachesListed = details("Label3c");
  std::set<std::string> listed = ListedPaths(filesListed);
  for (const std::string& path : temporaryGone)
    EXPECT_EQ(listed.count(path), 1u) << path << " in " << filesListed;
  EXPECT_EQ(ListedPaths(cachesListed), cachesGone) << cachesListed;
  EXPECT_NE(cachesListed.find("Skipped while running: Mozilla Firefox"), std::string::npos);
  EXPECT_NE(cachesListed.find("Not deleted (in use): " + held), std::string::npos);
  EXPECT_NE(filesListed.find(oldTemp + "  (6 bytes)"), std::string::npos) << filesListed;
  for (const std::string& path : listed)
    EXPECT_TRUE(Exists(path)) << path;

  Click(cleaner, "Button2Label");
  const HWND information = WaitForWindow("Information");
  ASSERT_NE(information, nullptr);
  EXPECT_EQ(ChildText(information, "InfoLabel"), "9 items cleaned!\r\n48 bytes freed");
  Click(information, "Button1Label");
  ASSERT_TRUE(WaitUntil([&] { return Window("Information") == nullptr; }));
  EXPECT_EQ(ChildText(cleaner, "Label1b"), "5 items cleaned");
  EXPECT_EQ(ChildText(cleaner, "Label3b"), "3 items cleaned");
  listed.insert(cachesGone.begin(), cachesGone.end());
  for (const std::string& path : listed)
    EXPECT_FALSE(Exists(path)) << path;
  for (const std::string& path : kept)
    EXPECT_TRUE(Exists(path)) << path;
  EXPECT_TRUE(Exists(temp + "quillon-e2e-" + tag));
  EXPECT_TRUE(Exists(chrome + "Default\\Cache\\Cache_Data"));

  Click(cleaner, "Button3Label");
  EXPECT_TRUE(WaitUntil([&] { return Window(kCleanerTitle) == nullptr; }));
}

}  // namespace
}  // namespace ql::e2e
