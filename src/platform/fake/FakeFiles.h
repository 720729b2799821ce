// In-memory file system: drives, folders, files with attributes and contents, searches.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "platform/files.h"

namespace ql {

// Paths are "X:\A\B" (forward slashes work too); names compare without regard to letter case
// (Windows-1252 letters). Paths are normalised as Windows does: empty components, "." and ".."
// are resolved, a component ending in one "." loses it, and trailing dots and blanks of the last
// component are dropped. Drive C: exists from the start.
//
// Searches: the last component of a pattern may hold * and ?; "*.*" also matches names without a
// dot. Every folder but a drive root yields "." and ".." first (when the pattern matches them),
// then its entries in creation order. The attribute mask is ignored, as FindFirstFile ignores it.
// An entry removed while a search is open is not returned by it any more.
//
// Files carry their last write time (the fake's clock when they were added or written) and the
// number of names they have; OpenForDeletion refuses held files with a sharing violation and
// opens links themselves; the deletion of an opened file fails on read-only files.
//
// Refusals: RemoveFile fails on folders, read-only files, missing files and held files;
// WriteWholeFile fails on read-only, hidden, system and held files (CreateFile with
// CREATE_ALWAYS refuses to replace a hidden or system file it was not told about) and on names
// with characters Windows does not allow.
class FakeFiles : public Files {
 public:
  FakeFiles();
  ~FakeFiles() override;
  FakeFiles(const FakeFiles&) = delete;
  FakeFiles& operator=(const FakeFiles&) = delete;

  // The port.
  bool FindFirst(const AnsiString& pattern, std::uint32_t attributeMask, FindHandle& search,
                 FindEntry& entry) override;
  bool FindNext(FindHandle search, FindEntry& entry) override;
  void FindClose(FindHandle search) override;
  bool GetAttributes(const AnsiString& path, std::uint32_t& attributes) override;
  // Errors as Windows gives them: file not found when the folder is there, path not found when
  // a folder on the way or the drive is missing, bad network path for a share nobody answers
  // for, invalid name for wildcards and characters no name may hold; the errors set by FailPath
  // come first.
  std::uint32_t QueryAttributes(const AnsiString& path, std::uint32_t& attributes) override;
  bool RemoveFile(const AnsiString& path) override;
  bool MakeDirectory(const AnsiString& path) override;
  bool ReadWholeFile(const AnsiString& path, Bytes& bytes) override;
  bool WriteWholeFile(const AnsiString& path, const Bytes& bytes) override;
  std::unique_ptr<HeldFile> HoldForReading(const AnsiString& path) override;
  std::uint32_t OpenForDeletion(const AnsiString& path, std::unique_ptr<OpenedFile>& file) override;
  std::uint64_t CurrentFileTime() override { return now_; }
  AnsiString TemporaryFolder() override { return temporaryFolder_; }

  // Test helpers: they create missing parent folders and ignore attributes.
  bool AddDrive(const AnsiString& drive);  // "D:"
  bool AddFolder(const AnsiString& path, std::uint32_t attributes = fileattr::kDirectory);
  bool AddFile(const AnsiString& path, const Bytes& contents = Bytes(),
               std::uint32_t attributes = fileattr::kArchive);
  bool AddTextFile(const AnsiString& path, const AnsiString& text,
                   std::uint32_t attributes = fileattr::kArchive);
  // A reparse-point folder (directory | reparse point) whose entries are those of target, so a
  // walk that follows it can come back to where it started.
  bool AddJunction(const AnsiString& path, const AnsiString& target);
  // A second name for the file at existing: both count two links, and a change of the contents
  // by one name is not seen by the other.
  bool AddHardLink(const AnsiString& path, const AnsiString& existing);
  // A file-kind reparse point (a symbolic link to a file) that points at target.
  bool AddFileLink(const AnsiString& path, const AnsiString& target);
  bool SetLastWriteTime(const AnsiString& path, std::uint64_t time);
  void SetCurrentFileTime(std::uint64_t now) { now_ = now; }
  void SetTemporaryFolder(const AnsiString& folder) { temporaryFolder_ = folder; }
  bool SetAttributes(const AnsiString& path, std::uint32_t attributes);
  bool Exists(const AnsiString& path) const;
  bool IsFile(const AnsiString& path) const;
  bool IsFolder(const AnsiString& path) const;
  std::optional<Bytes> Contents(const AnsiString& path) const;
  AnsiString Text(const AnsiString& path) const;    // empty when missing
  StringList List(const AnsiString& folder) const;  // names in creation order, no "." or ".."
  bool Erase(const AnsiString& path);               // a file, or a folder with everything in it

  // Every query of the path or of anything below it fails with the system error (a refused
  // folder, a drive that is not ready, an unreachable share "\\\\SERVER\\SHARE").
  void FailPath(const AnsiString& path, std::uint32_t error);
  // Plays a 32-bit process on 64-bit Windows: the port's paths below the Windows folder's
  // System32 name its SysWOW64 (but for the few folders Windows leaves alone), unless
  // redirection is off, as the Win32 adapter keeps it around every call. The helpers always
  // name the native folders.
  void PlayWow64Process(const AnsiString& windowsFolder, bool redirectionOff);

  // Runs after a search produced an entry, before FindFirst or FindNext returns it.
  void SetSearchHook(std::function<void(const FindEntry&)> hook) { searchHook_ = std::move(hook); }
  std::size_t OpenSearchCount() const { return searches_.size(); }
  std::size_t MaxOpenSearchCount() const { return maxOpenSearches_; }
  std::size_t InvalidCloseCount() const { return invalidCloses_; }
  std::size_t RemoveCount() const { return removeCount_; }  // successful RemoveFile calls

  struct Node;

 private:
  struct Search;

  AnsiString Seen(const AnsiString& path) const;  // the path after redirection
  Node* Resolve(const AnsiString& path) const;
  Node* ParentFor(const AnsiString& path, AnsiString& name) const;
  Node* CreateFolders(const AnsiString& path);
  Node* PlaceFile(const AnsiString& path, std::uint32_t attributes);
  bool Produce(Search& search, FindEntry& entry);

  std::map<AnsiString, std::shared_ptr<Node>> drives_;  // "C:" upper case
  std::map<FindHandle, std::unique_ptr<Search>> searches_;
  FindHandle nextSearch_ = 0x100;
  std::function<void(const FindEntry&)> searchHook_;
  std::size_t maxOpenSearches_ = 0;
  std::size_t invalidCloses_ = 0;
  std::size_t removeCount_ = 0;
  std::map<AnsiString, std::uint32_t> failures_;  // upper-case path, no trailing "\"
  AnsiString redirectedSystem32_;                 // upper case, empty when not redirected
  std::uint64_t now_ = 134000000000000000;        // a day of 2025 as a file time
  AnsiString temporaryFolder_ = "C:\\Documents and Settings\\User\\Local Settings\\Temp\\";
};

}  // namespace ql
