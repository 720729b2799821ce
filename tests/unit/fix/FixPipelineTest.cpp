// Tests of the fix pipeline: folders, numbering, undo captures, regedit command lines, fix files.
#include "fix/FixPipeline.h"

#include <gtest/gtest.h>

#include <cctype>

#include "platform/fake/FakePlatform.h"
#include "unit/fix/ScriptedRegEdit.h"

namespace ql {
namespace {

Bytes BytesOf(const AnsiString& text) {
  return Bytes(text.begin(), text.end());
}

Bytes Utf16Le(const std::u16string& text, bool mark = true) {
  Bytes bytes;
  if (mark)
    bytes = {0xFF, 0xFE};
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return bytes;
}

class FixPipelineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.files.AddFolder("C:\\Undo");
    pipeline.RefreshFolders();
  }

  WideStringList Undo(const StringList& lines) {
    WideStringList wide;
    for (const AnsiString& line : lines)
      wide.push_back(fake.codePage.ToWide(line));
    return wide;
  }

  FakePlatform fake;
  ScriptedRegEdit regedit{fake};
  Platform platform = fake.platform(regedit);
  AnsiString undoFolder = "C:\\Undo\\";
  ScanState state;
  FixPipeline pipeline{platform, state, undoFolder};
};

TEST_F(FixPipelineTest, RefreshFoldersEndsBothFoldersWithABackslash) {
  EXPECT_EQ(pipeline.Folders().windowsFolder, "C:\\WINDOWS\\");
  EXPECT_EQ(pipeline.Folders().profileFolder, "C:\\Documents and Settings\\User\\");
  fake.system.SetWindowsDirectory("D:\\WIN\\");
  fake.system.SetShellFolderPath(csidl::kAppData, "D:\\Users\\Ann\\AppData\\Roaming\\");
  fake.system.SetShellFolderPath(csidl::kProfile, "D:\\Users\\Ann");
  pipeline.RefreshFolders();
  EXPECT_EQ(pipeline.Folders().windowsFolder, "D:\\WIN\\");
  // The profile folder as the system reports it, not the parent of the application data.
  EXPECT_EQ(pipeline.Folders().profileFolder, "D:\\Users\\Ann\\");
}

// A program-files folder the system does not report keeps its standard text, also when an
// earlier scan had one reported.
TEST_F(FixPipelineTest, RefreshFoldersKeepsTheStandardProgramFilesFoldersTheSystemDoesNotName) {
  fake.system.SetNativeProgramFiles("D:\\Apps", "D:\\Apps\\Shared");
  fake.system.SetShellFolderPath(csidl::kProgramFilesX86, "D:\\Apps32");
  pipeline.RefreshFolders();
  EXPECT_EQ(pipeline.Folders().programFiles, "D:\\Apps\\");
  EXPECT_EQ(pipeline.Folders().commonFiles, "D:\\Apps\\Shared\\");
  EXPECT_EQ(pipeline.Folders().programFilesX86, "D:\\Apps32\\");
  fake.system.SetNativeProgramFiles("", "");
  fake.system.SetShellFolderPath(csidl::kProgramFilesX86, "");
  pipeline.RefreshFolders();
  EXPECT_EQ(pipeline.Folders().programFiles, "C:\\Program Files\\");
  EXPECT_EQ(pipeline.Folders().commonFiles, "C:\\Program Files\\Common Files\\");
  EXPECT_EQ(pipeline.Folders().programFilesX86, "C:\\Program Files (x86)\\");
}

TEST_F(FixPipelineTest, PrepareTakesTheFirstFreeUndoNumberAndRestartsTheTexts) {
  fake.files.AddTextFile("C:\\Undo\\Quillon_Undo_1.reg", "x");
  fake.files.AddTextFile("C:\\Undo\\Quillon_Undo_2.reg", "x");
  fake.files.AddTextFile("C:\\Undo\\Quillon_Log_3.txt", "old");
  fake.files.AddTextFile("C:\\Undo\\Quillon_Undo_5.reg", "x");
  fake.clock.SetTime(13, 4, 5);
  state.FixScript = {"stale"};
  pipeline.PrepareFixScripts();
  EXPECT_EQ(state.UndoFileName, "Quillon_Undo_3.reg");
  EXPECT_EQ(state.LogFileName, "Quillon_Log_3.txt");
  EXPECT_EQ(state.FixScript, (StringList{"REGEDIT4", ""}));
  EXPECT_EQ(state.UndoScript, Undo({"Windows Registry Editor Version 5.00", ""}));
  EXPECT_EQ(state.ReportLog, (StringList{"Quillon report file. 13:04:05", ""}));
}

TEST_F(FixPipelineTest, SaveValueToUndoWritesTheKeyLineValueLineAndEmptyLine) {
  const AnsiString key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
  fake.registry.SetDword(kLocalMachine, key, "C:\\WINDOWS\\foo.dll", 26);
  state.UndoScript.clear();
  pipeline.SaveValueToUndo(kLocalMachine, "\\" + key + "\\", "C:\\WINDOWS\\foo.dll");
  EXPECT_EQ(state.UndoScript, Undo({"[HKEY_LOCAL_MACHINE\\" + key + "]",
                                    "\"C:\\\\WINDOWS\\\\foo.dll\"=dword:0000001A", ""}));
}

TEST_F(FixPipelineTest, SaveValueToUndoOfAMissingValueKeepsOnlyTheKeyLine) {
  fake.registry.AddKey(kCurrentUser, "A");
  pipeline.SaveValueToUndo(kCurrentUser, "\\A", "gone");
  EXPECT_EQ(state.UndoScript, Undo({"[HKEY_CURRENT_USER\\A]", ""}));
}

TEST_F(FixPipelineTest, SaveValueToUndoOfAMissingKeyWritesNothing) {
  pipeline.SaveValueToUndo(kCurrentUser, "\\Missing", "");
  EXPECT_TRUE(state.UndoScript.empty());
  EXPECT_EQ(fake.registry.OpenHandleCount(), 0u);
}

TEST_F(FixPipelineTest, SaveValueToUndoOfAnExpandableStringKeepsItsType) {
  fake.registry.SetString(kCurrentUser, "A", "", "%WINDIR%\\x", regtype::kExpandString);
  pipeline.SaveValueToUndo(kCurrentUser, "\\A", "");
  ASSERT_EQ(state.UndoScript.size(), 3u);
  EXPECT_EQ(fake.codePage.FromWide(state.UndoScript[1]),
            "\"\"=hex(2):25,00,57,00,49,00,4E,00,44,00,49,00,52,00,25,00,5C,00,78,00,00,00");
}

TEST_F(FixPipelineTest, ExportKeyToUndoGivesRegeditTheExactArgumentString) {
  undoFolder = "C:\\My Undo\\";
  pipeline.ExportKeyToUndo(kClassesRoot, "\\.abc");
  ASSERT_EQ(regedit.commandLines.size(), 1u);
  EXPECT_EQ(regedit.programs[0], "C:\\WINDOWS\\regedit.exe");
  EXPECT_EQ(regedit.commandLines[0], "/s /e \"C:\\My Undo\\tmp.reg\" \"HKEY_CLASSES_ROOT\\.abc\"");
  EXPECT_EQ(regedit.lastOptions.creationFlags, 0x88u);
  EXPECT_TRUE(regedit.lastOptions.hidden);
  EXPECT_EQ(regedit.lastOptions.waitMilliseconds, 10000u);
}

TEST_F(FixPipelineTest, ExportKeyToUndoIgnoresATmpRegLeftByAnEarlierRun) {
  fake.files.AddTextFile("C:\\Undo\\tmp.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Other]\r\n");
  pipeline.ExportKeyToUndo(kCurrentUser, "\\Missing");
  EXPECT_TRUE(state.UndoScript.empty());
  EXPECT_FALSE(fake.files.Exists("C:\\Undo\\tmp.reg"));
}

TEST_F(FixPipelineTest, ATmpRegThatCannotBeRemovedIsNeverRead) {
  fake.files.AddTextFile("C:\\Undo\\tmp.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Other]\r\n",
                         fileattr::kReadOnly);
  regedit.exportBytes = BytesOf("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n");
  pipeline.ExportKeyToUndo(kCurrentUser, "\\K");
  EXPECT_TRUE(state.UndoScript.empty());
  EXPECT_TRUE(regedit.commandLines.empty());
}

struct ExportEncodingCase {
  const char* label;
  Bytes file;
};

class ExportEncodingTest : public FixPipelineTest,
                           public ::testing::WithParamInterface<ExportEncodingCase> {};

TEST_P(ExportEncodingTest, AppendsEverythingAfterTheHeaderAndDeletesTheFile) {
  fake.registry.SetString(kCurrentUser, "K", "a", "x");
  fake.registry.SetDword(kCurrentUser, "K", "b", 1);
  regedit.exportBytes = GetParam().file;
  pipeline.ExportKeyToUndo(kCurrentUser, "\\K");
  EXPECT_EQ(state.UndoScript, (WideStringList{u"[HKEY_CURRENT_USER\\K]", u"\"a\"=\"\u20AC\"",
                                              u"\"b\"=dword:00000001", u""}))
      << GetParam().label;
  EXPECT_FALSE(fake.files.Exists("C:\\Undo\\tmp.reg"));
}

const std::u16string kExportText =
    u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"a\"=\"\u20AC\"\r\n"
    u"\"b\"=dword:00000001\r\n\r\n";

Bytes Utf16Be(const std::u16string& text) {
  Bytes bytes{0xFE, 0xFF};
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
  }
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, ExportEncodingTest,
    ::testing::Values(
        ExportEncodingCase{"UTF-16LE", Utf16Le(kExportText)},
        ExportEncodingCase{"UTF-16BE", Utf16Be(kExportText)},
        ExportEncodingCase{"UTF-8",
                           BytesOf("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
                                   "[HKEY_CURRENT_USER\\K]\r\n\"a\"=\"\xE2\x82\xAC\"\r\n"
                                   "\"b\"=dword:00000001\r\n\r\n")},
        ExportEncodingCase{"code page",
                           BytesOf("REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"a\"=\"\x80\"\n"
                                   "\"b\"=dword:00000001\n\n")}));

TEST_F(FixPipelineTest, ExportsCanBeSwitchedOff) {
  fake.registry.AddKey(kCurrentUser, "K");
  pipeline.SetKeyExports(false);
  EXPECT_FALSE(pipeline.ExportKeyToUndo(kCurrentUser, "\\K"));
  EXPECT_TRUE(regedit.commandLines.empty());
  EXPECT_TRUE(state.UndoScript.empty());
}

// What can go wrong between asking the registry editor for an export and holding the key.
enum class ExportTrouble {
  kNone,
  kOtherLetterCase,
  kKeyMissing,
  kNotStarted,
  kStillRunning,
  kFolderInTheWay,
  kOtherKeysFile,
  kSubkeysFile,
  kHeaderOnly,
  kCutAfterKeyLine,
  kSubkeyLeftOut,
};

struct ExportBackupCase {
  const char* label;
  ExportTrouble trouble;
  bool held;
};

class ExportBackupTest : public FixPipelineTest,
                         public ::testing::WithParamInterface<ExportBackupCase> {};

TEST_P(ExportBackupTest, ReportsWhetherTheUndoScriptNowHoldsTheKey) {
  const ExportTrouble trouble = GetParam().trouble;
  if (trouble != ExportTrouble::kKeyMissing)
    fake.registry.SetString(kCurrentUser, "Soft\\K", "a", "x");
  const auto exportOf = [](const std::u16string& keyLine) {
    return Utf16Le(u"Windows Registry Editor Version 5.00\r\n\r\n" + keyLine +
                   u"\r\n\"a\"=\"x\"\r\n\r\n");
  };
  switch (trouble) {
    case ExportTrouble::kOtherLetterCase:
      regedit.exportBytes = exportOf(u"[hkey_current_user\\SOFT\\k]");
      break;
    case ExportTrouble::kNotStarted:
      fake.launcher.SetStartFails(true);
      break;
    case ExportTrouble::kStillRunning:
      fake.launcher.SetRunsPastWait(true);
      break;
    case ExportTrouble::kFolderInTheWay:
      fake.files.AddFolder("C:\\Undo\\tmp.reg");
      break;
    case ExportTrouble::kOtherKeysFile:
      regedit.exportBytes = exportOf(u"[HKEY_CURRENT_USER\\Soft\\Other]");
      break;
    case ExportTrouble::kSubkeysFile:
      regedit.exportBytes = exportOf(u"[HKEY_CURRENT_USER\\Soft\\K\\Sub]");
      break;
    case ExportTrouble::kHeaderOnly:
      regedit.exportBytes = Utf16Le(u"Windows Registry Editor Version 5.00\r\n\r\n");
      break;
    case ExportTrouble::kCutAfterKeyLine:
      regedit.exportBytes =
          Utf16Le(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Soft\\K]\r\n");
      break;
    case ExportTrouble::kSubkeyLeftOut:
      fake.registry.AddKey(kCurrentUser, "Soft\\K\\Sub");
      regedit.exportBytes = exportOf(u"[HKEY_CURRENT_USER\\Soft\\K]");
      break;
    case ExportTrouble::kNone:
    case ExportTrouble::kKeyMissing:
      break;
  }
  EXPECT_EQ(pipeline.ExportKeyToUndo(kCurrentUser, "\\Soft\\K"), GetParam().held);
  if (GetParam().held) {
    ASSERT_EQ(state.UndoScript.size(), 3u);
    EXPECT_EQ(fake.codePage.FromWide(state.UndoScript[1]), "\"a\"=\"x\"");
  } else {
    EXPECT_TRUE(state.UndoScript.empty());
  }
  EXPECT_EQ(fake.files.Exists("C:\\Undo\\tmp.reg"), trouble == ExportTrouble::kFolderInTheWay);
}

INSTANTIATE_TEST_SUITE_P(
    Troubles, ExportBackupTest,
    ::testing::Values(ExportBackupCase{"exported", ExportTrouble::kNone, true},
                      ExportBackupCase{"other letter case", ExportTrouble::kOtherLetterCase, true},
                      ExportBackupCase{"key missing", ExportTrouble::kKeyMissing, false},
                      ExportBackupCase{"not started", ExportTrouble::kNotStarted, false},
                      ExportBackupCase{"still running", ExportTrouble::kStillRunning, false},
                      ExportBackupCase{"folder in the way", ExportTrouble::kFolderInTheWay, false},
                      ExportBackupCase{"other key's file", ExportTrouble::kOtherKeysFile, false},
                      ExportBackupCase{"subkey's file", ExportTrouble::kSubkeysFile, false},
                      ExportBackupCase{"header only", ExportTrouble::kHeaderOnly, false},
                      ExportBackupCase{"cut after the key line", ExportTrouble::kCutAfterKeyLine,
                                       false},
                      ExportBackupCase{"subkey left out", ExportTrouble::kSubkeyLeftOut, false}),
    [](const ::testing::TestParamInfo<ExportBackupCase>& info) {
      AnsiString name;
      for (const char* c = info.param.label; *c != 0; ++c) {
        if (std::isalpha(static_cast<unsigned char>(*c)))
          name += *c;
      }
      return name;
    });

class WriteFixFilesTest : public FixPipelineTest {
 protected:
  void SetUp() override {
    FixPipelineTest::SetUp();
    fake.clock.SetTime(9, 0, 0);
    pipeline.PrepareFixScripts();
    state.CategoryErrors[0] = {"Invalid handler .abc"};
    state.CategoryErrors[2] = {"Library does not exist: A", "Library does not exist: B"};
    state.ErrorCount = 3;
    state.FixScript.insert(state.FixScript.end(), {"[-HKEY_CLASSES_ROOT\\.abc]", ""});
  }
};

TEST_F(WriteFixFilesTest, WritesTheLogWithEmptyLinesBetweenCategoriesAndTheSummary) {
  pipeline.WriteFixFilesOnly();
  EXPECT_EQ(fake.files.Text("C:\\Undo\\Quillon_Log_1.txt"),
            "Quillon report file. 09:00:00\r\n\r\nInvalid handler .abc\r\n\r\n"
            "Library does not exist: A\r\nLibrary does not exist: B\r\n\r\n\r\n"
            "Summary: 3 errors fixed\r\n");
}

TEST_F(WriteFixFilesTest, TheLastCategoryGetsNoEmptyLineOfItsOwn) {
  state.CategoryErrors = {};
  state.CategoryErrors[6] = {"Font file does not exist: A.TTF"};
  state.ErrorCount = 1;
  pipeline.WriteFixFilesOnly();
  EXPECT_EQ(fake.files.Text("C:\\Undo\\Quillon_Log_1.txt"),
            "Quillon report file. 09:00:00\r\n\r\nFont file does not exist: A.TTF\r\n\r\n"
            "Summary: 1 errors fixed\r\n");
}

TEST_F(WriteFixFilesTest, WritesTheUndoScriptInUtf16AndTheFixScriptInTheCodePage) {
  fake.files.AddTextFile("C:\\Undo\\Quillon.reg", "old fix script that is much longer");
  pipeline.WriteFixFiles();
  EXPECT_EQ(*fake.files.Contents("C:\\Undo\\Quillon_Undo_1.reg"),
            Utf16Le(u"Windows Registry Editor Version 5.00\r\n\r\n"));
  EXPECT_EQ(fake.files.Text("C:\\Undo\\Quillon.reg"),
            "REGEDIT4\r\n\r\n[-HKEY_CLASSES_ROOT\\.abc]\r\n\r\n");
}

TEST_F(WriteFixFilesTest, ReplacesALogOfTheSameNumber) {
  fake.files.AddTextFile("C:\\Undo\\Quillon_Log_1.txt", "an old log");
  pipeline.WriteFixFiles();
  EXPECT_EQ(fake.files.Text("C:\\Undo\\Quillon_Log_1.txt").rfind("Quillon report file.", 0), 0u);
}

TEST_F(WriteFixFilesTest, ImportsTheFixScriptSilentlyWhileHoldingItAgainstChanges) {
  bool writable = true;
  bool removable = true;
  regedit.duringRun = [&] {
    writable = fake.files.WriteWholeFile("C:\\Undo\\Quillon.reg", BytesOf("[-HKEY_CLASSES_ROOT]"));
    removable = fake.files.RemoveFile("C:\\Undo\\Quillon.reg");
  };
  pipeline.WriteFixFiles();
  ASSERT_EQ(regedit.commandLines.size(), 1u);
  EXPECT_EQ(regedit.commandLines[0], " /s \"C:\\Undo\\Quillon.reg\"");
  EXPECT_FALSE(writable);
  EXPECT_FALSE(removable);
  EXPECT_TRUE(fake.files.WriteWholeFile("C:\\Undo\\Quillon.reg", BytesOf("after")));
}

TEST_F(WriteFixFilesTest, AFileThatCannotBeWrittenStopsTheFixBeforeTheImport) {
  fake.files.AddTextFile("C:\\Undo\\Quillon_Undo_1.reg", "x", fileattr::kReadOnly);
  state.UndoFileName = "Quillon_Undo_1.reg";
  EXPECT_THROW(pipeline.WriteFixFiles(), FileCreateError);
  EXPECT_TRUE(regedit.commandLines.empty());
  EXPECT_FALSE(fake.files.Exists("C:\\Undo\\Quillon.reg"));
}

TEST_F(WriteFixFilesTest, WritingWithoutImportStartsNoRegistryEditor) {
  pipeline.WriteFixFilesOnly();
  EXPECT_TRUE(regedit.commandLines.empty());
  EXPECT_TRUE(fake.files.Exists("C:\\Undo\\Quillon.reg"));
}

TEST(RegEditCommandLineTest, UndoImportKeepsItsLeadingBlankAndNoSwitch) {
  EXPECT_EQ(UndoImportArguments("C:\\Undo\\Quillon_Undo_2.reg"),
            " \"C:\\Undo\\Quillon_Undo_2.reg\"");
}

}  // namespace
}  // namespace ql
