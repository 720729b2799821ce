// QuillonScan.exe end to end under Wine: planted problems are printed per category, --write
// leaves the three files of a fix, the registry stays untouched, and bad arguments get the usage.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "Driver.win32.h"
#include "platform/win32/Win32Platform.h"
#include "unit/fix/KeyDeletionBackups.h"

namespace {

using ql::e2e::DeleteRegistryTree;
using ql::e2e::DeleteRegistryValue;
using ql::e2e::Outcome;
using ql::e2e::ReadAll;
using ql::e2e::RegistryKeyExists;
using ql::e2e::WriteRegistryText;

// Runs QuillonScan.exe with the arguments and collects what it prints on both streams.
Outcome RunScan(const std::string& arguments) {
  return ql::e2e::RunAndCapture("\"" + ql::e2e::DriverFolder() + "\\QuillonScan.exe\" " +
                                arguments);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  return lines;
}

std::string ReadFileText(const std::string& path) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return "";
  const std::string text = ReadAll(file);
  CloseHandle(file);
  return text;
}

ql::Bytes BytesOf(const std::string& text) {
  return ql::Bytes(text.begin(), text.end());
}

const char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kOrphan[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\qle2e orphan";

class QuillonScanE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteRegistryText(HKEY_CLASSES_ROOT, ".qle2e", "", "QlE2eMissingClass"));
    ASSERT_TRUE(
        WriteRegistryText(HKEY_CURRENT_USER, kRun, "qle2e", "\"C:\\qle2egone\\x.exe\" /min"));
    ASSERT_TRUE(WriteRegistryText(HKEY_LOCAL_MACHINE, kOrphan, "DisplayName", "Gone"));
    folder = ql::e2e::TempFolder() + "qle2e-scan";
  }
  void TearDown() override {
    DeleteRegistryTree(HKEY_CLASSES_ROOT, ".qle2e");
    DeleteRegistryValue(HKEY_CURRENT_USER, kRun, "qle2e");
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kOrphan);
    for (const char* name : {"Quillon_Log_1.txt", "Quillon_Undo_1.reg", "Quillon.reg"})
      DeleteFileA((folder + "\\" + name).c_str());
    RemoveDirectoryA((folder + "\\tmp.reg").c_str());
    RemoveDirectoryA(folder.c_str());
  }

  std::string folder;
};

TEST_F(QuillonScanE2eTest, PrintsThePlantedProblemsUnderTheirCategories) {
  const Outcome outcome = RunScan("");
  EXPECT_EQ(outcome.exitCode, 1u);
  const std::vector<std::string> lines = Lines(outcome.out);
  std::vector<std::string> captions;
  std::string category;
  std::vector<std::pair<std::string, std::string>> findings;
  for (const std::string& line : lines) {
    if (line.rfind("  ", 0) == 0) {
      findings.emplace_back(category, line.substr(2));
    } else {
      category = line.substr(0, line.find(':'));
      captions.push_back(category);
    }
  }
  EXPECT_EQ(captions,
            (std::vector<std::string>{"Extensions handlers", "Programs location",
                                      "Common libraries", "Registered programs", "Com/ActiveX",
                                      "Startup/Uninstall", "Font/Help/Sounds", "Total"}));
  for (const auto& expected : std::vector<std::pair<std::string, std::string>>{
           {"Extensions handlers", "Invalid handler .qle2e"},
           {"Startup/Uninstall", "Startup file does not exist: C:\\QLE2EGONE\\X.EXE"},
           {"Startup/Uninstall", "Invalid uninstall path: qle2e orphan"}}) {
    EXPECT_NE(std::find(findings.begin(), findings.end(), expected), findings.end())
        << expected.second << "\n"
        << outcome.out;
  }
  EXPECT_EQ(lines.back(), "Total: " + std::to_string(findings.size()));
}

TEST_F(QuillonScanE2eTest, WriteLeavesTheFixFilesAndChangesNothing) {
  const Outcome outcome = RunScan("--write \"" + folder + "\"");
  EXPECT_EQ(outcome.exitCode, 1u) << outcome.err;
  EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, ".qle2e"));
  EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kOrphan));
  HANDLE fix = CreateFileA((folder + "\\Quillon.reg").c_str(), GENERIC_READ, FILE_SHARE_READ,
                           nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(fix, INVALID_HANDLE_VALUE);
  const std::string script = ReadAll(fix);
  CloseHandle(fix);
  EXPECT_EQ(script.rfind("REGEDIT4\r\n\r\n", 0), 0u);
  EXPECT_NE(script.find("[-HKEY_CLASSES_ROOT\\.qle2e]\r\n\r\n"), std::string::npos);
  HANDLE undo = CreateFileA((folder + "\\Quillon_Undo_1.reg").c_str(), GENERIC_READ,
                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(undo, INVALID_HANDLE_VALUE);
  const std::string undoBytes = ReadAll(undo);
  CloseHandle(undo);
  ASSERT_GT(undoBytes.size(), 2u);
  EXPECT_EQ(undoBytes.substr(0, 2), "\xFF\xFE");
  const std::string wideKey =
      std::string("[\0H\0K\0E\0Y\0_\0C\0L\0A\0S\0S\0E\0S\0_\0R\0O\0O\0T\0", 36);
  EXPECT_NE(undoBytes.find(wideKey), std::string::npos);
  EXPECT_NE(GetFileAttributesA((folder + "\\Quillon_Log_1.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  ql::win32::Win32CodePage codePage;
  EXPECT_TRUE(ql::KeyDeletionsAreBackedUp(BytesOf(script), BytesOf(undoBytes), codePage));
}

// With the export file's name taken by a folder no key can be backed up: the planted extension
// is left alone, named in the log, and its key is not deleted by the written fix script.
TEST_F(QuillonScanE2eTest, AFailedExportLeavesTheKeyOutOfTheFixScript) {
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((folder + "\\tmp.reg").c_str(), nullptr));
  const Outcome outcome = RunScan("--write \"" + folder + "\"");
  EXPECT_EQ(outcome.exitCode, 1u) << outcome.err;
  EXPECT_EQ(outcome.out.find("Invalid handler .qle2e"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("Startup file does not exist: C:\\QLE2EGONE\\X.EXE"),
            std::string::npos);
  const std::string script = ReadFileText(folder + "\\Quillon.reg");
  EXPECT_EQ(script.rfind("REGEDIT4\r\n\r\n", 0), 0u);
  EXPECT_EQ(script.find("[-"), std::string::npos) << script;
  EXPECT_NE(script.find("\"qle2e\"=-"), std::string::npos) << script;
  const std::string log = ReadFileText(folder + "\\Quillon_Log_1.txt");
  EXPECT_NE(
      log.find("\r\nLeft alone because it could not be backed up: Invalid handler .qle2e\r\n"),
      std::string::npos)
      << log;
  EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, ".qle2e"));
}

// The findings of a scan, each with the text after its description's first ": ".
std::vector<std::string> FindingTexts(const std::string& out) {
  std::vector<std::string> texts;
  for (const std::string& line : Lines(out)) {
    if (line.rfind("  ", 0) == 0)
      texts.push_back(line.substr(2));
  }
  return texts;
}

bool IsFullPath(const std::string& path) {
  return (path.size() > 2 && path[1] == ':' && path[2] == '\\') || path.rfind("\\\\", 0) == 0;
}

std::string WindowsFolder() {
  char path[MAX_PATH] = {};
  GetWindowsDirectoryA(path, MAX_PATH);
  return std::string(path) + "\\";
}

std::string Expanded(const char* text) {
  char expanded[MAX_PATH] = {};
  ExpandEnvironmentStringsA(text, expanded, MAX_PATH);
  return expanded;
}

// The program-files folder of the native view, which "%ProgramFiles%" in an entry of the native
// registry view names; a 32-bit process expands the name to the 32-bit folder.
std::string NativeProgramFiles() {
  const std::string native = Expanded("%ProgramW6432%");
  return native.find('%') == std::string::npos ? native : Expanded("%ProgramFiles%");
}

// Every text up to a blank of a finding's path, and the whole: a finding that kept a command's
// arguments ("C:\\X.VBS /S") must not name a file that is there either.
bool NamesSomethingThere(const std::string& path) {
  const DWORD whole = GetFileAttributesA(path.c_str());
  if (whole != INVALID_FILE_ATTRIBUTES)
    return true;
  for (std::size_t blank = path.find(' '); blank != std::string::npos;
       blank = path.find(' ', blank + 1)) {
    const DWORD attributes = GetFileAttributesA(path.substr(0, blank).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      return true;
  }
  return false;
}

// A stock Windows sample beside the planted problems: silent sound events, Windows' uninstall
// stubs, program registrations without an open command, command lines whose file is followed by
// arguments, a help folder with a comma. Removed again when the test ends.
class StockSample {
 public:
  StockSample() {
    CreateDirectoryA(folder_.c_str(), nullptr);
    CreateDirectoryA((folder_ + "\\Contoso, Inc").c_str(), nullptr);
    for (const std::string& file : {folder_ + "\\tray.vbs", folder_ + "\\tool.jar",
                                    folder_ + "\\Contoso, Inc\\QLSTOCK.CHM"}) {
      HANDLE handle =
          CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      CloseHandle(handle);
      files_.push_back(file);
    }
    for (const char* event : {"QlStockClose", "QlStockMaximize"}) {
      const std::string key = std::string(kEvents) + event;
      WriteRegistryText(HKEY_CURRENT_USER, (key + "\\.Current").c_str(), "", "");
      WriteRegistryText(HKEY_CURRENT_USER, (key + "\\.Default").c_str(), "", "");
    }
    for (const char* stub : {"QlStockAddressBook", "QlStockIE40"}) {
      ql::win32::UniqueHKey key;
      RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(kUninstall) + stub).c_str(), 0, nullptr, 0,
                      KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, key.put(), nullptr);
    }
    WriteRegistryText(HKEY_CLASSES_ROOT, "Applications\\qlstockplayer.exe\\SupportedTypes", ".mp3",
                      "");
    WriteRegistryText(HKEY_CLASSES_ROOT, "Applications\\qlstockphotos.exe\\shell\\open\\command",
                      "DelegateExecute", "{4ED3A719-CEA8-4BD9-910D-E252F997AFC2}");
    WriteRegistryText(HKEY_CURRENT_USER, kRun, "QlStock script",
                      ("wscript.exe //B " + folder_ + "\\tray.vbs /silent").c_str());
    WriteRegistryText(HKEY_CURRENT_USER, kRun, "QlStock java",
                      ("javaw -jar " + folder_ + "\\tool.jar --port 8080").c_str());
    WriteRegistryText(HKEY_CURRENT_USER, kRun, "QlStock folder",
                      ("explorer.exe " + folder_).c_str());
    WriteRegistryText(HKEY_LOCAL_MACHINE, kHelp, "QlStock.chm",
                      (folder_ + "\\Contoso, Inc").c_str());
  }
  ~StockSample() {
    for (const char* event : {"QlStockClose", "QlStockMaximize"})
      DeleteRegistryTree(HKEY_CURRENT_USER, (std::string(kEvents) + event).c_str());
    for (const char* stub : {"QlStockAddressBook", "QlStockIE40"})
      DeleteRegistryTree(HKEY_LOCAL_MACHINE, (std::string(kUninstall) + stub).c_str());
    for (const char* program : {"qlstockplayer.exe", "qlstockphotos.exe"})
      DeleteRegistryTree(HKEY_CLASSES_ROOT, (std::string("Applications\\") + program).c_str());
    for (const char* name : {"QlStock script", "QlStock java", "QlStock folder"})
      DeleteRegistryValue(HKEY_CURRENT_USER, kRun, name);
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, kHelp, "QlStock.chm");
    for (const std::string& file : files_)
      DeleteFileA(file.c_str());
    RemoveDirectoryA((folder_ + "\\Contoso, Inc").c_str());
    RemoveDirectoryA(folder_.c_str());
  }

 private:
  static constexpr char kEvents[] = "AppEvents\\Schemes\\Apps\\.Default\\";
  static constexpr char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  static constexpr char kHelp[] = "SOFTWARE\\Microsoft\\Windows\\Help";
  std::string folder_ = Expanded("%ProgramData%") + "\\QlStock";
  std::vector<std::string> files_;
};

// No finding names a file that is there: on the prefix as wineboot made it, with a stock sample
// and the planted problems, neither the path a finding names nor any text of it up to a blank is
// there, and every bare font name is gone from the Fonts folder.
TEST_F(QuillonScanE2eTest, NoFindingNamesAFileThatIsThere) {
  const StockSample sample;
  const Outcome outcome = RunScan("");
  for (const std::string& finding : FindingTexts(outcome.out)) {
    const std::size_t colon = finding.find(": ");
    if (colon == std::string::npos)
      continue;
    std::string path = finding.substr(colon + 2);
    if (finding.rfind("Font file does not exist: ", 0) == 0 && !IsFullPath(path))
      path = WindowsFolder() + "Fonts\\" + path;
    if (IsFullPath(path)) {
      EXPECT_FALSE(NamesSomethingThere(path)) << finding;
    }
  }
}

// A stock sample adds no finding to those of the prefix and the planted problems.
TEST_F(QuillonScanE2eTest, AStockSampleGivesNoFinding) {
  const Outcome without = RunScan("");
  const StockSample sample;
  const Outcome with = RunScan("");
  EXPECT_EQ(FindingTexts(with.out), FindingTexts(without.out)) << with.out;
}

// Healthy entries in the forms Windows and installers write give no finding at all.
TEST_F(QuillonScanE2eTest, HealthyEntriesOfEveryFormGiveNoFinding) {
  struct Planted {
    HKEY root;
    std::string key;
    std::string name;
    std::string data;
  };
  const std::string local = Expanded("%LOCALAPPDATA%") + "\\QlOk";
  const std::string roaming = Expanded("%APPDATA%") + "\\QlOk";
  const std::string common = Expanded("%ProgramData%") + "\\QlOk";
  const std::string programs = NativeProgramFiles() + "\\QlOk App";
  const std::string profile = Expanded("%USERPROFILE%") + "\\QlOk";
  const std::string drive = Expanded("%SystemDrive%") + "\\QlOk";
  std::vector<std::string> folders = {local, roaming, common, programs, profile, drive};
  std::vector<std::string> files = {local + "\\chat.exe",    roaming + "\\sync.exe",
                                    common + "\\agent.exe",  programs + "\\tool.exe",
                                    profile + "\\t.exe",     drive + "\\d.exe",
                                    local + "\\server.dll",  local + "\\QlOk.ttf",
                                    programs + "\\QLOK.CHM", roaming + "\\ding.wav"};
  for (const std::string& folder : folders)
    CreateDirectoryA(folder.c_str(), nullptr);
  for (const std::string& file : files) {
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE) << file;
    CloseHandle(handle);
  }
  const std::string appPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\qlok.exe";
  const std::string clsid = "CLSID\\{0D1E2E00-0000-4000-8000-00000000Q10K}";
  const std::string sound = "AppEvents\\Schemes\\Apps\\.Default\\QlOkEvent\\.Current";
  const std::string fonts = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
  const std::string help = "SOFTWARE\\Microsoft\\Windows\\Help";
  const std::vector<Planted> planted = {
      {HKEY_CURRENT_USER, kRun, "QlOk quoted", "\"%LOCALAPPDATA%\\QlOk\\chat.exe\" --start"},
      {HKEY_CURRENT_USER, kRun, "QlOk roaming", "%APPDATA%\\QlOk\\sync.exe /background"},
      {HKEY_LOCAL_MACHINE, kRun, "QlOk data", "\"%ProgramData%\\QlOk\\agent.exe\""},
      {HKEY_LOCAL_MACHINE, kRun, "QlOk blanks", programs + "\\tool.exe -silent"},
      {HKEY_CURRENT_USER, kRun, "QlOk profile", "%USERPROFILE%\\QlOk\\t.exe"},
      {HKEY_LOCAL_MACHINE, kRun, "QlOk drive", "%SystemDrive%\\QlOk\\d.exe"},
      {HKEY_LOCAL_MACHINE, kRun, "QlOk msiexec", "MsiExec.exe /X{00000000-0000-0000-0000-0}"},
      {HKEY_LOCAL_MACHINE, appPaths, "", "%LOCALAPPDATA%\\QlOk\\chat.exe"},
      {HKEY_CLASSES_ROOT, clsid + "\\InprocServer32", "", "%LOCALAPPDATA%\\QlOk\\server.dll"},
      {HKEY_LOCAL_MACHINE, fonts, "QlOk (TrueType)", local + "\\QlOk.ttf"},
      {HKEY_LOCAL_MACHINE, help, "QlOk.chm", "%ProgramFiles%\\QlOk App"},
      {HKEY_CURRENT_USER, sound, "", "%APPDATA%\\QlOk\\ding.wav"},
  };
  for (const Planted& entry : planted)
    ASSERT_TRUE(
        WriteRegistryText(entry.root, entry.key.c_str(), entry.name.c_str(), entry.data.c_str()))
        << entry.key << " " << entry.name;
  const Outcome outcome = RunScan("");
  for (const Planted& entry : planted) {
    if (entry.key == kRun || entry.key == fonts || entry.key == help)
      DeleteRegistryValue(entry.root, entry.key.c_str(), entry.name.c_str());
  }
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, appPaths.c_str());
  DeleteRegistryTree(HKEY_CLASSES_ROOT, clsid.c_str());
  DeleteRegistryTree(HKEY_CURRENT_USER, "AppEvents\\Schemes\\Apps\\.Default\\QlOkEvent");
  for (const std::string& file : files)
    DeleteFileA(file.c_str());
  for (const std::string& folder : folders)
    RemoveDirectoryA(folder.c_str());
  std::string healthyReported;
  for (std::string finding : FindingTexts(outcome.out)) {
    for (char& c : finding)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (finding.find("QLOK") != std::string::npos || finding.find("MSIEXEC") != std::string::npos)
      healthyReported += finding + "\n";
  }
  EXPECT_EQ(healthyReported, "") << outcome.out;
}

TEST_F(QuillonScanE2eTest, WrongArgumentsGetTheUsage) {
  const Outcome outcome = RunScan("--bogus");
  EXPECT_EQ(outcome.exitCode, 2u);
  EXPECT_EQ(outcome.err.rfind("Usage: QuillonScan", 0), 0u);
  EXPECT_EQ(outcome.out, "");
}

}  // namespace
