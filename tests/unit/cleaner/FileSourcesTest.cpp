// Tests of the guards of the cleaner's file sources: each source names the folder it may touch,
// and a source whose folder is not that folder, or lies elsewhere through a junction, is skipped.
#include <gtest/gtest.h>

#include <functional>

#include "cleaner/FileSources.h"
#include "platform/fake/FakePlatform.h"

namespace ql::testing {
namespace {

const AnsiString kLocal = "C:\\Users\\ann\\AppData\\Local\\";
const AnsiString kTemp = kLocal + "Temp\\";
const AnsiString kInternetCache = kLocal + "Microsoft\\Windows\\INetCache\\";
const AnsiString kChrome = kLocal + "Google\\Chrome\\User Data\\";
const AnsiString kEdge = kLocal + "Microsoft\\Edge\\User Data\\";
const AnsiString kFirefox = kLocal + "Mozilla\\Firefox\\Profiles\\";

struct GuardCase {
  const char* what;
  std::function<void(FakeFiles&)> plant;
  StringList sources;  // the folders of the sources found, temporary folder first
  AnsiString temporary = kTemp;
  AnsiString local = kLocal;
  AnsiString walkedByFirstPass;
};

void Folders(FakeFiles& files, const StringList& folders) {
  for (const AnsiString& folder : folders)
    files.AddFile(folder + "f_000001");
}

TEST(FileSourceGuards, EachSourceCleansOnlyTheFolderItNames) {
  const AnsiString none;
  const GuardCase cases[] = {
      {"temporary folder", [](FakeFiles& f) { Folders(f, {kTemp}); }, {kTemp}, kTemp, kLocal, none},
      {"temporary folder at the root of a drive",
       [](FakeFiles& f) { Folders(f, {"C:\\"}); },
       {},
       "C:\\",
       kLocal,
       none},
      {"temporary folder named after the Windows folder",
       [](FakeFiles& f) { Folders(f, {"C:\\Windows\\"}); },
       {},
       "C:\\Windows",
       kLocal,
       none},
      {"temporary folder without a drive",
       [](FakeFiles& f) { Folders(f, {kTemp}); },
       {},
       "Users\\ann\\AppData\\Local\\Temp\\",
       kLocal,
       none},
      {"temporary folder that is a junction to elsewhere",
       [](FakeFiles& f) {
         Folders(f, {"D:\\Work\\"});
         f.AddJunction(kTemp, "D:\\Work");
       },
       {},
       kTemp,
       kLocal,
       none},
      {"internet cache of Windows 8",
       [](FakeFiles& f) { Folders(f, {kInternetCache}); },
       {kInternetCache},
       kTemp,
       kLocal,
       none},
      {"internet cache that the first pass walks",
       [](FakeFiles& f) { Folders(f, {kInternetCache}); },
       {},
       kTemp,
       kLocal,
       kInternetCache},
      {"every cache of every Chrome and Edge profile",
       [](FakeFiles& f) {
         Folders(f, {kChrome + "Default\\Cache\\", kChrome + "Default\\Code Cache\\",
                     kChrome + "Default\\GPUCache\\", kChrome + "Default\\Local Storage\\",
                     kEdge + "Profile 1\\Cache\\"});
       },
       {kEdge + "Profile 1\\Cache\\", kChrome + "Default\\Cache\\",
        kChrome + "Default\\Code Cache\\", kChrome + "Default\\GPUCache\\"},
       kTemp,
       kLocal,
       none},
      {"Firefox profile",
       [](FakeFiles& f) { Folders(f, {kFirefox + "x1.default\\cache2\\"}); },
       {kFirefox + "x1.default\\cache2\\"},
       kTemp,
       kLocal,
       none},
      {"browser data folder that is a junction",
       [](FakeFiles& f) {
         Folders(f, {"D:\\Data\\Default\\Cache\\"});
         f.AddJunction(kLocal + "Google\\Chrome\\User Data", "D:\\Data");
       },
       {},
       kTemp,
       kLocal,
       none},
      {"profile that is a junction",
       [](FakeFiles& f) {
         Folders(f, {"D:\\Profile\\Cache\\", kFirefox + "x1.default\\cache2\\"});
         f.AddJunction(kEdge + "Default", "D:\\Profile");
       },
       {kFirefox + "x1.default\\cache2\\"},
       kTemp,
       kLocal,
       none},
      {"cache folder that is a junction",
       [](FakeFiles& f) {
         Folders(f, {"D:\\Documents\\"});
         f.AddFolder(kChrome + "Default");
         f.AddJunction(kChrome + "Default\\Cache", "D:\\Documents");
       },
       {},
       kTemp,
       kLocal,
       none},
      {"local application data folder without a drive",
       [](FakeFiles& f) { Folders(f, {kChrome + "Default\\Cache\\"}); },
       {},
       kTemp,
       "Users\\ann\\AppData\\Local",
       none},
  };
  for (const GuardCase& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform fake;
    fake.files.AddDrive("D:");
    c.plant(fake.files);
    StringList found;
    for (const FileSource& source :
         TemporaryFolderSources(fake.files, c.temporary, {kInternetCache})) {
      found.push_back(source.folder);
      EXPECT_EQ(source.minimumAge, kOneDay);
    }
    const BrowserCaches caches =
        FindBrowserCaches(fake.files, fake.processes, c.local, kInternetCache, c.walkedByFirstPass);
    for (const FileSource& source : caches.sources)
      found.push_back(source.folder);
    EXPECT_EQ(found, c.sources);
  }
}

}  // namespace
}  // namespace ql::testing
