// Tests of the registry helpers on the in-memory registry: neutral results, open modes, the one
// escaping error, and every handle closed after every call.
#include "registry/RegistryHelpers.h"

#include <gtest/gtest.h>

#include "paths/AnsiText.h"
#include "registry/ObservedRegistry.h"

namespace ql {
namespace {

constexpr char kKey[] = "Software\\Test";

Bytes BytesOf(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

class RegistryHelpersTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(fake.OpenHandleCount(), 0u);
    EXPECT_EQ(fake.InvalidCloseCount(), 0u);
  }

  FakeRegistry fake;
  test::ObservedRegistry registry{fake};
};

struct KeyPathCase {
  const char* path;
  const char* normalized;
};

TEST(NormalizeKeyPathTest, StripsLeadingAndTrailingDelimiters) {
  const KeyPathCase cases[] = {
      {"", ""},
      {"\\", ""},
      {"\\\\", ""},
      {"A", "A"},
      {"\\A", "A"},
      {"A\\", "A"},
      {"\\A\\B\\", "A\\B"},
      {"\\\\A\\B\\\\", "A\\B"},
      {"A\\\\B", "A\\\\B"},
  };
  for (const KeyPathCase& c : cases)
    EXPECT_EQ(NormalizeKeyPath(c.path), c.normalized) << "path: " << c.path;
}

TEST_F(RegistryHelpersTest, ReadKeyNamesOfMissingKeyClearsTheList) {
  StringList names = {"left", "over"};
  EXPECT_EQ(ReadKeyNames(registry, kLocalMachine, "Software\\Missing", names), 0);
  EXPECT_TRUE(names.empty());
}

TEST_F(RegistryHelpersTest, ReadKeyNamesOfRootListsTopLevelKeys) {
  fake.AddKey(kClassesRoot, ".txt");
  fake.AddKey(kClassesRoot, "txtfile\\shell");
  fake.AddKey(kClassesRoot, "CLSID");
  StringList names;
  EXPECT_EQ(ReadKeyNames(registry, kClassesRoot, "\\", names), 3);
  EXPECT_EQ(names, fake.SubKeyNames(kClassesRoot, ""));
  EXPECT_EQ(registry.openMasks, std::vector<std::uint32_t>{FullAccess64});
}

TEST_F(RegistryHelpersTest, ReadKeyNamesAcceptsLeadingAndTrailingDelimiters) {
  fake.AddKey(kCurrentUser, "Software\\Test\\One");
  fake.AddKey(kCurrentUser, "Software\\Test\\Two\\Deeper");
  StringList names;
  EXPECT_EQ(ReadKeyNames(registry, kCurrentUser, "\\software\\TEST\\", names), 2);
  EXPECT_EQ(names, (StringList{"One", "Two"}));
}

TEST_F(RegistryHelpersTest, ReadKeyNamesOfKeyRefusingFullAccessIsEmpty) {
  fake.AddKey(kLocalMachine, "Software\\Locked\\Child");
  fake.DenyAccess(kLocalMachine, "Software\\Locked", 0x0002);  // KEY_SET_VALUE
  StringList names = {"stale"};
  EXPECT_EQ(ReadKeyNames(registry, kLocalMachine, "Software\\Locked", names), 0);
  EXPECT_TRUE(names.empty());
}

// An entry that vanishes between the count and its enumeration is left out, never listed as an
// empty name (which a caller would take for the parent key itself).
TEST_F(RegistryHelpersTest, EntriesRemovedWhileListingAreLeftOut) {
  fake.AddKey(kLocalMachine, "Software\\List\\A");
  fake.AddKey(kLocalMachine, "Software\\List\\B");
  fake.SetString(kLocalMachine, "Software\\List", "X", "x");
  fake.SetString(kLocalMachine, "Software\\List", "Y", "y");
  registry.afterInfoQuery = [this] {
    fake.DeleteTree(kLocalMachine, "Software\\List\\A");
    fake.RemoveValue(kLocalMachine, "Software\\List", "X");
  };
  StringList keys;
  StringList values;
  EXPECT_EQ(ReadKeyNames(registry, kLocalMachine, "Software\\List", keys), 1);
  EXPECT_EQ(keys, StringList{"B"});
  EXPECT_EQ(ReadValueNames(registry, kLocalMachine, "Software\\List", values), 1);
  EXPECT_EQ(values, StringList{"Y"});
}

TEST_F(RegistryHelpersTest, ReadValueNamesListsTheSetDefaultValueAsEmptyName) {
  fake.SetString(kCurrentUser, kKey, "", "default");
  fake.SetDword(kCurrentUser, kKey, "Count", 3);
  fake.SetString(kCurrentUser, kKey, "Path", "C:\\");
  StringList names;
  EXPECT_EQ(ReadValueNames(registry, kCurrentUser, kKey, names), 3);
  EXPECT_EQ(names, (StringList{"", "Count", "Path"}));
}

TEST_F(RegistryHelpersTest, ReadValueNamesOfKeyWithoutValuesIsEmpty) {
  fake.AddKey(kCurrentUser, kKey);
  StringList names = {"stale"};
  EXPECT_EQ(ReadValueNames(registry, kCurrentUser, kKey, names), 0);
  EXPECT_TRUE(names.empty());
}

struct StringReadCase {
  const char* what;
  std::uint32_t type;
  Bytes data;
  std::string expected;
};

TEST_F(RegistryHelpersTest, ReadStringValueTrimsUpperCasesAndRejectsOtherTypes) {
  const StringReadCase cases[] = {
      {"blanks and lower case", regtype::kString, BytesOf(std::string("  c:\\dir\\app.exe \0", 19)),
       "C:\\DIR\\APP.EXE"},
      {"expandable, not expanded", regtype::kExpandString,
       BytesOf(std::string("%windir%\\system32\\x.dll\0", 24)), "%WINDIR%\\SYSTEM32\\X.DLL"},
      {"tabs, CR and LF around", regtype::kString, BytesOf(std::string("\t\r\nabc\r\n\0", 9)),
       "ABC"},
      {"controls inside stay", regtype::kString, BytesOf(std::string("a\tb\0", 4)), "A\tB"},
      {"accented letters unchanged", regtype::kString, BytesOf("\xe9t\xe9\xff"), "\xe9T\xe9\xff"},
      {"no terminating NUL", regtype::kString, BytesOf("abc"), "ABC"},
      {"text after the first NUL ignored", regtype::kString, BytesOf(std::string("ab\0cd", 5)),
       "AB"},
      {"zero bytes", regtype::kString, Bytes{}, ""},
      {"only a NUL", regtype::kString, Bytes{0}, ""},
      {"blanks only", regtype::kString, BytesOf(std::string("   \0", 4)), ""},
      {"dword", regtype::kDword, Bytes{1, 0, 0, 0}, ""},
      {"binary", regtype::kBinary, BytesOf("abc"), ""},
      {"multi string", regtype::kMultiString, BytesOf(std::string("a\0b\0\0", 5)), ""},
      {"qword", regtype::kQword, Bytes(8, 0x41), ""},
      {"unknown type", 0x1234, BytesOf("abc"), ""},
  };
  for (const StringReadCase& c : cases) {
    fake.SetValue(kCurrentUser, kKey, "Value", c.type, c.data);
    EXPECT_EQ(ReadStringValue(registry, kCurrentUser, kKey, "Value"), c.expected) << c.what;
  }
}

TEST_F(RegistryHelpersTest, ReadStringValueOfLongStringIsWhole) {
  const std::string text(64 * 1024, 'q');
  fake.SetString(kLocalMachine, kKey, "Long", text);
  EXPECT_EQ(ReadStringValue(registry, kLocalMachine, kKey, "Long"), std::string(text.size(), 'Q'));
}

TEST_F(RegistryHelpersTest, ReadStringValueOfMissingValueOrKeyIsEmpty) {
  fake.SetString(kCurrentUser, kKey, "Present", "x");
  EXPECT_EQ(ReadStringValue(registry, kCurrentUser, kKey, "Absent"), "");
  EXPECT_EQ(ReadStringValue(registry, kCurrentUser, "Software\\Nowhere", "Present"), "");
  EXPECT_EQ(ReadStringValue(registry, kCurrentUser, kKey, ""), "");
}

TEST_F(RegistryHelpersTest, ReadStringValueReadsTheDefaultValue) {
  fake.SetString(kClassesRoot, "CLSID\\{X}\\InprocServer32", "", "shell32.dll");
  EXPECT_EQ(ReadStringValue(registry, kClassesRoot, "\\CLSID\\{X}\\InprocServer32", ""),
            "SHELL32.DLL");
}

struct DwordReadCase {
  const char* what;
  std::uint32_t type;
  Bytes data;
  std::int32_t expected;
};

TEST_F(RegistryHelpersTest, ReadDwordValueReadsOnlyFourByteDwords) {
  const DwordReadCase cases[] = {
      {"one", regtype::kDword, Bytes{1, 0, 0, 0}, 1},
      {"little endian", regtype::kDword, Bytes{0x78, 0x56, 0x34, 0x12}, 0x12345678},
      {"all bits is -1", regtype::kDword, Bytes{0xff, 0xff, 0xff, 0xff}, -1},
      {"string one", regtype::kString, BytesOf(std::string("1\0", 2)), 0},
      {"binary of four bytes", regtype::kBinary, Bytes{1, 0, 0, 0}, 0},
      {"qword", regtype::kQword, Bytes{1, 0, 0, 0, 0, 0, 0, 0}, 0},
      {"dword of two bytes", regtype::kDword, Bytes{1, 0}, 0},
      {"dword of no bytes", regtype::kDword, Bytes{}, 0},
      {"dword of eight bytes", regtype::kDword, Bytes{1, 0, 0, 0, 0, 0, 0, 0}, 0},
  };
  for (const DwordReadCase& c : cases) {
    fake.SetValue(kLocalMachine, kKey, "Flag", c.type, c.data);
    EXPECT_EQ(ReadDwordValue(registry, kLocalMachine, kKey, "Flag"), c.expected) << c.what;
  }
  EXPECT_EQ(ReadDwordValue(registry, kLocalMachine, kKey, "Missing"), 0);
  EXPECT_EQ(ReadDwordValue(registry, kLocalMachine, "Software\\Missing", "Flag"), 0);
}

struct DwordFallbackCase {
  const char* what;
  std::uint32_t denied;
  std::int32_t expected;
  std::vector<std::uint32_t> masks;
};

// The read falls back to ever smaller rights, always in the native 64-bit view.
TEST_F(RegistryHelpersTest, ReadDwordValueFallsBackToSmallerRightsInTheNativeView) {
  const DwordFallbackCase cases[] = {
      {"nothing refused", 0, 7, {0x20119}},
      {"notify refused", 0x0010, 7, {0x20119, 0x20109}},
      {"enumeration refused", 0x0008, 7, {0x20119, 0x20109, 0x0101}},
      {"query refused", 0x0001, 0, {0x20119, 0x20109, 0x0101}},
  };
  for (const DwordFallbackCase& c : cases) {
    fake.SetDword(kLocalMachine, kKey, "NoRemove", 7);
    fake.DenyAccess(kLocalMachine, kKey, c.denied);
    registry.openMasks.clear();
    EXPECT_EQ(ReadDwordValue(registry, kLocalMachine, kKey, "NoRemove"), c.expected) << c.what;
    EXPECT_EQ(registry.openMasks, c.masks) << c.what;
  }
}

TEST_F(RegistryHelpersTest, KeyExistsOpensReadOnlyInTheNativeView) {
  fake.AddKey(kClassesRoot, "CLSID\\{A}");
  fake.DenyAccess(kClassesRoot, "CLSID\\{A}", 0x0002 | 0x0004);  // set value, create subkey
  EXPECT_TRUE(KeyExists(registry, kClassesRoot, "\\CLSID\\{a}"));
  EXPECT_FALSE(KeyExists(registry, kClassesRoot, "CLSID\\{B}"));
  EXPECT_TRUE(KeyExists(registry, kClassesRoot, "\\"));
  EXPECT_EQ(registry.openMasks, std::vector<std::uint32_t>(3, 0x20109));
}

TEST_F(RegistryHelpersTest, HasSubKeysNeedsAnOpenKeyWithSubkeys) {
  fake.AddKey(kLocalMachine, "Software\\Parent\\Child");
  fake.AddKey(kLocalMachine, "Software\\Locked\\Child");
  fake.DenyAccess(kLocalMachine, "Software\\Locked", 0x10000);  // DELETE
  EXPECT_TRUE(HasSubKeys(registry, kLocalMachine, "Software\\Parent"));
  EXPECT_FALSE(HasSubKeys(registry, kLocalMachine, "Software\\Parent\\Child"));
  EXPECT_FALSE(HasSubKeys(registry, kLocalMachine, "Software\\Missing"));
  EXPECT_FALSE(HasSubKeys(registry, kLocalMachine, "Software\\Locked"));
}

TEST_F(RegistryHelpersTest, ValueExistsForEveryTypeAndTheEmptyString) {
  fake.SetString(kCurrentUser, kKey, "Empty", "");
  fake.SetValue(kCurrentUser, kKey, "NoData", regtype::kBinary, Bytes{});
  fake.SetValue(kCurrentUser, kKey, "Odd", 0x77, Bytes{1, 2, 3});
  fake.SetQword(kCurrentUser, kKey, "Big", 1);
  for (const char* name : {"Empty", "NoData", "Odd", "big"})
    EXPECT_TRUE(ValueExists(registry, kCurrentUser, kKey, name)) << name;
  EXPECT_FALSE(ValueExists(registry, kCurrentUser, kKey, "Absent"));
  EXPECT_FALSE(ValueExists(registry, kCurrentUser, kKey, ""));
  EXPECT_FALSE(ValueExists(registry, kCurrentUser, "Software\\Missing", "Empty"));
}

TEST_F(RegistryHelpersTest, KeyIsWritableUnderCurrentUserWithoutTouchingTheRegistry) {
  EXPECT_TRUE(KeyIsWritable(registry, kCurrentUser, "Software\\DoesNotExist"));
  EXPECT_TRUE(registry.openMasks.empty());
  EXPECT_EQ(fake.TotalOpenCount(), 0u);
}

TEST_F(RegistryHelpersTest, KeyIsWritableElsewhereNeedsFullAccess) {
  fake.AddKey(kLocalMachine, "Software\\Open");
  fake.AddKey(kLocalMachine, "Software\\Locked");
  fake.DenyAccess(kLocalMachine, "Software\\Locked", 0x10000);
  EXPECT_TRUE(KeyIsWritable(registry, kLocalMachine, "Software\\Open"));
  EXPECT_FALSE(KeyIsWritable(registry, kLocalMachine, "Software\\Locked"));
  EXPECT_FALSE(KeyIsWritable(registry, kClassesRoot, "Missing"));
}

TEST_F(RegistryHelpersTest, WriteStringValueCreatesTheKeyAndItsParents) {
  WriteStringValue(registry, kCurrentUser, "\\Software\\New\\Deep\\", "Name", "Text");
  const auto value = fake.GetValue(kCurrentUser, "Software\\New\\Deep", "Name");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->type, regtype::kString);
  EXPECT_EQ(value->data, BytesOf(std::string("Text\0", 5)));
  EXPECT_EQ(registry.createMasks, std::vector<std::uint32_t>{FullAccess64});
}

TEST_F(RegistryHelpersTest, WriteStringValueReplacesEarlierData) {
  fake.SetDword(kCurrentUser, kKey, "Name", 5);
  WriteStringValue(registry, kCurrentUser, kKey, "Name", "");
  const auto value = fake.GetValue(kCurrentUser, kKey, "Name");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->type, regtype::kString);
  EXPECT_EQ(value->data, Bytes{0});
}

TEST_F(RegistryHelpersTest, WriteBoolValueStoresOneOrZero) {
  WriteBoolValue(registry, kCurrentUser, kKey, "On", true);
  WriteBoolValue(registry, kCurrentUser, kKey, "Off", false);
  EXPECT_EQ(fake.GetValue(kCurrentUser, kKey, "On")->data, (Bytes{1, 0, 0, 0}));
  EXPECT_EQ(fake.GetValue(kCurrentUser, kKey, "On")->type, regtype::kDword);
  EXPECT_EQ(fake.GetValue(kCurrentUser, kKey, "Off")->data, (Bytes{0, 0, 0, 0}));
}

TEST_F(RegistryHelpersTest, WritesToAKeyThatCannotBeOpenedDoNothing) {
  fake.AddKey(kLocalMachine, "Software\\Locked");
  fake.DenyAccess(kLocalMachine, "Software\\Locked", 0x0002);
  EXPECT_NO_THROW(WriteStringValue(registry, kLocalMachine, "Software\\Locked", "A", "x"));
  EXPECT_NO_THROW(WriteBoolValue(registry, kLocalMachine, "Software\\Locked", "B", true));
  EXPECT_TRUE(fake.Values(kLocalMachine, "Software\\Locked").empty());
  EXPECT_EQ(TryWriteStringValue(registry, kLocalMachine, "Software\\Locked", "A", "x"),
            WriteOutcome::KeyNotOpened);
}

TEST_F(RegistryHelpersTest, RefusedWriteRaisesTheOneErrorAndClosesTheKey) {
  registry.refuseWrites = true;
  for (bool asBool : {false, true}) {
    try {
      if (asBool)
        WriteBoolValue(registry, kCurrentUser, kKey, "Flag \"x\"", true);
      else
        WriteStringValue(registry, kCurrentUser, kKey, "Flag \"x\"", "text");
      ADD_FAILURE() << "no error raised";
    } catch (const RegistryError& error) {
      EXPECT_STREQ(error.what(), "Failed to set data for 'Flag \"x\"'");
    }
    EXPECT_EQ(fake.OpenHandleCount(), 0u);
  }
  EXPECT_EQ(TryWriteBoolValue(registry, kCurrentUser, kKey, "Flag", true), WriteOutcome::Refused);
}

TEST_F(RegistryHelpersTest, OddNamesRoundTrip) {
  const std::string names[] = {"with \"quotes\"", "back\\slash", "[brackets]", "high \xe9\xff",
                               "="};
  for (const std::string& name : names) {
    WriteStringValue(registry, kCurrentUser, kKey, name, "v " + name);
    EXPECT_TRUE(ValueExists(registry, kCurrentUser, kKey, name)) << name;
    EXPECT_EQ(ReadStringValue(registry, kCurrentUser, kKey, name),
              UpperCaseAsciiLetters("v " + name))
        << name;
  }
}

TEST(ValueDataTest, StringDataEndsWithNulAndReadsBack) {
  EXPECT_EQ(StringData("ab"), (Bytes{'a', 'b', 0}));
  EXPECT_EQ(TextOfStringData(StringData("ab")), "ab");
  EXPECT_EQ(TextOfStringData(Bytes{'a', 0, 'b'}), "a");
  EXPECT_EQ(TextOfStringData(Bytes{}), "");
  EXPECT_EQ(DwordData(0x01020304), (Bytes{4, 3, 2, 1}));
}

}  // namespace
}  // namespace ql
