// The file-system adapter on real Wine files: attributes, find order, deletion, the read hold and
// the native system folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "WineTestSupport.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"
#include "paths/PathResolution.h"

namespace ql::win32 {
namespace {

using wintest::ScratchFolder;
using wintest::WriteTextFile;

std::vector<FindEntry> FindAll(Files& files, const AnsiString& pattern, std::uint32_t mask) {
  std::vector<FindEntry> entries;
  FindSearch search(files);
  FindEntry entry;
  for (bool more = search.First(pattern, mask, entry); more; more = search.Next(entry))
    entries.push_back(entry);
  return entries;
}

std::vector<AnsiString> NamesOf(const std::vector<FindEntry>& entries) {
  std::vector<AnsiString> names;
  for (const FindEntry& entry : entries)
    names.push_back(entry.name);
  return names;
}

class FilesAdapter : public ::testing::Test {
 protected:
  ScratchFolder folder_{"quillon-files"};
  Win32Files files_;
};

TEST_F(FilesAdapter, WholeFilesRoundTrip) {
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{3 << 20}}) {
    Bytes written(size);
    for (std::size_t i = 0; i < size; ++i)
      written[i] = static_cast<std::uint8_t>(i * 7);
    const AnsiString path = folder_.path() + "data.bin";
    ASSERT_TRUE(files_.WriteWholeFile(path, written));
    Bytes read{42};
    ASSERT_TRUE(files_.ReadWholeFile(path, read));
    EXPECT_EQ(read, written) << size;
  }
  Bytes untouched{1};
  EXPECT_FALSE(files_.ReadWholeFile(folder_.path() + "missing.bin", untouched));
  EXPECT_EQ(untouched, Bytes{1});
}

TEST_F(FilesAdapter, ReadOnlyFilesRefuseDeletion) {
  const AnsiString path = folder_.path() + "locked.txt";
  ASSERT_TRUE(WriteTextFile(path, "x"));
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  std::uint32_t attributes = 0;
  ASSERT_TRUE(files_.GetAttributes(path, attributes));
  EXPECT_NE(attributes & fileattr::kReadOnly, 0u);
  EXPECT_FALSE(files_.RemoveFile(path));
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(files_.RemoveFile(path));
  EXPECT_FALSE(files_.GetAttributes(path, attributes));
}

TEST_F(FilesAdapter, FolderCreationIsOneLevelDeep) {
  EXPECT_FALSE(files_.MakeDirectory(folder_.path() + "a\\b"));
  ASSERT_TRUE(files_.MakeDirectory(folder_.path() + "a"));
  EXPECT_FALSE(files_.MakeDirectory(folder_.path() + "a"));
  std::uint32_t attributes = 0;
  ASSERT_TRUE(files_.GetAttributes(folder_.path() + "A", attributes));
  EXPECT_NE(attributes & fileattr::kDirectory, 0u);
}

TEST_F(FilesAdapter, AttributeMaskDecidesWhichKindsOfEntryAreFound) {
  const AnsiString& dir = folder_.path();
  ASSERT_TRUE(WriteTextFile(dir + "plain.txt", "p"));
  ASSERT_TRUE(WriteTextFile(dir + "hidden.txt", "h"));
  ASSERT_TRUE(WriteTextFile(dir + "system.txt", "s"));
  ASSERT_TRUE(WriteTextFile(dir + "readonly.txt", "r"));
  ASSERT_TRUE(SetFileAttributesA((dir + "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesA((dir + "system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(SetFileAttributesA((dir + "readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(CreateDirectoryA((dir + "sub").c_str(), nullptr));

  struct Case {
    std::uint32_t mask;
    std::vector<AnsiString> names;
  };
  const std::vector<Case> cases = {
      {fileattr::kAnyEntry,
       {".", "..", "hidden.txt", "plain.txt", "readonly.txt", "sub", "system.txt"}},
      {0, {"plain.txt", "readonly.txt"}},
      {fileattr::kHidden, {"hidden.txt", "plain.txt", "readonly.txt"}},
      {fileattr::kDirectory, {".", "..", "plain.txt", "readonly.txt", "sub"}},
  };
  for (const Case& c : cases) {
    std::vector<AnsiString> names = NamesOf(FindAll(files_, dir + "*.*", c.mask));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, c.names) << "mask " << c.mask;
  }
  const std::vector<FindEntry> all = FindAll(files_, dir + "*.*", fileattr::kAnyEntry);
  for (const FindEntry& entry : all) {
    const bool isFolder = entry.name == "." || entry.name == ".." || entry.name == "sub";
    EXPECT_EQ(entry.IsDirectory(), isFolder) << entry.name;
    if (entry.name == "hidden.txt") {
      EXPECT_NE(entry.attributes & fileattr::kHidden, 0u);
    }
    if (entry.name == "system.txt") {
      EXPECT_NE(entry.attributes & fileattr::kSystem, 0u);
    }
  }
  SetFileAttributesA((dir + "readonly.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The folder's own entries come first, as the cleaner's walk expects; the rest in the order the
// file system keeps, each exactly once.
TEST_F(FilesAdapter, FindListsTheFoldersOwnEntriesFirstAndEveryFileOnce) {
  for (int i = 0; i < 40; ++i)
    ASSERT_TRUE(WriteTextFile(folder_.path() + "f" + std::to_string(i) + ".tmp", "x"));
  const std::vector<AnsiString> names =
      NamesOf(FindAll(files_, folder_.path() + "*.*", fileattr::kAnyEntry));
  ASSERT_EQ(names.size(), 42u);
  EXPECT_EQ(names[0], ".");
  EXPECT_EQ(names[1], "..");
  std::vector<AnsiString> sorted(names.begin() + 2, names.end());
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end());
  EXPECT_EQ(NamesOf(FindAll(files_, folder_.path() + "f1?.tmp", fileattr::kAnyEntry)).size(), 10u);
}

TEST_F(FilesAdapter, FindInAMissingFolderFindsNothing) {
  FindHandle search = 99;
  FindEntry entry;
  EXPECT_FALSE(
      files_.FindFirst(folder_.path() + "missing\\*.*", fileattr::kAnyEntry, search, entry));
  EXPECT_EQ(search, 0u);
  EXPECT_FALSE(files_.FindNext(0, entry));
}

TEST_F(FilesAdapter, HeldFileRefusesWritesAndDeletionUntilReleased) {
  const AnsiString path = folder_.path() + "Quillon_Log_1.txt";
  ASSERT_TRUE(WriteTextFile(path, "log"));
  std::unique_ptr<HeldFile> held = files_.HoldForReading(path);
  ASSERT_NE(held, nullptr);
  const UniqueHandleFile writer(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(writer);
  EXPECT_FALSE(files_.WriteWholeFile(path, Bytes{1}));
  EXPECT_FALSE(files_.RemoveFile(path));
  Bytes content;
  EXPECT_TRUE(files_.ReadWholeFile(path, content));
  EXPECT_EQ(content, (Bytes{'l', 'o', 'g'}));
  held.reset();
  EXPECT_TRUE(files_.WriteWholeFile(path, Bytes{1}));
  EXPECT_EQ(files_.HoldForReading(folder_.path() + "missing.txt"), nullptr);
}

bool IsWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) != FALSE && wow64 != FALSE;
}

// A file that exists only in the native system folder must be visible under "System32", the
// name the registry uses, also to a 32-bit build on 64-bit Windows, whose own view of System32
// is SysWOW64. In a 64-bit process both views are the same folder.
TEST_F(FilesAdapter, SeesTheNativeSystemFolder) {
  char windows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryA(windows, sizeof(windows)), 0u);
  const AnsiString name = "QuillonNativeOnly" + std::to_string(GetCurrentProcessId()) + ".dll";
  const AnsiString nativePath = AnsiString(windows) + "\\System32\\" + name;
  // "Sysnative" reaches the native folder from a 32-bit process without turning anything off.
  const AnsiString creationPath =
      AnsiString(windows) + (IsWow64() ? "\\Sysnative\\" : "\\System32\\") + name;
  ASSERT_TRUE(WriteTextFile(creationPath, "native"));
  if (IsWow64()) {
    EXPECT_EQ(GetFileAttributesA(nativePath.c_str()), INVALID_FILE_ATTRIBUTES)
        << "the redirected view should not see the file";
  }

  std::uint32_t attributes = 0;
  EXPECT_TRUE(files_.GetAttributes(nativePath, attributes));
  AnsiString scannerPath = nativePath;  // the scanner asks with upper-case paths
  CharUpperBuffA(&scannerPath[0], static_cast<DWORD>(scannerPath.size()));
  EXPECT_TRUE(FileExists(files_, scannerPath));
  EXPECT_FALSE(DirectoryExists(files_, scannerPath));
  const std::vector<AnsiString> found = NamesOf(FindAll(files_, nativePath, fileattr::kAnyEntry));
  EXPECT_EQ(found, std::vector<AnsiString>{name});
  Bytes content;
  EXPECT_TRUE(files_.ReadWholeFile(nativePath, content));
  EXPECT_TRUE(files_.RemoveFile(nativePath));
  EXPECT_EQ(GetFileAttributesA(creationPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The system's reason comes with a failed query, and only "not found" on a drive that answers
// counts as gone.
TEST_F(FilesAdapter, OnlyNotFoundOnADriveThatAnswersCountsAsGone) {
  WriteTextFile(folder_.path() + "here.txt", "x");
  AnsiString unmapped;
  for (char letter = 'Q'; letter <= 'Y' && unmapped.empty(); ++letter) {
    const AnsiString root = AnsiString(1, letter) + ":\\";
    if (GetDriveTypeA(root.c_str()) == DRIVE_NO_ROOT_DIR)
      unmapped = root;
  }
  ASSERT_FALSE(unmapped.empty());
  struct Case {
    AnsiString path;
    Presence presence;
  };
  const Case cases[] = {
      {folder_.path() + "here.txt", Presence::Present},
      {folder_.path() + "gone.txt", Presence::Missing},
      {folder_.path() + "Gone\\Deeper\\gone.txt", Presence::Missing},
      {unmapped + "Apps\\tool.exe", Presence::Unjudged},
      {folder_.path() + "to<ol>.exe", Presence::Unjudged},
      {folder_.path() + "h*.txt", Presence::Unjudged},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PathPresence(files_, c.path), c.presence) << c.path;
  std::uint32_t attributes = 0;
  EXPECT_EQ(files_.QueryAttributes(folder_.path() + "gone.txt", attributes),
            fileerror::kFileNotFound);
  EXPECT_EQ(files_.QueryAttributes(folder_.path() + "Gone\\gone.txt", attributes),
            fileerror::kPathNotFound);
}

}  // namespace
}  // namespace ql::win32
