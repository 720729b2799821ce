// Tests of path resolution: the command-line steps, the prefix table, escaping, file names and
// the file checks on the in-memory file system.
#include "paths/PathResolution.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>

#include "platform/fake/FakeCodePage.h"
#include "platform/fake/FakeFiles.h"
#include "platform/fake/FakeSystem.h"

namespace ql {
namespace {

const PathFolders kFolders{"C:\\WINDOWS\\", "C:\\DOCUMENTS AND SETTINGS\\ANN\\"};

// The file a text names on a machine whose disk holds `files`; "<unjudged>" when it cannot be told.
std::string Resolved(const std::string& text, FakeFiles& files) {
  FakeSystem system;
  FakeCodePage codePage;
  std::string file;
  return ResolveCommandFile(system, codePage, files, text, kFolders, file) ? file : "<unjudged>";
}

std::string Resolved(const std::string& text) {
  FakeFiles files;
  return Resolved(text, files);
}

struct TextCase {
  std::string input;
  std::string expected;
};

TEST(ResolveCommandFileTest, ResolvesCommandLinesIconsAndPaths) {
  const TextCase cases[] = {
      // Quoted program with a switch.
      {"\"C:\\Program Files\\App\\app.exe\" /s", "C:\\PROGRAM FILES\\APP\\APP.EXE"},
      // A host before a full path is dropped, the library kept.
      {"RUNDLL32.EXE C:\\WINDOWS\\SYSTEM32\\SHELL32.DLL,X", "C:\\WINDOWS\\SYSTEM32\\SHELL32.DLL"},
      {"%SYSTEMROOT%\\SYSTEM32\\SHELL32.DLL,-154", "C:\\WINDOWS\\SYSTEM32\\SHELL32.DLL"},
      {"C:\\A.EXE D:\\B.TXT", "C:\\A.EXE"},
      {"START FOO.EXE", "FOO.EXE"},
      {"C:\\X\\ICON.ICO,0", "C:\\X\\ICON.ICO"},
      // Only a whole number after the last comma is an icon index.
      {"ABC,DEF", "ABC,DEF"},
      {"C:\\HELP\\CONTOSO, INC\\STUDIO\\HELP", "C:\\HELP\\CONTOSO, INC\\STUDIO\\HELP"},
      {"C:\\X\\ICON.ICO, -3", "C:\\X\\ICON.ICO"},
      // An extension inside a folder name does not end the path.
      {"C:\\DIR.DLLS\\APP.EXE", "C:\\DIR.DLLS\\APP.EXE"},
      {"C:\\SETUP.EXE\\APP.EXE /x", "C:\\SETUP.EXE\\APP.EXE"},
      {"C:\\My.Cmd-Tools\\run.bat arg", "C:\\MY.CMD-TOOLS\\RUN.BAT"},
      {"C:\\TOOL.EXE.CONFIG\\A.DLL,3", "C:\\TOOL.EXE.CONFIG\\A.DLL"},
      {"%PROGRAMW6432%\\APP\\A.EXE", "C:\\Program Files\\APP\\A.EXE"},
      // Upper-casing comes before the prefix table, so lower-case prefixes expand too.
      {"%windir%\\notepad.exe %1", "C:\\WINDOWS\\NOTEPAD.EXE"},
      {"%UserProfile%\\Start Menu\\x.lnk", "C:\\DOCUMENTS AND SETTINGS\\ANN\\START MENU\\X.LNK"},
      {"\"C:\\A B\\C.EXE\" \"%1\"", "C:\\A B\\C.EXE"},
      {"START C:\\X.EXE /min", "C:\\X.EXE"},
      {"RUNDLL32.EXE SHELL32.DLL,Control_RunDLL", "RUNDLL32.EXE"},
      {"SHELL32.DLL,-154", "SHELL32.DLL"},
      {"C:\\X,Y\\A.EXE", "C:\\X,Y\\A.EXE"},
      {"A.B,C.D", "A.B,C.D"},
      {"A,B.C", "A,B.C"},
      {",C:\\X.DLL", "C:\\X.DLL"},
      // Several drives: the first full path wins.
      {"C:\\A\\B.EXE D:\\C.EXE E:\\F.EXE", "C:\\A\\B.EXE"},
      {"cmd /c C:\\x.bat D:\\y.cmd", "C:\\X.BAT"},
      // Odd inputs.
      {"", ""},
      {"   \t\r\n ", ""},
      {"\"\"\"", ""},
      {"  \"  \"  ", "  "},
      {",,,,", ",,,,"},
      {",", ","},
      {"C:", "C:"},
      {":\\", ":\\"},
      {"a:\\:\\", "A:\\:\\"},
      {"\\\\SERVER\\SHARE\\TOOL.EXE -x", "\\\\SERVER\\SHARE\\TOOL.EXE"},
      // Letters of the code page are upper-cased by its rules.
      {"c:\\donn\xe9"
       "es\\\xe9t\xe9.exe",
       "C:\\DONN\xc9"
       "ES\\\xc9T\xc9.EXE"},
      {"\xff\xfe\x80,1", "\xff\xde\x80"},
  };
  for (const TextCase& c : cases)
    EXPECT_EQ(Resolved(c.input), c.expected) << "input: " << c.input;
}

// Where no known program extension ends the file, the blank that ends it is found on the disk:
// an argument is never what is judged.
TEST(ResolveCommandFileTest, PathBeforeArgumentsIsTheOneThere) {
  FakeFiles files;
  files.AddFile("C:\\Scripts\\tray.vbs");
  files.AddFile("C:\\Apps\\tool.jar");
  files.AddFolder("C:\\Users\\Me\\Documents");
  files.AddFolder("C:\\Program Files (x86)\\Contoso, Inc\\Studio\\Help");
  files.AddFolder("C:\\Gone");
  const TextCase cases[] = {
      {"wscript.exe //B C:\\Scripts\\tray.vbs /silent", "C:\\SCRIPTS\\TRAY.VBS"},
      {"javaw -jar C:\\Apps\\tool.jar --port 8080", "C:\\APPS\\TOOL.JAR"},
      {"explorer.exe C:\\Users\\Me\\Documents", "C:\\USERS\\ME\\DOCUMENTS"},
      {"C:\\Program Files (x86)\\Contoso, Inc\\Studio\\Help",
       "C:\\PROGRAM FILES (X86)\\CONTOSO, INC\\STUDIO\\HELP"},
      // Nothing there: the first name with an extension, else the whole text.
      {"wscript.exe //B C:\\Gone\\old script.vbs /silent", "C:\\GONE\\OLD SCRIPT.VBS"},
      {"javaw -jar C:\\Gone\\tool.jar --port 8080", "C:\\GONE\\TOOL.JAR"},
      {"explorer.exe C:\\Gone\\My Folder", "C:\\GONE\\MY FOLDER"},
      // A drive that does not answer leaves the command unjudged.
      {"javaw -jar Q:\\Apps\\tool.jar --port 8080", "<unjudged>"},
  };
  for (const TextCase& c : cases)
    EXPECT_EQ(Resolved(c.input, files), c.expected) << "input: " << c.input;
}

TEST(ResolveCommandFileTest, VeryLongTextKeepsItsPath) {
  const std::string folder = "C:\\" + std::string(10000, 'd') + "\\";
  EXPECT_EQ(Resolved(folder + "x.exe /q"), UpperCase1252(folder) + "X.EXE");
}

// Random command lines built from the pieces the steps react to. After the quotes are gone every
// step only drops a head or cuts a tail, so the result is one piece of that text.
TEST(ResolveCommandFileTest, ResultOfAnyTextIsOnePieceOfItsUnquotedForm) {
  const std::string pieces[] = {
      "C:\\", "D:\\", ":",    "\\",     ".",    ",",    "\"",         " ",
      "\t",   "A",    "\xe9", "START ", ".EXE", ".DLL", "%WINDIR%\\", "%USERPROFILE%\\",
      "-1"};
  std::mt19937 random(7);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
  std::uniform_int_distribution<int> count(0, 12);
  FakeSystem system;
  FakeFiles files;
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    for (int i = count(random); i > 0; --i)
      text += pieces[pick(random)];
    const std::string result = Resolved(text, files);
    std::string expanded;
    ExpandEnvironmentReferences(system, UpperCase1252(text), kFolders, expanded);
    std::string unquoted;
    for (char c : expanded) {
      if (c != '"')
        unquoted.push_back(c);
    }
    if (result != "<unjudged>") {
      EXPECT_NE(unquoted.find(result), std::string::npos) << "input: " << text;
    }
    EXPECT_EQ(result.find('"'), std::string::npos) << "input: " << text;
  }
}

TEST(ExtractFileNameTest, TakesThePartAfterTheLastDelimiter) {
  const TextCase cases[] = {
      {"C:\\A\\B.EXE", "B.EXE"},
      {"C:B.EXE", "B.EXE"},
      {"B.EXE", "B.EXE"},
      {"C:\\A\\", ""},
      {"", ""},
      {"A:B\\C:D", "D"},
  };
  for (const TextCase& c : cases)
    EXPECT_EQ(ExtractFileName(c.input), c.expected) << "input: " << c.input;
}

struct BackslashCase {
  std::string path;
  std::string with;
  std::string without;
};

TEST(TrailingBackslashTest, OneBackslashToAppendToNoneToCompare) {
  const BackslashCase cases[] = {
      {"C:\\Windows", "C:\\Windows\\", "C:\\Windows"},
      {"C:\\Windows\\", "C:\\Windows\\", "C:\\Windows"},
      {"C:\\Out\\\\", "C:\\Out\\\\", "C:\\Out"},
      {"C:", "C:\\", "C:"},
      {"C:\\", "C:\\", "C:"},
      {"\\\\server\\share", "\\\\server\\share\\", "\\\\server\\share"},
      // A folder that could not be had never turns into the root of the current drive.
      {"", "", ""},
      {"\\", "\\", ""},
      {"\\\\", "\\\\", ""},
  };
  for (const BackslashCase& c : cases) {
    EXPECT_EQ(WithTrailingBackslash(c.path), c.with) << "path: " << c.path;
    EXPECT_EQ(WithoutTrailingBackslashes(c.path), c.without) << "path: " << c.path;
  }
}

class FileChecksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files.AddFile("C:\\Windows\\notepad.exe");
    files.AddFile("C:\\Windows\\System\\old16.drv");
    files.AddFile("C:\\Windows\\System32\\shell32.dll");
    files.AddFolder("C:\\Windows\\Fonts");
  }
  void TearDown() override {
    EXPECT_EQ(files.OpenSearchCount(), 0u);
    EXPECT_EQ(files.InvalidCloseCount(), 0u);
  }

  FakeFiles files;
};

TEST_F(FileChecksTest, FileExistsIsTrueForFilesOnly) {
  EXPECT_TRUE(FileExists(files, "C:\\WINDOWS\\NOTEPAD.EXE"));
  EXPECT_FALSE(FileExists(files, "C:\\WINDOWS\\FONTS"));
  EXPECT_FALSE(FileExists(files, "C:\\WINDOWS\\MISSING.EXE"));
  EXPECT_FALSE(FileExists(files, ""));
  EXPECT_FALSE(FileExists(files, "   "));
  EXPECT_FALSE(FileExists(files, "C:\\" + std::string(300, 'x') + ".exe"));
}

TEST_F(FileChecksTest, DirectoryExistsIsTrueForFoldersOnly) {
  EXPECT_TRUE(DirectoryExists(files, "C:\\WINDOWS\\FONTS"));
  EXPECT_TRUE(DirectoryExists(files, "c:\\windows"));
  EXPECT_FALSE(DirectoryExists(files, "C:\\WINDOWS\\NOTEPAD.EXE"));
  EXPECT_FALSE(DirectoryExists(files, "C:\\NOWHERE"));
  EXPECT_FALSE(DirectoryExists(files, ""));
}

TEST_F(FileChecksTest, ForceDirectoriesCreatesEveryMissingParent) {
  EXPECT_TRUE(ForceDirectories(files, "C:\\Users\\Ann\\AppData\\Roaming\\Quillon\\"));
  EXPECT_TRUE(files.IsFolder("C:\\Users\\Ann\\AppData\\Roaming\\Quillon"));
  EXPECT_TRUE(ForceDirectories(files, "C:\\WINDOWS\\FONTS"));
  EXPECT_FALSE(ForceDirectories(files, "C:\\Windows\\notepad.exe\\Sub"));
  EXPECT_FALSE(ForceDirectories(files, "Q:\\NoDrive\\Folder"));
  EXPECT_FALSE(ForceDirectories(files, ""));
  EXPECT_FALSE(ForceDirectories(files, "\\\\"));
}

}  // namespace
}  // namespace ql
