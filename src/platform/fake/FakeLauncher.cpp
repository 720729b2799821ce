// In-memory program launcher and registry editor.
#include "platform/fake/FakeLauncher.h"

#include "platform/fake/FakeCodePage.h"
#include "platform/fake/FakeFiles.h"
#include "platform/fake/FakeSystem.h"
#include "platform/fake/RegEditFiles.h"

namespace ql {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The program name ends at the first blank, or at the closing quote when it starts with one.
std::size_t ReadProgramName(const AnsiString& line, AnsiString& name) {
  if (!line.empty() && line[0] == '"') {
    const std::size_t close = line.find('"', 1);
    name = line.substr(1, close == AnsiString::npos ? AnsiString::npos : close - 1);
    return close == AnsiString::npos ? line.size() : close + 1;
  }
  std::size_t end = 0;
  while (end < line.size() && !IsBlank(line[end]))
    ++end;
  name = line.substr(0, end);
  return end;
}

// One argument by the C runtime's rules: 2n backslashes before a quote give n and toggle quoting,
// 2n+1 give n and a literal quote; "" inside quotes is a literal quote.
std::size_t ReadArgument(const AnsiString& line, std::size_t at, AnsiString& argument) {
  bool quoted = false;
  while (at < line.size() && (quoted || !IsBlank(line[at]))) {
    std::size_t backslashes = 0;
    while (at < line.size() && line[at] == '\\') {
      ++backslashes;
      ++at;
    }
    if (at < line.size() && line[at] == '"') {
      argument.append(backslashes / 2, '\\');
      if (backslashes % 2 == 1) {
        argument.push_back('"');
      } else if (quoted && at + 1 < line.size() && line[at + 1] == '"') {
        argument.push_back('"');
        ++at;
      } else {
        quoted = !quoted;
      }
      ++at;
    } else {
      argument.append(backslashes, '\\');
      if (backslashes == 0 && at < line.size())
        argument.push_back(line[at++]);
    }
  }
  return at;
}

bool IsSwitch(const AnsiString& argument) {
  return argument.size() >= 2 && (argument[0] == '/' || argument[0] == '-') &&
         (argument.size() == 2 || argument[2] == ':');
}

}  // namespace

StringList SplitCommandLine(const AnsiString& commandLine) {
  StringList arguments(1);
  std::size_t at = ReadProgramName(commandLine, arguments[0]);
  while (true) {
    while (at < commandLine.size() && IsBlank(commandLine[at]))
      ++at;
    if (at >= commandLine.size())
      return arguments;
    AnsiString argument;
    at = ReadArgument(commandLine, at, argument);
    arguments.push_back(argument);
  }
}

bool FakeLauncher::IsRegistryEditor(const AnsiString& program) {
  AnsiString folder = system_.WindowsDirectory();
  if (folder.empty() || folder.back() != '\\')
    folder += '\\';
  return UpperCase1252(program) == UpperCase1252(folder + "regedit.exe");
}

LaunchResult FakeLauncher::Run(const AnsiString& program, const AnsiString& commandLine,
                               const LaunchOptions& options) {
  calls_.push_back(LaunchCall{program, commandLine, options, RegEditOutcome::kNotStarted, 0});
  LaunchCall& call = calls_.back();
  if (startFails_ || !IsRegistryEditor(program))
    return LaunchResult::kNotStarted;
  const std::uint32_t view =
      wow64Process_ && !options.nativeProgram ? regaccess::kWow64_32Key : regaccess::kWow64_64Key;
  call.outcome = Perform(SplitCommandLine(commandLine), view, call);
  return runsPastWait_ ? LaunchResult::kStillRunning : LaunchResult::kEnded;
}

RegEditOutcome FakeLauncher::Perform(const StringList& arguments, std::uint32_t view,
                                     LaunchCall& call) {
  if (arguments.size() == 1)
    return RegEditOutcome::kWindowOpened;
  bool silent = false;
  bool exporting = false;
  std::size_t next = 1;
  for (; next < arguments.size() && IsSwitch(arguments[next]); ++next) {
    const char letter =
        static_cast<char>(UpperCase1252(static_cast<unsigned char>(arguments[next][1])));
    if (letter == 'S')
      silent = true;
    else if (letter == 'E')
      exporting = true;
    else
      return RegEditOutcome::kUsage;
  }
  const StringList files(arguments.begin() + static_cast<std::ptrdiff_t>(next), arguments.end());
  if (files.empty())
    return RegEditOutcome::kUsage;
  return exporting ? Export(files, view) : Import(files, silent, view, call);
}

RegEditOutcome FakeLauncher::Export(const StringList& files, std::uint32_t view) {
  WideString text = RegScriptExportHeader();
  bool found = false;
  if (files.size() >= 2) {
    RegRoot root = 0;
    AnsiString path;
    found = ParseRegKeyName(files[1], root, path) &&
            AppendRegKeyText(registry_, codePage_, root, path, text, view);
  } else {
    for (RegRoot root : {kLocalMachine, kCurrentUser, kClassesRoot})
      found = AppendRegKeyText(registry_, codePage_, root, "", text, view) || found;
  }
  if (!found)
    return RegEditOutcome::kNothingExported;
  return files_.WriteWholeFile(files[0], EncodeUtf16File(text)) ? RegEditOutcome::kExported
                                                                : RegEditOutcome::kExportFailed;
}

RegEditOutcome FakeLauncher::Import(const StringList& files, bool silent, std::uint32_t view,
                                    LaunchCall& call) {
  RegEditOutcome outcome = RegEditOutcome::kImported;
  for (const AnsiString& file : files) {
    if (!silent) {
      ++call.confirmationsAsked;
      if (!confirmationAnswer_) {
        outcome = RegEditOutcome::kDeclined;
        continue;
      }
    }
    Bytes bytes;
    if (!files_.ReadWholeFile(file, bytes) || !ImportRegScript(registry_, codePage_, bytes, view))
      outcome = RegEditOutcome::kImportFailed;
  }
  return outcome;
}

}  // namespace ql
