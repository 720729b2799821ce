// The fix pipeline: scan texts, undo captures, registry editor command lines and fix files.
#include "fix/FixPipeline.h"

#include <algorithm>
#include <map>
#include <utility>

#include "registry/RegistryHelpers.h"

namespace ql {

namespace {

AnsiString Quoted(const AnsiString& text) {
  return "\"" + text + "\"";
}

// One argument between double quotes as the registry editor's command-line parser reads it back:
// a double quote inside is written as \" and the backslashes right before it are doubled, so a
// key name holding a double quote reaches the export whole. Text without double quotes is
// written as it is.
AnsiString QuotedArgument(const AnsiString& text) {
  AnsiString quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : text) {
    if (c == '\\') {
      ++backslashes;
    } else {
      if (c == '"')
        quoted.append(backslashes + 1, '\\');
      backslashes = 0;
    }
    quoted += c;
  }
  return quoted + "\"";
}

char16_t UpperAscii(char16_t c) {
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// Registry names compare without regard to letter case; other letters than ASCII ones must match
// as written, which the registry editor does since it writes the key name it was given.
bool SameKeyLine(const WideString& line, const WideString& expected) {
  return line.size() == expected.size() &&
         std::equal(line.begin(), line.end(), expected.begin(),
                    [](char16_t a, char16_t b) { return UpperAscii(a) == UpperAscii(b); });
}

WideString UpperAsciiText(WideString text) {
  for (char16_t& c : text)
    c = UpperAscii(c);
  return text;
}

// The number of value entries under each key line of an exported script, by the key line in
// upper case; a value whose data goes on over continuation lines counts once.
std::map<WideString, std::size_t> ValueCountsByKeyLine(const WideStringList& lines) {
  std::map<WideString, std::size_t> counts;
  std::size_t* current = nullptr;
  bool continued = false;
  for (const WideString& line : lines) {
    const bool continuation = continued;
    continued = !line.empty() && line.back() == u'\\';
    if (continuation)
      continue;
    if (!line.empty() && line.front() == u'[')
      current = &counts[UpperAsciiText(line)];
    else if (current != nullptr && !line.empty() && (line.front() == u'"' || line.front() == u'@'))
      ++*current;
  }
  return counts;
}

void AppendSection(StringList& log, const char* prefix, const StringList& descriptions) {
  if (descriptions.empty())
    return;
  log.push_back("");
  for (const AnsiString& description : descriptions)
    log.push_back(prefix + description);
}

}  // namespace

AnsiString RegistryEditorPath(const AnsiString& windowsFolder) {
  return windowsFolder + "regedit.exe";
}

LaunchResult RunRegEdit(Launcher& launcher, const AnsiString& windowsFolder,
                        const AnsiString& arguments) {
  LaunchOptions options;
  options.nativeProgram = true;
  return launcher.Run(RegistryEditorPath(windowsFolder), arguments, options);
}

AnsiString UndoImportArguments(const AnsiString& undoScriptPath) {
  return " " + Quoted(undoScriptPath);
}

void FixPipeline::RefreshFolders() {
  System& system = platform_.system;
  PathFolders folders;
  folders.windowsFolder = WithTrailingBackslash(system.WindowsDirectory());
  folders.profileFolder = WithTrailingBackslash(system.ShellFolderPath(csidl::kProfile));
  const std::pair<AnsiString*, AnsiString> programFiles[] = {
      {&folders.programFiles, system.NativeProgramFiles()},
      {&folders.commonFiles, system.NativeCommonFiles()},
      {&folders.programFilesX86, system.ShellFolderPath(csidl::kProgramFilesX86)},
      {&folders.commonFilesX86, system.ShellFolderPath(csidl::kCommonFilesX86)}};
  for (const auto& [folder, reported] : programFiles) {
    if (!reported.empty())
      *folder = WithTrailingBackslash(reported);
  }
  folders_ = folders;
}

void FixPipeline::PrepareFixScripts() {
  std::uint32_t number = 1;
  while (
      FileExists(platform_.files, undoFolder_ + kUndoFilePrefix + std::to_string(number) + ".reg"))
    ++number;
  state_.UndoFileName = kUndoFilePrefix + std::to_string(number) + ".reg";
  state_.LogFileName = kLogFilePrefix + std::to_string(number) + ".txt";
  state_.UndoScript.clear();
  AppendUndoLine(kUndoScriptHeader);
  AppendUndoLine("");
  state_.FixScript = {kFixScriptHeader, ""};
  state_.ReportLog = {"Quillon report file. " + platform_.clock.LongTimeText(), ""};
}

bool FixPipeline::SaveValueToUndo(RegRoot root, const AnsiString& keyPath,
                                  const AnsiString& valueName) {
  AnsiString path = keyPath;
  if (path.size() > 1 && path.back() == '\\')
    path.pop_back();
  RegKey key(platform_.registry);
  if (!key.Open(root, NormalizeKeyPath(path), FullAccess64))
    return false;
  AppendUndoLine(KeyLine(root, path));
  std::uint32_t type = regtype::kNone;
  Bytes data;
  const bool held = platform_.registry.QueryValueWide(key.Get(), valueName, type, data);
  if (held)
    state_.UndoScript.push_back(UndoValueLineWide(valueName, type, data, platform_.codePage));
  key.Close();
  AppendUndoLine("");
  return held;
}

bool FixPipeline::ExportHoldsSubtree(RegRoot root, const AnsiString& keyPath,
                                     const std::map<WideString, std::size_t>& valueCounts) {
  const auto found =
      valueCounts.find(UpperAsciiText(platform_.codePage.ToWide(KeyLine(root, keyPath))));
  RegKey key(platform_.registry);
  RegKeyInfo info;
  if (found == valueCounts.end() || !key.Open(root, NormalizeKeyPath(keyPath), FullAccess64) ||
      !platform_.registry.QueryInfoKey(key.Get(), info) || found->second != info.values)
    return false;
  key.Close();
  StringList names;
  ReadKeyNames(platform_.registry, root, keyPath, names);
  return std::all_of(names.begin(), names.end(), [&](const AnsiString& name) {
    return ExportHoldsSubtree(root, keyPath + "\\" + name, valueCounts);
  });
}

// The registry editor exits without a word whether it exported or not (Wine's always with 0), and
// leaves an old target file untouched when the key is missing, so only the export's own key line
// tells that the file holds this key. A registry editor still running may still be writing.
bool FixPipeline::ExportKeyToUndo(RegRoot root, const AnsiString& keyPath) {
  if (!keyExports_)
    return false;
  const AnsiString exportPath = undoFolder_ + kExportFileName;
  // A file left by an earlier run would otherwise be taken for this key's export; one that
  // cannot be removed could not be told apart from a fresh export either.
  platform_.files.RemoveFile(exportPath);
  if (FileExists(platform_.files, exportPath))
    return false;
  const LaunchResult run = RunRegEdit(
      platform_.launcher, folders_.windowsFolder,
      "/s /e " + QuotedArgument(exportPath) + " " + QuotedArgument(RootName(root) + keyPath));
  bool held = false;
  Bytes bytes;
  if (run == LaunchResult::kEnded && FileExists(platform_.files, exportPath) &&
      platform_.files.ReadWholeFile(exportPath, bytes)) {
    const WideStringList lines = SplitLines(DecodeScriptFile(bytes, platform_.codePage));
    held = lines.size() > 2 &&
           SameKeyLine(lines[2], platform_.codePage.ToWide(KeyLine(root, keyPath))) &&
           ExportHoldsSubtree(root, keyPath, ValueCountsByKeyLine(lines));
    if (held)
      state_.UndoScript.insert(state_.UndoScript.end(), lines.begin() + 2, lines.end());
  }
  platform_.files.RemoveFile(exportPath);
  return held;
}

std::uint32_t FixPipeline::WriteFixFiles() {
  WriteFixFilesOnly();
  const AnsiString fixPath = undoFolder_ + kFixScriptFileName;
  LaunchResult run = LaunchResult::kNotStarted;
  {
    // Held open for reading only, so that nothing can change the script between our check of
    // its contents and the registry editor's import.
    const std::unique_ptr<HeldFile> held = platform_.files.HoldForReading(fixPath);
    Bytes written;
    if (!held || !platform_.files.ReadWholeFile(fixPath, written) ||
        written != EncodeAnsiLines(state_.FixScript))
      throw FileCreateError("Cannot open file \"" + fixPath + "\" for the import.");
    run = RunRegEdit(platform_.launcher, folders_.windowsFolder, " /s " + Quoted(fixPath));
  }
  // The registry editor tells nothing of what it imported: the registry itself is asked.
  std::uint32_t fixed = 0;
  StringList notApplied;
  StringList stillMissing;
  for (const FixedEntry& entry : state_.Fixes) {
    if (!IsApplied(entry))
      notApplied.push_back(entry.description);
    else if (NamesMissingFile(entry))
      stillMissing.push_back(entry.description);
    else
      ++fixed;
  }
  WriteFile(undoFolder_ + state_.LogFileName,
            EncodeAnsiLines(ReportLogLines(fixed, notApplied, stillMissing)));
  const AnsiString regedit = Quoted(RegistryEditorPath(folders_.windowsFolder));
  if (run == LaunchResult::kNotStarted)
    throw RegEditError("Cannot start the registry editor " + regedit + ". Nothing was fixed.");
  // A count taken now could be out of date a moment later.
  if (run == LaunchResult::kStillRunning)
    throw RegEditError("The registry editor " + regedit + " did not finish within " +
                       std::to_string(LaunchOptions{}.waitMilliseconds / 1000) +
                       " seconds. The log names what it had not changed by then.");
  return fixed;
}

void FixPipeline::WriteFixFilesOnly() {
  WriteFile(undoFolder_ + state_.LogFileName,
            EncodeAnsiLines(ReportLogLines(state_.ErrorCount, {}, {})));
  WriteFile(undoFolder_ + state_.UndoFileName, EncodeUtf16Lines(state_.UndoScript));
  const AnsiString fixPath = undoFolder_ + kFixScriptFileName;
  if (FileExists(platform_.files, fixPath))
    platform_.files.RemoveFile(fixPath);
  WriteFile(fixPath, EncodeAnsiLines(state_.FixScript));
}

StringList FixPipeline::ReportLogLines(std::uint32_t fixed, const StringList& notApplied,
                                       const StringList& stillMissing) const {
  StringList log = state_.ReportLog;
  for (std::size_t category = 0; category + 1 < kCategoryCount; ++category) {
    const StringList& errors = state_.CategoryErrors[category];
    if (errors.empty())
      continue;
    log.insert(log.end(), errors.begin(), errors.end());
    log.push_back("");
  }
  const StringList& last = state_.CategoryErrors[kCategoryCount - 1];
  log.insert(log.end(), last.begin(), last.end());
  log.push_back("");
  log.push_back("Summary: " + std::to_string(fixed) + " errors fixed");
  AppendSection(log, kNotAppliedPrefix, notApplied);
  AppendSection(log, kStillMissingPrefix, stillMissing);
  AppendSection(log, kNotBackedUpPrefix, state_.NotBackedUp);
  AppendSection(log, kNoLongerBrokenPrefix, state_.NoLongerBroken);
  AppendSection(log, kNotChosenPrefix, state_.NotChosen);
  return log;
}

// Read in the native view with as little access as will do, so that a key the import could not
// change still reads as there.
bool FixPipeline::IsApplied(const FixedEntry& entry) {
  Registry& registry = platform_.registry;
  const AnsiString path = NormalizeKeyPath(entry.keyPath);
  if (entry.change == FixedEntry::Change::KeyDeleted)
    return !KeyExists(registry, entry.root, path);
  RegKey key(registry);
  if (!key.Open(entry.root, path, regaccess::kQueryValue | regaccess::kWow64_64Key))
    return !KeyExists(registry, entry.root, path);
  std::uint32_t type = regtype::kNone;
  Bytes data;
  if (!registry.QueryValue(key.Get(), entry.valueName, type, &data))
    return true;
  return entry.change == FixedEntry::Change::DefaultValueSet && type == regtype::kString &&
         TextOfStringData(data) == entry.text;
}

// A sound set to its sister's text is fixed only when that text names no missing file: when
// both sounds were missing, each now names the other's missing file.
bool FixPipeline::NamesMissingFile(const FixedEntry& entry) {
  if (entry.change != FixedEntry::Change::DefaultValueSet || entry.text.empty())
    return false;
  AnsiString file;
  return ResolveCommandFile(platform_.system, platform_.codePage, platform_.files, entry.text,
                            folders_, file) &&
         PathPresence(platform_.files, file) == Presence::Missing;
}

void FixPipeline::WriteFile(const AnsiString& path, const Bytes& bytes) {
  if (!platform_.files.WriteWholeFile(path, bytes))
    throw FileCreateError("Cannot create file \"" + path + "\".");
}

void FixPipeline::AppendUndoLine(const AnsiString& line) {
  state_.UndoScript.push_back(platform_.codePage.ToWide(line));
}

}  // namespace ql
