// Tests of the in-memory registry: names, types, handles, access refusals, deleted keys.
#include <gtest/gtest.h>

#include "platform/fake/FakeRegistry.h"

namespace ql {
namespace {

Bytes BytesOf(const AnsiString& text) {
  return Bytes(text.begin(), text.end());
}

TEST(FakeRegistry, NamesCompareWithoutLetterCaseIncludingAccentedLetters) {
  FakeRegistry registry;
  ASSERT_TRUE(registry.SetString(kCurrentUser, "Software\\Caf\xE9", "N\xE4me", "x"));
  EXPECT_TRUE(registry.HasKey(kCurrentUser, "SOFTWARE\\CAF\xC9"));
  EXPECT_TRUE(registry.HasValue(kCurrentUser, "software\\caf\xe9", "N\xC4ME"));
  EXPECT_FALSE(registry.HasKey(kLocalMachine, "Software\\Caf\xE9"));
  EXPECT_EQ(registry.KeyCount(), 2u);
}

TEST(FakeRegistry, SubkeysEnumerateSortedAndValuesInCreationOrder) {
  FakeRegistry registry;
  for (const char* name : {"beta", "Alpha", "gamma", "ALPHA2"})
    registry.AddKey(kLocalMachine, AnsiString("Software\\") + name);
  for (const char* name : {"z", "a", "M"})
    registry.SetDword(kLocalMachine, "Software", name, 1);
  RegKey key(registry);
  ASSERT_TRUE(key.Open(kLocalMachine, "Software", regaccess::kRead));
  RegKeyInfo info;
  ASSERT_TRUE(registry.QueryInfoKey(key.Get(), info));
  EXPECT_EQ(info.subKeys, 4u);
  EXPECT_EQ(info.maxSubKeyLength, 6u);
  EXPECT_EQ(info.values, 3u);
  StringList keys, values;
  AnsiString name;
  for (std::uint32_t i = 0; registry.EnumKey(key.Get(), i, name); ++i)
    keys.push_back(name);
  for (std::uint32_t i = 0; registry.EnumValue(key.Get(), i, name); ++i)
    values.push_back(name);
  EXPECT_EQ(keys, (StringList{"Alpha", "ALPHA2", "beta", "gamma"}));
  EXPECT_EQ(values, (StringList{"z", "a", "M"}));
}

TEST(FakeRegistry, EveryOpenedHandleIsCountedUntilClosed) {
  FakeRegistry registry;
  registry.AddKey(kCurrentUser, "A\\B");
  {
    RegKey a(registry), b(registry), missing(registry);
    EXPECT_TRUE(a.Open(kCurrentUser, "A", regaccess::kFullAccess64));
    EXPECT_TRUE(b.Create(kCurrentUser, "A\\B\\C", regaccess::kFullAccess64));
    EXPECT_FALSE(missing.Open(kCurrentUser, "A\\X", regaccess::kRead));
    EXPECT_EQ(registry.OpenHandleCount(), 2u);
  }
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
  EXPECT_EQ(registry.MaxOpenHandleCount(), 2u);
  registry.CloseKey(0x1234);
  EXPECT_EQ(registry.InvalidCloseCount(), 1u);
}

TEST(FakeRegistry, PathsFollowTheRulesOfTheOpenCall) {
  FakeRegistry registry;
  registry.AddKey(kClassesRoot, "txtfile\\shell");
  RegHandle handle = 0;
  struct Case {
    const char* path;
    bool opens;
  };
  for (const Case& c :
       {Case{"txtfile\\shell", true}, Case{"txtfile\\shell\\", true}, Case{"", true},
        Case{"\\txtfile", false}, Case{"txtfile\\\\shell", false}, Case{"txtfile\\she", false}}) {
    EXPECT_EQ(registry.OpenKey(kClassesRoot, c.path, regaccess::kRead, handle), c.opens) << c.path;
    if (handle != 0)
      registry.CloseKey(handle);
  }
  EXPECT_FALSE(registry.OpenKey(0x80000003u, "", regaccess::kRead, handle));
  EXPECT_EQ(handle, 0u);
}

TEST(FakeRegistry, RefusedAccessFailsOpensThatAskForIt) {
  FakeRegistry registry;
  registry.AddKey(kLocalMachine, "Software\\Locked\\Child");
  registry.DenyAccess(kLocalMachine, "Software\\Locked", regaccess::kAllAccess & ~regaccess::kRead);
  RegKey key(registry);
  EXPECT_FALSE(key.Open(kLocalMachine, "Software\\Locked", regaccess::kFullAccess64));
  EXPECT_FALSE(key.Create(kLocalMachine, "Software\\Locked", regaccess::kAllAccess));
  EXPECT_FALSE(key.Create(kLocalMachine, "Software\\Locked\\New", regaccess::kRead));
  EXPECT_TRUE(key.Open(kLocalMachine, "Software\\Locked", regaccess::kRead | 0x0100));
  EXPECT_TRUE(key.Open(kLocalMachine, "Software\\Locked\\Child", regaccess::kFullAccess64));
  EXPECT_FALSE(registry.HasKey(kLocalMachine, "Software\\Locked\\New"));
}

TEST(FakeRegistry, AHandleAllowsOnlyWhatItWasOpenedFor) {
  FakeRegistry registry;
  registry.SetDword(kCurrentUser, "K", "v", 7);
  RegKey key(registry);
  ASSERT_TRUE(key.Open(kCurrentUser, "K", regaccess::kQueryValue));
  std::uint32_t type = 0;
  Bytes data;
  EXPECT_TRUE(registry.QueryValue(key.Get(), "V", type, &data));
  EXPECT_EQ(type, regtype::kDword);
  EXPECT_EQ(data, (Bytes{7, 0, 0, 0}));
  EXPECT_FALSE(registry.SetValue(key.Get(), "v", regtype::kDword, data));
  EXPECT_FALSE(registry.DeleteValue(key.Get(), "v"));
  AnsiString name;
  EXPECT_FALSE(registry.EnumKey(key.Get(), 0, name));
}

TEST(FakeRegistry, ValuesKeepTypeAndBytesAndTheirFirstName) {
  FakeRegistry registry;
  RegKey key(registry);
  ASSERT_TRUE(key.Create(kCurrentUser, "K", regaccess::kFullAccess64));
  EXPECT_TRUE(registry.SetValue(key.Get(), "Name", regtype::kBinary, Bytes{1, 2}));
  EXPECT_TRUE(registry.SetValue(key.Get(), "NAME", regtype::kMultiString, BytesOf("a\0b\0\0")));
  EXPECT_TRUE(registry.SetValue(key.Get(), "", regtype::kNone, Bytes()));
  const std::vector<RegValue> values = registry.Values(kCurrentUser, "K");
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].name, "Name");
  EXPECT_EQ(values[0].type, regtype::kMultiString);
  EXPECT_EQ(values[1].name, "");
  std::uint32_t type = 99;
  EXPECT_TRUE(registry.QueryValue(key.Get(), "", type, nullptr));
  EXPECT_EQ(type, regtype::kNone);
  EXPECT_TRUE(registry.DeleteValue(key.Get(), "name"));
  EXPECT_FALSE(registry.DeleteValue(key.Get(), "name"));
}

TEST(FakeRegistry, AHandleToADeletedKeyFailsWithoutHarm) {
  FakeRegistry registry;
  registry.SetString(kCurrentUser, "Gone\\Sub", "v", "x");
  RegKey parent(registry), child(registry);
  ASSERT_TRUE(parent.Open(kCurrentUser, "Gone", regaccess::kFullAccess64));
  ASSERT_TRUE(child.Open(kCurrentUser, "Gone\\Sub", regaccess::kFullAccess64));
  EXPECT_TRUE(registry.DeleteTree(kCurrentUser, "Gone"));
  std::uint32_t type = 0;
  RegKeyInfo info;
  AnsiString name;
  EXPECT_FALSE(registry.QueryValue(child.Get(), "v", type, nullptr));
  EXPECT_FALSE(registry.SetValue(child.Get(), "w", regtype::kString, Bytes{0}));
  EXPECT_FALSE(registry.QueryInfoKey(parent.Get(), info));
  EXPECT_FALSE(registry.EnumKey(parent.Get(), 0, name));
  EXPECT_FALSE(registry.HasKey(kCurrentUser, "Gone"));
  EXPECT_EQ(registry.KeyCount(), 0u);
  EXPECT_FALSE(registry.DeleteTree(kCurrentUser, ""));
}

TEST(FakeRegistry, DeletingAsAUserLeavesKeysThatRefuseDeletion) {
  FakeRegistry registry;
  registry.AddKey(kLocalMachine, "Top\\Free");
  registry.AddKey(kLocalMachine, "Top\\Kept\\Below");
  registry.AddKey(kLocalMachine, "Other");
  registry.DenyAccess(kLocalMachine, "Top\\Kept", 0x10000);
  EXPECT_FALSE(registry.DeleteTreeAsUser(kLocalMachine, "Top"));
  EXPECT_FALSE(registry.HasKey(kLocalMachine, "Top\\Free"));
  EXPECT_FALSE(registry.HasKey(kLocalMachine, "Top\\Kept\\Below"));
  EXPECT_TRUE(registry.HasKey(kLocalMachine, "Top\\Kept"));
  EXPECT_TRUE(registry.DeleteTreeAsUser(kLocalMachine, "Other"));
  EXPECT_FALSE(registry.DeleteTreeAsUser(kLocalMachine, ""));
}

TEST(FakeRegistry, NamesAreCutAtTheirFirstNul) {
  FakeRegistry registry;
  registry.SetDword(kCurrentUser, AnsiString("K\0ignored", 9), AnsiString("v\0w", 3), 1);
  EXPECT_TRUE(registry.HasValue(kCurrentUser, "K", "v"));
  EXPECT_EQ(registry.GetString(kCurrentUser, "K", "v"), "");
  registry.SetString(kCurrentUser, "K", "s", AnsiString("ab\0cd", 5));
  EXPECT_EQ(registry.GetString(kCurrentUser, "K", "s"), "ab");
}

}  // namespace
}  // namespace ql

namespace ql {
namespace {

TEST(FakeRegistry, EnumerationFollowsKeysAddedAndDeletedBetweenCalls) {
  FakeRegistry registry;
  registry.AddKey(kClassesRoot, "b");
  RegKey root(registry);
  ASSERT_TRUE(root.Open(kClassesRoot, "", regaccess::kRead));
  AnsiString name;
  ASSERT_TRUE(registry.EnumKey(root.Get(), 0, name));
  EXPECT_EQ(name, "b");
  registry.AddKey(kClassesRoot, "a");
  ASSERT_TRUE(registry.EnumKey(root.Get(), 0, name));
  EXPECT_EQ(name, "a");
  registry.DeleteTree(kClassesRoot, "a");
  ASSERT_TRUE(registry.EnumKey(root.Get(), 0, name));
  EXPECT_EQ(name, "b");
  EXPECT_FALSE(registry.EnumKey(root.Get(), 1, name));
}

TEST(FakeRegistry, ManyKeysEnumerateInSortedOrder) {
  FakeRegistry registry;
  constexpr int kKeys = 5000;
  for (int i = kKeys - 1; i >= 0; --i)
    registry.AddKey(kClassesRoot, "." + std::to_string(100000 + i));
  RegKey root(registry);
  ASSERT_TRUE(root.Open(kClassesRoot, "", regaccess::kRead));
  AnsiString name;
  std::uint32_t count = 0;
  for (; registry.EnumKey(root.Get(), count, name); ++count)
    ASSERT_EQ(name, "." + std::to_string(100000 + count));
  EXPECT_EQ(count, static_cast<std::uint32_t>(kKeys));
}

TEST(FakeRegistry, CreateKeyMakesEveryMissingParent) {
  FakeRegistry registry;
  RegKey key(registry);
  ASSERT_TRUE(key.Create(kCurrentUser, "A\\B\\C", regaccess::kFullAccess64));
  EXPECT_TRUE(registry.HasKey(kCurrentUser, "a\\b"));
  EXPECT_EQ(registry.KeyCount(), 3u);
  EXPECT_FALSE(key.Create(kCurrentUser, "A\\\\D", regaccess::kFullAccess64));
  EXPECT_FALSE(key.Create(0x80000004u, "A", regaccess::kFullAccess64));
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace ql
