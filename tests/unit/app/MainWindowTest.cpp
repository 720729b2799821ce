// Tests of the main window: start-up order, the restore and close requests, buttons, keys, tray
// icon and menu, and the busy rules during a memory pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

#include "app/MainWindow.h"
#include "app/ProgramState.h"
#include "app/Settings.h"
#include "platform/fake/FakePlatform.h"
#include "ui/MessageWindows.h"
#include "ui/testing/ScriptedHost.h"

namespace ql {
namespace {

constexpr std::uint32_t kRestoreId = 0xC100;
constexpr std::uint32_t kCloseId = 0xC101;
constexpr std::uint32_t kOtherId = 0xC102;

class FakeServices : public MainWindowServices {
 public:
  std::uint32_t RegisterMessage(const AnsiString& name) override {
    registered.push_back(name);
    if (name == "QuillonRestore")
      return kRestoreId;
    return name == "QuillonClose" ? kCloseId : kOtherId;
  }
  void RestoreApplication() override { ++restores; }
  void SetShowMainFormAtStart(bool show) override { showAtStart = show; }
  ui::IconRef GetFileIcon(const AnsiString& path) override {
    iconPaths.push_back(path);
    return 0x7000 + iconPaths.size();
  }
  WindowId MainWindow() override { return 0x1234; }

  std::vector<AnsiString> registered;
  int restores = 0;
  bool showAtStart = true;
  std::vector<AnsiString> iconPaths;
};

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindow& Start() {
    messages.reset();
    closedBefore = host.Closed().size();
    messages = std::make_unique<ui::MessageWindows>(host);
    form = ui::MakeForm<MainWindow>(host, platform, services, *messages, state);
    host.SetMainForm(form.get());
    return *form;
  }
  // A program in front, raised by one accelerator tick.
  void RaiseProgram(std::uint32_t processId, const AnsiString& path,
                    std::uint32_t priorityClass = priority::kNormal) {
    FakeProcess process;
    process.processId = processId;
    process.path = path;
    process.priorityClass = priorityClass;
    fake.processes.AddProcess(process);
    fake.processes.SetForegroundWindow(fake.processes.AddWindow(processId, "Editor"));
    ui::ScriptedHost::Fire(form->ProcessTimer);
  }
  // Only closes since the last Start count: a new form may have the address of an old one.
  bool Closed() const {
    const auto& closed = host.Closed();
    return std::find(closed.begin() + static_cast<std::ptrdiff_t>(closedBefore), closed.end(),
                     form.get()) != closed.end();
  }
  std::vector<AnsiString> ShownTexts() const {
    std::vector<AnsiString> texts;
    for (const auto& show : host.ModalShows())
      texts.push_back(show.text);
    return texts;
  }

  FakePlatform fake;
  Platform platform = fake.platform();
  ui::ScriptedHost host;
  FakeServices services;
  ProgramState state;
  std::unique_ptr<ui::MessageWindows> messages;
  std::unique_ptr<MainWindow> form;
  std::size_t closedBefore = 0;
};

TEST_F(MainWindowTest, StartUpSetsEverythingUpAndShowsRealFigures) {
  fake.system.SetMemoryMegabytes(1024, 300);
  MainWindow& main = Start();
  EXPECT_EQ("Quillon", main.Caption());
  EXPECT_EQ((std::vector<AnsiString>{"QuillonRestore", "QuillonClose"}), services.registered);
  EXPECT_EQ(kRestoreId, main.RestoreMessage);
  EXPECT_EQ(kCloseId, main.CloseMessage);
  EXPECT_TRUE(StartupEntryExists(fake.registry) == false);
  RegKey settings(fake.registry);
  EXPECT_TRUE(settings.Open(kCurrentUser, SettingsKey, regaccess::kRead));
  EXPECT_FALSE(state.UndoFolder.empty());
  EXPECT_EQ(500u, main.ProcessTimer.Interval());
  EXPECT_EQ(4000u, main.MemTimer.Interval());
  EXPECT_EQ("29", main.InfoLabel3b.Caption());  // 300 of 1024 MiB free
  EXPECT_EQ("0", main.InfoLabel4b.Caption());   // the first reading only stores the counters
  EXPECT_EQ("0", main.InfoLabel1b.Caption());
  EXPECT_EQ(50, main.Memory().FreeThreshold);
  EXPECT_EQ(0u, main.Accel().LastProcessId);
  EXPECT_TRUE(services.showAtStart);
  ASSERT_EQ(1u, main.Tray.Balloons().size());
  const Balloon& balloon = main.Tray.Balloons()[0];
  EXPECT_EQ("Quillon", balloon.title);
  EXPECT_EQ(
      "Program work and accelerate your PC.\rClick right mouse button to fix registry "
      "problems\rand clean your system!",
      balloon.text);
  EXPECT_EQ(10000u, balloon.timeoutMs);
}

// The labels' texts are read from the running window by the end-to-end test.
TEST_F(MainWindowTest, LinksAndFiguresCarryTheirHints) {
  MainWindow& main = Start();
  EXPECT_EQ("Download Tallowmere now", main.AdsLabel3.Hint());
  EXPECT_EQ("Accelerated program", main.IconImage.Hint());
  EXPECT_EQ("Free memory percent", main.InfoLabel3b.Hint());
  EXPECT_EQ("Please wait", main.ProgressBar.Hint());
  EXPECT_FALSE(main.ProgressBar.Visible());
  EXPECT_EQ(ui::colors::kBlue, main.InfoLabel1a.TextColor());
  EXPECT_TRUE(main.InfoLabel1a.GetFont().underline);
  EXPECT_EQ(ui::Cursor::Hand, main.InfoLabel3b.GetCursor());
  EXPECT_FALSE(main.Button1B.Visible());
}

TEST_F(MainWindowTest, ShowMinimizedStartsWithTheTrayIconAndBalloonOnly) {
  RegKey key(fake.registry);
  ASSERT_TRUE(key.Create(kCurrentUser, SettingsKey, regaccess::kAllAccess));
  ASSERT_TRUE(fake.registry.SetValue(key.Get(), "ShowMinimized", regtype::kDword, {1, 0, 0, 0}));
  MainWindow& main = Start();
  EXPECT_FALSE(services.showAtStart);
  EXPECT_EQ(1u, main.Tray.Balloons().size());
}

struct RequestCase {
  const char* name;
  std::uint32_t message;
  std::uintptr_t wParam;
  bool closes;
  int restores;
};

TEST_F(MainWindowTest, OnlyTheExactRequestsCloseOrRestore) {
  const RequestCase cases[] = {
      {"close request", kCloseId, 1134, true, 0},
      {"close with another value", kCloseId, 1133, false, 0},
      {"close with the restore value", kCloseId, 1034, false, 0},
      {"restore request", kRestoreId, 1034, false, 1},
      {"restore with another value", kRestoreId, 1035, false, 0},
      {"restore with the close value", kRestoreId, 1134, false, 0},
      {"another message", kOtherId, 1134, false, 0},
  };
  for (const RequestCase& c : cases) {
    services = FakeServices();
    Start();
    form->Show();
    form->MessageEvents(c.message, c.wParam);
    EXPECT_EQ(c.closes, Closed()) << c.name;
    EXPECT_EQ(c.restores, services.restores) << c.name;
    EXPECT_TRUE(host.ModalShows().empty()) << c.name;  // never a confirmation
  }
}

TEST_F(MainWindowTest, EveryWayOutGivesTheRaisedProgramItsClassBack) {
  const std::pair<const char*, std::function<void()>> ways[] = {
      {"close request", [&] { form->MessageEvents(kCloseId, 1134); }},
      {"Close, Yes",
       [&] {
         host.ClickOnModal("Confirmation", "Button1Label");
         form->Button1Click();
       }},
      {"session end", [&] { form->SessionEnding(); }},
      {"window gone", [&] { form.reset(); }},
  };
  std::uint32_t processId = 300;
  for (const auto& [name, wayOut] : ways) {
    Start();
    RaiseProgram(processId, "C:\\EDIT.EXE", priority::kBelowNormal);
    ASSERT_EQ(priority::kHigh, fake.processes.PriorityOf(processId)) << name;
    wayOut();
    EXPECT_EQ(priority::kBelowNormal, fake.processes.PriorityOf(processId)) << name;
    ++processId;
  }
}

TEST_F(MainWindowTest, CloseIsRefusedDuringAMemoryPass) {
  Start();
  RaiseProgram(300, "C:\\EDIT.EXE", priority::kBelowNormal);
  state.Memory.MemoryBusy = true;
  form->MessageEvents(kCloseId, 1134);
  form->Close();
  EXPECT_FALSE(Closed());
  EXPECT_EQ(priority::kHigh, fake.processes.PriorityOf(300));
}

TEST_F(MainWindowTest, CloseButtonAsksAndOnlyYesCloses) {
  Start();
  form->Button1Click();  // no reaction scripted: the window is closed with Escape
  EXPECT_FALSE(Closed());
  host.ClickOnModal("Confirmation", "Button2Label");
  form->Button1Label.Click();
  EXPECT_FALSE(Closed());
  host.ClickOnModal("Confirmation", "Button1Label");
  form->Button1A.Click();
  EXPECT_TRUE(Closed());
  EXPECT_EQ((std::vector<AnsiString>(3, "Are you sure to unload the program?")), ShownTexts());
}

TEST_F(MainWindowTest, EscapeAsksToUnloadAndF1LooksForTheHelpFile) {
  Start();
  state.ProgramFolder = "C:\\QUILLON";
  form->KeyDown(ui::keys::kEscape);
  form->KeyDown(ui::keys::kF1);
  form->KeyDown(ui::keys::kEnter);
  EXPECT_EQ(
      (std::vector<AnsiString>{"Are you sure to unload the program?", "Help file not found!"}),
      ShownTexts());
  EXPECT_FALSE(Closed());
  ASSERT_TRUE(fake.files.AddFile("C:\\QUILLON\\Quillon.chm"));
  form->KeyDown(ui::keys::kF1);
  ASSERT_EQ(1u, fake.shell.OpenedTargets().size());
  EXPECT_EQ("C:\\QUILLON\\Quillon.chm", fake.shell.OpenedTargets()[0].target);
  EXPECT_EQ(0x1234u, fake.shell.OpenedTargets()[0].owner);
  EXPECT_EQ(2u, host.ModalShows().size());
}

TEST_F(MainWindowTest, AHelpFolderIsNotAHelpFile) {
  Start();
  state.ProgramFolder = "C:\\QUILLON";
  ASSERT_TRUE(fake.files.AddFolder("C:\\QUILLON\\Quillon.chm"));
  form->TopButton2Click();
  EXPECT_TRUE(fake.shell.OpenedTargets().empty());
  EXPECT_EQ(std::vector<AnsiString>{"Help file not found!"}, ShownTexts());
}

TEST_F(MainWindowTest, MinimizeHidesAndTheTrayIconBringsItBackCentred) {
  host.SetScreenSize({1280, 1024});
  Start();
  form->Show();
  form->SetPosition({10, 20});
  form->Button2Label.Click();
  EXPECT_FALSE(form->Visible());
  form->Tray.OnClick();
  EXPECT_TRUE(form->Visible());
  EXPECT_EQ((ui::Point{390, 307}), form->Position());
  form->SetPosition({10, 20});
  form->Tray.OnClick();  // already visible: nothing moves
  EXPECT_EQ((ui::Point{10, 20}), form->Position());
}

TEST_F(MainWindowTest, TrayHintNamesTheProgramAndTheFreeMemory) {
  fake.system.SetMemoryMegabytes(1000, 420);
  Start();
  form->Tray.OnMouseMove();
  EXPECT_EQ("Accelerated program:\r\rFree memory: 42 %", form->Tray.Hint());
  RaiseProgram(300, "C:\\TOOLS\\EDIT.EXE");
  form->Tray.OnMouseMove();
  EXPECT_EQ("Accelerated program:\rC:\\TOOLS\\EDIT.EXE\rFree memory: 42 %", form->Tray.Hint());
  RaiseProgram(301, "C:\\" + AnsiString(300, 'D') + "\\X.EXE");
  form->Tray.OnMouseMove();
  EXPECT_EQ(255u, form->Tray.Hint().size());
}

TEST_F(MainWindowTest, RaisedProgramIsShownWithItsPathTitleAndIcon) {
  Start();
  const AnsiString path = "C:\\Program Files\\A Long Vendor Name\\Product\\bin\\application.exe";
  RaiseProgram(300, path);
  // 6 pixels per character: 45 fit into the label's 270 pixels.
  EXPECT_EQ("C:\\...\\Product\\bin\\application.exe", form->InfoLabel2b.Caption());
  EXPECT_EQ("Editor", form->InfoLabel2c.Caption());
  EXPECT_EQ(std::vector<AnsiString>{path}, services.iconPaths);
  EXPECT_EQ(0x7001u, form->IconImage.Icon());
  EXPECT_EQ(0x7001u, form->Tray.Icon());
  EXPECT_EQ(ui::Rgb(0x76, 0xDD, 0x76), form->IconImage.BackColor());
}

TEST_F(MainWindowTest, TimersDriveTheDotAndTheCounters) {
  Start();
  ui::ScriptedHost::Fire(form->ProcessTimer);
  EXPECT_EQ(401, form->Animation.Left());
  EXPECT_EQ(111, form->Animation.Top());
  FakeProcess other;
  other.processId = 55;
  fake.processes.AddProcess(other);
  ui::ScriptedHost::Fire(form->MemTimer);
  EXPECT_EQ("1", form->InfoLabel1b.Caption());
}

TEST_F(MainWindowTest, EveryTrayMenuEntryOpensTheWindowItNames) {
  Start();
  struct Entry {
    const char* caption;
    int command;
    const char* opens;  // the caption of the window shown; none for a separator
  };
  const Entry entries[] = {
      {"Fix registry problems", 40001, " Fix registry problems"},
      {"Clean your system", 40002, "Clean your system"},
      {"-", 0, nullptr},
      {"Undo manager", 40003, "Details"},
      {"Options", 40004, "Options"},
      {"-", 0, nullptr},
      {"Close", 40005, "Confirmation"},
  };
  ASSERT_EQ(std::size(entries), PopupMenu1.size());
  for (std::size_t i = 0; i < PopupMenu1.size(); ++i) {
    const Entry& entry = entries[i];
    EXPECT_STREQ(entry.caption, PopupMenu1[i].caption);
    EXPECT_EQ(entry.command, PopupMenu1[i].command);
    if (entry.opens == nullptr)
      continue;
    const std::size_t before = host.ModalShows().size();
    EXPECT_TRUE(form->ExecuteCommand(PopupMenu1[i].command)) << entry.caption;
    ASSERT_EQ(before + 1, host.ModalShows().size()) << entry.caption;
    EXPECT_EQ(entry.opens, host.ModalShows().back().caption) << entry.caption;
  }
  EXPECT_EQ("Are you sure to unload the program?", host.ModalShows().back().text);
  EXPECT_FALSE(Closed());
}

TEST_F(MainWindowTest, TheCommandsOutsideTheMenuOpenTheirWindows) {
  Start();
  const std::pair<int, const char*> tools[] = {{command::kWorkedPrograms, "Worked programs"},
                                               {command::kAbout, "About"}};
  for (const auto& [tool, caption] : tools) {
    const std::size_t before = host.ModalShows().size();
    EXPECT_TRUE(form->ExecuteCommand(tool)) << tool;
    ASSERT_EQ(before + 1, host.ModalShows().size()) << tool;
    EXPECT_EQ(caption, host.ModalShows().back().caption) << tool;
  }
  EXPECT_TRUE(form->ExecuteCommand(command::kHelp));
  EXPECT_EQ("Help file not found!", host.ModalShows().back().text);
  EXPECT_FALSE(form->ExecuteCommand(12345));
  EXPECT_EQ(3u, host.ModalShows().size());
  EXPECT_FALSE(Closed());
  form->Show();
  EXPECT_TRUE(form->ExecuteCommand(command::kMinimize));
  EXPECT_FALSE(form->Visible());
}

TEST_F(MainWindowTest, AdvertisingLinkOpensTheDownloadAddress) {
  Start();
  form->AdsLabel3.Click();
  ASSERT_EQ(1u, fake.shell.OpenedTargets().size());
  EXPECT_EQ("http://www.tallowmere.example/download/", fake.shell.OpenedTargets()[0].target);
}

TEST_F(MainWindowTest, DuringTheManualPassOnlyAboutHelpAndTheToolsWork) {
  fake.system.SetMemoryMegabytes(10, 1);
  Start();
  form->Show();
  std::vector<bool> busyAt;
  fake.pump.OnCall(3, [&] {
    busyAt.push_back(state.Memory.MemoryBusy);
    form->Button1Label.Click();  // Close
    form->Button2A.Click();      // Minimize
    form->TopButton3A.Click();   // Options
    form->InfoLabel1a.Click();   // Worked programs
    form->KeyDown(ui::keys::kEscape);
    form->MessageEvents(kCloseId, 1134);
    form->MenuItem1Click();  // the registry scanner stays usable
  });
  const std::size_t commitsBefore = fake.system.CommitCount();
  form->CircleA.Click();
  EXPECT_EQ(std::vector<bool>{true}, busyAt);
  EXPECT_EQ(8u, fake.system.CommitCount() - commitsBefore);
  EXPECT_TRUE(form->Visible());
  EXPECT_FALSE(Closed());
  ASSERT_EQ(1u, host.ModalShows().size());  // the registry scanner's window
  EXPECT_NE("Confirmation", host.ModalShows()[0].caption);
}

TEST_F(MainWindowTest, ManualPassShowsTheHourglassAndProgressThenRestores) {
  fake.system.SetMemoryMegabytes(10, 1);
  Start();
  ui::Control* blocked[] = {&form->Button1A,    &form->Button1B,    &form->Button1Label,
                            &form->Button2A,    &form->Button2B,    &form->Button2Label,
                            &form->TopButton3A, &form->TopButton3B, &form->InfoLabel1a,
                            &form->CircleA,     &form->CircleB,     &form->InfoLabel3b};
  std::vector<int> widths;
  bool allHourglass = true;
  fake.pump.OnEveryCall([&] {
    if (form->ProgressBar.Visible())
      widths.push_back(form->ProgressBar.Width());
    if (form->ProgressBar.Width() == 125)
      return;  // the pass is over: the cursors are being restored
    for (ui::Control* control : blocked)
      allHourglass = allHourglass && control->GetCursor() == ui::Cursor::Hourglass;
  });
  form->InfoLabel3b.Click();
  EXPECT_TRUE(allHourglass);
  ASSERT_FALSE(widths.empty());
  EXPECT_EQ(1, widths.front());  // a picture of no width is not shown
  EXPECT_EQ(125, widths.back());
  EXPECT_TRUE(std::is_sorted(widths.begin(), widths.end()));
  for (ui::Control* control : blocked)
    EXPECT_EQ(ui::Cursor::Hand, control->GetCursor()) << control->Name();
  EXPECT_EQ(ui::Cursor::Default, form->GetCursor());
  EXPECT_FALSE(form->ProgressBar.Visible());
  EXPECT_EQ(ui::Cursor::Hand, form->TopButton1A.GetCursor());  // About is not blocked
}

TEST_F(MainWindowTest, DuringAPassMinimizeAndTheCircleKeepTheirLook) {
  Start();
  form->Button2A.MouseMove();
  EXPECT_TRUE(form->Button2.Hovered());
  EXPECT_EQ(ui::colors::kBlue, form->Button2Label.TextColor());
  state.Memory.MemoryBusy = true;
  form->WndImage.MouseMove();
  EXPECT_TRUE(form->Button2.Hovered());
  form->Button1A.MouseMove();  // Close still highlights, Minimize keeps its look
  EXPECT_TRUE(form->Button1.Hovered());
  EXPECT_TRUE(form->Button2.Hovered());
  form->CircleA.MouseMove();
  EXPECT_FALSE(form->Circle.Hovered());
  state.Memory.MemoryBusy = false;
  form->WndImage.MouseMove();
  EXPECT_FALSE(form->Button1.Hovered());
  EXPECT_FALSE(form->Button2.Hovered());
  EXPECT_EQ(ui::colors::kBlack, form->Button2Label.TextColor());
  form->InfoLabel3b.MouseMove();
  EXPECT_TRUE(form->Circle.Hovered());
  form->TopButton1A.MouseMove();
  EXPECT_FALSE(form->Circle.Hovered());
  EXPECT_TRUE(form->TopButton1.Hovered());
}

TEST_F(MainWindowTest, EveryControlKeepsTheIdentifierItsNameGives) {
  Start();
  for (const ui::Control* control : form->Controls())
    EXPECT_EQ(ui::ControlIdFor(control->Name()), control->Id()) << control->Name();
}

TEST_F(MainWindowTest, TheUpperLeftBandDragsTheWindow) {
  Start();
  EXPECT_TRUE(form->WMNCHitTest({0, 0}));
  EXPECT_TRUE(form->WMNCHitTest({416, 87}));
  EXPECT_FALSE(form->WMNCHitTest({417, 87}));
  EXPECT_FALSE(form->WMNCHitTest({100, 88}));
  EXPECT_FALSE(form->WMNCHitTest({460, 10}));  // the top buttons stay clickable
}

}  // namespace
}  // namespace ql
