// Quillon.exe's scan window and undo manager under Wine and Xvfb, driven from outside: planted
// problems are found, Fix removes them through regedit, and the undo manager's Apply brings
// them back.
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Driver.win32.h"
#include "platform/win32/Win32Platform.h"
#include "unit/fix/KeyDeletionBackups.h"

namespace ql::e2e {
namespace {

constexpr DWORD kStartWait = 20000;
constexpr DWORD kScanWait = 180000;
constexpr char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kExtension[] = ".qlgui";
constexpr int kFixRegistryCommand = 40001;
constexpr int kUndoManagerCommand = 40003;

std::string UndoFolder() {
  char appData[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
  return std::string(appData) + "\\Quillon\\";
}

// Earlier runs' undo files would be listed before ours.
void RemoveUndoFiles() {
  for (const char* pattern : {"Quillon_Log_*.txt", "Quillon_Undo_*.reg"}) {
    WIN32_FIND_DATAA data{};
    HANDLE search = FindFirstFileA((UndoFolder() + pattern).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
      continue;
    do {
      DeleteFileA((UndoFolder() + data.cFileName).c_str());
    } while (FindNextFileA(search, &data));
    FindClose(search);
  }
}

class ScanWindowE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveUndoFiles();
    ASSERT_TRUE(WriteRegistryText(HKEY_CLASSES_ROOT, kExtension, "", "QlGuiMissingClass"));
    ASSERT_TRUE(
        WriteRegistryText(HKEY_CURRENT_USER, kRun, "qlgui", "\"C:\\qlguigone\\x.exe\" /min"));
    ASSERT_TRUE(WriteQuillonSetting("ShowMinimized", 0));
    quillon = Start("\"" + QuillonPath() + "\"");
    ASSERT_TRUE(quillon.Started());
    main = WaitForVisibleWindow(quillon.Id(), "Quillon", kStartWait);
    ASSERT_NE(main, nullptr);
  }
  void TearDown() override {
    CloseQuillon(quillon, main, 5000);
    DeleteRegistryTree(HKEY_CLASSES_ROOT, kExtension);
    DeleteRegistryValue(HKEY_CURRENT_USER, kRun, "qlgui");
  }

  Program quillon;
  HWND main = nullptr;
};

TEST_F(ScanWindowE2e, FindsFixesAndUndoesThePlantedProblems) {
  ASSERT_TRUE(PostMessageA(main, WM_COMMAND, kFixRegistryCommand, 0));
  HWND scan = WaitForVisibleWindow(quillon.Id(), " Fix registry problems", 5000);
  ASSERT_NE(scan, nullptr);
  EXPECT_EQ(ChildText(scan, "InfoLabel"), "Please click \"Scan\" button.");
  EXPECT_EQ(ChildText(scan, "Label1c"), "What is this?");

  Click(scan, "Button1Label");
  ASSERT_TRUE(WaitUntil(
      [&] {
        return ChildText(scan, "InfoLabel") == "To fix these errors please click \"Fix\" button.";
      },
      kScanWait))
      << ChildText(scan, "InfoLabel");
  EXPECT_EQ(ChildText(scan, "Button1Label"), "Scan");
  EXPECT_EQ(ChildText(scan, "Label1c"), "Details");
  EXPECT_GE(std::atoi(ChildText(scan, "Label1b").c_str()), 1) << ChildText(scan, "Label1b");
  EXPECT_GE(std::atoi(ChildText(scan, "Label6b").c_str()), 1) << ChildText(scan, "Label6b");
  SaveWindowBitmap(scan, ArtifactFolder() + "\\scan-window.bmp");

  Click(scan, "Button2Label");
  HWND information = WaitForVisibleWindow(quillon.Id(), "Information", 30000);
  ASSERT_NE(information, nullptr);
  const std::string fixed = ChildText(information, "InfoLabel");
  EXPECT_NE(fixed.find(" errors fixed!"), std::string::npos) << fixed;
  Click(information, "Button1Label");
  EXPECT_EQ(ReadRegistryText(HKEY_CLASSES_ROOT, kExtension, ""), "<missing>");
  EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, kRun, "qlgui"), "<missing>");
  ASSERT_TRUE(WaitUntil([&] { return ChildText(scan, "Label1c") == "What is this?"; }, 5000));
  win32::Win32Files files;
  win32::Win32CodePage codePage;
  Bytes fixScript;
  Bytes undoScript;
  ASSERT_TRUE(files.ReadWholeFile(UndoFolder() + "Quillon.reg", fixScript));
  ASSERT_TRUE(files.ReadWholeFile(UndoFolder() + "Quillon_Undo_1.reg", undoScript));
  EXPECT_TRUE(KeyDeletionsAreBackedUp(fixScript, undoScript, codePage));
  Click(scan, "Button3Label");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(scan) == FALSE; }, 5000));

  ASSERT_TRUE(PostMessageA(main, WM_COMMAND, kUndoManagerCommand, 0));
  HWND undo = WaitForVisibleWindow(quillon.Id(), "Details", 5000);
  ASSERT_NE(undo, nullptr);
  EXPECT_EQ(ChildText(undo, "ActionLabel"), "Undo manager");
  SaveWindowBitmap(undo, ArtifactFolder() + "\\undo-manager.bmp");
  Click(undo, "Button1Label");
  // The registry editor imports the undo script while the test reads: wait for each entry.
  EXPECT_TRUE(WaitUntil(
      [&] { return ReadRegistryText(HKEY_CLASSES_ROOT, kExtension, "") == "QlGuiMissingClass"; },
      15000));
  EXPECT_TRUE(WaitUntil(
      [&] {
        return ReadRegistryText(HKEY_CURRENT_USER, kRun, "qlgui") ==
               "\"C:\\qlguigone\\x.exe\" /min";
      },
      15000))
      << ReadRegistryText(HKEY_CURRENT_USER, kRun, "qlgui");
  Click(undo, "Button3Label");
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(undo) == FALSE; }, 5000));
}

}  // namespace
}  // namespace ql::e2e
