// The tray icon's window on Wine: it is one of the program's windows, so its messages take the
// program's one message path.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "app/MainWindow.h"
#include "app/ProgramState.h"
#include "app/Win32Services.win32.h"
#include "platform/win32/Win32Platform.h"
#include "ui/MessageWindows.h"
#include "ui/Win32Host.win32.h"

namespace ql::win32 {
namespace {

class TrayIconOnWine : public ::testing::Test {
 protected:
  TrayIconOnWine()
      : platform(system.platform(host.GetPump())),
        messages(host),
        services([this] { return host.HandleOf(main.get()); }),
        main(std::make_unique<MainWindow>(host, platform, services, messages, state)),
        tray(*main, nullptr) {}

  ui::win32::Win32Host host;
  Win32Platform system;
  Platform platform;
  ProgramState state;
  ui::MessageWindows messages;
  Win32MainWindowServices services;
  std::unique_ptr<MainWindow> main;
  Win32TrayIcon tray;
};

TEST_F(TrayIconOnWine, KeepsItsWindowClassName) {
  char name[64] = {};
  ASSERT_NE(tray.Handle(), nullptr);
  GetClassNameA(tray.Handle(), name, sizeof name);
  EXPECT_EQ(std::string(name), "QuillonTrayWindow");
}

TEST_F(TrayIconOnWine, AnExceptionFromAClickOnTheIconReachesTheMessageLoop) {
  int clicks = 0;
  main->Tray.OnClick = [&clicks] {
    ++clicks;
    throw std::runtime_error("click failed");
  };
  ASSERT_TRUE(PostMessageA(tray.Handle(), kTrayIconMessage, 0, WM_LBUTTONUP));
  EXPECT_THROW(host.GetPump().ProcessMessages(), std::runtime_error);
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace ql::win32
