// The cleaner window of the real Quillon.exe, driven from outside through window texts and
// control IDs: Scan finds the planted cache files and registry values, Details lists them, Clean
// removes them and leaves the read-only and excluded files and every folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Driver.win32.h"

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

class CleanerWindowE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = TempFolder() + "quillon-e2e-cleaner-" + std::to_string(GetTickCount());
    cache_ = root_ + "\\Temporary Internet Files";
    for (const std::string& folder : {root_, cache_, cache_ + "\\Content.IE5",
                                      cache_ + "\\Content.IE5\\X1", root_ + "\\Outside"})
      ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
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
  EXPECT_EQ(ChildText(cleaner, "Label1b"), "4 items found");
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
  EXPECT_EQ(ChildText(cleaner, "Label1b"), "4 items cleaned");
  EXPECT_EQ(ChildText(cleaner, "Label1c"), "What is this?");

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

}  // namespace
}  // namespace ql::e2e
