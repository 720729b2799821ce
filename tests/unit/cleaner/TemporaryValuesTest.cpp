// Tests of the values pass: the temporary-value rule, the skip words, the walk, deletion, stops.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "CleanerTestSupport.h"
#include "registry/RegistryHelpers.h"

namespace ql::testing {
namespace {

const AnsiString kSoftware = "\\Software\\";

struct RuleCase {
  AnsiString data;
  bool temporary;
};

TEST(TemporaryValueRule, ConditionsHoldInOrder) {
  FakeFiles files;
  files.AddFile("C:\\Docs\\report.doc");
  files.AddFolder("C:\\Windows");
  files.AddFolder("C:\\Data.d");
  const RuleCase cases[] = {
      {"C:\\Docs\\old report.doc", true},
      {"C:\\Docs\\report.doc", false},
      {"c:\\docs\\REPORT.DOC", false},
      {"C:\\Windows\\.", false},
      {"C:\\Data.d", false},
      {"C:\\Data.d\\", false},
      {"C:\\Program Files\\App\\app.exe,0", false},
      {"\"C:\\Program Files\\App\\app.exe\" /s", false},
      {"%SystemRoot%\\x.dll", false},
      {"C:\\PROGRA~1\\App\\a.exe", false},
      {"http://example.com/index.html", false},
      {"A:\\SETUP.EXE", true},
      {"A:\\Docs\\report.doc", true},
      {"a:\\x.txt", false},  // looked up, and there is no drive A: to say it is gone
      {"C:\\.", false},
      {"C:\\a.", true},
      {"C:\\a", false},
      {"C:a.txt", false},
      {"\\\\server\\share\\a.doc", false},
      {"", false},
      {"C:\\Empty\\*.tmp", false},
      {"C:\\Users\\?\\gone.txt", false},
      {"C:\\Caf\xe9\\menu.txt", true},
  };
  for (const RuleCase& c : cases)
    EXPECT_EQ(IsTemporaryValueData(c.data, files), c.temporary) << c.data;
}

TEST(TemporaryValueRule, CapitalAIsNotLookedUpButLowerCaseAIs) {
  FakeFiles files;
  files.AddFile("A:\\present.txt");
  EXPECT_TRUE(IsTemporaryValueData("A:\\present.txt", files));
  files.AddDrive("A:");
  files.AddFile("A:\\present.txt");
  EXPECT_TRUE(IsTemporaryValueData("A:\\present.txt", files));
  EXPECT_FALSE(IsTemporaryValueData("a:\\present.txt", files));
  EXPECT_TRUE(IsTemporaryValueData("a:\\missing.txt", files));
}

struct SkipCase {
  AnsiString path;
  bool skipped;
};

TEST(SkipWords, AnyOfTheNineWordsAnywhereInThePathSkipsTheKey) {
  const SkipCase cases[] = {
      {"\\Software\\", false},
      {"\\Software\\Microsoft\\", true},
      {"\\Software\\Classes\\", true},
      {"\\Software\\Policies\\", true},
      {"\\Software\\McAfee\\", true},
      {"\\Software\\KasperskyLab\\", true},
      {"\\Software\\Hewlett-Packard\\", true},
      {"\\Software\\Autodesk\\", true},
      {"\\Software\\Vendor\\App\\AutoSave\\", true},
      {"\\Software\\Dell\\", true},
      {"\\Software\\Vendor\\OneSync\\", true},
      {"\\Software\\Vendor\\App\\Recent\\", false},
      {"\\Software\\micro soft\\", false},
      {"\\Software\\Syn\xe7\\", false},
  };
  for (const SkipCase& c : cases)
    EXPECT_EQ(HasSkipWord(c.path), c.skipped) << c.path;
}

class TemporaryValuesTest : public ::testing::Test {
 protected:
  StringList Run(bool deleteValues, const AnsiString& path = kSoftware) {
    StringList found;
    ground.passes.CleanApplicationsHistory(kCurrentUser, path, deleteValues, found);
    return found;
  }
  FakeRegistry& registry() { return ground.fake.registry; }
  void SetString(const AnsiString& key, const AnsiString& name, const AnsiString& data,
                 std::uint32_t type = regtype::kString) {
    registry().SetString(kCurrentUser, "Software\\" + key, name, data, type);
  }
  bool Has(const AnsiString& key, const AnsiString& name) {
    return registry().HasValue(kCurrentUser, "Software\\" + key, name);
  }

  CleanerGround ground;
};

TEST_F(TemporaryValuesTest, ListsAndDeletesOnlyStringValuesThatNameNothing) {
  ground.fake.files.AddFile("C:\\Docs\\here.doc");
  SetString("App\\Recent", "File1", "C:\\Docs\\gone.doc");
  SetString("App\\Recent", "File2", "C:\\Docs\\here.doc");
  SetString("App\\Recent", "File3", "C:\\Docs\\gone.txt", regtype::kExpandString);
  SetString("App\\Recent", "", "C:\\Docs\\default.doc");
  registry().SetValue(kCurrentUser, "Software\\App\\Recent", "Multi", regtype::kMultiString,
                      Bytes{'C', ':', '\\', 'x', '.', 'y', 0, 0});
  registry().SetValue(kCurrentUser, "Software\\App\\Recent", "Binary", regtype::kBinary,
                      StringData("C:\\Docs\\gone.doc"));
  registry().SetDword(kCurrentUser, "Software\\App\\Recent", "Count", 3);

  const StringList expected = {"Temporary value: C:\\Docs\\gone.doc",
                               "Temporary value: C:\\Docs\\gone.txt",
                               "Temporary value: C:\\Docs\\default.doc"};
  EXPECT_EQ(Run(false), expected);
  EXPECT_TRUE(Has("App\\Recent", "File1"));
  EXPECT_EQ(Run(true), expected);
  EXPECT_FALSE(Has("App\\Recent", "File1"));
  EXPECT_FALSE(Has("App\\Recent", "File3"));
  EXPECT_FALSE(Has("App\\Recent", ""));
  for (const char* kept : {"File2", "Multi", "Binary", "Count"})
    EXPECT_TRUE(Has("App\\Recent", kept)) << kept;
  EXPECT_TRUE(Run(true).empty());
  EXPECT_EQ(registry().OpenHandleCount(), 0u);
  EXPECT_EQ(registry().InvalidCloseCount(), 0u);
}

TEST_F(TemporaryValuesTest, DataIsTakenUpToItsFirstNulAndNotExpanded) {
  registry().SetValue(kCurrentUser, "Software\\App", "Cut", regtype::kString,
                      Bytes{'C', ':', '\\', 'a', '.', 'b', 0, 'x', 0});
  SetString("App", "Expand", "%TEMP%\\a.b", regtype::kExpandString);
  EXPECT_EQ(Run(false), StringList{"Temporary value: C:\\a.b"});
}

TEST_F(TemporaryValuesTest, WalkIsDepthFirstWithAKeysValuesBeforeItsSubkeys) {
  SetString("B", "v", "C:\\b.x");
  SetString("B\\Inner", "v", "C:\\inner.x");
  SetString("A", "v", "C:\\a.x");
  SetString("A\\Z", "v", "C:\\az.x");
  SetString("A\\Y", "v", "C:\\ay.x");
  SetString("A\\Y\\Deep", "v", "C:\\ayd.x");
  EXPECT_EQ(Run(false), (StringList{"Temporary value: C:\\a.x", "Temporary value: C:\\ay.x",
                                    "Temporary value: C:\\ayd.x", "Temporary value: C:\\az.x",
                                    "Temporary value: C:\\b.x", "Temporary value: C:\\inner.x"}));
  EXPECT_EQ(ground.progress.keys,
            (StringList{"\\Software\\", "\\Software\\A\\", "\\Software\\A\\Y\\",
                        "\\Software\\A\\Y\\Deep\\", "\\Software\\A\\Z\\", "\\Software\\B\\",
                        "\\Software\\B\\Inner\\"}));
}

// Every value under the software key, by key path and name.
std::map<AnsiString, std::set<AnsiString>> AllValues(const FakeRegistry& registry,
                                                     const AnsiString& path = "Software") {
  std::map<AnsiString, std::set<AnsiString>> all;
  for (const RegValue& value : registry.Values(kCurrentUser, path))
    all[path].insert(value.name);
  for (const AnsiString& child : registry.SubKeyNames(kCurrentUser, path)) {
    for (auto& entry : AllValues(registry, path + "\\" + child))
      all[entry.first] = entry.second;
  }
  return all;
}

std::size_t Count(const std::map<AnsiString, std::set<AnsiString>>& values) {
  std::size_t count = 0;
  for (const auto& entry : values)
    count += entry.second.size();
  return count;
}

TEST_F(TemporaryValuesTest, KeysWhosePathHoldsASkipWordAreNeverTouched) {
  const char* skipped[] = {"Microsoft\\Office\\Recent",
                           "Classes\\.txt",
                           "Vendor\\Policies\\Deep",
                           "McAfee",
                           "KasperskyLab\\AVP",
                           "Hewlett-Packard\\Scan",
                           "Autodesk\\Recent",
                           "Vendor\\App\\AutoSave\\Files",
                           "Dell\\Update",
                           "Vendor\\Sync\\Folders"};
  for (const char* key : skipped) {
    SetString(key, "Gone", "C:\\gone\\file.doc");
    SetString(AnsiString(key) + "\\Below", "Gone", "C:\\gone\\below.doc");
  }
  SetString("Vendor\\App", "Gone", "C:\\gone\\taken.doc");
  const auto before = AllValues(registry());
  const StringList found = Run(true);
  EXPECT_EQ(found, StringList{"Temporary value: C:\\gone\\taken.doc"});
  const auto after = AllValues(registry());
  EXPECT_EQ(Count(before) - Count(after), 1u);
  for (const char* key : skipped) {
    EXPECT_TRUE(Has(key, "Gone")) << key;
    EXPECT_TRUE(Has(AnsiString(key) + "\\Below", "Gone")) << key;
  }
  for (const AnsiString& shown : ground.progress.keys)
    EXPECT_FALSE(HasSkipWord(shown)) << shown;
}

TEST_F(TemporaryValuesTest, ValuesDeletedAreExactlyTheValuesListed) {
  ground.fake.files.AddFile("C:\\Docs\\kept.doc");
  const char* datas[] = {
      "C:\\Docs\\kept.doc", "C:\\Docs\\gone.doc", "C:\\x.y,1", "A:\\X.EXE", "short",
      "C:\\no dot\\here",   "C:\\old\\file.txt"};
  int n = 0;
  for (const char* key : {"One", "One\\Two", "Three", "Three\\Microsoft", "Four\\Five\\Six"}) {
    for (const char* data : datas)
      SetString(key, "v" + std::to_string(n++), data);
  }
  const auto before = AllValues(registry());
  std::map<std::pair<AnsiString, AnsiString>, AnsiString> dataBefore;
  for (const auto& entry : before) {
    for (const AnsiString& name : entry.second)
      dataBefore[{entry.first, name}] = registry().GetString(kCurrentUser, entry.first, name);
  }
  const StringList found = Run(true);
  const auto after = AllValues(registry());
  StringList deletedData;
  for (const auto& entry : before) {
    for (const AnsiString& name : entry.second) {
      if (after.count(entry.first) == 0 || after.at(entry.first).count(name) == 0)
        deletedData.push_back("Temporary value: " + dataBefore[{entry.first, name}]);
    }
  }
  EXPECT_EQ(found.size(), 12u);
  std::multiset<AnsiString> listed(found.begin(), found.end());
  EXPECT_EQ(listed, std::multiset<AnsiString>(deletedData.begin(), deletedData.end()));
}

TEST_F(TemporaryValuesTest, KeyRefusingFullAccessIsPassedOverWithItsSubtree) {
  SetString("Locked", "v", "C:\\gone.doc");
  SetString("Locked\\Child", "v", "C:\\gone2.doc");
  SetString("Open", "v", "C:\\gone3.doc");
  registry().DenyAccess(kCurrentUser, "Software\\Locked", 0x00020000);  // READ_CONTROL
  EXPECT_EQ(Run(true), StringList{"Temporary value: C:\\gone3.doc"});
  EXPECT_TRUE(Has("Locked", "v"));
  EXPECT_TRUE(Has("Locked\\Child", "v"));
  EXPECT_EQ(registry().OpenHandleCount(), 0u);
}

TEST_F(TemporaryValuesTest, RefusedDeletionIsStillListed) {
  SetString("ReadOnly", "v", "C:\\gone.doc");
  registry().DenyAccess(kCurrentUser, "Software\\ReadOnly", 0x0002);  // KEY_SET_VALUE
  EXPECT_TRUE(Run(true).empty());  // full access is refused too, so the key is not entered
  EXPECT_TRUE(Has("ReadOnly", "v"));
}

TEST_F(TemporaryValuesTest, StopTakesEffectAtTheNextKeyAfterFinishingTheValuesInHand) {
  SetString("A", "v1", "C:\\a1.x");
  SetString("A", "v2", "C:\\a2.x");
  SetString("A\\Child", "v", "C:\\ac.x");
  SetString("B", "v", "C:\\b.x");
  // Pumps: 1 entering \Software\, 2 entering A, 3 before A's first value.
  ground.StopOnPump(3);
  EXPECT_EQ(Run(true), (StringList{"Temporary value: C:\\a1.x", "Temporary value: C:\\a2.x"}));
  EXPECT_TRUE(Has("A\\Child", "v"));
  EXPECT_TRUE(Has("B", "v"));
  EXPECT_EQ(registry().OpenHandleCount(), 0u);
}

TEST_F(TemporaryValuesTest, StopAtAnyPumpLeavesEverythingNotYetReachedUntouched) {
  const auto plant = [](FakeRegistry& registry) {
    for (const char* key : {"A", "A\\B", "A\\B\\C", "A\\D", "E", "E\\F"}) {
      for (const char* name : {"x", "y"})
        registry.SetString(kCurrentUser, "Software\\" + AnsiString(key), name,
                           "C:\\" + AnsiString(key) + name + ".gone");
    }
  };
  plant(registry());
  const StringList order = Run(false);
  ASSERT_EQ(order.size(), 12u);
  const std::size_t pumps = ground.fake.pump.CallCount();
  for (std::size_t stopAt = 1; stopAt <= pumps; ++stopAt) {
    SCOPED_TRACE(stopAt);
    CleanerGround local;
    plant(local.fake.registry);
    local.StopOnPump(stopAt);
    StringList cleaned;
    local.passes.CleanApplicationsHistory(kCurrentUser, kSoftware, true, cleaned);
    ASSERT_LE(cleaned.size(), order.size());
    EXPECT_TRUE(std::equal(cleaned.begin(), cleaned.end(), order.begin()));
    EXPECT_EQ(Count(AllValues(local.fake.registry)), order.size() - cleaned.size());
    EXPECT_EQ(local.fake.registry.OpenHandleCount(), 0u);
  }
}

TEST_F(TemporaryValuesTest, KeyDeletedBySomeoneElseDuringTheWalkIsPassedOver) {
  SetString("A", "v", "C:\\a.x");
  SetString("B", "v", "C:\\b.x");
  SetString("B\\C", "v", "C:\\bc.x");
  SetString("D", "v", "C:\\d.x");
  // Pump 3 comes before A's value: B is gone by the time the walk reaches it.
  ground.fake.pump.OnCall(3, [&] { registry().DeleteTree(kCurrentUser, "Software\\B"); });
  EXPECT_EQ(Run(true), (StringList{"Temporary value: C:\\a.x", "Temporary value: C:\\d.x"}));
  EXPECT_EQ(registry().OpenHandleCount(), 0u);
}

TEST_F(TemporaryValuesTest, KeyDeletedWhileItsValuesAreExaminedEndsQuietly) {
  SetString("A", "v1", "C:\\a1.x");
  SetString("A", "v2", "C:\\a2.x");
  SetString("A\\Child", "v", "C:\\ac.x");
  SetString("B", "v", "C:\\b.x");
  ground.fake.pump.OnCall(3, [&] { registry().DeleteTree(kCurrentUser, "Software\\A"); });
  EXPECT_EQ(Run(true), StringList{"Temporary value: C:\\b.x"});
  EXPECT_EQ(registry().OpenHandleCount(), 0u);
}

TEST_F(TemporaryValuesTest, ValueThatVanishesBeforeItIsReadIsPassedOver) {
  SetString("A", "v1", "C:\\a1.x");
  SetString("A", "v2", "C:\\a2.x");
  ground.fake.pump.OnCall(3, [&] { registry().RemoveValue(kCurrentUser, "Software\\A", "v2"); });
  EXPECT_EQ(Run(true), StringList{"Temporary value: C:\\a1.x"});
}

// Pump 3 comes before A's first value, after the key's values were listed.
TEST_F(TemporaryValuesTest, ValueChangedSinceTheListingIsJudgedAsItIsNow) {
  ground.fake.files.AddFile("C:\\Docs\\kept.doc");
  SetString("A", "nowKept", "C:\\gone\\a.doc");
  SetString("A", "nowOther", "C:\\gone\\b.doc");
  SetString("A", "nowText", "C:\\gone\\c.doc");
  ground.fake.pump.OnCall(3, [&] {
    SetString("A", "nowKept", "C:\\Docs\\kept.doc");
    SetString("A", "nowOther", "C:\\gone\\other.doc");
    registry().SetDword(kCurrentUser, "Software\\A", "nowText", 7);
  });
  EXPECT_EQ(Run(true), StringList{"Temporary value: C:\\gone\\other.doc"});
  EXPECT_TRUE(Has("A", "nowKept"));
  EXPECT_FALSE(Has("A", "nowOther"));
  EXPECT_TRUE(Has("A", "nowText"));
}

TEST_F(TemporaryValuesTest, KeysHundredsOfLevelsDeepAreWalkedWithoutExhaustingTheStack) {
  AnsiString key = "Deep";
  for (int level = 0; level < 400; ++level)
    key += "\\k" + std::to_string(level);
  SetString(key, "v", "C:\\bottom.x");
  SetString("Next", "v", "C:\\next.x");
  EXPECT_EQ(Run(true),
            (StringList{"Temporary value: C:\\bottom.x", "Temporary value: C:\\next.x"}));
  EXPECT_EQ(registry().MaxOpenHandleCount(), 402u);  // Software, Deep and 400 levels
  EXPECT_EQ(registry().OpenHandleCount(), 0u);
}

TEST_F(TemporaryValuesTest, NamesAndDataWithHighBytesAreHandledAsAnyOther) {
  SetString("Caf\xe9\\\xc4pfel", "N\xe4me", "C:\\M\xfcll\\alt.doc");
  EXPECT_EQ(Run(true), StringList{"Temporary value: C:\\M\xfcll\\alt.doc"});
  EXPECT_FALSE(Has("Caf\xe9\\\xc4pfel", "N\xe4me"));
}

TEST_F(TemporaryValuesTest, NothingOutsideTheStartKeyIsTouched) {
  registry().SetString(kCurrentUser, "Environment", "v", "C:\\gone.x");
  registry().SetString(kLocalMachine, "Software\\App", "v", "C:\\gone.x");
  SetString("App", "v", "C:\\gone.x");
  EXPECT_EQ(Run(true).size(), 1u);
  EXPECT_TRUE(registry().HasValue(kCurrentUser, "Environment", "v"));
  EXPECT_TRUE(registry().HasValue(kLocalMachine, "Software\\App", "v"));
}

}  // namespace
}  // namespace ql::testing
