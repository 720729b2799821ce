// The values pass of the cleaner: a depth-first walk of the user's software keys that removes
// string values naming files and folders that no longer exist.
#include <deque>

#include "cleaner/CleanerPasses.h"
#include "registry/AnsiText.h"
#include "registry/PathResolution.h"
#include "registry/RegUnit.h"

namespace ql {

namespace {

constexpr const char* kSkipWords[] = {"MICROSOFT", "CLASSES", "POLICIES", "MCAFEE", "KASPERSKY",
                                      "HEWLETT",   "AUTO",    "DELL",     "SYNC"};

// "*" and "?" are wildcards to a file search, and "?" is also what the ANSI conversion writes
// for a character the code page lacks: such data cannot be looked up as the path it names.
constexpr char kNeverInTemporaryData[] = ",\"%~*?";

bool IsStringType(std::uint32_t type) {
  return type == regtype::kString || type == regtype::kExpandString;
}

bool LooksLikePath(const AnsiString& data) {
  return data.size() > 4 && data.find(':') != AnsiString::npos &&
         data.find('\\') != AnsiString::npos && data.find('.') != AnsiString::npos &&
         data.find_first_of(kNeverInTemporaryData) == AnsiString::npos;
}

using EnumFunction = bool (Registry::*)(RegHandle, std::uint32_t, AnsiString&);

// Every name the key gives, in its order, taken before anything in it changes.
StringList EnumerateNames(Registry& registry, const RegKey& key, EnumFunction enumerate) {
  StringList names;
  if (!key.IsOpen())
    return names;
  AnsiString name;
  for (std::uint32_t index = 0; (registry.*enumerate)(key.Get(), index, name); ++index)
    names.push_back(name);
  return names;
}

}  // namespace

bool HasSkipWord(const AnsiString& path) {
  const AnsiString upper = UpperCaseAsciiLetters(path);
  for (const char* word : kSkipWords) {
    if (upper.find(word) != AnsiString::npos)
      return true;
  }
  return false;
}

bool IsTemporaryValueData(const AnsiString& data, Files& files) {
  if (!LooksLikePath(data))
    return false;
  if (data[0] == 'A')
    return true;  // the floppy drive is never asked
  return !DirectoryExists(files, data) && !FileExists(files, data);
}

AnsiString TemporaryValueLine(const AnsiString& data) {
  return "Temporary value: " + data;
}

// One key of the walk, held open while its subtree is walked.
struct CleanerPasses::KeyLevel {
  explicit KeyLevel(Registry& registry, AnsiString keyPath)
      : path(std::move(keyPath)), key(registry) {}
  AnsiString path;
  RegKey key;
  StringList subKeys;
  std::size_t nextSubKey = 0;
};

void CleanerPasses::CleanApplicationsHistory(RegRoot root, const AnsiString& path,
                                             bool deleteValues, StringList& valuesList) {
  std::deque<KeyLevel> levels;
  levels.emplace_back(registry_, path);
  if (!EnterKey(root, path, deleteValues, valuesList, levels.back()))
    return;
  while (!levels.empty()) {
    KeyLevel& level = levels.back();
    if (level.nextSubKey == level.subKeys.size()) {
      levels.pop_back();
      continue;
    }
    const AnsiString& name = level.subKeys[level.nextSubKey++];
    if (name.empty())
      continue;  // an empty name would make the child path name the key itself
    const AnsiString childPath = level.path + name + "\\";
    levels.emplace_back(registry_, childPath);
    if (!EnterKey(root, childPath, deleteValues, valuesList, levels.back()))
      levels.pop_back();
  }
}

// Examines one key's values; false when the key is not to be entered at all.
bool CleanerPasses::EnterKey(RegRoot root, const AnsiString& path, bool deleteValues,
                             StringList& valuesList, KeyLevel& level) {
  pump_.ProcessMessages();
  if (!busy_ || HasSkipWord(path))
    return false;
  progress_.ShowKey(path);
  level.key.Open(root, NormalizeKeyPath(path), FullAccess64);  // refused: contributes nothing
  level.subKeys = EnumerateNames(registry_, level.key, &Registry::EnumKey);
  CleanValues(level, deleteValues, valuesList);
  return true;
}

void CleanerPasses::CleanValues(KeyLevel& level, bool deleteValues, StringList& valuesList) {
  const StringList valueNames = EnumerateNames(registry_, level.key, &Registry::EnumValue);
  for (const AnsiString& name : valueNames) {
    pump_.ProcessMessages();
    std::uint32_t type = regtype::kNone;
    Bytes data;
    // A value deleted by someone else since the listing is passed over.
    if (!registry_.QueryValue(level.key.Get(), name, type, &data) || !IsStringType(type))
      continue;
    const AnsiString text = TextOfStringData(data);
    if (!IsTemporaryValueData(text, files_))
      continue;
    if (deleteValues)
      registry_.DeleteValue(level.key.Get(), name);  // a refused deletion still counts
    valuesList.push_back(TemporaryValueLine(text));
  }
}

}  // namespace ql
