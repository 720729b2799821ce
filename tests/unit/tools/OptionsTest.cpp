// Tests of the options rules: the boxes filled from the registry, Save's order and its report.
#include <gtest/gtest.h>

#include "app/OptionChoices.h"
#include "app/Settings.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeSystem.h"
#include "platform/fake/FakeTaskScheduler.h"

namespace ql {
namespace {

constexpr char kRunPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kExecutable[] = "C:\\Program Files\\Quillon\\Quillon.exe";
constexpr char kQuotedExecutable[] = "\"C:\\Program Files\\Quillon\\Quillon.exe\"";
constexpr std::uint32_t kKeySetValue = 0x0002;

class Options : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.AddKey(kCurrentUser, kRunPath);
    system_.SetExecutablePath(kExecutable);
  }
  void TearDown() override { EXPECT_EQ(registry_.OpenHandleCount(), 0u); }
  std::optional<std::uint32_t> Setting(const char* name) const {
    const std::optional<RegValue> value = registry_.GetValue(kCurrentUser, SettingsKey, name);
    if (!value || value->type != regtype::kDword || value->data.size() != 4)
      return std::nullopt;
    return value->data[0] | value->data[1] << 8 | value->data[2] << 16 | value->data[3] << 24;
  }

  FakeRegistry registry_;
  FakeSystem system_;
  FakeTaskScheduler tasks_;
  ProgramState state_;
};

TEST_F(Options, BoxesShowTheRunValueAndTheRunningSettings) {
  state_.ShowMinimized = true;
  OptionChoices choices = ReadOptionChoices(registry_, state_);
  EXPECT_FALSE(choices.startWithSystem);
  EXPECT_TRUE(choices.runMinimized);
  EXPECT_FALSE(choices.disableMemoryManagement);

  registry_.SetString(kCurrentUser, kRunPath, "QUILLON", "C:\\elsewhere\\q.exe");
  state_.ShowMinimized = false;
  state_.Memory.DisableMemoryManagement = true;
  choices = ReadOptionChoices(registry_, state_);
  EXPECT_TRUE(choices.startWithSystem);
  EXPECT_FALSE(choices.runMinimized);
  EXPECT_TRUE(choices.disableMemoryManagement);
}

TEST_F(Options, ARunValueDeletedByHandShowsTheFirstBoxUnticked) {
  ASSERT_EQ(SaveOptions(registry_, system_, tasks_, {true, false, false}, state_),
            "Options are saved!");
  EXPECT_TRUE(ReadOptionChoices(registry_, state_).startWithSystem);
  registry_.RemoveValue(kCurrentUser, kRunPath, "Quillon");
  EXPECT_FALSE(ReadOptionChoices(registry_, state_).startWithSystem);
}

class OptionsRoundTrip : public Options, public ::testing::WithParamInterface<OptionChoices> {};

TEST_P(OptionsRoundTrip, SaveStoresEverythingAndReadsBackTheSame) {
  const OptionChoices saved = GetParam();
  EXPECT_EQ(SaveOptions(registry_, system_, tasks_, saved, state_), "Options are saved!");

  EXPECT_EQ(state_.ShowMinimized, saved.runMinimized);
  EXPECT_EQ(state_.Memory.DisableMemoryManagement, saved.disableMemoryManagement);
  EXPECT_EQ(Setting("ShowMinimized"), std::optional<std::uint32_t>(saved.runMinimized));
  EXPECT_EQ(Setting("DisableMemoryManagement"),
            std::optional<std::uint32_t>(saved.disableMemoryManagement));
  EXPECT_EQ(registry_.HasValue(kCurrentUser, kRunPath, "Quillon"), saved.startWithSystem);
  if (saved.startWithSystem) {
    EXPECT_EQ(registry_.GetString(kCurrentUser, kRunPath, "Quillon"), kQuotedExecutable);
  }

  // A fresh start reads what was saved.
  ProgramState restarted;
  LoadSettings(registry_, restarted);
  const OptionChoices read = ReadOptionChoices(registry_, restarted);
  EXPECT_EQ(read.startWithSystem, saved.startWithSystem);
  EXPECT_EQ(read.runMinimized, saved.runMinimized);
  EXPECT_EQ(read.disableMemoryManagement, saved.disableMemoryManagement);
}

INSTANTIATE_TEST_SUITE_P(
    EveryCombination, OptionsRoundTrip,
    ::testing::Values(OptionChoices{false, false, false}, OptionChoices{true, false, false},
                      OptionChoices{false, true, false}, OptionChoices{false, false, true},
                      OptionChoices{true, true, true}, OptionChoices{true, false, true}));

TEST_F(Options, SavingTwiceLeavesOneRunValueWithTheCurrentPath) {
  registry_.SetString(kCurrentUser, kRunPath, "Quillon", "C:\\Old\\Quillon.exe");
  SaveOptions(registry_, system_, tasks_, {true, false, false}, state_);
  SaveOptions(registry_, system_, tasks_, {true, false, false}, state_);
  EXPECT_EQ(registry_.GetString(kCurrentUser, kRunPath, "Quillon"), kQuotedExecutable);
  EXPECT_EQ(registry_.Values(kCurrentUser, kRunPath).size(), 1u);
}

TEST_F(Options, UntickingRemovesTheRunValueAndLeavesOthers) {
  registry_.SetString(kCurrentUser, kRunPath, "Other", "C:\\other.exe");
  SaveOptions(registry_, system_, tasks_, {true, false, false}, state_);
  EXPECT_EQ(SaveOptions(registry_, system_, tasks_, {false, false, false}, state_),
            "Options are saved!");
  EXPECT_FALSE(registry_.HasValue(kCurrentUser, kRunPath, "Quillon"));
  EXPECT_TRUE(registry_.HasValue(kCurrentUser, kRunPath, "Other"));
}

TEST_F(Options, AMissingRunKeyIsReportedNotClaimedSaved) {
  registry_.DeleteTree(kCurrentUser, kRunPath);
  EXPECT_EQ(SaveOptions(registry_, system_, tasks_, {true, true, false}, state_),
            "Failed to set data for 'Quillon'");
  EXPECT_FALSE(registry_.HasKey(kCurrentUser, kRunPath));
  // The settings are still stored and used.
  EXPECT_TRUE(state_.ShowMinimized);
  EXPECT_EQ(Setting("ShowMinimized"), std::optional<std::uint32_t>(1u));
}

// Only a refused write or delete of the Run value is reported; nothing to delete is a success.
TEST_F(Options, TheStartupEntryIsReportedOnlyWhenItDidNotTake) {
  enum class RunKey { Missing, Present, Refusing };
  struct Case {
    const char* name;
    RunKey runKey;
    bool valueBefore;
    bool tick;
    bool saved;
  };
  const Case cases[] = {
      {"unticked, no Run key", RunKey::Missing, false, false, true},
      {"unticked, no value", RunKey::Present, false, false, true},
      {"unticked, refusing key, no value", RunKey::Refusing, false, false, true},
      {"unticked, refusing key, value", RunKey::Refusing, true, false, false},
      {"unticked, value", RunKey::Present, true, false, true},
      {"ticked, no Run key", RunKey::Missing, false, true, false},
      {"ticked, refusing key", RunKey::Refusing, false, true, false},
  };
  for (const Case& c : cases) {
    FakeRegistry registry;
    if (c.runKey != RunKey::Missing)
      registry.AddKey(kCurrentUser, kRunPath);
    if (c.valueBefore)
      registry.SetString(kCurrentUser, kRunPath, "Quillon", kExecutable);
    if (c.runKey == RunKey::Refusing)
      registry.DenyAccess(kCurrentUser, kRunPath, kKeySetValue);
    EXPECT_EQ(SaveOptions(registry, system_, tasks_, {c.tick, false, false}, state_),
              c.saved ? AnsiString("Options are saved!") : "Failed to set data for 'Quillon'")
        << c.name;
    const bool valueAfter = c.saved ? c.tick : c.valueBefore;
    EXPECT_EQ(valueAfter, registry.HasValue(kCurrentUser, kRunPath, "Quillon")) << c.name;
    EXPECT_EQ(registry.OpenHandleCount(), 0u) << c.name;
  }
}

TEST_F(Options, ASettingsKeyThatRefusesWritesIsReported) {
  registry_.AddKey(kCurrentUser, SettingsKey);
  registry_.DenyAccess(kCurrentUser, SettingsKey, regaccess::kAllAccess);
  EXPECT_EQ(SaveOptions(registry_, system_, tasks_, {false, true, true}, state_),
            "Failed to set data for 'ShowMinimized'");
  // The running program uses the new values all the same.
  EXPECT_TRUE(state_.ShowMinimized);
  EXPECT_TRUE(state_.Memory.DisableMemoryManagement);
}

}  // namespace
}  // namespace ql
