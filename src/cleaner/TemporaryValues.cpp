// The values pass of the cleaner: a depth-first walk of the user's software keys that removes
// string values naming files and folders that no longer exist.
#include <deque>
#include <vector>

#include "cleaner/CleanerPasses.h"
#include "paths/AnsiText.h"
#include "paths/PathResolution.h"
#include "registry/RegistryHelpers.h"

namespace ql {

namespace {

constexpr const char* kSkipWords[] = {"MICROSOFT", "CLASSES", "POLICIES", "MCAFEE", "KASPERSKY",
                                      "HEWLETT",   "AUTO",    "DELL",     "SYNC"};

// "*" and "?" are wildcards to a file search, and "?" is also what the ANSI conversion writes
// for a character the code page lacks: such data cannot be looked up as the path it names.
constexpr char kNeverInTemporaryData[] = ",\"%~*?";

bool LooksLikePath(const AnsiString& data) {
  return data.size() > 4 && data.find(':') != AnsiString::npos &&
         data.find('\\') != AnsiString::npos && data.find('.') != AnsiString::npos &&
         data.find_first_of(kNeverInTemporaryData) == AnsiString::npos;
}

// Every subkey name the key gives, in its order, taken before anything in it changes.
StringList ListSubKeys(Registry& registry, const RegKey& key) {
  StringList names;
  if (!key.IsOpen())
    return names;
  AnsiString name;
  bool exact = true;
  // A name the code page cannot carry exactly, or that holds "\" once converted, would reach
  // some other key or none.
  for (std::uint32_t index = 0; registry.EnumKeyExact(key.Get(), index, name, exact); ++index) {
    if (exact && name.find('\\') == AnsiString::npos)
      names.push_back(name);
  }
  return names;
}

struct ListedValue {
  AnsiString name;
  std::uint32_t type = regtype::kNone;
  Bytes data;
};

// Every value of the key with its type and data, in one call each where the system allows it,
// taken before anything in the key changes.
std::vector<ListedValue> ListValues(Registry& registry, const RegKey& key) {
  std::vector<ListedValue> values;
  if (!key.IsOpen())
    return values;
  ListedValue value;
  bool exact = true;
  // A value whose name or text the code page cannot carry exactly is left alone: deleting by a
  // look-alike name could remove another value, and the text is not the path stored.
  for (std::uint32_t index = 0;
       registry.EnumValueDataExact(key.Get(), index, value.name, value.type, value.data, exact);
       ++index) {
    if (exact)
      values.push_back(value);
  }
  return values;
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
  // Only what the file system says is not there counts: a refused folder, a drive that is not
  // ready or a share that does not answer keeps its values.
  return PathPresence(files, data) == Presence::Missing;
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
  level.subKeys = ListSubKeys(registry_, level.key);
  CleanValues(level, deleteValues, valuesList);
  return true;
}

void CleanerPasses::CleanValues(KeyLevel& level, bool deleteValues, StringList& valuesList) {
  for (const ListedValue& value : ListValues(registry_, level.key)) {
    pump_.ProcessMessages();
    if (!regtype::IsString(value.type))
      continue;
    AnsiString text = TextOfStringData(value.data);
    if (!IsTemporaryValueData(text, files_))
      continue;
    if (deleteValues) {
      if (!StillTemporary(level.key, value.name, text))
        continue;
      registry_.DeleteValue(level.key.Get(), value.name);  // a refused deletion still counts
    }
    valuesList.push_back(TemporaryValueLine(text));
  }
}

// The value as it is just before its deletion: another program may have changed or removed it
// since the key's values were listed. `text` becomes the data now held.
bool CleanerPasses::StillTemporary(const RegKey& key, const AnsiString& name, AnsiString& text) {
  std::uint32_t type = regtype::kNone;
  Bytes data;
  if (!registry_.QueryValue(key.Get(), name, type, &data) || !regtype::IsString(type))
    return false;
  const AnsiString now = TextOfStringData(data);
  if (now == text)
    return true;
  text = now;
  return IsTemporaryValueData(text, files_);
}

}  // namespace ql
