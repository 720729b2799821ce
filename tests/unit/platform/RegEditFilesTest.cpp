// Tests of registry-script import and export: regedit's line forms, both formats, round trips.
#include <gtest/gtest.h>

#include "platform/fake/FakeCodePage.h"
#include "platform/fake/RegEditFiles.h"

namespace ql {
namespace {

Bytes AnsiFile(const AnsiString& text) {
  return Bytes(text.begin(), text.end());
}

Bytes WideFile(const AnsiString& text) {
  FakeCodePage codePage;
  return EncodeUtf16File(codePage.ToWide(text));
}

AnsiString ExportedText(FakeRegistry& registry, RegRoot root, const AnsiString& path) {
  FakeCodePage codePage;
  WideString text;
  EXPECT_TRUE(ExportRegScript(registry, codePage, root, path, text));
  return codePage.FromWide(text);
}

class RegScriptImport : public ::testing::Test {
 protected:
  bool Import(const Bytes& file) { return ImportRegScript(registry, codePage, file); }
  FakeRegistry registry;
  FakeCodePage codePage;
};

TEST_F(RegScriptImport, Regedit4SetsEveryValueForm) {
  ASSERT_TRUE(
      Import(AnsiFile("REGEDIT4\r\n\r\n"
                      "[HKEY_CURRENT_USER\\Software\\Test]\r\n"
                      "@=\"default\"\r\n"
                      "\"Path\"=\"C:\\\\Program Files\\\\a \\\"b\\\".exe\"\r\n"
                      "\"Count\"=dword:0000001A\r\n"
                      "\"Bin\"=hex:01,AB,ff\r\n"
                      "\"Empty\"=hex:\r\n"
                      "\"Expand\"=hex(2):25,41,25,00\r\n"
                      "\"Multi\"=hex(7):61,00,62,00,00\r\n"
                      "\"Q\"=hex(b):01,00,00,00,00,00,00,00\r\n"
                      "\"None\"=hex(0):\r\n"
                      "\"Caf\xE9\"=\"\xE9t\xE9\"\r\n")));
  const AnsiString key = "Software\\Test";
  EXPECT_EQ(registry.GetString(kCurrentUser, key, ""), "default");
  EXPECT_EQ(registry.GetString(kCurrentUser, key, "path"), "C:\\Program Files\\a \"b\".exe");
  EXPECT_EQ(registry.GetValue(kCurrentUser, key, "Count")->data, (Bytes{0x1A, 0, 0, 0}));
  EXPECT_EQ(registry.GetValue(kCurrentUser, key, "Bin")->data, (Bytes{1, 0xAB, 0xFF}));
  EXPECT_EQ(registry.GetValue(kCurrentUser, key, "Bin")->type, regtype::kBinary);
  EXPECT_TRUE(registry.GetValue(kCurrentUser, key, "Empty")->data.empty());
  EXPECT_EQ(registry.GetValue(kCurrentUser, key, "Expand")->type, regtype::kExpandString);
  EXPECT_EQ(registry.GetValue(kCurrentUser, key, "Expand")->data, AnsiFile(AnsiString("%A%\0", 4)));
  EXPECT_EQ(registry.GetValue(kCurrentUser, key, "Multi")->data,
            AnsiFile(AnsiString("a\0b\0\0", 5)));
  EXPECT_EQ(registry.GetValue(kCurrentUser, key, "Q")->type, regtype::kQword);
  EXPECT_EQ(registry.GetValue(kCurrentUser, key, "None")->type, regtype::kNone);
  EXPECT_EQ(registry.GetString(kCurrentUser, key, "CAF\xC9"), "\xE9t\xE9");
}

TEST_F(RegScriptImport, Version5TakesWideStringBytesAsText) {
  ASSERT_TRUE(
      Import(WideFile("Windows Registry Editor Version 5.00\r\n\r\n"
                      "[HKEY_LOCAL_MACHINE\\Software\\W]\r\n"
                      "\"Expand\"=hex(2):25,00,41,00,25,00,e9,00,00,00\r\n"
                      "\"Multi\"=hex(7):61,00,00,00,ac,20,00,00,00,00\r\n"
                      "\"Bin\"=hex:61,00\r\n"
                      "\"S\"=\"\xE9\"\r\n")));
  EXPECT_EQ(registry.GetValue(kLocalMachine, "Software\\W", "Expand")->data,
            AnsiFile(AnsiString("%A%\xE9\0", 5)));
  EXPECT_EQ(registry.GetValue(kLocalMachine, "Software\\W", "Multi")->data,
            AnsiFile(AnsiString("a\0\x80\0\0", 5)));
  EXPECT_EQ(registry.GetValue(kLocalMachine, "Software\\W", "Bin")->data, (Bytes{0x61, 0}));
  EXPECT_EQ(registry.GetString(kLocalMachine, "Software\\W", "S"), "\xE9");
}

TEST_F(RegScriptImport, DeletionLinesRemoveKeysAndValues) {
  registry.SetString(kClassesRoot, ".bad\\shell\\open", "", "x");
  registry.SetString(kClassesRoot, ".good", "", "txtfile");
  registry.SetString(kLocalMachine, "Software\\Run", "Gone", "a.exe");
  registry.SetString(kLocalMachine, "Software\\Run", "Kept", "b.exe");
  registry.SetString(kLocalMachine, "Software\\Run", "", "default");
  ASSERT_TRUE(
      Import(AnsiFile("REGEDIT4\n\n"
                      "[-HKEY_CLASSES_ROOT\\.BAD]\n"
                      "\"ignored\"=\"after a deletion\"\n"
                      "[-HKEY_CLASSES_ROOT]\n"
                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\RUN]\n"
                      "\"gone\"=-\n"
                      "@=-\n"
                      "\"Missing\"=-\n")));
  EXPECT_FALSE(registry.HasKey(kClassesRoot, ".bad"));
  EXPECT_TRUE(registry.HasKey(kClassesRoot, ".good"));
  EXPECT_FALSE(registry.HasValue(kClassesRoot, "", "ignored"));
  EXPECT_FALSE(registry.HasValue(kLocalMachine, "Software\\Run", "Gone"));
  EXPECT_FALSE(registry.HasValue(kLocalMachine, "Software\\Run", ""));
  EXPECT_TRUE(registry.HasValue(kLocalMachine, "Software\\Run", "Kept"));
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

// The accepted and refused forms are those Wine's regedit accepts and refuses.
TEST_F(RegScriptImport, MalformedLinesAreSkippedAndTheRestApplies) {
  ASSERT_TRUE(
      Import(AnsiFile("REGEDIT4\r\n"
                      "; a comment\r\n"
                      "\"before\"=\"no key yet\"\r\n"
                      "[HKEY_USERS\\.DEFAULT\\X]\r\n"
                      "\"other root\"=\"skipped\"\r\n"
                      "[HKCU\\Short]\r\n"
                      "\"short root name\"=\"skipped\"\r\n"
                      "[HKEY_CURRENT_USER\\K\r\n"
                      "\"unclosed key line\"=\"skipped\"\r\n"
                      "  [hkey_current_user\\K] trailing text\r\n"
                      "\"ok\"=\"1\"\r\n"
                      "\"unterminated=\"2\r\n"
                      "\"trailing\"=\"3\" junk\r\n"
                      "\"nul\"=\"a\\0b\"\r\n"
                      "\"dw\"=dword:123456789\r\n"
                      "\"dw2\"=dword:\r\n"
                      "\"upper\"=DWORD:00000001\r\n"
                      "\"upperhex\"=HEX:01\r\n"
                      "\"hx\"=hex:1,2g\r\n"
                      "\"hx2\"=hex(zz):01\r\n"
                      "\"hx3\"=hex:01 ,02\r\n"
                      "\"nothing\"=\r\n"
                      "\"fine\"=dword:ffffffff ; comment\r\n"
                      "\"spaced\"=dword: 1f\r\n"
                      "\"hexspaced\"=hex: 1, 2\r\n"
                      "\"escape\"=\"a\\qb\"\r\n")));
  EXPECT_EQ(registry.KeyCount(), 1u);
  const std::vector<RegValue> values = registry.Values(kCurrentUser, "K");
  StringList names;
  for (const RegValue& value : values)
    names.push_back(value.name);
  EXPECT_EQ(names, (StringList{"ok", "fine", "spaced", "hexspaced", "escape"}));
  EXPECT_EQ(registry.GetValue(kCurrentUser, "K", "fine")->data, (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(registry.GetValue(kCurrentUser, "K", "spaced")->data, (Bytes{0x1F, 0, 0, 0}));
  EXPECT_EQ(registry.GetValue(kCurrentUser, "K", "hexspaced")->data, (Bytes{1, 2}));
  EXPECT_EQ(registry.GetString(kCurrentUser, "K", "escape"), "aqb");
}

TEST_F(RegScriptImport, HexDataContinuesOverLinesEndingInABackslash) {
  ASSERT_TRUE(
      Import(AnsiFile("REGEDIT4\r\n[HKEY_CURRENT_USER\\K]\r\n"
                      "\"b\"=hex:01,02,\\\r\n"
                      "    03,04,\\\r\n"
                      "  05\r\n"
                      "\"after\"=dword:1\r\n")));
  EXPECT_EQ(registry.GetValue(kCurrentUser, "K", "b")->data, (Bytes{1, 2, 3, 4, 5}));
  EXPECT_TRUE(registry.HasValue(kCurrentUser, "K", "after"));
}

TEST_F(RegScriptImport, TextWithoutAHeaderChangesNothing) {
  for (const AnsiString& text : {AnsiString(""), AnsiString("REGEDIT\r\n[HKEY_CURRENT_USER\\K]"),
                                 AnsiString("\r\nREGEDIT4\r\n[HKEY_CURRENT_USER\\K]")}) {
    EXPECT_FALSE(Import(AnsiFile(text))) << text;
  }
  EXPECT_FALSE(Import(WideFile("Windows Registry Editor Version 4.00\r\n[HKEY_CURRENT_USER\\K]")));
  EXPECT_EQ(registry.KeyCount(), 0u);
}

TEST_F(RegScriptImport, KeysThatRefuseAccessKeepTheirValues) {
  registry.SetString(kLocalMachine, "Locked", "v", "old");
  registry.DenyAccess(kLocalMachine, "Locked", regaccess::kAllAccess);
  ASSERT_TRUE(
      Import(AnsiFile("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Locked]\r\n\"v\"=\"new\"\r\n"
                      "[-HKEY_LOCAL_MACHINE\\Locked]\r\n")));
  EXPECT_EQ(registry.GetString(kLocalMachine, "Locked", "v"), "old");
}

TEST(RegScriptExport, WritesRegeditsLayout) {
  FakeRegistry registry;
  registry.SetDword(kCurrentUser, "Software\\X", "zeta", 26);
  registry.SetString(kCurrentUser, "Software\\X", "Alpha", "a\\b\"c");
  registry.SetString(kCurrentUser, "Software\\X", "", "def");
  registry.SetValue(kCurrentUser, "Software\\X", "bin", regtype::kBinary, Bytes{0x01, 0xAB});
  registry.SetString(kCurrentUser, "Software\\X", "exp", "%A%", regtype::kExpandString);
  registry.AddKey(kCurrentUser, "Software\\X\\Sub");
  EXPECT_EQ(ExportedText(registry, kCurrentUser, "Software\\X"),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\X]\r\n"
            "@=\"def\"\r\n"
            "\"Alpha\"=\"a\\\\b\\\"c\"\r\n"
            "\"bin\"=hex:01,ab\r\n"
            "\"exp\"=hex(2):25,00,41,00,25,00,00,00\r\n"
            "\"zeta\"=dword:0000001a\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\X\\Sub]\r\n"
            "\r\n");
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST(RegScriptExport, WrapsLongHexLinesAsRegeditDoes) {
  FakeRegistry registry;
  registry.SetValue(kLocalMachine, "K", "Data", regtype::kBinary, Bytes(40, 0xAB));
  const AnsiString text = ExportedText(registry, kLocalMachine, "K");
  // The line breaks after column 77: 11 characters before the data, then 22 bytes of 3.
  const AnsiString first = "\"Data\"=hex:" + [] {
    AnsiString bytes;
    for (int i = 0; i < 22; ++i)
      bytes += "ab,";
    return bytes;
  }() + "\\\r\n";
  EXPECT_NE(text.find(first), AnsiString::npos) << text;
  EXPECT_NE(text.find("\r\n  ab,"), AnsiString::npos);
}

TEST(RegScriptExport, AMissingOrUnreadableKeyExportsNothing) {
  FakeRegistry registry;
  FakeCodePage codePage;
  registry.AddKey(kLocalMachine, "Locked");
  registry.DenyAccess(kLocalMachine, "Locked", regaccess::kRead);
  WideString text = u"unchanged";
  EXPECT_FALSE(ExportRegScript(registry, codePage, kLocalMachine, "Missing", text));
  EXPECT_FALSE(ExportRegScript(registry, codePage, kLocalMachine, "Locked", text));
  EXPECT_EQ(text, u"unchanged");
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

// Names and data that a careless writer or reader would break.
void PlantHostileTree(FakeRegistry& registry) {
  const AnsiString key = "Software\\Odd]Key=@\"\xE9\x80\x81";
  const StringList names = {"",      "q\"uote",       "back\\slash\\",   "]",     "=",   "@",   "-",
                            "semi;", "line\r\nbreak", "caf\xE9\x9F\xFF", " lead", "[x]", "\\\""};
  std::uint32_t counter = 0;
  for (const AnsiString& name : names) {
    const AnsiString sub =
        key + "\\" + (name.empty() ? AnsiString("empty") : name.substr(0, 3) + "k");
    registry.SetString(registry.HasKey(kCurrentUser, sub) ? kLocalMachine : kCurrentUser, sub, name,
                       "d\"\\" + name);
    registry.SetString(kCurrentUser, key, name, "s" + name);
    registry.SetString(kCurrentUser, key, name + "x", "e%" + name, regtype::kExpandString);
    registry.SetDword(kCurrentUser, key, name + "d", ++counter * 0x01010101u);
    registry.SetQword(kCurrentUser, key, name + "q", 0xFEDCBA9876543210ull);
    registry.SetValue(kCurrentUser, key, name + "m", regtype::kMultiString,
                      AnsiFile(AnsiString("a\0\xE9\0\0", 5)));
    registry.SetValue(kCurrentUser, key, name + "b", regtype::kBinary, Bytes(counter * 7, 0x5A));
  }
  registry.SetValue(kCurrentUser, key, "nul inside", regtype::kString,
                    AnsiFile(AnsiString("a\0b\0", 4)));
  registry.SetValue(kCurrentUser, key, "no nul", regtype::kString, AnsiFile("abc"));
  registry.SetValue(kCurrentUser, key, "empty sz", regtype::kString, Bytes());
  registry.SetValue(kCurrentUser, key, "short dword", regtype::kDword, Bytes{1, 2});
  registry.SetValue(kCurrentUser, key, "none", regtype::kNone, Bytes{9});
  registry.SetValue(kCurrentUser, key, "type 0x1234", 0x1234, Bytes{1});
}

void ExpectSameTree(FakeRegistry& a, FakeRegistry& b, RegRoot root, const AnsiString& path) {
  const std::vector<RegValue> left = a.Values(root, path);
  ASSERT_EQ(left.size(), b.Values(root, path).size()) << path;
  for (const RegValue& value : left) {
    const std::optional<RegValue> other = b.GetValue(root, path, value.name);
    ASSERT_TRUE(other.has_value()) << path << " / " << value.name;
    EXPECT_EQ(other->name, value.name);
    EXPECT_EQ(other->type, value.type) << value.name;
    EXPECT_EQ(other->data, value.data) << value.name;
  }
  const StringList keys = a.SubKeyNames(root, path);
  EXPECT_EQ(keys, b.SubKeyNames(root, path));
  for (const AnsiString& key : keys)
    ExpectSameTree(a, b, root, path + "\\" + key);
}

TEST(RegScriptRoundTrip, ExportThenImportGivesBackEveryNameTypeAndByte) {
  FakeRegistry original;
  FakeCodePage codePage;
  PlantHostileTree(original);
  WideString text;
  ASSERT_TRUE(ExportRegScript(original, codePage, kCurrentUser, "Software", text));
  FakeRegistry copy;
  ASSERT_TRUE(ImportRegScript(copy, codePage, EncodeUtf16File(text)));
  ExpectSameTree(original, copy, kCurrentUser, "Software");
  EXPECT_EQ(copy.KeyCount(), original.KeyCount());
  EXPECT_GE(original.KeyCount(), 10u);
}

TEST(RegScriptRoundTrip, KeysWithLineBreaksInTheirNamesAreLeftOut) {
  FakeRegistry registry;
  registry.SetDword(kCurrentUser, "K\\a\nb\\c", "v", 1);
  registry.SetDword(kCurrentUser, "K\\plain", "v", 2);
  const AnsiString text = ExportedText(registry, kCurrentUser, "K");
  EXPECT_EQ(text.find("a\nb"), AnsiString::npos);
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\K\\plain]"), AnsiString::npos);
}

TEST(RegScriptNames, RootsParseByTheirFullNamesOnly) {
  struct Case {
    const char* text;
    bool parses;
    RegRoot root;
    const char* path;
  };
  for (const Case& c :
       {Case{"HKEY_CLASSES_ROOT\\.txt", true, kClassesRoot, ".txt"},
        Case{"hkey_current_user", true, kCurrentUser, ""},
        Case{"hkey_local_machine\\Software\\X\\\\", true, kLocalMachine, "Software\\X"},
        Case{"HKLM\\Software", false, 0, ""}, Case{"HKEY_USERS\\.DEFAULT", false, 0, ""},
        Case{"HKEY_LOCAL_MACHINEX\\A", false, 0, ""}, Case{"", false, 0, ""}}) {
    RegRoot root = 0;
    AnsiString path;
    EXPECT_EQ(ParseRegKeyName(c.text, root, path), c.parses) << c.text;
    if (c.parses) {
      EXPECT_EQ(root, c.root) << c.text;
      EXPECT_EQ(path, c.path) << c.text;
    }
  }
  EXPECT_EQ(RootName(kLocalMachine), "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(RootName(0x80000003u), "");
}

}  // namespace
}  // namespace ql
