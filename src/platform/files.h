// File-system port: find-first/next with attributes, attributes, deletion, folders, whole files.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "platform/text.h"

namespace ql {

namespace fileattr {
constexpr std::uint32_t kReadOnly = 0x01;
constexpr std::uint32_t kHidden = 0x02;
constexpr std::uint32_t kSystem = 0x04;
constexpr std::uint32_t kVolumeLabel = 0x08;
constexpr std::uint32_t kDirectory = 0x10;
constexpr std::uint32_t kArchive = 0x20;
constexpr std::uint32_t kNormal = 0x80;
constexpr std::uint32_t kReparsePoint = 0x400;
constexpr std::uint32_t kAnyEntry = 63;  // the attribute mask of a "find everything" search
}  // namespace fileattr

struct FindEntry {
  AnsiString name;
  std::uint32_t attributes = 0;
  bool IsDirectory() const { return (attributes & fileattr::kDirectory) != 0; }
};

// The system's error codes that the existence queries tell apart.
namespace fileerror {
constexpr std::uint32_t kNone = 0;
constexpr std::uint32_t kFileNotFound = 2;
constexpr std::uint32_t kPathNotFound = 3;
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kNotReady = 21;
constexpr std::uint32_t kBadNetPath = 53;
constexpr std::uint32_t kBadNetName = 67;
constexpr std::uint32_t kInvalidName = 123;
constexpr std::uint32_t kSharingViolation = 32;
}  // namespace fileerror

// What the system tells of one opened file (GetFileInformationByHandle).
struct FileDetails {
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  std::uint64_t lastWriteTime = 0;  // 100-nanosecond intervals since 1601 (UTC), as a FILETIME
  std::uint32_t linkCount = 0;      // the names the file has (hard links)
};

// One file opened for deletion: the entry itself, never what a link points at, with the right to
// delete it; other programs may go on reading, writing and deleting it. Releasing the object
// closes it.
class OpenedFile {
 public:
  virtual ~OpenedFile() = default;
  virtual const FileDetails& Details() const = 0;
  // Deletes the opened entry (its name goes when the last handle closes): fileerror::kNone, or
  // the system's error.
  virtual std::uint32_t Delete() = 0;
};

using FindHandle = std::uintptr_t;  // 0 is "no search"

// A file kept open by HoldForReading; releasing the object closes it.
class HeldFile {
 public:
  virtual ~HeldFile() = default;
};

// Paths are Windows paths ("C:\DIR\FILE"); names compare without regard to letter case. The
// scanner and the cleaner must see the native file system, so a 32-bit adapter on 64-bit Windows
// turns file-system redirection off around these calls.
class Files {
 public:
  virtual ~Files() = default;
  virtual bool FindFirst(const AnsiString& pattern, std::uint32_t attributeMask, FindHandle& search,
                         FindEntry& entry) = 0;
  virtual bool FindNext(FindHandle search, FindEntry& entry) = 0;
  virtual void FindClose(FindHandle search) = 0;
  virtual bool GetAttributes(const AnsiString& path, std::uint32_t& attributes) = 0;
  // GetFileAttributesA with the reason of a failure: fileerror::kNone and the attributes, or the
  // system's error code.
  virtual std::uint32_t QueryAttributes(const AnsiString& path, std::uint32_t& attributes) = 0;
  virtual bool RemoveFile(const AnsiString& path) = 0;
  virtual bool MakeDirectory(const AnsiString& path) = 0;  // one level, like CreateDirectoryA
  virtual bool ReadWholeFile(const AnsiString& path, Bytes& bytes) = 0;
  virtual bool WriteWholeFile(const AnsiString& path, const Bytes& bytes) = 0;  // create or replace
  // Opens the file so that other processes may read it but not change or delete it until the
  // returned object is released; null when the file cannot be opened.
  virtual std::unique_ptr<HeldFile> HoldForReading(const AnsiString& path) = 0;
  // Opens the entry for deletion: fileerror::kNone and the file, or the system's error (a
  // sharing violation when another program holds it open and does not let it be deleted).
  virtual std::uint32_t OpenForDeletion(const AnsiString& path,
                                        std::unique_ptr<OpenedFile>& file) = 0;
  virtual std::uint64_t CurrentFileTime() = 0;  // now, in the units of lastWriteTime
  virtual AnsiString TemporaryFolder() = 0;     // GetTempPathA; empty on failure
};

// Owns one find-first/next search and closes it when it goes out of scope.
class FindSearch {
 public:
  explicit FindSearch(Files& files) : files_(&files) {}
  FindSearch(const FindSearch&) = delete;
  FindSearch& operator=(const FindSearch&) = delete;
  ~FindSearch() { Close(); }

  bool First(const AnsiString& pattern, std::uint32_t mask, FindEntry& entry) {
    Close();
    return files_->FindFirst(pattern, mask, handle_, entry);
  }
  bool Next(FindEntry& entry) { return handle_ != 0 && files_->FindNext(handle_, entry); }
  void Close() {
    if (handle_ != 0)
      files_->FindClose(std::exchange(handle_, 0));
  }

 private:
  Files* files_;
  FindHandle handle_ = 0;
};

}  // namespace ql
