// The single-instance lock and the restore request between real processes under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include "../platform/WineTestSupport.h"
#include "InstanceTestNames.win32.h"
#include "app/SingleInstance.win32.h"
#include "platform/win32/UniqueHandle.h"
#include "ui/FormWindow.win32.h"

namespace ql::wintest {
namespace {

constexpr char kDecoyClass[] = "QuillonDecoyClass";
constexpr DWORD kTimeoutMs = 20000;

win32::UniqueHandleNull StartChild() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  AnsiString line = "\"" + ProgramFolder() + "ql_instance_child.exe\"";
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info))
    return win32::UniqueHandleNull();
  const win32::UniqueHandleNull thread(info.hThread);
  return win32::UniqueHandleNull(info.hProcess);
}

DWORD ExitCodeAfterWait(HANDLE process) {
  if (WaitForSingleObject(process, kTimeoutMs) != WAIT_OBJECT_0)
    return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process, &code);
  return code;
}

// A window of this process with the instance's title but another class, as an Explorer window
// on a folder of that name would be.
HWND CreateDecoy() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kDecoyClass;
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, kDecoyClass, kInstanceTitle, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

TEST(SingleInstanceOnWine, ASecondStartRestoresTheFirstAndNotAWindowOfAnotherClass) {
  const win32::UniqueHandleNull ready(CreateEventA(nullptr, TRUE, FALSE, kInstanceReadyEvent));
  ASSERT_TRUE(ready);
  const win32::UniqueHandleNull first = StartChild();
  ASSERT_TRUE(first);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready.get(), kTimeoutMs));

  EXPECT_FALSE(win32::TakeInstanceLock(kInstanceMutex));  // the first instance holds it
  HWND decoy = CreateDecoy();
  ASSERT_NE(nullptr, decoy);
  // A search by title alone would take the decoy; by class and title it takes the instance.
  EXPECT_EQ(decoy, FindWindowA(nullptr, kInstanceTitle));
  HWND found = win32::FindRunningInstance(ui::win32::kFormClass, kInstanceTitle);
  DWORD owner = 0;
  GetWindowThreadProcessId(found, &owner);
  EXPECT_EQ(GetProcessId(first.get()), owner);

  const win32::UniqueHandleNull second = StartChild();
  ASSERT_TRUE(second);
  EXPECT_EQ(kPosted, ExitCodeAfterWait(second.get()));
  EXPECT_EQ(kRestored, ExitCodeAfterWait(first.get()));
  MSG msg{};
  EXPECT_FALSE(PeekMessageA(&msg, decoy, 0, 0, PM_REMOVE) &&
               msg.message == RegisterWindowMessageA(kRestoreName));

  // With the first instance gone the lock is free again; a start that finds only the decoy
  // finds no instance.
  const win32::UniqueHandleNull lock = win32::TakeInstanceLock(kInstanceMutex);
  EXPECT_TRUE(lock);
  const win32::UniqueHandleNull third = StartChild();
  ASSERT_TRUE(third);
  EXPECT_EQ(kNoneFound, ExitCodeAfterWait(third.get()));
  DestroyWindow(decoy);
}

}  // namespace
}  // namespace ql::wintest
