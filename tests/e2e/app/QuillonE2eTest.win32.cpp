// Quillon.exe under Wine and Xvfb, driven from outside: the texts of the main window, the
// accelerator on real notepads, the single instance, the restore and close requests, the start
// in the tray, and a screenshot of the main window.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Driver.win32.h"
#include "ui/Controls.h"

namespace ql::e2e {
namespace {

constexpr DWORD kStartWait = 20000;
constexpr DWORD kRaiseWait = 1000;  // two accelerator ticks
constexpr int kLoadLimit = 75;

int Number(HWND form, const char* control) {
  const std::string text = ChildText(form, control);
  return text.empty() ? -1 : std::atoi(text.c_str());
}

// The notification-area icons Wine's explorer shows, as child windows of its tray window.
int TrayIconCount() {
  int count = 0;
  for (HWND tray : WindowsTitled("Wine System Tray")) {
    for (HWND child = GetWindow(tray, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
      ++count;
  }
  return count;
}

// The hidden window of a process that owns its tray icon.
HWND TrayWindowOf(DWORD processId) {
  for (HWND window : ProcessWindows(processId)) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "QuillonTrayWindow")
      return window;
  }
  return nullptr;
}

class QuillonE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteQuillonSetting("ShowMinimized", 0));
    ASSERT_TRUE(WriteQuillonSetting("DisableMemoryManagement", 0));
  }
  void TearDown() override {
    CloseQuillon(quillon, main, 5000);
    WriteQuillonSetting("ShowMinimized", 0);
  }

  // Starts Quillon.exe and waits for its main window (hidden ones count with `hidden`).
  void StartQuillon(bool hidden = false) {
    quillon = Start("\"" + QuillonPath() + "\"");
    ASSERT_TRUE(quillon.Started());
    if (hidden) {
      WaitUntil([&] { return FindProcessWindow(quillon.Id(), "Quillon") != nullptr; }, kStartWait);
      main = FindProcessWindow(quillon.Id(), "Quillon");
    } else {
      main = WaitForVisibleWindow(quillon.Id(), "Quillon", kStartWait);
    }
    ASSERT_NE(nullptr, main);
  }

  // A notepad with its window, at the given class from before its window shows, so that the
  // accelerator never sees it in front at another class (Wine ignores a class among the creation
  // flags).
  struct Notepad {
    Program program;
    HWND window = nullptr;
  };
  Notepad StartNotepad(DWORD priorityClass) {
    Notepad notepad;
    notepad.program = Start("notepad.exe");
    if (notepad.program.Started()) {
      SetPriorityClassOf(notepad.program.Id(), priorityClass);
      notepad.window = WaitForVisibleWindow(notepad.program.Id(), "Untitled - Notepad", kStartWait);
    }
    return notepad;
  }
  // Waits for the process to be at the class; the load is shown when it is not.
  void ExpectClassSoon(const Program& program, DWORD priorityClass) {
    const ULONGLONG started = GetTickCount64();
    const bool reached =
        WaitUntil([&] { return PriorityClassOf(program.Id()) == priorityClass; }, kRaiseWait);
    EXPECT_TRUE(reached) << "class " << PriorityClassOf(program.Id()) << " after "
                         << GetTickCount64() - started << " ms, load "
                         << ChildText(main, "InfoLabel4b");
  }

  // The accelerator raises nothing while the load is above 75 %; a busy build machine waits.
  bool WaitForQuietMachine() {
    return WaitUntil(
        [&] {
          const int load = Number(main, "InfoLabel4b");
          return load >= 0 && load <= kLoadLimit;
        },
        60000);
  }

  Program quillon;
  HWND main = nullptr;
};

TEST_F(QuillonE2e, MainWindowReadsAsDesignedAndLooksFinished) {
  StartQuillon();
  EXPECT_EQ("Quillon", WindowText(main));
  const std::pair<const char*, const char*> texts[] = {
      {"AdsLabel1", "Want more performance? Try"},
      {"AdsLabel3", "Tallowmere!"},
      {"InfoLabel1a", "Worked programs:"},
      {"InfoLabel2a", "Accelerated program:"},
      {"InfoLabel4a", "Processor loading (%) "},
      {"Button1Label", "Close"},
      {"Button2Label", "Minimize"},
      {"InfoLabel3a", "Press button to increase free memory!  "},
  };
  for (const auto& [control, text] : texts)
    EXPECT_EQ(text, ChildText(main, control)) << control;
  EXPECT_GT(Number(main, "InfoLabel1b"), 1);  // at least Quillon and Wine's own processes
  const int free = Number(main, "InfoLabel3b");
  EXPECT_GE(free, 0);
  EXPECT_LE(free, 100);
  EXPECT_FALSE(ChildVisible(main, ui::ControlIdFor("ProgressBar")));
  RECT rect{};
  GetWindowRect(main, &rect);
  EXPECT_EQ(500, rect.right - rect.left);
  EXPECT_EQ(410, rect.bottom - rect.top);
  Sleep(1000);  // let the dot move and the balloon settle
  EXPECT_TRUE(SaveWindowBitmap(main, ArtifactFolder() + "\\quillon-main.bmp"));
}

TEST_F(QuillonE2e, ProgramInFrontIsRaisedAndGetsItsClassBack) {
  StartQuillon();
  Notepad first = StartNotepad(BELOW_NORMAL_PRIORITY_CLASS);
  Notepad second = StartNotepad(IDLE_PRIORITY_CLASS);
  ASSERT_NE(nullptr, first.window);
  ASSERT_NE(nullptr, second.window);
  if (!WaitForQuietMachine())
    GTEST_SKIP() << "the processor load stayed above 75 %, so nothing may be raised";

  ASSERT_TRUE(BringToFront(first.window));
  ExpectClassSoon(first.program, HIGH_PRIORITY_CLASS);
  ExpectClassSoon(second.program, IDLE_PRIORITY_CLASS);
  EXPECT_EQ("Untitled - Notepad", ChildText(main, "InfoLabel2c"));
  EXPECT_NE(std::string::npos, ChildText(main, "InfoLabel2b").find("notepad.exe"));

  ASSERT_TRUE(WaitForQuietMachine());
  ASSERT_TRUE(BringToFront(second.window));
  ExpectClassSoon(second.program, HIGH_PRIORITY_CLASS);
  EXPECT_EQ(static_cast<DWORD>(BELOW_NORMAL_PRIORITY_CLASS), PriorityClassOf(first.program.Id()));

  ASSERT_TRUE(PostRegistered(main, "QuillonClose", 1134));
  EXPECT_TRUE(quillon.WaitForExit(5000));
  EXPECT_EQ(static_cast<DWORD>(IDLE_PRIORITY_CLASS), PriorityClassOf(second.program.Id()));
}

TEST_F(QuillonE2e, SecondStartEndsAndBringsTheFirstBack) {
  StartQuillon();
  ShowWindow(main, SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(main) != FALSE; }, 5000));
  const ULONGLONG started = GetTickCount64();
  Program second = Start("\"" + QuillonPath() + "\"");
  ASSERT_TRUE(second.Started());
  EXPECT_TRUE(second.WaitForExit(3000));
  const ULONGLONG elapsed = GetTickCount64() - started;
  std::printf("second start ended after %llu ms\n", elapsed);
  EXPECT_LT(elapsed, 2000u);
  EXPECT_TRUE(quillon.Running());
  EXPECT_EQ(1u, WindowsTitled("Quillon").size());
  EXPECT_TRUE(WaitUntil([&] { return IsIconic(main) == FALSE; }, 3000));
}

TEST_F(QuillonE2e, RequestsWithOtherValuesChangeNothing) {
  StartQuillon();
  ShowWindow(main, SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(main) != FALSE; }, 5000));
  ASSERT_TRUE(PostRegistered(main, "QuillonRestore", 1035));
  ASSERT_TRUE(PostRegistered(main, "QuillonRestore", 1134));
  ASSERT_TRUE(PostRegistered(main, "QuillonClose", 1133));
  ASSERT_TRUE(PostRegistered(main, "QuillonClose", 1034));
  Sleep(1500);
  EXPECT_TRUE(IsIconic(main));
  EXPECT_TRUE(quillon.Running());
  ASSERT_TRUE(PostRegistered(main, "QuillonRestore", 1034));
  EXPECT_TRUE(WaitUntil([&] { return IsIconic(main) == FALSE; }, 3000));
  EXPECT_TRUE(quillon.Running());
}

TEST_F(QuillonE2e, ShowMinimizedStartsInTheTrayOnly) {
  const int iconsBefore = TrayIconCount();
  ASSERT_TRUE(WriteQuillonSetting("ShowMinimized", 1));
  StartQuillon(true);
  EXPECT_TRUE(WaitUntil([&] { return TrayIconCount() > iconsBefore; }, kStartWait));
  Sleep(1000);
  EXPECT_FALSE(IsWindowVisible(main));
  ASSERT_TRUE(PostRegistered(main, "QuillonClose", 1134));
  EXPECT_TRUE(quillon.WaitForExit(5000));
  EXPECT_TRUE(WaitUntil([&] { return TrayIconCount() == iconsBefore; }, 5000));
}

// Explorer that comes back has lost every icon and says so with "TaskbarCreated" to every
// top-level window. The icon is taken away here as a restarted Explorer loses it, while the main
// window is hidden in the tray, where the icon is the only way back to it.
TEST_F(QuillonE2e, TheTrayIconComesBackWhenTheTaskbarIsCreatedAgain) {
  const int iconsBefore = TrayIconCount();
  StartQuillon();
  ASSERT_TRUE(WaitUntil([&] { return TrayIconCount() > iconsBefore; }, kStartWait));
  ASSERT_TRUE(PostMessageA(main, WM_COMMAND, 40009, 0));  // Minimize
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) == FALSE; }, 3000));
  const HWND trayWindow = TrayWindowOf(quillon.Id());
  ASSERT_NE(nullptr, trayWindow);
  NOTIFYICONDATAA icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = trayWindow;
  icon.uID = 1;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &icon));
  ASSERT_TRUE(WaitUntil([&] { return TrayIconCount() == iconsBefore; }, 5000));

  ASSERT_TRUE(PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0));
  EXPECT_TRUE(WaitUntil([&] { return TrayIconCount() == iconsBefore + 1; }, 5000));
  Sleep(500);
  EXPECT_FALSE(IsWindowVisible(main));
}

TEST_F(QuillonE2e, TrayMenuCommandsReachTheMainWindow) {
  StartQuillon();
  ASSERT_TRUE(PostMessageA(main, WM_COMMAND, 40009, 0));  // Minimize
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) == FALSE; }, 3000));
  ASSERT_TRUE(PostMessageA(main, WM_COMMAND, 40005, 0));  // Close: asks first
  HWND question = WaitForVisibleWindow(quillon.Id(), "Confirmation", 5000);
  ASSERT_NE(nullptr, question);
  EXPECT_EQ("Are you sure to unload the program?", ChildText(question, "InfoLabel"));
  Click(question, "Button1Label");
  EXPECT_TRUE(quillon.WaitForExit(5000));
}

}  // namespace
}  // namespace ql::e2e
