// File-system adapter: FindFirstFileA and friends, run with WOW64 file-system redirection off.
#include <windows.h>

#include "platform/win32/CodePageText.h"
#include "platform/win32/NativeFileSystem.h"
#include "platform/win32/SystemFunction.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"

namespace ql::win32 {
namespace {

constexpr std::uint32_t kSpecialKinds =
    fileattr::kHidden | fileattr::kSystem | fileattr::kVolumeLabel | fileattr::kDirectory;

// Hidden, system, volume-label and directory entries are returned only when the search mask
// asks for their kind; ordinary files always are.
bool MatchesMask(const WIN32_FIND_DATAA& data, std::uint32_t mask) {
  return (data.dwFileAttributes & kSpecialKinds & ~mask) == 0;
}

FindEntry ToEntry(const WIN32_FIND_DATAA& data) {
  return FindEntry{AnsiString(data.cFileName, strnlen(data.cFileName, MAX_PATH)),
                   data.dwFileAttributes};
}

// A search remembers its mask so that FindNext applies the same filter.
struct Search {
  UniqueFind handle;
  std::uint32_t mask = 0;
};

bool NextMatching(Search& search, FindEntry& entry) {
  WIN32_FIND_DATAA data{};
  while (FindNextFileA(search.handle.get(), &data) != FALSE) {
    if (MatchesMask(data, search.mask)) {
      entry = ToEntry(data);
      return true;
    }
  }
  return false;
}

class Win32HeldFile final : public HeldFile {
 public:
  explicit Win32HeldFile(UniqueHandleFile file) : file_(std::move(file)) {}

 private:
  UniqueHandleFile file_;
};

std::uint64_t FileTimeValue(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

using GetInformationByHandle = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

// The basic and standard information of the handle: GetFileInformationByHandle also asks the
// volume for its serial number, which costs Wine eight times as much as the two queries. Windows
// before Vista has only that call.
bool ReadDetails(HANDLE file, FileDetails& details) {
  static const auto getInformation =
      LookUpFunction<GetInformationByHandle>("kernel32.dll", "GetFileInformationByHandleEx");
  if (getInformation == nullptr) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileInformationByHandle(file, &information) == FALSE)
      return false;
    details.attributes = information.dwFileAttributes;
    details.size =
        (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    details.lastWriteTime = FileTimeValue(information.ftLastWriteTime);
    details.linkCount = information.nNumberOfLinks;
    return true;
  }
  FILE_BASIC_INFO basic{};
  FILE_STANDARD_INFO standard{};
  if (getInformation(file, FileBasicInfo, &basic, sizeof(basic)) == FALSE ||
      getInformation(file, FileStandardInfo, &standard, sizeof(standard)) == FALSE)
    return false;
  details.attributes = basic.FileAttributes;
  details.size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
  details.lastWriteTime = static_cast<std::uint64_t>(basic.LastWriteTime.QuadPart);
  details.linkCount = standard.NumberOfLinks;
  return true;
}

using SetInformationByHandle = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

// Deleting through the handle that was judged means no other file can take its name between the
// judgement and the deletion. Looked up at run time: Windows before Vista has no such call and
// deletes by name once the handle is closed.
class Win32OpenedFile final : public OpenedFile {
 public:
  Win32OpenedFile(UniqueHandleFile file, AnsiString path, const FileDetails& details)
      : file_(std::move(file)), path_(std::move(path)), details_(details) {}
  const FileDetails& Details() const override { return details_; }
  std::uint32_t Delete() override {
    static const auto setInformation =
        LookUpFunction<SetInformationByHandle>("kernel32.dll", "SetFileInformationByHandle");
    NativeFileSystem native;
    if (setInformation == nullptr) {
      file_.reset();
      return DeleteFileA(path_.c_str()) != FALSE ? fileerror::kNone : GetLastError();
    }
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (setInformation(file_.get(), FileDispositionInfo, &disposition, sizeof(disposition)) ==
        FALSE)
      return GetLastError();
    return fileerror::kNone;
  }

 private:
  UniqueHandleFile file_;
  AnsiString path_;
  FileDetails details_;
};

UniqueHandleFile OpenFile(const AnsiString& path, DWORD access, DWORD share, DWORD disposition) {
  return UniqueHandleFile(CreateFileA(path.c_str(), access, share, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

bool Win32Files::FindFirst(const AnsiString& pattern, std::uint32_t attributeMask,
                           FindHandle& search, FindEntry& entry) {
  search = 0;
  NativeFileSystem native;
  WIN32_FIND_DATAA data{};
  auto found = std::make_unique<Search>();
  found->mask = attributeMask;
  found->handle.reset(FindFirstFileA(pattern.c_str(), &data));
  if (!found->handle)
    return false;
  if (MatchesMask(data, attributeMask))
    entry = ToEntry(data);
  else if (!NextMatching(*found, entry))
    return false;
  search = reinterpret_cast<FindHandle>(found.release());
  return true;
}

bool Win32Files::FindNext(FindHandle search, FindEntry& entry) {
  if (search == 0)
    return false;
  NativeFileSystem native;
  return NextMatching(*reinterpret_cast<Search*>(search), entry);
}

void Win32Files::FindClose(FindHandle search) {
  delete reinterpret_cast<Search*>(search);
}

bool Win32Files::GetAttributes(const AnsiString& path, std::uint32_t& attributes) {
  NativeFileSystem native;
  const DWORD found = GetFileAttributesW(ToWideText(path).c_str());
  if (found == INVALID_FILE_ATTRIBUTES)
    return false;
  attributes = found;
  return true;
}

std::uint32_t Win32Files::QueryAttributes(const AnsiString& path, std::uint32_t& attributes) {
  NativeFileSystem native;
  // No "insert the disk" box for a drive without a medium: the caller only wants the error.
  const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const DWORD found = GetFileAttributesW(ToWideText(path).c_str());
  const DWORD error = found == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_SUCCESS;
  SetErrorMode(previousMode);
  if (found == INVALID_FILE_ATTRIBUTES)
    return error == ERROR_SUCCESS ? ERROR_INVALID_NAME : error;
  attributes = found;
  return fileerror::kNone;
}

bool Win32Files::RemoveFile(const AnsiString& path) {
  NativeFileSystem native;
  return DeleteFileA(path.c_str()) != FALSE;
}

bool Win32Files::MakeDirectory(const AnsiString& path) {
  NativeFileSystem native;
  return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool Win32Files::ReadWholeFile(const AnsiString& path, Bytes& bytes) {
  NativeFileSystem native;
  const UniqueHandleFile file =
      OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  LARGE_INTEGER size{};
  if (!file || GetFileSizeEx(file.get(), &size) == FALSE || size.QuadPart > 0x7FFFFFFF)
    return false;
  Bytes content(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < content.size()) {
    DWORD read = 0;
    if (ReadFile(file.get(), content.data() + done, static_cast<DWORD>(content.size() - done),
                 &read, nullptr) == FALSE)
      return false;
    if (read == 0)
      break;  // the file shrank while it was read
    done += read;
  }
  content.resize(done);
  bytes = std::move(content);
  return true;
}

bool Win32Files::WriteWholeFile(const AnsiString& path, const Bytes& bytes) {
  NativeFileSystem native;
  const UniqueHandleFile file = OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
  if (!file)
    return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    if (WriteFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                  &written, nullptr) == FALSE ||
        written == 0)
      return false;
    done += written;
  }
  return true;
}

std::unique_ptr<HeldFile> Win32Files::HoldForReading(const AnsiString& path) {
  NativeFileSystem native;
  UniqueHandleFile file = OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  if (!file)
    return nullptr;
  return std::make_unique<Win32HeldFile>(std::move(file));
}

std::uint32_t Win32Files::OpenForDeletion(const AnsiString& path,
                                          std::unique_ptr<OpenedFile>& file) {
  file.reset();
  NativeFileSystem native;
  UniqueHandleFile opened(
      CreateFileA(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  FileDetails details;
  if (!opened || !ReadDetails(opened.get(), details)) {
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error;
  }
  file = std::make_unique<Win32OpenedFile>(std::move(opened), path, details);
  return fileerror::kNone;
}

std::uint64_t Win32Files::CurrentFileTime() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return FileTimeValue(now);
}

AnsiString Win32Files::TemporaryFolder() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(MAX_PATH + 1, buffer);
  return length == 0 || length > MAX_PATH ? AnsiString() : AnsiString(buffer, length);
}

}  // namespace ql::win32
