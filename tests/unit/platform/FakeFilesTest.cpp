// Tests of the in-memory file system: paths, searches, attributes, refusals.
#include <gtest/gtest.h>

#include "platform/fake/FakeFiles.h"

namespace ql {
namespace {

std::vector<AnsiString> FindAll(FakeFiles& files, const AnsiString& pattern) {
  std::vector<AnsiString> names;
  FindSearch search(files);
  FindEntry entry;
  for (bool found = search.First(pattern, fileattr::kAnyEntry, entry); found;
       found = search.Next(entry))
    names.push_back(entry.name);
  return names;
}

TEST(FakeFiles, SearchesGiveDotsFirstThenEntriesInCreationOrder) {
  FakeFiles files;
  files.AddTextFile("C:\\Cache\\b.txt", "1");
  files.AddFolder("C:\\Cache\\Sub");
  files.AddTextFile("C:\\Cache\\a.txt", "2", fileattr::kHidden | fileattr::kSystem);
  files.AddTextFile("C:\\Cache\\README", "3");
  EXPECT_EQ(FindAll(files, "C:\\Cache\\*.*"),
            (std::vector<AnsiString>{".", "..", "b.txt", "Sub", "a.txt", "README"}));
  EXPECT_EQ(FindAll(files, "c:\\cache\\*.TXT"), (std::vector<AnsiString>{"b.txt", "a.txt"}));
  EXPECT_EQ(FindAll(files, "C:\\Cache\\?.txt"), (std::vector<AnsiString>{"b.txt", "a.txt"}));
  EXPECT_EQ(FindAll(files, "C:\\CACHE\\readme"), (std::vector<AnsiString>{"README"}));
  EXPECT_EQ(FindAll(files, "C:\\*.*"), (std::vector<AnsiString>{"Cache"}));
  EXPECT_TRUE(FindAll(files, "C:\\Cache\\*.doc").empty());
  EXPECT_TRUE(FindAll(files, "C:\\Missing\\*.*").empty());
  EXPECT_EQ(files.OpenSearchCount(), 0u);
  EXPECT_EQ(files.MaxOpenSearchCount(), 1u);
}

TEST(FakeFiles, SearchesReportAttributes) {
  FakeFiles files;
  files.AddFile("C:\\D\\plain", Bytes(), 0);
  files.AddFile("C:\\D\\locked", Bytes(), fileattr::kReadOnly);
  files.AddFolder("C:\\D\\Sub");
  FindHandle handle = 0;
  FindEntry entry;
  ASSERT_TRUE(files.FindFirst("C:\\D\\*", 0, handle, entry));
  EXPECT_EQ(entry.name, ".");
  EXPECT_TRUE(entry.IsDirectory());
  ASSERT_TRUE(files.FindNext(handle, entry));
  ASSERT_TRUE(files.FindNext(handle, entry));
  EXPECT_EQ(entry.attributes, fileattr::kNormal);
  ASSERT_TRUE(files.FindNext(handle, entry));
  EXPECT_EQ(entry.attributes, fileattr::kReadOnly);
  ASSERT_TRUE(files.FindNext(handle, entry));
  EXPECT_EQ(entry.attributes, fileattr::kDirectory);
  EXPECT_FALSE(files.FindNext(handle, entry));
  EXPECT_EQ(files.OpenSearchCount(), 1u);
  files.FindClose(handle);
  files.FindClose(handle);
  EXPECT_EQ(files.OpenSearchCount(), 0u);
  EXPECT_EQ(files.InvalidCloseCount(), 1u);
}

TEST(FakeFiles, AnEntryRemovedDuringASearchIsNotReturned) {
  FakeFiles files;
  for (const char* name : {"1", "2", "3"})
    files.AddFile(AnsiString("C:\\T\\") + name);
  files.SetSearchHook([&](const FindEntry& entry) {
    if (entry.name == "1")
      files.Erase("C:\\T\\2");
  });
  EXPECT_EQ(FindAll(files, "C:\\T\\*"), (std::vector<AnsiString>{".", "..", "1", "3"}));
}

TEST(FakeFiles, PathsAreNormalisedAsWindowsDoes) {
  FakeFiles files;
  files.AddFile("C:\\Windows\\notepad.exe");
  struct Case {
    const char* path;
    bool exists;
  };
  for (const Case& c :
       {Case{"c:\\WINDOWS\\NOTEPAD.EXE", true}, Case{"C:/Windows/notepad.exe", true},
        Case{"C:\\Windows\\\\notepad.exe", true}, Case{"C:\\Windows\\.", true},
        Case{"C:\\Windows\\..\\Windows\\notepad.exe", true},
        Case{"C:\\Windows\\notepad.exe.", true}, Case{"C:\\Windows\\notepad.exe  ", true},
        Case{"C:\\Windows.\\notepad.exe", true}, Case{"C:\\", true}, Case{"C:", true},
        Case{"D:\\", false}, Case{"C:Windows", false}, Case{"Windows", false}, Case{"", false},
        Case{"C:\\Windows\\notepad.exe\\x", false}}) {
    EXPECT_EQ(files.Exists(c.path), c.exists) << c.path;
  }
}

TEST(FakeFiles, RemoveFileRefusesWhatWindowsRefuses) {
  FakeFiles files;
  files.AddFile("C:\\T\\ro", Bytes(), fileattr::kReadOnly);
  files.AddFile("C:\\T\\hidden", Bytes(), fileattr::kHidden | fileattr::kSystem);
  files.AddFile("C:\\T\\held");
  files.AddFolder("C:\\T\\dir");
  std::unique_ptr<HeldFile> hold = files.HoldForReading("C:\\T\\held");
  ASSERT_TRUE(hold);
  EXPECT_FALSE(files.RemoveFile("C:\\T\\ro"));
  EXPECT_FALSE(files.RemoveFile("C:\\T\\dir"));
  EXPECT_FALSE(files.RemoveFile("C:\\T\\missing"));
  EXPECT_FALSE(files.RemoveFile("C:\\T\\held"));
  EXPECT_TRUE(files.RemoveFile("C:\\T\\HIDDEN"));
  hold.reset();
  EXPECT_TRUE(files.RemoveFile("C:\\T\\held"));
  EXPECT_EQ(files.List("C:\\T"), (StringList{"ro", "dir"}));
  EXPECT_EQ(files.RemoveCount(), 2u);
}

TEST(FakeFiles, WholeFilesAreReadAndReplaced) {
  FakeFiles files;
  Bytes bytes;
  EXPECT_FALSE(files.WriteWholeFile("C:\\NoFolder\\a.txt", Bytes{1}));
  EXPECT_TRUE(files.WriteWholeFile("C:\\a.txt", Bytes{1, 2}));
  EXPECT_TRUE(files.WriteWholeFile("C:\\A.TXT", Bytes{3}));
  EXPECT_TRUE(files.ReadWholeFile("c:\\a.txt", bytes));
  EXPECT_EQ(bytes, Bytes{3});
  EXPECT_EQ(files.List("C:\\"), StringList{"a.txt"});
  std::uint32_t attributes = 0;
  EXPECT_TRUE(files.GetAttributes("C:\\a.txt", attributes));
  EXPECT_EQ(attributes, fileattr::kArchive);
  files.SetAttributes("C:\\a.txt", fileattr::kReadOnly);
  EXPECT_FALSE(files.WriteWholeFile("C:\\a.txt", Bytes{4}));
  files.SetAttributes("C:\\a.txt", fileattr::kHidden);
  EXPECT_FALSE(files.WriteWholeFile("C:\\a.txt", Bytes{4}));
  EXPECT_FALSE(files.WriteWholeFile("C:\\b?.txt", Bytes{4}));
  EXPECT_FALSE(files.ReadWholeFile("C:\\", bytes));
}

TEST(FakeFiles, MakeDirectoryCreatesOneLevel) {
  FakeFiles files;
  EXPECT_FALSE(files.MakeDirectory("C:\\A\\B"));
  EXPECT_TRUE(files.MakeDirectory("C:\\A"));
  EXPECT_FALSE(files.MakeDirectory("C:\\a"));
  EXPECT_TRUE(files.MakeDirectory("C:\\A\\B\\"));
  EXPECT_TRUE(files.IsFolder("C:\\a\\b"));
  files.AddFile("C:\\A\\f");
  EXPECT_FALSE(files.MakeDirectory("C:\\A\\f\\g"));
}

TEST(FakeFiles, AJunctionShowsItsTargetAndCanFormALoop) {
  FakeFiles files;
  files.AddFile("C:\\Top\\file");
  ASSERT_TRUE(files.AddJunction("C:\\Top\\Loop", "C:\\Top"));
  std::uint32_t attributes = 0;
  EXPECT_TRUE(files.GetAttributes("C:\\Top\\Loop", attributes));
  EXPECT_EQ(attributes, fileattr::kDirectory | fileattr::kReparsePoint);
  EXPECT_TRUE(files.IsFile("C:\\Top\\Loop\\Loop\\file"));
  EXPECT_EQ(FindAll(files, "C:\\Top\\Loop\\*.*"),
            (std::vector<AnsiString>{".", "..", "file", "Loop"}));
}

}  // namespace
}  // namespace ql

namespace ql {
namespace {

TEST(FakeFiles, WildcardsMatchTheWayFindFirstFileMatches) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      {"*.*", "README", true},  {"*.*", "a.b.c", true},        {"*", ".hidden", true},
      {"*.txt", "A.TXT", true}, {"*.txt", "a.txt.bak", false}, {"a?c", "abc", true},
      {"a?c", "ac", false},     {"*.d?t", "index.dat", true},  {"index.dat", "INDEX.DAT", true},
      {"*x*", "abc", false},    {"\xe9*", "\xc9t\xc9", true},  {"*.", "name", false},
  };
  for (const Case& c : cases) {
    FakeFiles files;
    files.AddFile(AnsiString("C:\\W\\") + c.name);
    FindSearch search(files);
    FindEntry entry;
    bool found = search.First(AnsiString("C:\\W\\") + c.pattern, fileattr::kAnyEntry, entry);
    while (found && (entry.name == "." || entry.name == ".."))
      found = search.Next(entry);
    EXPECT_EQ(found, c.matches) << c.pattern << " against " << c.name;
  }
}

TEST(FakeFiles, AFileRemovedAfterItWasListedCannotBeRemovedAgain) {
  FakeFiles files;
  files.AddFile("C:\\T\\victim.tmp");
  files.SetSearchHook([&](const FindEntry& entry) {
    if (entry.name == "victim.tmp")
      files.Erase("C:\\T\\victim.tmp");
  });
  FindSearch search(files);
  FindEntry entry;
  ASSERT_TRUE(search.First("C:\\T\\*.*", fileattr::kAnyEntry, entry));
  ASSERT_TRUE(search.Next(entry));
  ASSERT_TRUE(search.Next(entry));
  EXPECT_EQ(entry.name, "victim.tmp");
  EXPECT_FALSE(files.RemoveFile("C:\\T\\" + entry.name));
  EXPECT_FALSE(search.Next(entry));
}

TEST(FakeFiles, OtherDrivesExistOnlyWhenAdded) {
  FakeFiles files;
  EXPECT_FALSE(files.AddFile("D:\\x"));
  EXPECT_TRUE(files.AddDrive("d:"));
  EXPECT_FALSE(files.AddDrive("D:"));
  EXPECT_TRUE(files.AddFile("D:\\x"));
  EXPECT_EQ(files.List("D:\\"), StringList{"x"});
}

}  // namespace
}  // namespace ql
