// In-memory file system: a folder tree per drive, Windows path normalisation, wildcard searches.
#include "platform/fake/FakeFiles.h"

#include <algorithm>

#include "platform/fake/FakeCodePage.h"

namespace ql {

struct FakeFiles::Node : std::enable_shared_from_this<Node> {
  AnsiString name;
  std::uint32_t attributes = 0;
  Bytes contents;
  Node* parent = nullptr;
  std::vector<std::shared_ptr<Node>> children;  // in creation order
  std::weak_ptr<Node> link;                     // a junction's target
  std::uint64_t lastWrite = 0;
  std::shared_ptr<std::uint32_t> links = std::make_shared<std::uint32_t>(1);  // shared by names
  int holds = 0;
  bool removed = false;

  bool IsDirectory() const { return (attributes & fileattr::kDirectory) != 0; }
  // The folder whose entries this one shows: the target of a junction, else itself.
  Node* Entries() {
    std::shared_ptr<Node> target = link.lock();
    return target ? target.get() : this;
  }
  Node* Child(const AnsiString& childName) {
    const AnsiString folded = UpperCase1252(childName);
    for (const auto& child : children) {
      if (UpperCase1252(child->name) == folded)
        return child.get();
    }
    return nullptr;
  }
  Node* Add(const AnsiString& childName, std::uint32_t childAttributes) {
    auto child = std::make_shared<Node>();
    child->name = childName;
    child->attributes = childAttributes;
    child->parent = this;
    children.push_back(child);
    return child.get();
  }
  void MarkRemoved() {
    removed = true;
    for (auto& child : children)
      child->MarkRemoved();
  }
  void Detach() {
    MarkRemoved();
    --*links;
    std::shared_ptr<Node> keepAlive = shared_from_this();
    auto& siblings = parent->children;
    siblings.erase(std::find(siblings.begin(), siblings.end(), keepAlive));
    parent = nullptr;
  }
  std::uint32_t ReportedAttributes() const {
    return attributes == 0 ? fileattr::kNormal : attributes;
  }
};

struct FakeFiles::Search {
  struct Item {
    AnsiString dotName;  // "." or ".." when the item is not a node
    std::uint32_t dotAttributes = 0;
    std::weak_ptr<Node> node;
  };
  std::vector<Item> items;
  std::size_t next = 0;
};

namespace {

struct ParsedPath {
  AnsiString drive;  // "C:"
  StringList parts;
};

bool IsAllDots(const AnsiString& text) {
  return text.find_first_not_of('.') == AnsiString::npos;
}

void TrimTrailingDotsAndBlanks(AnsiString& text) {
  while (!text.empty() && (text.back() == '.' || text.back() == ' '))
    text.pop_back();
}

void AddComponent(const AnsiString& raw, StringList& parts) {
  if (raw.empty() || raw == ".")
    return;
  if (raw == "..") {
    if (!parts.empty())
      parts.pop_back();
    return;
  }
  AnsiString part = raw;
  if (!IsAllDots(part) && part.back() == '.' && part[part.size() - 2] != '.')
    part.pop_back();
  parts.push_back(part);
}

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool ParsePath(const AnsiString& raw, ParsedPath& parsed) {
  AnsiString path = raw;
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.size() < 2 || path[1] != ':' || !IsDriveLetter(path[0]))
    return false;
  parsed.drive = UpperCase1252(path.substr(0, 2));
  parsed.parts.clear();
  const AnsiString rest = path.substr(2);
  if (!rest.empty() && rest[0] != '\\')
    return false;  // drive-relative paths ("C:FILE") are not supported
  std::size_t start = 0;
  while (start <= rest.size()) {
    const std::size_t end = std::min(rest.find('\\', start), rest.size());
    AddComponent(rest.substr(start, end - start), parsed.parts);
    start = end + 1;
  }
  const bool endsWithSeparator = !rest.empty() && rest.back() == '\\';
  if (!endsWithSeparator && !parsed.parts.empty()) {
    TrimTrailingDotsAndBlanks(parsed.parts.back());
    if (parsed.parts.back().empty())
      parsed.parts.pop_back();
  }
  return true;
}

bool IsValidName(const AnsiString& name) {
  if (name.empty())
    return false;
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 32 || AnsiString("<>:\"/\\|?*").find(c) != AnsiString::npos)
      return false;
  }
  return true;
}

bool WildcardMatch(const AnsiString& pattern, std::size_t p, const AnsiString& name,
                   std::size_t n) {
  while (p < pattern.size()) {
    if (pattern[p] == '*') {
      for (std::size_t rest = n; rest <= name.size(); ++rest) {
        if (WildcardMatch(pattern, p + 1, name, rest))
          return true;
      }
      return false;
    }
    if (n >= name.size() || (pattern[p] != '?' && pattern[p] != name[n]))
      return false;
    ++p;
    ++n;
  }
  return n == name.size();
}

// Windows matching: case-insensitive, and a pattern ending in ".*" also matches names that have
// no dot at all ("*.*" matches "README").
bool MatchesPattern(const AnsiString& pattern, const AnsiString& name) {
  const AnsiString upperPattern = UpperCase1252(pattern);
  const AnsiString upperName = UpperCase1252(name);
  if (WildcardMatch(upperPattern, 0, upperName, 0))
    return true;
  const bool endsWithDotStar =
      upperPattern.size() >= 2 && upperPattern.compare(upperPattern.size() - 2, 2, ".*") == 0;
  return endsWithDotStar && upperName.find('.') == AnsiString::npos &&
         WildcardMatch(upperPattern.substr(0, upperPattern.size() - 2), 0, upperName, 0);
}

FindEntry EntryOf(const FakeFiles::Node& node) {
  return FindEntry{node.name, node.ReportedAttributes()};
}

class FakeHeldFile : public HeldFile {
 public:
  explicit FakeHeldFile(std::shared_ptr<FakeFiles::Node> node) : node_(std::move(node)) {
    ++node_->holds;
  }
  ~FakeHeldFile() override { --node_->holds; }

 private:
  std::shared_ptr<FakeFiles::Node> node_;
};

}  // namespace

FakeFiles::FakeFiles() {
  AddDrive("C:");
}

FakeFiles::~FakeFiles() = default;

FakeFiles::Node* FakeFiles::Resolve(const AnsiString& path) const {
  ParsedPath parsed;
  if (!ParsePath(path, parsed))
    return nullptr;
  const auto drive = drives_.find(parsed.drive);
  if (drive == drives_.end())
    return nullptr;
  Node* node = drive->second.get();
  for (const AnsiString& part : parsed.parts) {
    node = node->IsDirectory() ? node->Entries()->Child(part) : nullptr;
    if (node == nullptr)
      return nullptr;
  }
  return node;
}

// The folder that holds (or would hold) the last component of path, and that component.
FakeFiles::Node* FakeFiles::ParentFor(const AnsiString& path, AnsiString& name) const {
  ParsedPath parsed;
  if (!ParsePath(path, parsed) || parsed.parts.empty())
    return nullptr;
  name = parsed.parts.back();
  AnsiString parentPath = parsed.drive + "\\";
  for (std::size_t i = 0; i + 1 < parsed.parts.size(); ++i)
    parentPath += parsed.parts[i] + "\\";
  Node* parent = Resolve(parentPath);
  return parent != nullptr && parent->IsDirectory() ? parent->Entries() : nullptr;
}

bool FakeFiles::FindFirst(const AnsiString& requested, std::uint32_t, FindHandle& search,
                          FindEntry& entry) {
  search = 0;
  const AnsiString pattern = Seen(requested);
  const std::size_t cut = pattern.find_last_of("\\/");
  if (cut == AnsiString::npos || cut + 1 >= pattern.size())
    return false;
  const AnsiString namePattern = pattern.substr(cut + 1);
  Node* folder = Resolve(pattern.substr(0, cut + 1));
  if (folder == nullptr || !folder->IsDirectory())
    return false;
  auto found = std::make_unique<Search>();
  if (folder->parent != nullptr) {
    for (const char* dots : {".", ".."}) {
      if (MatchesPattern(namePattern, dots))
        found->items.push_back(Search::Item{dots, fileattr::kDirectory, {}});
    }
  }
  for (const auto& child : folder->Entries()->children) {
    if (MatchesPattern(namePattern, child->name))
      found->items.push_back(Search::Item{AnsiString(), 0, child});
  }
  if (!Produce(*found, entry))
    return false;
  search = nextSearch_++;
  searches_[search] = std::move(found);
  maxOpenSearches_ = std::max(maxOpenSearches_, searches_.size());
  if (searchHook_)
    searchHook_(entry);
  return true;
}

bool FakeFiles::FindNext(FindHandle search, FindEntry& entry) {
  const auto it = searches_.find(search);
  if (it == searches_.end() || !Produce(*it->second, entry))
    return false;
  if (searchHook_)
    searchHook_(entry);
  return true;
}

bool FakeFiles::Produce(Search& search, FindEntry& entry) {
  while (search.next < search.items.size()) {
    const Search::Item& item = search.items[search.next++];
    if (!item.dotName.empty()) {
      entry = FindEntry{item.dotName, item.dotAttributes};
      return true;
    }
    std::shared_ptr<Node> node = item.node.lock();
    if (node && !node->removed) {
      entry = EntryOf(*node);
      return true;
    }
  }
  return false;
}

void FakeFiles::FindClose(FindHandle search) {
  if (searches_.erase(search) == 0)
    ++invalidCloses_;
}

bool FakeFiles::GetAttributes(const AnsiString& path, std::uint32_t& attributes) {
  const Node* node = Resolve(Seen(path));
  if (node == nullptr)
    return false;
  attributes = node->ReportedAttributes();
  return true;
}

std::uint32_t FakeFiles::QueryAttributes(const AnsiString& requested, std::uint32_t& attributes) {
  const AnsiString path = Seen(requested);
  AnsiString upper = UpperCase1252(path);
  std::replace(upper.begin(), upper.end(), '/', '\\');
  for (const auto& [failing, error] : failures_) {
    if (upper.compare(0, failing.size(), failing) == 0 &&
        (upper.size() == failing.size() || upper[failing.size()] == '\\'))
      return error;
  }
  const bool unc = upper.compare(0, 2, "\\\\") == 0;
  const std::size_t nameStart = unc ? 2 : (upper.size() > 1 && upper[1] == ':' ? 2 : 0);
  for (std::size_t i = nameStart; i < upper.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(upper[i]);
    if (c < 32 || AnsiString("<>:\"|?*").find(static_cast<char>(c)) != AnsiString::npos)
      return fileerror::kInvalidName;
  }
  if (unc)
    return fileerror::kBadNetPath;
  if (const Node* node = Resolve(path)) {
    attributes = node->ReportedAttributes();
    return fileerror::kNone;
  }
  ParsedPath parsed;
  if (!ParsePath(path, parsed))
    return fileerror::kFileNotFound;  // a relative name: no current folder holds it
  AnsiString name;
  return ParentFor(path, name) != nullptr ? fileerror::kFileNotFound : fileerror::kPathNotFound;
}

namespace {

class FakeOpenedFile final : public OpenedFile {
 public:
  FakeOpenedFile(std::shared_ptr<FakeFiles::Node> node, const FileDetails& details,
                 std::size_t& removeCount)
      : node_(std::move(node)), details_(details), removeCount_(removeCount) {}
  const FileDetails& Details() const override { return details_; }
  std::uint32_t Delete() override;

 private:
  std::shared_ptr<FakeFiles::Node> node_;
  FileDetails details_;
  std::size_t& removeCount_;
};

}  // namespace

std::uint32_t FakeOpenedFile::Delete() {
  if (node_->removed)
    return fileerror::kFileNotFound;
  if ((node_->attributes & fileattr::kReadOnly) != 0 || node_->parent == nullptr)
    return fileerror::kAccessDenied;
  node_->Detach();
  ++removeCount_;
  return fileerror::kNone;
}

std::uint32_t FakeFiles::OpenForDeletion(const AnsiString& path,
                                         std::unique_ptr<OpenedFile>& file) {
  file.reset();
  std::uint32_t attributes = 0;
  const std::uint32_t error = QueryAttributes(path, attributes);
  if (error != fileerror::kNone)
    return error;
  Node* node = Resolve(Seen(path));
  if (node->holds > 0)
    return fileerror::kSharingViolation;
  const FileDetails details{node->ReportedAttributes(), node->contents.size(), node->lastWrite,
                            *node->links};
  file = std::make_unique<FakeOpenedFile>(node->shared_from_this(), details, removeCount_);
  return fileerror::kNone;
}

bool FakeFiles::RemoveFile(const AnsiString& path) {
  Node* node = Resolve(Seen(path));
  if (node == nullptr || node->IsDirectory() || node->parent == nullptr || node->holds > 0 ||
      (node->attributes & fileattr::kReadOnly) != 0)
    return false;
  node->Detach();
  ++removeCount_;
  return true;
}

bool FakeFiles::MakeDirectory(const AnsiString& path) {
  AnsiString name;
  Node* parent = ParentFor(Seen(path), name);
  if (parent == nullptr || !IsValidName(name) || parent->Child(name) != nullptr)
    return false;
  parent->Add(name, fileattr::kDirectory);
  return true;
}

bool FakeFiles::ReadWholeFile(const AnsiString& path, Bytes& bytes) {
  const Node* node = Resolve(Seen(path));
  if (node == nullptr || node->IsDirectory())
    return false;
  bytes = node->contents;
  return true;
}

bool FakeFiles::WriteWholeFile(const AnsiString& path, const Bytes& bytes) {
  AnsiString name;
  Node* parent = ParentFor(Seen(path), name);
  if (parent == nullptr || !IsValidName(name))
    return false;
  Node* node = parent->Child(name);
  constexpr std::uint32_t kRefusesReplace =
      fileattr::kReadOnly | fileattr::kHidden | fileattr::kSystem | fileattr::kDirectory;
  if (node != nullptr && ((node->attributes & kRefusesReplace) != 0 || node->holds > 0))
    return false;
  if (node == nullptr)
    node = parent->Add(name, fileattr::kArchive);
  node->contents = bytes;
  node->lastWrite = now_;
  return true;
}

std::unique_ptr<HeldFile> FakeFiles::HoldForReading(const AnsiString& path) {
  Node* node = Resolve(Seen(path));
  if (node == nullptr || node->IsDirectory())
    return nullptr;
  return std::make_unique<FakeHeldFile>(node->shared_from_this());
}

void FakeFiles::FailPath(const AnsiString& path, std::uint32_t error) {
  AnsiString upper = UpperCase1252(path);
  while (!upper.empty() && upper.back() == '\\')
    upper.pop_back();
  failures_[upper] = error;
}

void FakeFiles::PlayWow64Process(const AnsiString& windowsFolder, bool redirectionOff) {
  AnsiString folder = UpperCase1252(windowsFolder);
  if (!folder.empty() && folder.back() != '\\')
    folder += '\\';
  redirectedSystem32_ = redirectionOff ? AnsiString() : folder + "SYSTEM32";
}

AnsiString FakeFiles::Seen(const AnsiString& path) const {
  const std::size_t size = redirectedSystem32_.size();
  if (size == 0 || UpperCase1252(path.substr(0, size)) != redirectedSystem32_ ||
      (path.size() > size && path[size] != '\\'))
    return path;
  static const char* const kLeftAlone[] = {"\\CATROOT", "\\CATROOT2", "\\DRIVERS\\ETC",
                                           "\\LOGFILES", "\\SPOOL"};
  const AnsiString rest = UpperCase1252(path.substr(size));
  for (const char* alone : kLeftAlone) {
    const AnsiString prefix = alone;
    if (rest.compare(0, prefix.size(), prefix) == 0 &&
        (rest.size() == prefix.size() || rest[prefix.size()] == '\\'))
      return path;
  }
  return path.substr(0, size - 8) + "SysWOW64" + path.substr(size);
}

bool FakeFiles::AddDrive(const AnsiString& drive) {
  ParsedPath parsed;
  if (!ParsePath(drive, parsed) || !parsed.parts.empty() || drives_.count(parsed.drive) != 0)
    return false;
  auto root = std::make_shared<Node>();
  root->name = parsed.drive;
  root->attributes = fileattr::kDirectory;
  drives_[parsed.drive] = std::move(root);
  return true;
}

FakeFiles::Node* FakeFiles::CreateFolders(const AnsiString& path) {
  ParsedPath parsed;
  if (!ParsePath(path, parsed))
    return nullptr;
  const auto drive = drives_.find(parsed.drive);
  if (drive == drives_.end())
    return nullptr;
  Node* node = drive->second.get();
  for (const AnsiString& part : parsed.parts) {
    if (!node->IsDirectory())
      return nullptr;
    Node* folder = node->Entries();
    node = folder->Child(part);
    if (node == nullptr)
      node = folder->Add(part, fileattr::kDirectory);
  }
  return node;
}

bool FakeFiles::AddFolder(const AnsiString& path, std::uint32_t attributes) {
  Node* node = CreateFolders(path);
  if (node == nullptr || !node->IsDirectory())
    return false;
  if (node->parent != nullptr)
    node->attributes = attributes | fileattr::kDirectory;
  return true;
}

FakeFiles::Node* FakeFiles::PlaceFile(const AnsiString& path, std::uint32_t attributes) {
  ParsedPath parsed;
  if (!ParsePath(path, parsed) || parsed.parts.empty() || !IsValidName(parsed.parts.back()))
    return nullptr;
  AnsiString parentPath = parsed.drive + "\\";
  for (std::size_t i = 0; i + 1 < parsed.parts.size(); ++i)
    parentPath += parsed.parts[i] + "\\";
  Node* parent = CreateFolders(parentPath);
  if (parent == nullptr || !parent->IsDirectory())
    return nullptr;
  parent = parent->Entries();
  Node* node = parent->Child(parsed.parts.back());
  if (node != nullptr && node->IsDirectory())
    return nullptr;
  if (node == nullptr)
    node = parent->Add(parsed.parts.back(), attributes & ~fileattr::kDirectory);
  node->attributes = attributes & ~fileattr::kDirectory;
  node->lastWrite = now_;
  return node;
}

bool FakeFiles::AddFile(const AnsiString& path, const Bytes& contents, std::uint32_t attributes) {
  Node* node = PlaceFile(path, attributes);
  if (node == nullptr)
    return false;
  node->contents = contents;
  return true;
}

bool FakeFiles::AddTextFile(const AnsiString& path, const AnsiString& text,
                            std::uint32_t attributes) {
  return AddFile(path, Bytes(text.begin(), text.end()), attributes);
}

bool FakeFiles::AddJunction(const AnsiString& path, const AnsiString& target) {
  Node* targetNode = Resolve(target);
  if (targetNode == nullptr || !targetNode->IsDirectory() || !AddFolder(path))
    return false;
  Node* node = Resolve(path);
  node->attributes = fileattr::kDirectory | fileattr::kReparsePoint;
  node->link = targetNode->Entries()->shared_from_this();
  return true;
}

bool FakeFiles::AddHardLink(const AnsiString& path, const AnsiString& existing) {
  Node* original = Resolve(existing);
  if (original == nullptr || original->IsDirectory() || Resolve(path) != nullptr)
    return false;
  Node* node = PlaceFile(path, original->attributes);
  if (node == nullptr)
    return false;
  node->contents = original->contents;
  node->lastWrite = original->lastWrite;
  node->links = original->links;
  ++*node->links;
  return true;
}

bool FakeFiles::AddFileLink(const AnsiString& path, const AnsiString& target) {
  Node* targetNode = Resolve(target);
  if (targetNode == nullptr || targetNode->IsDirectory())
    return false;
  Node* node = PlaceFile(path, fileattr::kArchive | fileattr::kReparsePoint);
  if (node == nullptr)
    return false;
  node->link = targetNode->shared_from_this();
  return true;
}

bool FakeFiles::SetLastWriteTime(const AnsiString& path, std::uint64_t time) {
  Node* node = Resolve(path);
  if (node == nullptr)
    return false;
  node->lastWrite = time;
  return true;
}

bool FakeFiles::SetAttributes(const AnsiString& path, std::uint32_t attributes) {
  Node* node = Resolve(path);
  if (node == nullptr || node->parent == nullptr)
    return false;
  node->attributes =
      (attributes & ~fileattr::kDirectory) | (node->attributes & fileattr::kDirectory);
  return true;
}

bool FakeFiles::Exists(const AnsiString& path) const {
  return Resolve(path) != nullptr;
}

bool FakeFiles::IsFile(const AnsiString& path) const {
  const Node* node = Resolve(path);
  return node != nullptr && !node->IsDirectory();
}

bool FakeFiles::IsFolder(const AnsiString& path) const {
  const Node* node = Resolve(path);
  return node != nullptr && node->IsDirectory();
}

std::optional<Bytes> FakeFiles::Contents(const AnsiString& path) const {
  const Node* node = Resolve(path);
  if (node == nullptr || node->IsDirectory())
    return std::nullopt;
  return node->contents;
}

AnsiString FakeFiles::Text(const AnsiString& path) const {
  const std::optional<Bytes> bytes = Contents(path);
  return bytes ? AnsiString(bytes->begin(), bytes->end()) : AnsiString();
}

StringList FakeFiles::List(const AnsiString& folder) const {
  StringList names;
  Node* node = Resolve(folder);
  if (node != nullptr && node->IsDirectory()) {
    for (const auto& child : node->Entries()->children)
      names.push_back(child->name);
  }
  return names;
}

bool FakeFiles::Erase(const AnsiString& path) {
  Node* node = Resolve(path);
  if (node == nullptr || node->parent == nullptr)
    return false;
  node->Detach();
  return true;
}

}  // namespace ql
