// UniqueHandle and the scoped paired releases, on real kernel, registry and GDI handles.
#include "platform/win32/UniqueHandle.h"

#include <gtest/gtest.h>

namespace ql::win32 {
namespace {

bool IsOpen(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != FALSE;
}

HANDLE NewEvent() {
  return CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

TEST(UniqueHandle, ClosesItsHandleWhenItEnds) {
  HANDLE raw = nullptr;
  {
    const UniqueHandleNull event(NewEvent());
    raw = event.get();
    ASSERT_TRUE(IsOpen(raw));
  }
  EXPECT_FALSE(IsOpen(raw));
}

TEST(UniqueHandle, ReleaseHandsOwnershipOverWithoutClosing) {
  UniqueHandleNull event(NewEvent());
  HANDLE raw = event.release();
  EXPECT_FALSE(event.is_valid());
  EXPECT_TRUE(IsOpen(raw));
  CloseHandle(raw);
}

TEST(UniqueHandle, MoveLeavesTheSourceEmptyAndClosesTheTargetsOldHandle) {
  UniqueHandleNull first(NewEvent());
  UniqueHandleNull second(NewEvent());
  HANDLE firstRaw = first.get();
  HANDLE secondRaw = second.get();
  second = std::move(first);
  EXPECT_FALSE(first.is_valid());
  EXPECT_EQ(second.get(), firstRaw);
  EXPECT_FALSE(IsOpen(secondRaw));
  EXPECT_TRUE(IsOpen(firstRaw));
}

TEST(UniqueHandle, PutClosesTheOldHandleBeforeReceivingANewOne) {
  UniqueHKey key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
  const HKEY first = key.get();
  HKEY* slot = key.put();
  DWORD subKeys = 0;
  EXPECT_NE(RegQueryInfoKeyA(first, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(*slot, nullptr);
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, slot), ERROR_SUCCESS);
  EXPECT_TRUE(key.is_valid());
}

TEST(UniqueHandle, InvalidValuesDependOnTheHandleKind) {
  const UniqueHandleFile missing(CreateFileA("C:\\no-such-folder\\no-such-file", GENERIC_READ, 0,
                                             nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_EQ(missing.get(), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(missing);
  const UniqueHandleNull none;
  EXPECT_EQ(none.get(), nullptr);
  EXPECT_FALSE(none);
}

TEST(ScopedSelectObject, PutsThePreviousObjectBack) {
  const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  const UniqueHBitmap bitmap(CreateCompatibleBitmap(dc.get(), 4, 4));
  ASSERT_TRUE(bitmap);
  const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BITMAP);
  {
    const ScopedSelectObject selected(dc.get(), bitmap.get());
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
  }
  EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), original);
}

}  // namespace
}  // namespace ql::win32
