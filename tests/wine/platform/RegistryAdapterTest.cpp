// The registry adapter against the real Wine registry: keys, enumeration and typed values.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/win32/Win32Platform.h"

namespace ql::win32 {
namespace {

class RegistryAdapter : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = "Software\\QuillonWineTest-" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(registry_.CreateKey(kCurrentUser, base_, regaccess::kAllAccess, key_));
  }
  void TearDown() override {
    if (key_ != 0)
      registry_.CloseKey(key_);
    RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
  }

  Bytes Query(const AnsiString& name, std::uint32_t& type) {
    Bytes data;
    EXPECT_TRUE(registry_.QueryValue(key_, name, type, &data)) << name;
    return data;
  }

  Win32Registry registry_;
  AnsiString base_;
  RegHandle key_ = 0;
};

Bytes BytesOf(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

TEST_F(RegistryAdapter, CreatesMissingParentsAndOpensTheKeyAgain) {
  RegHandle nested = 0;
  ASSERT_TRUE(registry_.CreateKey(kCurrentUser, base_ + "\\One\\Two\\Three",
                                  regaccess::kFullAccess64, nested));
  registry_.CloseKey(nested);
  RegHandle opened = 0;
  ASSERT_TRUE(registry_.OpenKey(kCurrentUser, base_ + "\\ONE\\two", regaccess::kRead, opened));
  RegKeyInfo info;
  EXPECT_TRUE(registry_.QueryInfoKey(opened, info));
  EXPECT_EQ(info.subKeys, 1u);
  EXPECT_EQ(info.values, 0u);
  registry_.CloseKey(opened);
}

TEST_F(RegistryAdapter, MissingKeysAndUnknownRootsDoNotOpen) {
  RegHandle key = 12345;
  EXPECT_FALSE(registry_.OpenKey(kCurrentUser, base_ + "\\Missing", regaccess::kRead, key));
  EXPECT_EQ(key, 0u);
  EXPECT_FALSE(registry_.OpenKey(0x80000005u, "Software", regaccess::kRead, key));
  EXPECT_FALSE(registry_.CreateKey(0x12345678u, "Software", regaccess::kRead, key));
}

TEST_F(RegistryAdapter, OpensEveryRootWithTheNativeViewFlag) {
  for (RegRoot root : {kClassesRoot, kCurrentUser, kLocalMachine}) {
    RegHandle key = 0;
    ASSERT_TRUE(registry_.OpenKey(root, "", regaccess::kFullAccess64, key)) << std::hex << root;
    RegKeyInfo info;
    EXPECT_TRUE(registry_.QueryInfoKey(key, info));
    EXPECT_GT(info.subKeys, 0u);
    registry_.CloseKey(key);
  }
}

TEST_F(RegistryAdapter, EnumeratesEveryKeyAndValueIncludingLongNames) {
  const AnsiString longKey(200, 'k');
  const AnsiString longValue(2000, 'v');
  const std::vector<AnsiString> keys = {"Alpha", "beta", longKey};
  for (const AnsiString& name : keys) {
    RegHandle child = 0;
    ASSERT_TRUE(
        registry_.CreateKey(kCurrentUser, base_ + "\\" + name, regaccess::kAllAccess, child));
    registry_.CloseKey(child);
  }
  const std::vector<AnsiString> values = {"", "short", longValue};
  for (const AnsiString& name : values)
    ASSERT_TRUE(registry_.SetValue(key_, name, regtype::kDword, Bytes(4, 1)));

  RegKeyInfo info;
  ASSERT_TRUE(registry_.QueryInfoKey(key_, info));
  EXPECT_EQ(info.subKeys, 3u);
  EXPECT_EQ(info.maxSubKeyLength, 200u);
  EXPECT_EQ(info.values, 3u);
  EXPECT_EQ(info.maxValueNameLength, 2000u);

  std::vector<AnsiString> foundKeys;
  AnsiString name;
  for (std::uint32_t i = 0; registry_.EnumKey(key_, i, name); ++i)
    foundKeys.push_back(name);
  std::vector<AnsiString> foundValues;
  for (std::uint32_t i = 0; registry_.EnumValue(key_, i, name); ++i)
    foundValues.push_back(name);
  std::sort(foundKeys.begin(), foundKeys.end());
  std::sort(foundValues.begin(), foundValues.end());
  std::vector<AnsiString> expectedKeys = keys;
  std::vector<AnsiString> expectedValues = values;
  std::sort(expectedKeys.begin(), expectedKeys.end());
  std::sort(expectedValues.begin(), expectedValues.end());
  EXPECT_EQ(foundKeys, expectedKeys);
  EXPECT_EQ(foundValues, expectedValues);
}

TEST_F(RegistryAdapter, TypedValuesReadBackAsWritten) {
  struct Case {
    const char* name;
    std::uint32_t type;
    Bytes data;
  };
  const std::vector<Case> cases = {
      {"string", regtype::kString, BytesOf(std::string("C:\\Windows\\notepad.exe", 23) + '\0')},
      {"expand", regtype::kExpandString, BytesOf(std::string("%windir%\\x", 10) + '\0')},
      {"dword", regtype::kDword, Bytes{0x78, 0x56, 0x34, 0x12}},
      {"binary", regtype::kBinary, Bytes{0, 1, 2, 0xFF, 0x80}},
      {"empty binary", regtype::kBinary, Bytes{}},
      {"multi", regtype::kMultiString, BytesOf(std::string("a\0bc\0\0", 6))},
      {"qword", regtype::kQword, Bytes{1, 2, 3, 4, 5, 6, 7, 8}},
      {"none", regtype::kNone, Bytes{9}},
  };
  for (const Case& c : cases)
    ASSERT_TRUE(registry_.SetValue(key_, c.name, c.type, c.data)) << c.name;
  for (const Case& c : cases) {
    std::uint32_t type = 0;
    EXPECT_EQ(Query(c.name, type), c.data) << c.name;
    EXPECT_EQ(type, c.type) << c.name;
  }
}

TEST_F(RegistryAdapter, TypeAloneIsReadWithoutData) {
  ASSERT_TRUE(registry_.SetValue(key_, "value", regtype::kExpandString, BytesOf("x")));
  std::uint32_t type = 0;
  EXPECT_TRUE(registry_.QueryValue(key_, "VALUE", type, nullptr));
  EXPECT_EQ(type, regtype::kExpandString);
}

// Strings stored without their NUL, with an odd byte count, empty, or very long must come back
// without a crash and with their text intact.
TEST_F(RegistryAdapter, OddStringsReadBackSafely) {
  struct Case {
    const char* name;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"no terminator", "abc"},
      {"odd", std::string("abcd\0", 5)},
      {"empty", ""},
      {"long", std::string(65536, 'x') + '\0'},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(registry_.SetValue(key_, c.name, regtype::kString, BytesOf(c.text))) << c.name;
    std::uint32_t type = 0;
    const Bytes data = Query(c.name, type);
    EXPECT_EQ(type, regtype::kString);
    const std::string read(data.begin(), data.end());
    const std::string expected = c.text.substr(0, c.text.find('\0'));
    EXPECT_EQ(read.substr(0, read.find('\0')), expected) << c.name;
    EXPECT_LE(data.size(), expected.size() + 1) << c.name;
  }
}

TEST_F(RegistryAdapter, DeletedValuesAreGone) {
  ASSERT_TRUE(registry_.SetValue(key_, "gone", regtype::kString, BytesOf(std::string("x\0", 2))));
  EXPECT_TRUE(registry_.DeleteValue(key_, "gone"));
  std::uint32_t type = 0;
  Bytes data{1, 2, 3};
  EXPECT_FALSE(registry_.QueryValue(key_, "gone", type, &data));
  EXPECT_FALSE(registry_.DeleteValue(key_, "gone"));
}

TEST_F(RegistryAdapter, ReadOnlyKeysRefuseWrites) {
  RegHandle readOnly = 0;
  ASSERT_TRUE(registry_.OpenKey(kCurrentUser, base_, regaccess::kRead, readOnly));
  EXPECT_FALSE(registry_.SetValue(readOnly, "x", regtype::kDword, Bytes(4, 0)));
  registry_.CloseKey(readOnly);
}

// Names and texts come through the wide calls without best-fit mapping: a character the code
// page lacks, or has only a look-alike for, is reported, never replaced.
TEST_F(RegistryAdapter, ExactReadsTellWhatTheCodePageCannotCarry) {
  const std::wstring wideBase(base_.begin(), base_.end());
  struct Case {
    const wchar_t* name;
    const wchar_t* text;
    const wchar_t* keyName;
    bool exact;
  };
  const Case cases[] = {
      {L"plain", L"C:\\Tools\\tool.exe", L"plain key", true},
      // A fullwidth A, which best-fit mapping would turn into "A".
      {L"look-alike", L"C:\\\uFF21pp\\a.exe", L"\uFF21 key", false},
      {L"beyond", L"C:\\Gone\\\U0001F600.exe", L"\U0001F600 key", false},
  };
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, wideBase.c_str(), 0, KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
  for (const Case& c : cases) {
    const std::wstring text = c.text;
    RegSetValueExW(key, c.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    HKEY child = nullptr;
    RegCreateKeyExW(key, c.keyName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr);
    RegCloseKey(child);
  }
  RegCloseKey(key);
  for (const Case& c : cases) {
    const std::wstring wideName = c.name;
    const AnsiString name(wideName.begin(), wideName.end());
    std::uint32_t type = 0;
    Bytes data;
    bool exact = !c.exact;
    ASSERT_TRUE(registry_.QueryValueExact(key_, name, type, &data, exact)) << name;
    EXPECT_EQ(exact, c.exact) << name;
    Bytes wide;
    ASSERT_TRUE(registry_.QueryValueWide(key_, name, type, wide)) << name;
    const std::wstring text = c.text;
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(wide.data()), wide.size() / 2),
              text + L'\0')
        << name;
  }
  StringList exactNames;
  int inexact = 0;
  AnsiString childName;
  bool exact = true;
  for (std::uint32_t i = 0; registry_.EnumKeyExact(key_, i, childName, exact); ++i) {
    if (exact)
      exactNames.push_back(childName);
    else
      ++inexact;
  }
  EXPECT_EQ(exactNames, StringList{"plain key"});
  EXPECT_EQ(inexact, 2);
}

}  // namespace
}  // namespace ql::win32
