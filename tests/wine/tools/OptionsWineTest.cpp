// The options rules on Wine's real registry: Save writes the startup entry and both settings, a
// fresh start reads them back, and unticking removes the startup entry.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/OptionChoices.h"
#include "app/Settings.h"
#include "platform/win32/Win32Platform.h"
#include "registry/RegistryHelpers.h"

namespace ql {
namespace {

constexpr char kRunPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

class OptionsWine : public ::testing::Test {
 protected:
  void SetUp() override { RemoveStartupEntry(); }
  void TearDown() override {
    RemoveStartupEntry();
    RegDeleteKeyA(HKEY_CURRENT_USER, SettingsKey);
  }
  void RemoveStartupEntry() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunPath, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueA(key, "Quillon");
      RegCloseKey(key);
    }
  }
  DWORD Setting(const char* name) {
    DWORD value = 0xFFFFFFFF;
    DWORD size = sizeof(value);
    RegGetValueA(HKEY_CURRENT_USER, SettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
  }

  win32::Win32Registry registry_;
  win32::Win32System system_;
  ProgramState state_;
};

TEST_F(OptionsWine, SaveAndReadBackThroughTheRegistry) {
  ASSERT_EQ(SaveOptions(registry_, system_, {true, true, false}, state_), "Options are saved!");
  char data[MAX_PATH] = {};
  DWORD size = sizeof(data);
  ASSERT_EQ(
      RegGetValueA(HKEY_CURRENT_USER, kRunPath, "Quillon", RRF_RT_REG_SZ, nullptr, data, &size),
      ERROR_SUCCESS);
  EXPECT_STREQ(data, system_.ExecutablePath().c_str());
  EXPECT_EQ(Setting("ShowMinimized"), 1u);
  EXPECT_EQ(Setting("DisableMemoryManagement"), 0u);

  ProgramState restarted;
  LoadSettings(registry_, restarted);
  const OptionChoices read = ReadOptionChoices(registry_, restarted);
  EXPECT_TRUE(read.startWithSystem);
  EXPECT_TRUE(read.runMinimized);
  EXPECT_FALSE(read.disableMemoryManagement);

  ASSERT_EQ(SaveOptions(registry_, system_, {false, false, true}, state_), "Options are saved!");
  EXPECT_FALSE(ReadOptionChoices(registry_, state_).startWithSystem);
  EXPECT_EQ(Setting("ShowMinimized"), 0u);
  EXPECT_EQ(Setting("DisableMemoryManagement"), 1u);
}

}  // namespace
}  // namespace ql
