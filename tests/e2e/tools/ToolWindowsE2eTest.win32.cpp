// Quillon.exe under Wine, driven from outside: the options window saving to the real registry,
// and the worked programs window listing a running notepad and ending it after the confirmation.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Driver.win32.h"
#include "platform/win32/Win32Platform.h"
#include "registry/RegistryHelpers.h"
#include "ui/Controls.h"
#include "wine/platform/RegisteredTask.win32.h"

namespace ql::e2e {
namespace {

constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kSettingsKey[] = "SOFTWARE\\Kestrelworks\\Quillon";
constexpr DWORD kWindowWait = 15000;

HWND Child(HWND form, const char* name) {
  return GetDlgItem(form, ui::ControlIdFor(name));
}

// The visible top-level window of the process with the title; null until it is shown.
HWND WaitForWindow(DWORD processId, const std::string& title) {
  return WaitForVisibleWindow(processId, title, kWindowWait);
}

bool WaitHidden(HWND window) {
  return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, kWindowWait);
}

class ToolWindowsE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    // A clean start: no startup entry, and the main window shown at start.
    DeleteStartupEntry();
    ASSERT_TRUE(WriteQuillonSetting("ShowMinimized", 0));
    quillon_ = Start("\"" + QuillonPath() + "\"");
    ASSERT_TRUE(quillon_.Started());
    main_ = WaitForWindow(quillon_.Id(), "Quillon");
    ASSERT_NE(main_, nullptr);
  }
  void TearDown() override {
    CloseQuillon(quillon_, main_, 10000);
    DeleteStartupEntry();
  }
  void DeleteStartupEntry() {
    RegKey key(registry_);
    if (key.Open(kCurrentUser, kRunKey, FullAccess64))
      registry_.DeleteValue(key.Get(), "Quillon");
  }
  bool StartupEntryExists() { return ValueExists(registry_, kCurrentUser, kRunKey, "Quillon"); }
  // Presses "Ok" on the information window and returns the text it showed.
  std::string AcknowledgeInformation() {
    HWND information = WaitForWindow(quillon_.Id(), "Information");
    if (information == nullptr)
      return "(no information window)";
    const std::string text = ChildText(information, "InfoLabel");
    Click(information, "Button1Label");
    WaitHidden(information);
    return text;
  }
  // Opens the options window, sets its first box, saves and returns the information text.
  std::string SaveStartupOption(bool startWithSystem) {
    Click(main_, "TopButton3A");
    HWND options = WaitForWindow(quillon_.Id(), "Options");
    if (options == nullptr)
      return "(no options window)";
    SaveWindowBitmap(options, ArtifactFolder() + "\\tools-options.bmp");
    HWND box = Child(options, "CheckBox1");
    const bool checked = SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    EXPECT_EQ(checked, StartupEntryExists());
    if (checked != startWithSystem)
      PostMessageA(box, BM_CLICK, 0, 0);
    WaitUntil(
        [&] { return (SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED) == startWithSystem; },
        kWindowWait);
    Click(options, "Button1Label");
    const std::string text = AcknowledgeInformation();
    EXPECT_TRUE(WaitHidden(options));
    return text;
  }

  win32::Win32Registry registry_;
  Program quillon_;
  HWND main_ = nullptr;
};

std::string Upper(std::string text) {
  CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

TEST_F(ToolWindowsE2e, OptionsWindowAddsAndRemovesTheStartupEntry) {
  EXPECT_EQ(SaveStartupOption(true), "Options are saved!");
  EXPECT_TRUE(StartupEntryExists());
  EXPECT_EQ(ReadStringValue(registry_, kCurrentUser, kRunKey, "Quillon"),
            "\"" + Upper(QuillonPath()) + "\"");
  EXPECT_TRUE(test::RegisteredTaskXml(u"Quillon").has_value());
  EXPECT_TRUE(ValueExists(registry_, kCurrentUser, kSettingsKey, "ShowMinimized"));
  EXPECT_TRUE(ValueExists(registry_, kCurrentUser, kSettingsKey, "DisableMemoryManagement"));

  EXPECT_EQ(SaveStartupOption(false), "Options are saved!");
  EXPECT_FALSE(StartupEntryExists());
  EXPECT_FALSE(test::RegisteredTaskXml(u"Quillon").has_value());
}

TEST_F(ToolWindowsE2e, WorkedProgramsWindowEndsARunningNotepadAfterTheConfirmation) {
  Program notepad = Start("notepad.exe");
  ASSERT_TRUE(notepad.Started());
  ASSERT_NE(WaitForWindow(notepad.Id(), "Untitled - Notepad"), nullptr);

  Click(main_, "InfoLabel1a");
  HWND programs = WaitForWindow(quillon_.Id(), "Worked programs");
  ASSERT_NE(programs, nullptr);
  RemoteList list(Child(programs, "InfoList"));
  ASSERT_TRUE(list.Usable());
  int row = -1;
  ASSERT_TRUE(WaitUntil([&] { return (row = list.Find("notepad.exe")) > 0; }, kWindowWait))
      << "notepad.exe is not listed below the first row";
  // The accelerator raises notepad while it is in front and gives it its class back when another
  // program comes forward: the list follows within a refresh.
  EXPECT_TRUE(WaitUntil(
      [&] {
        const DWORD priorityClass = PriorityClassOf(notepad.Id());
        return list.Text(row, 1) == (priorityClass == HIGH_PRIORITY_CLASS ? "High" : "Normal");
      },
      kWindowWait));
  SaveWindowBitmap(programs, ArtifactFolder() + "\\tools-worked-programs.bmp");

  ASSERT_TRUE(list.Select(row));
  ASSERT_EQ(list.Text(row, 0), "notepad.exe");
  Click(programs, "Button3Label");
  HWND confirmation = WaitForWindow(quillon_.Id(), "Confirmation");
  ASSERT_NE(confirmation, nullptr);
  EXPECT_EQ(ChildText(confirmation, "InfoLabel"), "Unload program?");
  Click(confirmation, "Button1Label");

  ASSERT_TRUE(notepad.WaitForExit(kWindowWait));
  DWORD exitCode = 0;
  ASSERT_TRUE(GetExitCodeProcess(notepad.Handle(), &exitCode));
  EXPECT_EQ(exitCode, 259u);
  EXPECT_TRUE(WaitUntil([&] { return list.Find("notepad.exe") < 0; }, kWindowWait));

  Click(programs, "Button4Label");
  EXPECT_TRUE(WaitHidden(programs));
}

TEST_F(ToolWindowsE2e, AboutWindowShowsTheVersionAndTheMakersAddresses) {
  Click(main_, "TopButton1A");
  HWND about = WaitForWindow(quillon_.Id(), "About");
  ASSERT_NE(about, nullptr);
  SaveWindowBitmap(about, ArtifactFolder() + "\\tools-about.bmp");
  EXPECT_EQ(ChildText(about, "ActionLabel"), "Quillon");
  EXPECT_EQ(ChildText(about, "VersionLabel"), "Version: 2.2");
  EXPECT_EQ(ChildText(about, "CopyrightLabel"), "Copyright \xA9 2026 Kestrelworks");
  EXPECT_EQ(ChildText(about, "HomePageLabel2"), "http://kestrelworks.example/");
  EXPECT_EQ(ChildText(about, "SupportLabel2"), "support@kestrelworks.example");
  PostMessageA(about, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitHidden(about));
}

}  // namespace
}  // namespace ql::e2e
