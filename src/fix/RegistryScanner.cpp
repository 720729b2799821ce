// The registry scanner's checks: class root, program lists, startup, fonts, help and sounds.
#include "fix/RegistryScanner.h"

#include <algorithm>
#include <map>

#include "registry/RegistryHelpers.h"

namespace ql {

namespace {

bool Contains(const AnsiString& text, const char* part) {
  return text.find(part) != AnsiString::npos;
}

bool ContainsExeOrDll(const AnsiString& text) {
  return Contains(text, "EXE") || Contains(text, "DLL");
}

// The descriptions of every finding, those left alone for want of a backup or left out by the
// user included.
StringList RecordedDescriptions(const ScanState& state) {
  StringList descriptions;
  for (const StringList& errors : state.CategoryErrors)
    descriptions.insert(descriptions.end(), errors.begin(), errors.end());
  descriptions.insert(descriptions.end(), state.NotBackedUp.begin(), state.NotBackedUp.end());
  descriptions.insert(descriptions.end(), state.NotChosen.begin(), state.NotChosen.end());
  return descriptions;
}

}  // namespace

// ---- Walking and recording ----

void RegistryScanner::Walk(const StringList& names, Examine examine, bool skipEmptyNames) {
  folders_ = pipeline_.Folders();
  std::map<AnsiString, int> occurrences;
  for (const AnsiString& name : names)
    ++occurrences[platform_.codePage.UpperCase(name)];
  ambiguousNames_.clear();
  for (const auto& [name, count] : occurrences) {
    if (count > 1)
      ambiguousNames_.insert(name);
  }
  for (const AnsiString& name : names) {
    platform_.pump.ProcessMessages();
    if (!state_.Scanning || (skipEmptyNames && name.empty()))
      continue;
    ExamineAndNote(examine, name);
  }
}

const std::vector<RegistryScanner::Examine>& RegistryScanner::Examinations() {
  using S = RegistryScanner;
  static const std::vector<Examine> examinations = {
      &S::ExamineExtension,    &S::ExamineApplication,    &S::ExamineClassId,
      &S::ExamineClass,        &S::ExamineAppPath,        &S::ExamineSharedLibrary,
      &S::ExamineStartupValue, &S::ExamineUninstallEntry, &S::ExamineFont,
      &S::ExamineHelpFile,     &S::ExamineSoundEvent};
  return examinations;
}

void RegistryScanner::ExamineAndNote(Examine examine, const AnsiString& name) {
  const auto recorded = [this] {
    return state_.Fixes.size() + state_.NotBackedUp.size() + state_.NotChosen.size();
  };
  const std::size_t before = recorded();
  (this->*examine)(name);
  if (recorded() == before)
    return;
  const std::vector<Examine>& examinations = Examinations();
  const auto check = std::find(examinations.begin(), examinations.end(), examine);
  state_.Examined.push_back(
      {static_cast<std::size_t>(check - examinations.begin()), startupRoot_, name});
}

void RegistryScanner::RecheckFindings() {
  const std::vector<ExaminedEntry> entries = std::move(state_.Examined);
  StringList earlier = RecordedDescriptions(state_);
  for (StringList& errors : state_.CategoryErrors)
    errors.clear();
  state_.ErrorCount = 0;
  state_.Fixes.clear();
  state_.NotBackedUp.clear();
  state_.NotChosen.clear();
  state_.Examined.clear();
  pipeline_.PrepareFixScripts();
  folders_ = pipeline_.Folders();
  ambiguousNames_.clear();
  const bool scanning = state_.Scanning;
  state_.Scanning = true;
  for (const ExaminedEntry& entry : entries) {
    startupRoot_ = entry.root;
    ExamineAndNote(Examinations()[entry.check], entry.name);
  }
  state_.Scanning = scanning;
  for (const AnsiString& description : RecordedDescriptions(state_)) {
    const auto found = std::find(earlier.begin(), earlier.end(), description);
    if (found != earlier.end())
      earlier.erase(found);
  }
  state_.NoLongerBroken = earlier;
}

bool RegistryScanner::KeyEntryIsSafe(RegRoot root, const AnsiString& parentPath,
                                     const AnsiString& name) const {
  return ScriptCanCarryName(name) && !HoldsDoubleByteCharacters(name) &&
         ambiguousNames_.count(platform_.codePage.UpperCase(name)) == 0 &&
         KeyExists(platform_.registry, root, parentPath + name);
}

bool RegistryScanner::ValueEntryIsSafe(RegRoot root, const AnsiString& keyPath,
                                       const AnsiString& name) const {
  return ScriptCanCarryName(name) && !HoldsDoubleByteCharacters(name) &&
         ambiguousNames_.count(platform_.codePage.UpperCase(name)) == 0 &&
         ValueExists(platform_.registry, root, keyPath, name);
}

bool RegistryScanner::SubtreeCanBeCarried(RegRoot root, const AnsiString& keyPath) const {
  StringList names;
  ReadKeyNames(platform_.registry, root, keyPath, names);
  for (const AnsiString& name : names) {
    if (!ScriptCanCarryName(name) || !SubtreeCanBeCarried(root, keyPath + "\\" + name))
      return false;
  }
  return true;
}

void RegistryScanner::AddProblem(const FixedEntry& entry) {
  ++state_.ErrorCount;
  state_.ErrorsOf(entry.category).push_back(entry.description);
  state_.Fixes.push_back(entry);
}

// Checked before any backup is made: an ignored finding is not reported at all, an unticked one
// is left out of the fix and named in the log.
bool RegistryScanner::IsLeftOut(const FixedEntry& entry) {
  if (state_.Ignored.Holds(FindingPath(entry), entry.file))
    return true;
  if (state_.IsTicked(entry))
    return false;
  state_.NotChosen.push_back(entry.description);
  return true;
}

// The class root merges the per-user and the machine class hives: deleted through it, a key that
// both hold goes from the per-user hive only, and its export mixes the two. Such a key is
// exported and deleted in each hive, one finding each.
void RegistryScanner::RecordKeyDeletion(Category category, const AnsiString& description,
                                        const AnsiString& file, RegRoot root,
                                        const AnsiString& exportPath,
                                        const AnsiString& deletePath) {
  const std::pair<RegRoot, const char*> hives[] = {{kCurrentUser, "\\Software\\Classes"},
                                                   {kLocalMachine, "\\SOFTWARE\\Classes"}};
  const bool inBothHives =
      root == kClassesRoot &&
      std::all_of(std::begin(hives), std::end(hives), [&](const auto& hive) {
        return KeyExists(platform_.registry, hive.first, hive.second + deletePath);
      });
  if (!inBothHives) {
    RecordKeyDeletionIn(
        {FixedEntry::Change::KeyDeleted, category, root, deletePath, "", "", description, file},
        exportPath);
    return;
  }
  for (const auto& [hive, classes] : hives)
    RecordKeyDeletionIn({FixedEntry::Change::KeyDeleted, category, hive, classes + deletePath, "",
                         "", description, file},
                        classes + exportPath);
}

void RegistryScanner::RecordKeyDeletionIn(const FixedEntry& entry, const AnsiString& exportPath) {
  if (!SubtreeCanBeCarried(entry.root, exportPath) || IsLeftOut(entry))
    return;
  if (pipeline_.KeyExports()) {
    if (!pipeline_.ExportKeyToUndo(entry.root, exportPath)) {
      state_.NotBackedUp.push_back(entry.description);
      return;
    }
    state_.FixScript.push_back(KeyDeletionLine(entry.root, entry.keyPath));
    state_.FixScript.push_back("");
  }
  AddProblem(entry);
}

void RegistryScanner::RecordValueDeletion(Category category, const AnsiString& description,
                                          const AnsiString& file, RegRoot root,
                                          const AnsiString& keyPath, const AnsiString& valueName) {
  const FixedEntry entry{
      FixedEntry::Change::ValueDeleted, category, root, keyPath, valueName, "", description, file};
  if (IsLeftOut(entry))
    return;
  if (!pipeline_.SaveValueToUndo(root, keyPath, valueName)) {
    state_.NotBackedUp.push_back(description);
    return;
  }
  AddProblem(entry);
  state_.FixScript.push_back(KeyLine(root, keyPath));
  state_.FixScript.push_back(ValueDeletionLine(valueName));
  state_.FixScript.push_back("");
}

void RegistryScanner::RecordDefaultValue(Category category, const AnsiString& description,
                                         const AnsiString& file, const AnsiString& keyPath,
                                         const AnsiString& text) {
  const FixedEntry entry{FixedEntry::Change::DefaultValueSet,
                         category,
                         kCurrentUser,
                         keyPath,
                         "",
                         text,
                         description,
                         file};
  if (IsLeftOut(entry))
    return;
  if (!pipeline_.SaveValueToUndo(kCurrentUser, keyPath, "")) {
    state_.NotBackedUp.push_back(description);
    return;
  }
  AddProblem(entry);
  state_.FixScript.push_back(KeyLine(kCurrentUser, keyPath));
  state_.FixScript.push_back(DefaultValueLine(text));
  state_.FixScript.push_back("");
}

void RegistryScanner::Show(const AnsiString& text, StatusForm form) const {
  if (status_)
    status_(text, form);
}

bool RegistryScanner::Read(RegRoot root, const AnsiString& path, const AnsiString& name,
                           AnsiString& text) const {
  return ReadExactStringValue(platform_.registry, root, path, name, text) &&
         !HoldsDoubleByteCharacters(text);
}

bool RegistryScanner::ReadClassText(const AnsiString& keyPath, AnsiString& text) const {
  return Read(kClassesRoot, keyPath, "", text);
}

bool RegistryScanner::HoldsDoubleByteCharacters(const AnsiString& text) const {
  return std::any_of(text.begin(), text.end(),
                     [this](char c) { return platform_.codePage.IsLeadByte(c); });
}

bool RegistryScanner::Resolve(const AnsiString& text, AnsiString& path) const {
  return ResolveCommandFile(platform_.system, platform_.codePage, platform_.files, text, folders_,
                            path);
}

bool RegistryScanner::Expand(const AnsiString& text, AnsiString& expanded) const {
  return ExpandEnvironmentReferences(platform_.system, text, folders_, expanded);
}

bool RegistryScanner::IsMissing(const AnsiString& path) const {
  return PathPresence(platform_.files, path) == Presence::Missing;
}

bool RegistryScanner::IsPresent(const AnsiString& path) const {
  return PathPresence(platform_.files, path) == Presence::Present;
}

bool RegistryScanner::MissingInWindowsFolders(const AnsiString& name) const {
  return PresenceInWindowsFolders(platform_.files, name, folders_) == Presence::Missing;
}

// ---- Class root ----

void RegistryScanner::CheckExtensionsHandlers() {
  StringList names;
  ReadKeyNames(platform_.registry, kClassesRoot, "\\", names);
  Walk(names, &RegistryScanner::ExamineExtension);
}

void RegistryScanner::ExamineExtension(const AnsiString& name) {
  if (name[0] != '.')
    return;
  Show(name, StatusForm::Unchanged);
  AnsiString handler;
  if (!ReadClassText("\\" + name, handler) || handler.empty() ||
      KeyExistsInEitherView(platform_.registry, kClassesRoot, handler))
    return;
  if (!KeyIsWritable(platform_.registry, kClassesRoot, "\\" + name) ||
      !KeyEntryIsSafe(kClassesRoot, "\\", name))
    return;
  RecordKeyDeletion(Category::ExtensionsHandlers, "Invalid handler " + name, "", kClassesRoot,
                    "\\" + name, "\\" + name);
}

void RegistryScanner::CheckRegisteredPrograms() {
  StringList names;
  ReadKeyNames(platform_.registry, kClassesRoot, kApplicationsPath, names);
  Walk(names, &RegistryScanner::ExamineApplication);
}

void RegistryScanner::ExamineApplication(const AnsiString& name) {
  const AnsiString key = kApplicationsPath + name;
  Registry& registry = platform_.registry;
  if (ValueExists(registry, kClassesRoot, key, "NoOpenWith") ||
      ValueExists(registry, kClassesRoot, key, "NoStartPage") ||
      !HasSubKeys(registry, kClassesRoot, key))
    return;
  AnsiString command;
  if (!ReadClassText(key + "\\shell\\open\\command", command) ||
      (command.empty() && !ReadClassText(key + "\\shell\\edit\\command", command)))
    return;
  Show(command, StatusForm::Shortened);
  // Media players and viewers register only other verbs, a DelegateExecute handler or their
  // supported types: with neither command there is nothing that could be missing.
  AnsiString program;
  if (command.empty() || !Resolve(command, program) || Contains(program, "RUNDLL32") ||
      !IsMissing(program))
    return;
  if (!KeyIsWritable(registry, kClassesRoot, key) ||
      !KeyEntryIsSafe(kClassesRoot, kApplicationsPath, name))
    return;
  RecordKeyDeletion(Category::RegisteredPrograms, "Program does not exist: " + program, program,
                    kClassesRoot, key, key);
}

void RegistryScanner::CheckCOM() {
  StringList names;
  ReadKeyNames(platform_.registry, kClassesRoot, kClsidPath, names);
  Walk(names, &RegistryScanner::ExamineClassId);
}

void RegistryScanner::ExamineClassId(const AnsiString& name) {
  const AnsiString key = kClsidPath + name;
  if (!KeyIsWritable(platform_.registry, kClassesRoot, key))
    return;
  AnsiString kind = "\\InprocServer32";
  AnsiString server;
  if (!ReadClassText(key + kind, server))
    return;
  if (server.empty()) {
    kind = "\\LocalServer32";
    if (!ReadClassText(key + kind, server))
      return;
  }
  Show(server, StatusForm::Shortened);
  if (server.empty())
    return;
  AnsiString path;
  if (!Resolve(server, path) || !IsMissing(path))
    return;
  const AnsiString fileName = ExtractFileName(path);
  if (!MissingInWindowsFolders(fileName) || !KeyEntryIsSafe(kClassesRoot, kClsidPath, name))
    return;
  // The undo keeps the whole class key while the fix deletes only its server subkey.
  RecordKeyDeletion(Category::ComActiveX, "Invalid Server32: " + fileName, path, kClassesRoot, key,
                    key + kind);
}

void RegistryScanner::CheckActiveX() {
  StringList names;
  ReadKeyNames(platform_.registry, kClassesRoot, "\\", names);
  Walk(names, &RegistryScanner::ExamineClass);
}

// "Wow6432Node" below the class root of 64-bit Windows is the 32-bit view of the class keys, not a
// program identifier: judged as one, its class-key texts would delete every 32-bit registration.
void RegistryScanner::ExamineClass(const AnsiString& name) {
  const AnsiString upperName = platform_.codePage.UpperCase(name);
  if (name[0] == '.' || Contains(name, "urn:") || upperName == "CLSID" || upperName == "LNKFILE" ||
      upperName == "WOW6432NODE")
    return;
  Show(name, StatusForm::Unchanged);
  const AnsiString key = "\\" + name;
  if (!KeyIsWritable(platform_.registry, kClassesRoot, key))
    return;
  AnsiString classId;
  AnsiString icon;
  AnsiString openCommand;
  AnsiString editCommand;
  if (!ReadClassText(key + "\\CLSID", classId) || !ReadClassText(key + "\\DefaultIcon", icon) ||
      !ReadClassText(key + "\\shell\\open\\command", openCommand) ||
      !ReadClassText(key + "\\shell\\edit\\command", editCommand))
    return;
  if (!classId.empty() &&
      !KeyExistsInEitherView(platform_.registry, kClassesRoot, "CLSID\\" + classId)) {
    if (KeyEntryIsSafe(kClassesRoot, "\\", name))
      RecordKeyDeletion(Category::ComActiveX, "Invalid CLSID: " + classId, "", kClassesRoot, key,
                        key);
    return;
  }
  if (ContainsExeOrDll(icon))
    ExamineClassFile(name, icon, "\\DefaultIcon", "Invalid icon: ");
  for (const auto& [command, subKey] : {std::pair{openCommand, "\\shell\\open\\command"},
                                        std::pair{editCommand, "\\shell\\edit\\command"}}) {
    if (ContainsExeOrDll(command) && !Contains(command, "RUNDLL32") && !Contains(command, "EXPLOR"))
      ExamineClassFile(name, command, subKey, "Invalid command : ");
  }
}

// A file named by one of a class's texts: missing everywhere, the text's own subkey is deleted.
// A text whose environment references cannot all be expanded is left alone.
void RegistryScanner::ExamineClassFile(const AnsiString& name, const AnsiString& text,
                                       const AnsiString& subKey, const char* prefix) {
  AnsiString path;
  if (!Resolve(text, path) || !IsMissing(path))
    return;
  const AnsiString fileName = ExtractFileName(path);
  if (!MissingInWindowsFolders(fileName) || !KeyEntryIsSafe(kClassesRoot, "\\", name))
    return;
  const AnsiString key = "\\" + name + subKey;
  RecordKeyDeletion(Category::ComActiveX, prefix + fileName, path, kClassesRoot, key, key);
}

// ---- Machine and user lists ----

void RegistryScanner::CheckProgramsLocation() {
  StringList names;
  ReadKeyNames(platform_.registry, kLocalMachine, kAppPathsPath, names);
  Walk(names, &RegistryScanner::ExamineAppPath);
}

void RegistryScanner::ExamineAppPath(const AnsiString& name) {
  Registry& registry = platform_.registry;
  const AnsiString key = kAppPathsPath + name;
  if (ReadDwordValue(registry, kLocalMachine, key, "RunAsOnNonAdminInstall") == 1 ||
      HasSubKeys(registry, kLocalMachine, key))
    return;
  AnsiString program;
  AnsiString folder;
  if (!Read(kLocalMachine, key, "", program) || !Read(kLocalMachine, key, "Path", folder))
    return;
  AnsiString path;
  if (!program.empty() || !folder.empty()) {
    AnsiString expandedFolder;
    if (program.empty() && (!Expand(folder, expandedFolder) ||
                            FolderPresence(platform_.files, expandedFolder) != Presence::Missing))
      return;
    Show(program, StatusForm::Shortened);
    if (IsPresent(program) || !Resolve(program, path) || !IsMissing(path))
      return;
  }
  if (!KeyIsWritable(registry, kLocalMachine, key) ||
      !KeyEntryIsSafe(kLocalMachine, kAppPathsPath, name))
    return;
  RecordKeyDeletion(Category::ProgramsLocation, "Software does not exist: " + name, path,
                    kLocalMachine, key, key);
}

void RegistryScanner::CheckCommonLibraries() {
  StringList names;
  ReadValueNames(platform_.registry, kLocalMachine, kSharedDllsPath, names);
  Walk(names, &RegistryScanner::ExamineSharedLibrary);
}

void RegistryScanner::ExamineSharedLibrary(const AnsiString& name) {
  Show(name, StatusForm::Shortened);
  AnsiString path;
  if (!Expand(name, path) || !IsMissing(path) ||
      !ValueEntryIsSafe(kLocalMachine, kSharedDllsPath, name))
    return;
  RecordValueDeletion(Category::CommonLibraries, "Library does not exist: " + name, path,
                      kLocalMachine, kSharedDllsPath, name);
}

void RegistryScanner::CheckStartup(RegRoot root) {
  startupRoot_ = root;
  StringList names;
  ReadValueNames(platform_.registry, root, kRunPath, names);
  Walk(names, &RegistryScanner::ExamineStartupValue);
}

void RegistryScanner::ExamineStartupValue(const AnsiString& name) {
  AnsiString command;
  if (!Read(startupRoot_, kRunPath, name, command))
    return;
  Show(command, StatusForm::Shortened);
  AnsiString path;
  if (!command.empty()) {
    if (Contains(command, "RUNDLL32") || Contains(command, "SYSTEMROOT") || IsPresent(command))
      return;
    if (!Resolve(command, path) || !IsMissing(path) ||
        !MissingInWindowsFolders(ExtractFileName(path)))
      return;
  }
  if (!ValueEntryIsSafe(startupRoot_, kRunPath, name))
    return;
  RecordValueDeletion(Category::StartupUninstall, "Startup file does not exist: " + path, path,
                      startupRoot_, kRunPath, name);
}

void RegistryScanner::CheckUninstall() {
  StringList names;
  ReadKeyNames(platform_.registry, kLocalMachine, kUninstallPath, names);
  Walk(names, &RegistryScanner::ExamineUninstallEntry, false);
}

void RegistryScanner::ExamineUninstallEntry(const AnsiString& name) {
  Show(name, StatusForm::Unchanged);
  if (name.empty() || Contains(name, "{") || Contains(name, "}"))
    return;
  Registry& registry = platform_.registry;
  const AnsiString key = kUninstallPath + name;
  if (ReadDwordValue(registry, kLocalMachine, key, "NoRemove") == 1 ||
      ReadDwordValue(registry, kLocalMachine, key, "SystemComponent") == 1 ||
      !KeyIsWritable(registry, kLocalMachine, key))
    return;
  AnsiString uninstall;
  AnsiString quietUninstall;
  if (!Read(kLocalMachine, key, "UninstallString", uninstall) ||
      !Read(kLocalMachine, key, "QuietUninstallString", quietUninstall) || !uninstall.empty() ||
      !quietUninstall.empty())
    return;
  // Without a display name Programs and Features never shows the entry: Windows' own stubs
  // (AddressBook, DirectDrawEx, IE40) look like this and are not broken.
  AnsiString displayName;
  if (!Read(kLocalMachine, key, "DisplayName", displayName) || displayName.empty())
    return;
  if (!KeyEntryIsSafe(kLocalMachine, kUninstallPath, name))
    return;
  RecordKeyDeletion(Category::StartupUninstall, "Invalid uninstall path: " + name, "",
                    kLocalMachine, key, key);
}

void RegistryScanner::CheckFonts() {
  StringList names;
  ReadValueNames(platform_.registry, kLocalMachine, kFontsPath, names);
  Walk(names, &RegistryScanner::ExamineFont);
}

void RegistryScanner::ExamineFont(const AnsiString& name) {
  Show(name, StatusForm::Unchanged);
  AnsiString fontFile;
  AnsiString path;
  if (!Read(kLocalMachine, kFontsPath, name, fontFile) || fontFile.empty() ||
      !Expand(fontFile, path))
    return;
  // Windows writes the full path for a font installed outside the Fonts folder.
  if (!IsFullPath(path))
    path = folders_.windowsFolder + "Fonts\\" + path;
  if (!IsMissing(path) || !ValueEntryIsSafe(kLocalMachine, kFontsPath, name))
    return;
  RecordValueDeletion(Category::FontHelpSounds, "Font file does not exist: " + fontFile, path,
                      kLocalMachine, kFontsPath, name);
}

void RegistryScanner::CheckHelp() {
  StringList names;
  ReadValueNames(platform_.registry, kLocalMachine, kHelpPath, names);
  Walk(names, &RegistryScanner::ExamineHelpFile);
}

void RegistryScanner::ExamineHelpFile(const AnsiString& name) {
  const AnsiString helpFile = platform_.codePage.UpperCase(name);
  AnsiString folderText;
  if (!Read(kLocalMachine, kHelpPath, name, folderText) || folderText.empty())
    return;
  AnsiString folder;
  if (!Resolve(folderText, folder))
    return;
  if (folder.empty() || folder.back() != '\\')
    folder += '\\';
  Show(folder + helpFile, StatusForm::Shortened);
  if (!IsMissing(folder + helpFile) || !ValueEntryIsSafe(kLocalMachine, kHelpPath, name))
    return;
  RecordValueDeletion(Category::FontHelpSounds, "Help file does not exist: " + folder + helpFile,
                      folder + helpFile, kLocalMachine, kHelpPath, name);
}

void RegistryScanner::CheckSounds() {
  StringList names;
  ReadKeyNames(platform_.registry, kCurrentUser, kSoundsPath, names);
  Walk(names, &RegistryScanner::ExamineSoundEvent);
}

void RegistryScanner::ExamineSoundEvent(const AnsiString& name) {
  Show(name, StatusForm::Unchanged);
  if (!KeyEntryIsSafe(kCurrentUser, kSoundsPath, name))
    return;
  const AnsiString event = kSoundsPath + name;
  AnsiString current;
  AnsiString defaultSound;
  // An event with no sound assigned ("(None)" in the Sound control panel) names no file.
  if (!Read(kCurrentUser, event + "\\.Current", "", current) ||
      !Read(kCurrentUser, event + "\\.Default", "", defaultSound) ||
      (current.empty() && defaultSound.empty()))
    return;
  if (!current.empty()) {
    AnsiString resolved;
    if (!Resolve(current, resolved) || !IsMissing(resolved))
      return;
    current = resolved;
    ExamineSound(event, "\\.Current", current, defaultSound);
  }
  if (!defaultSound.empty()) {
    AnsiString resolved;
    if (Resolve(defaultSound, resolved) && IsMissing(resolved))
      ExamineSound(event, "\\.Default", resolved, current);
  }
}

// Records a missing sound whose fix sets the value to the text of its sister value.
void RegistryScanner::ExamineSound(const AnsiString& event, const AnsiString& subKey,
                                   const AnsiString& sound, const AnsiString& sisterText) {
  if (!ScriptCanCarryName(sisterText))
    return;
  RecordDefaultValue(Category::FontHelpSounds, "Sound file does not exist: " + sound, sound,
                     event + subKey, sisterText);
}

const std::vector<ScanStep>& ScanSteps() {
  using S = RegistryScanner;
  static const std::vector<ScanStep> steps = {
      {Category::ExtensionsHandlers, {[](S& s) { s.CheckExtensionsHandlers(); }}},
      {Category::ProgramsLocation, {[](S& s) { s.CheckProgramsLocation(); }}},
      {Category::CommonLibraries, {[](S& s) { s.CheckCommonLibraries(); }}},
      {Category::RegisteredPrograms, {[](S& s) { s.CheckRegisteredPrograms(); }}},
      {Category::ComActiveX, {[](S& s) { s.CheckCOM(); }}},
      {Category::ComActiveX, {[](S& s) { s.CheckActiveX(); }}},
      {Category::StartupUninstall,
       {[](S& s) { s.CheckStartup(kCurrentUser); }, [](S& s) { s.CheckStartup(kLocalMachine); },
        [](S& s) { s.CheckUninstall(); }}},
      {Category::FontHelpSounds, {[](S& s) { s.CheckFonts(); }}},
      {Category::FontHelpSounds, {[](S& s) { s.CheckHelp(); }}},
      {Category::FontHelpSounds, {[](S& s) { s.CheckSounds(); }}},
  };
  return steps;
}

void RunAllChecks(RegistryScanner& scanner) {
  for (const ScanStep& step : ScanSteps()) {
    for (const auto& check : step.checks)
      check(scanner);
  }
}

}  // namespace ql
