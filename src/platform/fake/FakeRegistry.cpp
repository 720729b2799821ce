// In-memory registry: a key tree per root, handles that map to keys.
#include "platform/fake/FakeRegistry.h"

#include <algorithm>

#include "platform/fake/FakeCodePage.h"

namespace ql {
namespace {

constexpr std::uint32_t kViewBits = 0x0300;  // KEY_WOW64_64KEY | KEY_WOW64_32KEY
constexpr std::uint32_t kSetValue = 0x0002;
constexpr std::uint32_t kCreateSubKey = 0x0004;
constexpr std::uint32_t kEnumerateSubKeys = 0x0008;
constexpr std::uint32_t kDelete = 0x10000;

// The sort and comparison key of a name: its upper case, as UTF-16 units, so that names order
// the way Windows orders them. Units outside the code page compare as they are.
WideString FoldWide(const WideString& name) {
  WideString folded;
  folded.reserve(name.size());
  for (char16_t unit : name) {
    const unsigned char c = WideToChar1252(unit);
    folded.push_back(c == '?' && unit != u'?' ? unit : Char1252ToWide(UpperCase1252(c)));
  }
  return folded;
}

WideString Widen(const AnsiString& name) {
  WideString wide;
  for (char c : name)
    wide.push_back(Char1252ToWide(static_cast<unsigned char>(c)));
  return wide;
}

WideString FoldName(const AnsiString& name) {
  return FoldWide(Widen(name));
}

bool CarriedExactly(const WideString& text) {
  for (char16_t unit : text) {
    if (WideToChar1252(unit) == '?' && unit != u'?')
      return false;
  }
  return true;
}

AnsiString BestFit(const WideString& text) {
  AnsiString ansi;
  for (char16_t unit : text)
    ansi.push_back(static_cast<char>(WideToChar1252(unit)));
  return ansi;
}

Bytes Utf16Bytes(const WideString& text) {
  Bytes bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

bool IsText(std::uint32_t type) {
  return type == regtype::kString || type == regtype::kExpandString ||
         type == regtype::kMultiString;
}

AnsiString CutAtNul(const AnsiString& name) {
  return name.substr(0, name.find('\0'));
}

bool SplitPath(const AnsiString& path, StringList& parts) {
  parts.clear();
  AnsiString cleaned = CutAtNul(path);
  if (!cleaned.empty() && cleaned.back() == '\\')
    cleaned.pop_back();
  if (cleaned.empty())
    return true;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = cleaned.find('\\', start);
    parts.push_back(cleaned.substr(start, end - start));
    if (parts.back().empty())
      return false;
    if (end == AnsiString::npos)
      return true;
    start = end + 1;
  }
}

bool Refuses(std::uint32_t denied, std::uint32_t access) {
  return (denied & (access & ~kViewBits)) != 0;
}

}  // namespace

struct FakeRegistry::Node : std::enable_shared_from_this<Node> {
  AnsiString name;
  WideString wideName;  // the name as stored
  Node* parent = nullptr;
  std::map<WideString, std::shared_ptr<Node>> children;  // sorted by folded name
  std::vector<RegValue> values;                          // in creation order
  std::vector<WideString> valueKeys;                     // folded names of values
  std::vector<Node*> childOrder;                         // children by index, rebuilt on demand
  bool childOrderValid = false;
  std::uint32_t denied = 0;
  bool deleted = false;

  Node* Child(const AnsiString& childName) const {
    const auto it = children.find(FoldName(childName));
    return it == children.end() ? nullptr : it->second.get();
  }
  Node* AddChild(const AnsiString& childName) { return AddWideChild(Widen(childName)); }
  Node* AddWideChild(const WideString& childName) {
    auto child = std::make_shared<Node>();
    child->name = BestFit(childName);
    child->wideName = childName;
    child->parent = this;
    Node* raw = child.get();
    children[FoldWide(childName)] = std::move(child);
    childOrderValid = false;
    return raw;
  }
  Node* ChildAt(std::size_t index) {
    if (!childOrderValid) {
      childOrder.clear();
      for (const auto& entry : children)
        childOrder.push_back(entry.second.get());
      childOrderValid = true;
    }
    return index < childOrder.size() ? childOrder[index] : nullptr;
  }
  RegValue* Value(const AnsiString& valueName) { return WideValue(Widen(valueName)); }
  RegValue* WideValue(const WideString& valueName) {
    const auto it = std::find(valueKeys.begin(), valueKeys.end(), FoldWide(valueName));
    return it == valueKeys.end() ? nullptr
                                 : &values[static_cast<std::size_t>(it - valueKeys.begin())];
  }
  void Put(const AnsiString& valueName, std::uint32_t type, const Bytes& data) {
    PutValue(RegValue{valueName, type, data, Widen(valueName), WideString(), false});
  }
  void PutValue(const RegValue& value) {
    if (RegValue* existing = WideValue(value.wideName)) {
      const WideString keptName = existing->wideName;
      const AnsiString keptAnsiName = existing->name;
      *existing = value;
      existing->wideName = keptName;
      existing->name = keptAnsiName;
    } else {
      values.push_back(value);
      valueKeys.push_back(FoldWide(value.wideName));
    }
  }
  bool Remove(const AnsiString& valueName) {
    const auto it = std::find(valueKeys.begin(), valueKeys.end(), FoldName(valueName));
    if (it == valueKeys.end())
      return false;
    values.erase(values.begin() + (it - valueKeys.begin()));
    valueKeys.erase(it);
    return true;
  }
  void MarkDeleted() {
    deleted = true;
    for (auto& entry : children) {
      entry.second->MarkDeleted();
      entry.second->parent = nullptr;
    }
  }
  // Unlinks this key from its parent; open handles keep the node alive, marked deleted.
  void Detach() {
    MarkDeleted();
    std::shared_ptr<Node> keepAlive = shared_from_this();
    parent->children.erase(FoldWide(wideName));
    parent->childOrderValid = false;
    parent = nullptr;
  }
  std::size_t CountBelow() const {
    std::size_t count = children.size();
    for (const auto& entry : children)
      count += entry.second->CountBelow();
    return count;
  }
};

FakeRegistry::FakeRegistry() {
  for (RegRoot root : {kClassesRoot, kCurrentUser, kLocalMachine})
    roots_[root] = std::make_shared<Node>();
}

FakeRegistry::~FakeRegistry() = default;

FakeRegistry::Node* FakeRegistry::Root(RegRoot root) const {
  const auto it = roots_.find(root);
  return it == roots_.end() ? nullptr : it->second.get();
}

FakeRegistry::Node* FakeRegistry::Find(RegRoot root, const AnsiString& path) const {
  StringList parts;
  Node* node = Root(root);
  if (node == nullptr || !SplitPath(path, parts))
    return nullptr;
  for (const AnsiString& part : parts) {
    node = node->Child(part);
    if (node == nullptr)
      return nullptr;
  }
  return node;
}

FakeRegistry::Node* FakeRegistry::FindOrCreate(RegRoot root, const AnsiString& path,
                                               bool checkAccess) {
  StringList parts;
  Node* node = Root(root);
  if (node == nullptr || !SplitPath(path, parts))
    return nullptr;
  for (const AnsiString& part : parts) {
    Node* child = node->Child(part);
    if (child == nullptr) {
      if (checkAccess && Refuses(node->denied, kCreateSubKey))
        return nullptr;
      child = node->AddChild(part);
    }
    node = child;
  }
  return node;
}

std::shared_ptr<FakeRegistry::Node> FakeRegistry::Shared(Node* node) const {
  return node->shared_from_this();
}

RegHandle FakeRegistry::AddHandle(Node* node, std::uint32_t access) {
  const RegHandle handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = Handle{Shared(node), access};
  maxOpenHandles_ = std::max(maxOpenHandles_, handles_.size());
  ++totalOpens_;
  return handle;
}

FakeRegistry::Node* FakeRegistry::Usable(RegHandle key, std::uint32_t neededAccess) const {
  const auto it = handles_.find(key);
  if (it == handles_.end() || it->second.node->deleted)
    return nullptr;
  if ((it->second.access & neededAccess) != neededAccess)
    return nullptr;
  return it->second.node.get();
}

namespace {

bool SameName(const AnsiString& a, const char* b) {
  return FoldName(a) == FoldName(b);
}

// Class keys that each view keeps for itself.
bool IsPerViewClassKey(const AnsiString& name) {
  for (const char* kept :
       {"CLSID", "Interface", "TypeLib", "DirectShow", "Media Type", "MediaFoundation"}) {
    if (SameName(name, kept))
      return true;
  }
  return false;
}

}  // namespace

AnsiString FakeRegistry::SeenPath(RegRoot root, const AnsiString& path,
                                  std::uint32_t access) const {
  const bool view32 = (wow64Process_ && (access & regaccess::kWow64_64Key) == 0) ||
                      (access & regaccess::kWow64_32Key) != 0;
  StringList parts;
  if (!view32 || !SplitPath(path, parts) || parts.empty())
    return path;
  // The number of leading components of a class root, and whether the rest is kept per view.
  std::size_t classRoot = 0;
  if (root == kClassesRoot)
    classRoot = 0;
  else if (parts.size() > 1 && SameName(parts[0], "SOFTWARE") && SameName(parts[1], "Classes"))
    classRoot = 2;
  else if (root == kLocalMachine && SameName(parts[0], "SOFTWARE") && parts.size() > 1 &&
           !SameName(parts[1], "Wow6432Node"))
    parts.insert(parts.begin() + 1, "Wow6432Node");
  else
    return path;
  if ((root == kClassesRoot || classRoot == 2) && parts.size() > classRoot &&
      IsPerViewClassKey(parts[classRoot]))
    parts.insert(parts.begin() + static_cast<std::ptrdiff_t>(classRoot), "Wow6432Node");
  AnsiString seen;
  for (const AnsiString& part : parts)
    seen += (seen.empty() ? "" : "\\") + part;
  return seen;
}

bool FakeRegistry::OpenKey(RegRoot root, const AnsiString& path, std::uint32_t access,
                           RegHandle& key) {
  key = 0;
  Node* node = Find(root, SeenPath(root, path, access));
  if (node == nullptr || Refuses(node->denied, access))
    return false;
  key = AddHandle(node, access);
  return true;
}

bool FakeRegistry::CreateKey(RegRoot root, const AnsiString& path, std::uint32_t access,
                             RegHandle& key) {
  key = 0;
  const AnsiString seen = SeenPath(root, path, access);
  Node* existing = Find(root, seen);
  Node* node = existing != nullptr ? existing : FindOrCreate(root, seen, true);
  if (node == nullptr || Refuses(node->denied, access))
    return false;
  key = AddHandle(node, access);
  return true;
}

void FakeRegistry::CloseKey(RegHandle key) {
  if (handles_.erase(key) == 0)
    ++invalidCloses_;
}

bool FakeRegistry::QueryInfoKey(RegHandle key, RegKeyInfo& info) {
  const Node* node = Usable(key, regaccess::kQueryValue);
  if (node == nullptr)
    return false;
  info = RegKeyInfo{};
  info.subKeys = static_cast<std::uint32_t>(node->children.size());
  info.values = static_cast<std::uint32_t>(node->values.size());
  for (const auto& entry : node->children)
    info.maxSubKeyLength = std::max<std::uint32_t>(
        info.maxSubKeyLength, static_cast<std::uint32_t>(entry.second->name.size()));
  for (const RegValue& value : node->values)
    info.maxValueNameLength = std::max<std::uint32_t>(
        info.maxValueNameLength, static_cast<std::uint32_t>(value.name.size()));
  return true;
}

bool FakeRegistry::EnumKey(RegHandle key, std::uint32_t index, AnsiString& name) {
  Node* node = Usable(key, kEnumerateSubKeys);
  const Node* child = node == nullptr ? nullptr : node->ChildAt(index);
  if (child == nullptr)
    return false;
  name = child->name;
  return true;
}

bool FakeRegistry::EnumValue(RegHandle key, std::uint32_t index, AnsiString& name) {
  const Node* node = Usable(key, regaccess::kQueryValue);
  if (node == nullptr || index >= node->values.size())
    return false;
  name = node->values[index].name;
  return true;
}

bool FakeRegistry::QueryValue(RegHandle key, const AnsiString& name, std::uint32_t& type,
                              Bytes* data) {
  Node* node = Usable(key, regaccess::kQueryValue);
  const RegValue* value = node == nullptr ? nullptr : node->Value(CutAtNul(name));
  if (value == nullptr)
    return false;
  type = value->type;
  if (data != nullptr)
    *data = value->data;
  return true;
}

bool FakeRegistry::EnumKeyExact(RegHandle key, std::uint32_t index, AnsiString& name, bool& exact) {
  Node* node = Usable(key, kEnumerateSubKeys);
  const Node* child = node == nullptr ? nullptr : node->ChildAt(index);
  if (child == nullptr)
    return false;
  name = child->name;
  exact = CarriedExactly(child->wideName);
  return true;
}

bool FakeRegistry::EnumValueExact(RegHandle key, std::uint32_t index, AnsiString& name,
                                  bool& exact) {
  const Node* node = Usable(key, regaccess::kQueryValue);
  if (node == nullptr || index >= node->values.size())
    return false;
  name = node->values[index].name;
  exact = CarriedExactly(node->values[index].wideName);
  return true;
}

bool FakeRegistry::QueryValueExact(RegHandle key, const AnsiString& name, std::uint32_t& type,
                                   Bytes* data, bool& exact) {
  Node* node = Usable(key, regaccess::kQueryValue);
  const RegValue* value = node == nullptr ? nullptr : node->Value(CutAtNul(name));
  if (value == nullptr)
    return false;
  type = value->type;
  if (data != nullptr)
    *data = value->data;
  exact = !value->storedWide || CarriedExactly(value->wideText);
  return true;
}

bool FakeRegistry::QueryValueWide(RegHandle key, const AnsiString& name, std::uint32_t& type,
                                  Bytes& data) {
  Node* node = Usable(key, regaccess::kQueryValue);
  const RegValue* value = node == nullptr ? nullptr : node->Value(CutAtNul(name));
  if (value == nullptr)
    return false;
  type = value->type;
  if (value->storedWide)
    data = Utf16Bytes(value->wideText);
  else if (IsText(value->type))
    data = Utf16Bytes(Widen(AnsiString(value->data.begin(), value->data.end())));
  else
    data = value->data;
  return true;
}

bool FakeRegistry::AddKeyWide(RegRoot root, const AnsiString& parentPath, const WideString& name) {
  Node* parent = FindOrCreate(root, parentPath, false);
  if (parent == nullptr)
    return false;
  const auto it = parent->children.find(FoldWide(name));
  if (it == parent->children.end())
    parent->AddWideChild(name);
  return true;
}

bool FakeRegistry::SetStringWide(RegRoot root, const AnsiString& path, const WideString& name,
                                 const WideString& text, std::uint32_t type) {
  Node* node = FindOrCreate(root, path, false);
  if (node == nullptr)
    return false;
  const WideString units = text + u'\0';
  const AnsiString ansi = BestFit(units);
  node->PutValue(RegValue{BestFit(name), type, Bytes(ansi.begin(), ansi.end()), name, units, true});
  return true;
}

bool FakeRegistry::SetValueWide(RegHandle key, const AnsiString& name, std::uint32_t type,
                                const WideString& units) {
  Node* node = Usable(key, kSetValue);
  if (node == nullptr)
    return false;
  const AnsiString ansi = BestFit(units);
  node->PutValue(RegValue{CutAtNul(name), type, Bytes(ansi.begin(), ansi.end()),
                          Widen(CutAtNul(name)), units, true});
  return true;
}

bool FakeRegistry::SetValue(RegHandle key, const AnsiString& name, std::uint32_t type,
                            const Bytes& data) {
  Node* node = Usable(key, kSetValue);
  if (node == nullptr)
    return false;
  node->Put(CutAtNul(name), type, data);
  return true;
}

bool FakeRegistry::DeleteValue(RegHandle key, const AnsiString& name) {
  Node* node = Usable(key, kSetValue);
  return node != nullptr && node->Remove(CutAtNul(name));
}

namespace {

// Deletes bottom-up what the user may delete; true when the key itself went.
bool DeleteAsUser(FakeRegistry::Node* node) {
  if (Refuses(node->denied, kEnumerateSubKeys))
    return false;
  std::vector<FakeRegistry::Node*> children;
  for (const auto& entry : node->children)
    children.push_back(entry.second.get());
  bool allGone = true;
  for (FakeRegistry::Node* child : children)
    allGone = DeleteAsUser(child) && allGone;
  if (!allGone || Refuses(node->denied, kDelete))
    return false;
  node->Detach();
  return true;
}

}  // namespace

bool FakeRegistry::DeleteTreeAsUser(RegRoot root, const AnsiString& path, std::uint32_t view) {
  Node* node = Find(root, SeenPath(root, path, view));
  return node != nullptr && node->parent != nullptr && DeleteAsUser(node);
}

bool FakeRegistry::AddKey(RegRoot root, const AnsiString& path) {
  return FindOrCreate(root, path, false) != nullptr;
}

bool FakeRegistry::SetValue(RegRoot root, const AnsiString& path, const AnsiString& name,
                            std::uint32_t type, const Bytes& data) {
  Node* node = FindOrCreate(root, path, false);
  if (node == nullptr)
    return false;
  node->Put(CutAtNul(name), type, data);
  return true;
}

bool FakeRegistry::SetString(RegRoot root, const AnsiString& path, const AnsiString& name,
                             const AnsiString& text, std::uint32_t type) {
  Bytes data(text.begin(), text.end());
  data.push_back(0);
  return SetValue(root, path, name, type, data);
}

bool FakeRegistry::SetDword(RegRoot root, const AnsiString& path, const AnsiString& name,
                            std::uint32_t value) {
  Bytes data;
  for (int shift = 0; shift < 32; shift += 8)
    data.push_back(static_cast<std::uint8_t>(value >> shift));
  return SetValue(root, path, name, regtype::kDword, data);
}

bool FakeRegistry::SetQword(RegRoot root, const AnsiString& path, const AnsiString& name,
                            std::uint64_t value) {
  Bytes data;
  for (int shift = 0; shift < 64; shift += 8)
    data.push_back(static_cast<std::uint8_t>(value >> shift));
  return SetValue(root, path, name, regtype::kQword, data);
}

bool FakeRegistry::HasKey(RegRoot root, const AnsiString& path) const {
  return Find(root, path) != nullptr;
}

bool FakeRegistry::HasValue(RegRoot root, const AnsiString& path, const AnsiString& name) const {
  return GetValue(root, path, name).has_value();
}

std::optional<RegValue> FakeRegistry::GetValue(RegRoot root, const AnsiString& path,
                                               const AnsiString& name) const {
  Node* node = Find(root, path);
  const RegValue* value = node == nullptr ? nullptr : node->Value(CutAtNul(name));
  if (value == nullptr)
    return std::nullopt;
  return *value;
}

AnsiString FakeRegistry::GetString(RegRoot root, const AnsiString& path,
                                   const AnsiString& name) const {
  const std::optional<RegValue> value = GetValue(root, path, name);
  if (!value || (value->type != regtype::kString && value->type != regtype::kExpandString))
    return AnsiString();
  const AnsiString text(value->data.begin(), value->data.end());
  return CutAtNul(text);
}

StringList FakeRegistry::SubKeyNames(RegRoot root, const AnsiString& path) const {
  StringList names;
  if (const Node* node = Find(root, path)) {
    for (const auto& entry : node->children)
      names.push_back(entry.second->name);
  }
  return names;
}

std::vector<RegValue> FakeRegistry::Values(RegRoot root, const AnsiString& path) const {
  const Node* node = Find(root, path);
  return node == nullptr ? std::vector<RegValue>() : node->values;
}

bool FakeRegistry::DeleteTree(RegRoot root, const AnsiString& path) {
  Node* node = Find(root, path);
  if (node == nullptr || node->parent == nullptr)
    return false;
  node->Detach();
  return true;
}

bool FakeRegistry::RemoveValue(RegRoot root, const AnsiString& path, const AnsiString& name) {
  Node* node = Find(root, path);
  return node != nullptr && node->Remove(CutAtNul(name));
}

bool FakeRegistry::DenyAccess(RegRoot root, const AnsiString& path, std::uint32_t mask) {
  Node* node = Find(root, path);
  if (node == nullptr)
    return false;
  node->denied = mask;
  return true;
}

std::size_t FakeRegistry::KeyCount() const {
  std::size_t count = 0;
  for (const auto& root : roots_)
    count += root.second->CountBelow();
  return count;
}

}  // namespace ql
