// Quillon.exe's scan window and undo manager under Wine and Xvfb, driven from outside: planted
// problems are found, Fix removes them through regedit, and the undo manager's Apply brings
// them back.
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>

#include "Driver.win32.h"
#include "fix/IgnoreList.h"
#include "fix/ScriptText.h"
#include "platform/win32/Win32Platform.h"
#include "ui/Controls.h"
#include "unit/fix/KeyDeletionBackups.h"

namespace ql::e2e {
namespace {

constexpr DWORD kStartWait = 20000;
constexpr DWORD kScanWait = 180000;
constexpr char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kExtension[] = ".qlgui";
constexpr int kFixRegistryCommand = 40001;
constexpr int kUndoManagerCommand = 40003;
constexpr int kOptionsCommand = 40004;
// Three startup entries whose programs are gone: one the user unticks, one ignored, one fixed.
constexpr char kUntickedEntry[] = "qlpickA";
constexpr char kIgnoredEntry[] = "qlpickB";
constexpr char kFixedEntry[] = "qlpickC";

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

bool ScanEnded(HWND scan) {
  const std::string info = ChildText(scan, "InfoLabel");
  return info == "To fix these errors please click \"Fix\" button." ||
         info == "No problems found in your system!";
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
    for (const char* entry : {kUntickedEntry, kIgnoredEntry, kFixedEntry})
      DeleteRegistryValue(HKEY_CURRENT_USER, kRun, entry);
    DeleteRegistryTree(HKEY_CURRENT_USER, IgnoredKeyPath().c_str());
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
  // The scan that shows what is left runs before the window may close.
  ASSERT_TRUE(WaitUntil([&] { return ChildText(scan, "Label1b") == "0 errors found"; }, 10000));
  ASSERT_TRUE(WaitUntil([&] { return ScanEnded(scan); }, kScanWait));
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

std::string GoneProgram(const char* entry) {
  return std::string("\"C:\\qlpickgone\\") + entry + ".exe\" /tray";
}

// What the scan reports for the entry, in QuillonScan's print and in the details.
std::string FindingText(const char* entry) {
  std::string upper = std::string("C:\\QLPICKGONE\\") + entry + ".EXE";
  for (char& c : upper)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return "Startup file does not exist: " + upper;
}

std::string ScanPrint() {
  return RunAndCapture("\"" + DriverFolder() + "\\QuillonScan.exe\"").out;
}

// With the pointer, as a user does it: untick one finding, ignore another, Fix. Only the ticked
// ones change and the undo brings them back; the ignored one stays out of every scan until the
// list is cleared in the options window.
TEST_F(ScanWindowE2e, TheUserPicksAndIgnoresFindingsWithThePointer) {
  DeleteRegistryTree(HKEY_CURRENT_USER, IgnoredKeyPath().c_str());
  for (const char* entry : {kUntickedEntry, kIgnoredEntry, kFixedEntry})
    ASSERT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, kRun, entry, GoneProgram(entry)));
  ASSERT_TRUE(PostMessageA(main, WM_COMMAND, kFixRegistryCommand, 0));
  HWND scan = WaitForVisibleWindow(quillon.Id(), " Fix registry problems", 5000);
  ASSERT_NE(scan, nullptr);
  PointerClick(scan, "Button1Label");
  ASSERT_TRUE(WaitUntil([&] { return ScanEnded(scan); }, kScanWait))
      << ChildText(scan, "InfoLabel");
  const int found = std::atoi(ChildText(scan, "Label6b").c_str());
  ASSERT_GE(found, 4) << ChildText(scan, "Label6b");

  PointerClick(scan, "Label6c");
  HWND details = WaitForVisibleWindow(quillon.Id(), "Details", 5000);
  ASSERT_NE(details, nullptr);
  ASSERT_TRUE(BringToFront(details));
  const RemoteList list(GetDlgItem(details, ui::ControlIdFor("InfoList")));
  ASSERT_TRUE(list.Usable());
  ASSERT_EQ(list.Count(), found);
  const int unticked = list.FindContaining(FindingText(kUntickedEntry));
  ASSERT_GE(unticked, 0);
  EXPECT_TRUE(list.Checked(unticked));
  ASSERT_TRUE(list.ClickCheckBox(unticked));
  EXPECT_TRUE(WaitUntil([&] { return !list.Checked(unticked); }, 5000));
  const int ignored = list.FindContaining(FindingText(kIgnoredEntry));
  ASSERT_GE(ignored, 0);
  ASSERT_TRUE(list.ClickText(ignored));
  ASSERT_TRUE(WaitUntil([&] { return list.Selected(ignored); }, 5000));
  SaveWindowBitmap(details, ArtifactFolder() + "\\scan-details.bmp");
  PointerClick(details, "Button2Label");
  ASSERT_TRUE(WaitUntil([&] { return list.Count() == found - 1; }, 5000));
  EXPECT_EQ(list.FindContaining(FindingText(kIgnoredEntry)), -1);
  PointerClick(details, "Button1Label");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(details) == FALSE; }, 5000));
  EXPECT_EQ(ChildText(scan, "Label6b")
                .rfind(std::to_string(found - 2) + " of " + std::to_string(found - 1) + " ", 0),
            0u)
      << ChildText(scan, "Label6b");

  PointerClick(scan, "Button2Label");
  HWND information = WaitForVisibleWindow(quillon.Id(), "Information", 30000);
  ASSERT_NE(information, nullptr);
  EXPECT_NE(ChildText(information, "InfoLabel").find(" errors fixed!"), std::string::npos);
  PointerClick(information, "Button1Label");
  // The window scans again and shows what is left in the row: the unticked entry, not the
  // ignored one nor the two fixed ones.
  const std::string left = std::to_string(found - 3) + " errors found";
  ASSERT_TRUE(
      WaitUntil([&] { return ChildText(scan, "Label6b") == left && ScanEnded(scan); }, kScanWait))
      << ChildText(scan, "Label6b");
  EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, kRun, kFixedEntry), "<missing>");
  EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, kRun, kUntickedEntry), GoneProgram(kUntickedEntry));
  EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, kRun, kIgnoredEntry), GoneProgram(kIgnoredEntry));
  win32::Win32Files files;
  win32::Win32CodePage codePage;
  Bytes undoScript;
  ASSERT_TRUE(files.ReadWholeFile(UndoFolder() + "Quillon_Undo_1.reg", undoScript));
  const std::string undo = codePage.FromWide(DecodeScriptFile(undoScript, codePage));
  EXPECT_NE(undo.find(std::string("\"") + kFixedEntry + "\"="), std::string::npos);
  EXPECT_EQ(undo.find(kUntickedEntry), std::string::npos);
  EXPECT_EQ(undo.find(kIgnoredEntry), std::string::npos);
  PointerClick(scan, "Button3Label");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(scan) == FALSE; }, 5000));

  ASSERT_TRUE(PostMessageA(main, WM_COMMAND, kUndoManagerCommand, 0));
  HWND undoManager = WaitForVisibleWindow(quillon.Id(), "Details", 5000);
  ASSERT_NE(undoManager, nullptr);
  PointerClick(undoManager, "Button1Label");
  EXPECT_TRUE(WaitUntil(
      [&] {
        return ReadRegistryText(HKEY_CURRENT_USER, kRun, kFixedEntry) == GoneProgram(kFixedEntry);
      },
      15000))
      << ReadRegistryText(HKEY_CURRENT_USER, kRun, kFixedEntry);
  PointerClick(undoManager, "Button3Label");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(undoManager) == FALSE; }, 5000));

  const std::string beforeClearing = ScanPrint();
  EXPECT_NE(beforeClearing.find(FindingText(kUntickedEntry)), std::string::npos);
  EXPECT_EQ(beforeClearing.find(FindingText(kIgnoredEntry)), std::string::npos);
  ASSERT_TRUE(PostMessageA(main, WM_COMMAND, kOptionsCommand, 0));
  HWND options = WaitForVisibleWindow(quillon.Id(), "Options", 5000);
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(ChildText(options, "IgnoredLabel"), "Ignored entries: 1");
  SaveWindowBitmap(options, ArtifactFolder() + "\\options-ignored.bmp");
  PointerClick(options, "ClearLabel");
  HWND confirmation = WaitForVisibleWindow(quillon.Id(), "Confirmation", 5000);
  ASSERT_NE(confirmation, nullptr);
  PointerClick(confirmation, "Button1Label");
  EXPECT_TRUE(
      WaitUntil([&] { return ChildText(options, "IgnoredLabel") == "Ignored entries: 0"; }, 5000));
  PointerClick(options, "Button2Label");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(options) == FALSE; }, 5000));
  EXPECT_NE(ScanPrint().find(FindingText(kIgnoredEntry)), std::string::npos);
}

}  // namespace
}  // namespace ql::e2e
