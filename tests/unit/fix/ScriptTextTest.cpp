// Tests of the registry script text: line forms, escaping, undo value lines and file encodings.
#include "fix/ScriptText.h"

#include <gtest/gtest.h>

#include "platform/fake/FakeCodePage.h"

namespace ql {
namespace {

Bytes Text(const AnsiString& text, bool withNul = true) {
  Bytes bytes(text.begin(), text.end());
  if (withNul)
    bytes.push_back(0);
  return bytes;
}

TEST(RegScriptTest, EscapesBackslashesThenQuotes) {
  EXPECT_EQ(EscapeScriptText("C:\\WINDOWS\\foo.dll"), "C:\\\\WINDOWS\\\\foo.dll");
  EXPECT_EQ(EscapeScriptText("a\\\"b"), "a\\\\\\\"b");
  EXPECT_EQ(EscapeScriptText("plain [x]=@"), "plain [x]=@");
}

TEST(RegScriptTest, KeyAndDeletionLines) {
  EXPECT_EQ(KeyLine(kLocalMachine, "\\SOFTWARE\\X\\"), "[HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\]");
  EXPECT_EQ(KeyDeletionLine(kClassesRoot, "\\.abc"), "[-HKEY_CLASSES_ROOT\\.abc]");
  EXPECT_EQ(KeyDeletionLine(kCurrentUser, "\\A"), "[-HKEY_CURRENT_USER\\A]");
  EXPECT_EQ(ValueDeletionLine("C:\\A\"B"), "\"C:\\\\A\\\"B\"=-");
  EXPECT_EQ(DefaultValueLine("C:\\S.WAV"), "@=\"C:\\\\S.WAV\"");
  EXPECT_EQ(DefaultValueLine(""), "@=\"\"");
}

TEST(RegScriptTest, NamesWithLineBreaksCannotBeCarried) {
  EXPECT_TRUE(ScriptCanCarryName(" odd ]\"=@\\ \xE9"));
  EXPECT_FALSE(ScriptCanCarryName("a\rb"));
  EXPECT_FALSE(ScriptCanCarryName("a\nb"));
}

struct UndoLineCase {
  const char* label;
  AnsiString name;
  std::uint32_t type;
  Bytes data;
  AnsiString expected;
};

class UndoValueLineTest : public ::testing::TestWithParam<UndoLineCase> {};

TEST_P(UndoValueLineTest, WritesTheValueInRegeditsForm) {
  FakeCodePage codePage;
  const UndoLineCase& c = GetParam();
  EXPECT_EQ(UndoValueLine(c.name, c.type, c.data, codePage), c.expected) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, UndoValueLineTest,
    ::testing::Values(
        UndoLineCase{"string", "Run", regtype::kString, Text("C:\\A \"B\""),
                     "\"Run\"=\"C:\\\\A \\\"B\\\"\""},
        UndoLineCase{"empty default", "", regtype::kString, Text(""), "@=\"\""},
        UndoLineCase{"empty named", "x", regtype::kString, Text(""), "\"x\"=\"\""},
        UndoLineCase{"default with data", "", regtype::kString, Text("v"), "\"\"=\"v\""},
        UndoLineCase{"dword 26", "d", regtype::kDword, {0x1A, 0, 0, 0}, "\"d\"=dword:0000001A"},
        UndoLineCase{
            "dword -1", "d", regtype::kDword, {0xFF, 0xFF, 0xFF, 0xFF}, "\"d\"=dword:FFFFFFFF"},
        UndoLineCase{"binary", "b", regtype::kBinary, {0x01, 0xAB}, "\"b\"=hex:01,AB"},
        UndoLineCase{"empty binary", "b", regtype::kBinary, {}, "\"b\"=hex:"},
        UndoLineCase{"expandable as UTF-16", "e", regtype::kExpandString, Text("%A\xE9"),
                     "\"e\"=hex(2):25,00,41,00,E9,00,00,00"},
        UndoLineCase{"multi-string",
                     "m",
                     regtype::kMultiString,
                     {'a', 0, 'b', 0, 0},
                     "\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00"},
        UndoLineCase{"code-page letter widened",
                     "m",
                     regtype::kMultiString,
                     {0x80, 0},
                     "\"m\"=hex(7):AC,20,00,00"},
        UndoLineCase{"qword",
                     "q",
                     regtype::kQword,
                     {1, 2, 3, 4, 5, 6, 7, 8},
                     "\"q\"=hex(b):01,02,03,04,05,06,07,08"},
        UndoLineCase{"none type", "n", regtype::kNone, {}, "\"n\"=hex(0):"},
        UndoLineCase{"odd type", "n", 0x20, {0xFE}, "\"n\"=hex(20):FE"},
        UndoLineCase{"short dword", "d", regtype::kDword, {1, 2}, "\"d\"=hex(4):01,02"},
        UndoLineCase{"string without NUL", "s", regtype::kString, Text("ab", false),
                     "\"s\"=hex(1):61,00,62,00"},
        UndoLineCase{"string of size zero", "s", regtype::kString, {}, "\"s\"=hex(1):"},
        UndoLineCase{"string with a line break", "s", regtype::kString, Text("a\r\nb"),
                     "\"s\"=hex(1):61,00,0D,00,0A,00,62,00,00,00"},
        UndoLineCase{"string with inner NUL",
                     "s",
                     regtype::kString,
                     {'a', 0, 'b', 0},
                     "\"s\"=hex(1):61,00,00,00,62,00,00,00"},
        UndoLineCase{"hostile name",
                     "a\\\"b",
                     regtype::kDword,
                     {0, 0, 0, 0},
                     "\"a\\\\\\\"b\"=dword:00000000"}),
    [](const ::testing::TestParamInfo<UndoLineCase>& info) {
      return "Case" + std::to_string(info.index);
    });

TEST(RegScriptTest, SplitsAtEveryKindOfLineBreak) {
  EXPECT_EQ(SplitLines(AnsiString("a\r\nb\nc\rd")), (StringList{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines(AnsiString("a\r\n\r\n")), (StringList{"a", ""}));
  EXPECT_EQ(SplitLines(AnsiString("a\r\nlast")), (StringList{"a", "last"}));
  EXPECT_TRUE(SplitLines(AnsiString()).empty());
}

TEST(RegScriptTest, DecodesTheThreeMarkedEncodingsAndTheCodePage) {
  FakeCodePage codePage;
  EXPECT_EQ(DecodeScriptFile({0xFF, 0xFE, 'A', 0, 0xAC, 0x20}, codePage), u"A\u20AC");
  EXPECT_EQ(DecodeScriptFile({0xFE, 0xFF, 0, 'A', 0x20, 0xAC}, codePage), u"A\u20AC");
  EXPECT_EQ(
      DecodeScriptFile({0xEF, 0xBB, 0xBF, 'A', 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80}, codePage),
      u"A\u20AC\U0001F600");
  EXPECT_EQ(DecodeScriptFile({'A', 0x80}, codePage), u"A\u20AC");
}

TEST(RegScriptTest, MalformedUtf8BecomesReplacementCharacters) {
  FakeCodePage codePage;
  EXPECT_EQ(DecodeScriptFile({0xEF, 0xBB, 0xBF, 0xC3, 'A', 0xFF, 0xE2, 0x82}, codePage),
            u"\uFFFDA\uFFFD\uFFFD\uFFFD");
}

TEST(RegScriptTest, EncodesLinesWithCrLfAfterEveryLine) {
  EXPECT_EQ(EncodeAnsiLines({"REGEDIT4", ""}), Text("REGEDIT4\r\n\r\n", false));
  EXPECT_EQ(EncodeUtf16Lines({u"A", u""}),
            (Bytes{0xFF, 0xFE, 'A', 0, '\r', 0, '\n', 0, '\r', 0, '\n', 0}));
  EXPECT_EQ(EncodeUtf16Lines({}), (Bytes{0xFF, 0xFE}));
}

}  // namespace
}  // namespace ql
