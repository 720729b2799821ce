// Tests of the files pass: the guard, the walk order, the excluded names, deletion and stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "CleanerTestSupport.h"
#include "cleaner/FileSources.h"

namespace ql::testing {
namespace {

const AnsiString kCache =
    "C:\\Documents and Settings\\ann\\Local Settings\\Temporary Internet Files\\";

class TemporaryFilesTest : public ::testing::Test {
 protected:
  StringList Scan(const AnsiString& folder = kCache) {
    FilesReport found;
    ground.passes.CleanDir(folder, false, found);
    return found.files;
  }
  StringList Clean(const AnsiString& folder = kCache) {
    FilesReport found;
    ground.passes.CleanDir(folder, true, found);
    return found.files;
  }
  FakeFiles& files() { return ground.fake.files; }
  void AddCacheFile(const AnsiString& relative, std::uint32_t attributes = fileattr::kArchive) {
    files().AddFile(kCache + relative, Bytes{1, 2, 3}, attributes);
  }

  CleanerGround ground;
};

struct GuardCase {
  AnsiString folder;
  bool listed;
};

TEST_F(TemporaryFilesTest, OnlyFoldersWhosePathHoldsTemporaryAreWalked) {
  const GuardCase cases[] = {
      {"C:\\Users\\ann\\AppData\\Local\\Microsoft\\Windows\\INetCache\\", false},
      {"C:\\Documents and Settings\\ann\\Local Settings\\Temporary Internet Files\\", true},
      {"C:\\Cache\\temporary\\", true},
      {"C:\\Cache\\TeMpOrArY Files\\", true},
      {"C:\\Cache\\Tempor ary\\", false},
      {"C:\\", false},
  };
  for (const GuardCase& c : cases) {
    SCOPED_TRACE(c.folder);
    files().AddFile(c.folder + "page.htm");
    const StringList found = Clean(c.folder);
    EXPECT_EQ(found.size(), c.listed ? 1u : 0u);
    EXPECT_EQ(files().Exists(c.folder + "page.htm"), !c.listed);
    EXPECT_EQ(PassesTemporaryGuard(c.folder), c.listed);
  }
}

TEST_F(TemporaryFilesTest, EmptyCacheFolderPathIsRejected) {
  files().AddFile("C:\\Temporary Internet Files\\page.htm");
  EXPECT_FALSE(PassesTemporaryGuard(""));
  EXPECT_TRUE(Clean("").empty());
  EXPECT_EQ(files().MaxOpenSearchCount(), 0u);
}

TEST_F(TemporaryFilesTest, RejectedFolderIsNeitherSearchedNorPumped) {
  files().AddFile("C:\\Windows\\INetCache\\a.htm");
  EXPECT_TRUE(Clean("C:\\Windows\\INetCache\\").empty());
  EXPECT_EQ(ground.fake.pump.CallCount(), 0u);
  EXPECT_EQ(files().MaxOpenSearchCount(), 0u);
}

TEST_F(TemporaryFilesTest, FilesOfASubfolderComeWhereTheSubfolderWasMet) {
  AddCacheFile("a.htm");
  files().AddFolder(kCache + "Content.IE5");
  AddCacheFile("b.gif");
  AddCacheFile("Content.IE5\\X1\\c.js");
  AddCacheFile("Content.IE5\\d.css");
  AddCacheFile("Content.IE5\\X2\\e.png");
  EXPECT_EQ(Scan(), (StringList{kCache + "a.htm", kCache + "Content.IE5\\X1\\c.js",
                                kCache + "Content.IE5\\d.css", kCache + "Content.IE5\\X2\\e.png",
                                kCache + "b.gif"}));
}

TEST_F(TemporaryFilesTest, ScanDeletesNothing) {
  AddCacheFile("a.htm");
  AddCacheFile("Sub\\b.htm");
  EXPECT_EQ(Scan().size(), 2u);
  EXPECT_EQ(files().RemoveCount(), 0u);
  EXPECT_TRUE(files().IsFile(kCache + "a.htm"));
  EXPECT_TRUE(files().IsFile(kCache + "Sub\\b.htm"));
}

// One row per deletion rule: what is planted at the file's place, the source's age limit, and
// whether the file goes (listed by Scan, deleted and counted by Clean) or stays with a note.
struct DeletionCase {
  const char* rule;
  std::function<void(FakeFiles&, const AnsiString& path, std::unique_ptr<HeldFile>& held)> plant;
  std::uint64_t minimumAge;
  bool goes;
  AnsiString note;  // the note of both Scan and Clean, before the path; empty: none
};

TEST(SafeDeletion, EveryFileGoesThroughTheSameRules) {
  const AnsiString outside = "C:\\Users\\ann\\Documents\\thesis.doc";
  constexpr std::uint64_t kHour = kOneDay / 24;
  const DeletionCase cases[] = {
      {"plain file",
       [](FakeFiles& f, const AnsiString& p, std::unique_ptr<HeldFile>&) {
         f.AddFile(p, Bytes(1500));
       },
       0, true, ""},
      {"symbolic link out of the folder",
       [&](FakeFiles& f, const AnsiString& p, std::unique_ptr<HeldFile>&) {
         f.AddFileLink(p, outside);
       },
       0, false, ""},
      {"second name of a file outside",
       [&](FakeFiles& f, const AnsiString& p, std::unique_ptr<HeldFile>&) {
         f.AddHardLink(p, outside);
       },
       0, false, ""},
      {"file held open elsewhere",
       [](FakeFiles& f, const AnsiString& p, std::unique_ptr<HeldFile>& held) {
         f.AddFile(p);
         held = f.HoldForReading(p);
       },
       0, false, "Not deleted (in use): "},
      {"read-only file",
       [](FakeFiles& f, const AnsiString& p, std::unique_ptr<HeldFile>&) {
         f.AddFile(p, Bytes(), fileattr::kReadOnly);
       },
       0, false, "Not deleted (read-only): "},
      {"file written an hour ago, limit a day",
       [=](FakeFiles& f, const AnsiString& p, std::unique_ptr<HeldFile>&) {
         f.AddFile(p);
         f.SetLastWriteTime(p, f.CurrentFileTime() - kHour);
       },
       kOneDay, false, ""},
      {"file written two days ago, limit a day",
       [=](FakeFiles& f, const AnsiString& p, std::unique_ptr<HeldFile>&) {
         f.AddFile(p);
         f.SetLastWriteTime(p, f.CurrentFileTime() - 48 * kHour);
       },
       kOneDay, true, ""},
      {"file written in the future, limit a day",
       [=](FakeFiles& f, const AnsiString& p, std::unique_ptr<HeldFile>&) {
         f.AddFile(p);
         f.SetLastWriteTime(p, f.CurrentFileTime() + kHour);
       },
       kOneDay, false, ""},
      {"empty folder",
       [](FakeFiles& f, const AnsiString& p, std::unique_ptr<HeldFile>&) { f.AddFolder(p); }, 0,
       false, ""},
      {"file that turns into a folder before it is opened",
       [](FakeFiles& f, const AnsiString& p, std::unique_ptr<HeldFile>&) {
         f.AddFile(p);
         f.SetSearchHook([&f, p](const FindEntry& entry) {
           if (entry.name == "item.tmp" && f.IsFile(p)) {
             f.Erase(p);
             f.AddFolder(p);
           }
         });
       },
       0, false, ""},
  };
  const AnsiString folder = "C:\\Users\\ann\\AppData\\Local\\Temp\\";
  const AnsiString path = folder + "item.tmp";
  for (const DeletionCase& c : cases) {
    SCOPED_TRACE(c.rule);
    CleanerGround ground;
    FakeFiles& files = ground.fake.files;
    files.AddFile(outside, Bytes{7});
    std::unique_ptr<HeldFile> held;
    c.plant(files, path, held);
    const FileSource source{folder, c.minimumAge, {}};
    const StringList expected = c.goes ? StringList{path} : StringList{};
    const StringList notes = c.note.empty() ? StringList{} : StringList{c.note + path};
    FilesReport scan;
    ground.passes.CleanSource(source, false, scan);
    EXPECT_EQ(scan.files, expected);
    EXPECT_EQ(scan.notes, notes);
    EXPECT_TRUE(files.Exists(path));
    FilesReport clean;
    ground.passes.CleanSource(source, true, clean);
    EXPECT_EQ(clean.files, expected);
    EXPECT_EQ(clean.notes, notes);
    EXPECT_EQ(files.Exists(path), !c.goes);
    EXPECT_EQ(files.Contents(outside), Bytes{7});
    EXPECT_TRUE(files.IsFolder(folder));
  }
}

TEST_F(TemporaryFilesTest, FoldersThatAnotherSourceWalksAreSkipped) {
  const AnsiString temp = "C:\\Users\\ann\\AppData\\Local\\Temp\\";
  files().AddFile(temp + "Cache\\page.htm");
  files().AddFile(temp + "Other\\page.htm");
  FilesReport found;
  ground.passes.CleanSource(FileSource{temp, 0, {temp + "CACHE\\"}}, false, found);
  EXPECT_EQ(found.files, StringList{temp + "Other\\page.htm"});
}

struct NameCase {
  AnsiString name;
  bool listed;
};

TEST_F(TemporaryFilesTest, DesktopIniAndIndexDatAreLeftAloneInAnyCase) {
  const NameCase cases[] = {
      {"desktop.ini", false}, {"Desktop.ini", false},   {"DESKTOP.INI", false},
      {"index.dat", false},   {"INDEX.DAT", false},     {"index.dat.bak", true},
      {"desktop.ini2", true}, {"my desktop.ini", true}, {"index.da", true},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.name);
    CleanerGround local;
    local.fake.files.AddFile(kCache + "Deep\\" + c.name);
    FilesReport found;
    local.passes.CleanDir(kCache, true, found);
    EXPECT_EQ(found.files.size(), c.listed ? 1u : 0u);
    EXPECT_EQ(local.fake.files.Exists(kCache + "Deep\\" + c.name), !c.listed);
    EXPECT_EQ(IsExcludedCacheFile(c.name), !c.listed);
  }
}

// A read-only file stays and is not counted as cleaned.
TEST_F(TemporaryFilesTest, CleanDeletesFilesButKeepsFoldersAndReadOnlyFiles) {
  AddCacheFile("plain.htm");
  AddCacheFile("hidden.dat", fileattr::kHidden);
  AddCacheFile("system.dat", fileattr::kSystem | fileattr::kHidden);
  AddCacheFile("locked.htm", fileattr::kReadOnly);
  AddCacheFile("A\\B\\deep.htm");
  AddCacheFile("A\\desktop.ini", fileattr::kHidden | fileattr::kSystem);
  AddCacheFile("index.dat");
  files().AddFolder(kCache + "Empty");

  EXPECT_EQ(Clean().size(), 4u);
  EXPECT_FALSE(files().Exists(kCache + "plain.htm"));
  EXPECT_FALSE(files().Exists(kCache + "hidden.dat"));
  EXPECT_FALSE(files().Exists(kCache + "system.dat"));
  EXPECT_FALSE(files().Exists(kCache + "A\\B\\deep.htm"));
  EXPECT_TRUE(files().IsFile(kCache + "locked.htm"));
  EXPECT_TRUE(files().IsFile(kCache + "A\\desktop.ini"));
  EXPECT_TRUE(files().IsFile(kCache + "index.dat"));
  for (const char* folder : {"A", "A\\B", "Empty"})
    EXPECT_TRUE(files().IsFolder(kCache + folder)) << folder;
  EXPECT_TRUE(files().IsFolder(kCache));
}

TEST_F(TemporaryFilesTest, NothingOutsideTheCacheFolderIsTouched) {
  const AnsiString parent = "C:\\Documents and Settings\\ann\\Local Settings\\";
  files().AddFile(parent + "settings.ini");
  files().AddFile(parent + "Temporary Internet Files Old\\keep.htm");
  files().AddFile(parent + "Temporary Internet Filesx");
  files().AddFile("C:\\Documents and Settings\\ann\\My Documents\\letter.doc");
  AddCacheFile("a.htm");
  Clean();
  EXPECT_TRUE(files().IsFile(parent + "settings.ini"));
  EXPECT_TRUE(files().IsFile(parent + "Temporary Internet Files Old\\keep.htm"));
  EXPECT_TRUE(files().IsFile(parent + "Temporary Internet Filesx"));
  EXPECT_TRUE(files().IsFile("C:\\Documents and Settings\\ann\\My Documents\\letter.doc"));
  EXPECT_EQ(files().RemoveCount(), 1u);
}

TEST_F(TemporaryFilesTest, JunctionsAreNotFollowed) {
  files().AddFile("C:\\Users\\ann\\Documents\\thesis.doc");
  AddCacheFile("a.htm");
  files().AddJunction(kCache + "Documents", "C:\\Users\\ann\\Documents");
  files().AddJunction(kCache + "Loop", kCache);
  EXPECT_EQ(Clean(), StringList{kCache + "a.htm"});
  EXPECT_TRUE(files().IsFile("C:\\Users\\ann\\Documents\\thesis.doc"));
  EXPECT_TRUE(files().IsFolder(kCache + "Documents"));
}

TEST_F(TemporaryFilesTest, EmptyOrMissingCacheFolderYieldsNothing) {
  files().AddFolder(kCache);
  EXPECT_TRUE(Scan().empty());
  EXPECT_TRUE(Scan("C:\\Missing\\Temporary Internet Files\\").empty());
  EXPECT_EQ(files().OpenSearchCount(), 0u);
}

TEST_F(TemporaryFilesTest, ProgressShowsTheFolderOfEachFile) {
  AddCacheFile("a.htm");
  AddCacheFile("Sub\\b.htm");
  AddCacheFile("Sub\\c.htm");
  AddCacheFile("desktop.ini");
  Scan();
  EXPECT_EQ(ground.progress.folders,
            (StringList{kCache, kCache + "Sub\\", kCache + "Sub\\", kCache}));
}

// The window stays responsive while a folder is emptied: messages run before every deletion.
TEST_F(TemporaryFilesTest, MessagesRunBeforeEveryDeletion) {
  for (int i = 0; i < 20; ++i)
    AddCacheFile("Sub\\" + std::to_string(i) + ".htm");
  std::vector<std::size_t> removedAtPump;
  ground.fake.pump.OnEveryCall([&] { removedAtPump.push_back(files().RemoveCount()); });
  ASSERT_EQ(Clean().size(), 20u);
  ASSERT_EQ(files().RemoveCount(), 20u);
  removedAtPump.push_back(files().RemoveCount());
  EXPECT_EQ(removedAtPump.front(), 0u);
  for (std::size_t i = 1; i < removedAtPump.size(); ++i)
    EXPECT_LE(removedAtPump[i] - removedAtPump[i - 1], 1u) << "two deletions without a pump";
}

// The tree of the stop tests: files at several depths, in a known full order.
void PlantStopTree(FakeFiles& files) {
  for (const char* relative :
       {"1.htm", "A\\2.htm", "A\\B\\3.htm", "A\\B\\4.htm", "A\\5.htm", "6.htm", "C\\7.htm"})
    files.AddFile(kCache + relative);
}

TEST_F(TemporaryFilesTest, StopAtAnyPumpLeavesEverythingNotYetReachedUntouched) {
  PlantStopTree(files());
  const StringList order = Scan();
  ASSERT_EQ(order.size(), 7u);
  const std::size_t pumpsOfFullPass = ground.fake.pump.CallCount();
  for (std::size_t stopAt = 1; stopAt <= pumpsOfFullPass; ++stopAt) {
    SCOPED_TRACE(stopAt);
    CleanerGround local;
    PlantStopTree(local.fake.files);
    local.StopOnPump(stopAt);
    FilesReport report;
    local.passes.CleanDir(kCache, true, report);
    const StringList& cleaned = report.files;
    ASSERT_LE(cleaned.size(), order.size());
    EXPECT_TRUE(std::equal(cleaned.begin(), cleaned.end(), order.begin()));
    for (std::size_t i = 0; i < order.size(); ++i)
      EXPECT_EQ(local.fake.files.Exists(order[i]), i >= cleaned.size()) << order[i];
    EXPECT_EQ(local.fake.files.OpenSearchCount(), 0u);
    EXPECT_EQ(local.fake.files.InvalidCloseCount(), 0u);
  }
}

// After a stop, each level meets the cleared flag at its next entry and closes its own search.
TEST_F(TemporaryFilesTest, StopInTheDeepestFolderUnwindsOneLevelAtATime) {
  AddCacheFile("A\\B\\C\\deep.htm");
  AddCacheFile("A\\B\\after-b.htm");
  AddCacheFile("A\\after-a.htm");
  AddCacheFile("after-top.htm");
  std::size_t openAtStop = 0;
  files().SetSearchHook([&](const FindEntry& entry) {
    if (entry.name == "deep.htm") {
      ground.busy = false;
      openAtStop = files().OpenSearchCount();
    }
  });
  const StringList found = Clean();
  EXPECT_TRUE(found.empty());
  EXPECT_TRUE(files().IsFile(kCache + "A\\B\\C\\deep.htm"));
  EXPECT_EQ(openAtStop, 4u);
  EXPECT_EQ(files().MaxOpenSearchCount(), 4u);
  EXPECT_EQ(files().OpenSearchCount(), 0u);
  EXPECT_TRUE(files().IsFile(kCache + "A\\B\\after-b.htm"));
  EXPECT_TRUE(files().IsFile(kCache + "A\\after-a.htm"));
  EXPECT_TRUE(files().IsFile(kCache + "after-top.htm"));
}

TEST_F(TemporaryFilesTest, FoldersHundredsOfLevelsDeepAreWalkedWithoutExhaustingTheStack) {
  AnsiString relative;
  for (int level = 0; level < 600; ++level)
    relative += "d" + std::to_string(level) + "\\";
  AddCacheFile(relative + "bottom.htm");
  AddCacheFile("top.htm");
  const StringList found = Clean();
  EXPECT_EQ(found, (StringList{kCache + relative + "bottom.htm", kCache + "top.htm"}));
  EXPECT_FALSE(files().Exists(kCache + relative + "bottom.htm"));
  EXPECT_TRUE(files().IsFolder(kCache + relative));
  EXPECT_EQ(files().MaxOpenSearchCount(), 601u);
  EXPECT_EQ(files().OpenSearchCount(), 0u);
}

TEST_F(TemporaryFilesTest, LongNamesAndNamesWithHighBytesAreHandledAsAnyOther) {
  const AnsiString longName(240, 'x');
  const AnsiString accented = "caf\xe9 \xc4\xd6\xdc\xff.htm";
  AddCacheFile(longName + "\\" + longName + "\\" + longName + ".htm");
  AddCacheFile("\xe4\xf6\\" + accented);
  AddCacheFile("\x81\x8d\x8f.tmp");
  EXPECT_EQ(Clean(), (StringList{kCache + longName + "\\" + longName + "\\" + longName + ".htm",
                                 kCache + "\xe4\xf6\\" + accented, kCache + "\x81\x8d\x8f.tmp"}));
  EXPECT_EQ(files().RemoveCount(), 3u);
}

TEST_F(TemporaryFilesTest, FileThatVanishesBeforeItsDeletionIsNotCounted) {
  AddCacheFile("gone.htm");
  AddCacheFile("kept.htm");
  files().SetSearchHook([&](const FindEntry& entry) {
    if (entry.name == "gone.htm")
      files().Erase(kCache + "gone.htm");
  });
  EXPECT_EQ(Clean(), (StringList{kCache + "kept.htm"}));
  EXPECT_EQ(files().RemoveCount(), 1u);
}

TEST_F(TemporaryFilesTest, FolderThatVanishesBeforeItIsEnteredContributesNothing) {
  AddCacheFile("Sub\\inner.htm");
  AddCacheFile("after.htm");
  files().SetSearchHook([&](const FindEntry& entry) {
    if (entry.name == "Sub")
      files().Erase(kCache + "Sub");
  });
  EXPECT_EQ(Clean(), StringList{kCache + "after.htm"});
  EXPECT_EQ(files().OpenSearchCount(), 0u);
}

// A plain file whose deletion is only written down.
class RecordedFile : public OpenedFile {
 public:
  RecordedFile(AnsiString path, StringList& removed) : path_(std::move(path)), removed_(removed) {}
  const FileDetails& Details() const override { return details_; }
  std::uint32_t Delete() override {
    removed_.push_back(path_);
    return fileerror::kNone;
  }

 private:
  AnsiString path_;
  StringList& removed_;
  FileDetails details_{fileattr::kArchive, 0, 0, 1};
};

// A file system that returns whatever names it is given, as a damaged or hostile one might.
class ScriptedFolder : public FakeFiles {
 public:
  explicit ScriptedFolder(std::vector<FindEntry> entries) : entries_(std::move(entries)) {}
  bool FindFirst(const AnsiString& pattern, std::uint32_t, FindHandle& search,
                 FindEntry& entry) override {
    patterns.push_back(pattern);
    if (pattern != kCache + "*.*" || entries_.empty())
      return false;
    next_ = 0;
    search = 1;
    return FindNext(search, entry);
  }
  bool FindNext(FindHandle, FindEntry& entry) override {
    if (next_ == entries_.size())
      return false;
    entry = entries_[next_++];
    return true;
  }
  void FindClose(FindHandle) override {}
  std::uint32_t OpenForDeletion(const AnsiString& path,
                                std::unique_ptr<OpenedFile>& file) override {
    file = std::make_unique<RecordedFile>(path, removed);
    return fileerror::kNone;
  }
  StringList patterns;
  StringList removed;

 private:
  std::vector<FindEntry> entries_;
  std::size_t next_ = 0;
};

TEST(TemporaryFilesOddNames, NamesThatWouldLeaveTheFolderAreNeitherFollowedNorDeleted) {
  const std::uint32_t dir = fileattr::kDirectory;
  ScriptedFolder files({{"..\\..\\Windows", dir},
                        {"...", dir},
                        {"C:", dir},
                        {"..\\boot.ini", 0},
                        {"\\autoexec.bat", 0},
                        {"C:\\x.sys", 0},
                        {"a/b", 0},
                        {"....", 0},
                        {"", 0},
                        {"fine.htm", 0}});
  FakeRegistry registry;
  FakePump pump;
  bool busy = true;
  RecordedProgress progress;
  CleanerPasses passes(files, registry, pump, busy, progress);
  FilesReport found;
  passes.CleanDir(kCache, true, found);
  EXPECT_EQ(found.files, StringList{kCache + "fine.htm"});
  EXPECT_EQ(files.removed, StringList{kCache + "fine.htm"});
  EXPECT_EQ(files.patterns, StringList{kCache + "*.*"});
}

}  // namespace
}  // namespace ql::testing
