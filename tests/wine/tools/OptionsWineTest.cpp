// The options rules on Wine's real registry and task scheduler: Save writes the startup entry with
// its logon task and both settings, a fresh start reads them back, and unticking removes the
// startup entry and the task.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "app/OptionChoices.h"
#include "app/Settings.h"
#include "platform/win32/Win32Platform.h"
#include "registry/RegistryHelpers.h"
#include "wine/platform/RegisteredTask.win32.h"

namespace ql {
namespace {

constexpr char kRunPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

bool Holds(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

class OptionsWine : public ::testing::Test {
 protected:
  void SetUp() override { RemoveStartupEntry(); }
  void TearDown() override {
    RemoveStartupEntry();
    tasks_.DeleteTask(kLogonTaskName);
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

  // Wine 8.0 keeps a registered definition's settings but gives back no trigger, an empty
  // principal and an action without its command; Windows gives back all of it.
  void ExpectStartupTask() {
    const std::optional<std::wstring> xml = test::RegisteredTaskXml(u"Quillon");
    ASSERT_TRUE(xml.has_value());
    EXPECT_TRUE(Holds(*xml, L"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>"));
    EXPECT_TRUE(Holds(*xml, L"<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"));
    EXPECT_TRUE(Holds(*xml, L"<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"));
    EXPECT_TRUE(Holds(*xml, L"<Priority>4</Priority>"));
    const bool keptTrigger = !Holds(*xml, L"<Triggers/>");
    const bool keptRunLevel = Holds(*xml, L"<RunLevel>");
    const bool keptCommand = Holds(*xml, L"<Command>");
    std::printf("the scheduler gave back: trigger %d, run level %d, command %d\n", keptTrigger,
                keptRunLevel, keptCommand);
    if (keptTrigger) {
      EXPECT_TRUE(Holds(*xml, L"<LogonTrigger>"));
    }
    if (keptRunLevel) {
      EXPECT_TRUE(Holds(*xml, L"<RunLevel>HighestAvailable</RunLevel>"));
    }
    if (keptCommand) {
      const WideString quoted = codePage_.ToWide('"' + system_.ExecutablePath() + '"');
      EXPECT_TRUE(Holds(*xml, L"<Command>" + std::wstring(quoted.begin(), quoted.end())));
    }
  }

  win32::Win32Registry registry_;
  win32::Win32System system_;
  win32::Win32TaskScheduler tasks_;
  win32::Win32CodePage codePage_;
  ProgramState state_;
};

TEST_F(OptionsWine, SaveAndReadBackThroughTheRegistry) {
  ASSERT_EQ(SaveOptions(registry_, system_, tasks_, {true, true, false}, state_),
            "Options are saved!");
  char data[MAX_PATH] = {};
  DWORD size = sizeof(data);
  ASSERT_EQ(
      RegGetValueA(HKEY_CURRENT_USER, kRunPath, "Quillon", RRF_RT_REG_SZ, nullptr, data, &size),
      ERROR_SUCCESS);
  EXPECT_EQ(data, '"' + system_.ExecutablePath() + '"');
  EXPECT_EQ(Setting("ShowMinimized"), 1u);
  EXPECT_EQ(Setting("DisableMemoryManagement"), 0u);
  ExpectStartupTask();

  ProgramState restarted;
  LoadSettings(registry_, restarted);
  const OptionChoices read = ReadOptionChoices(registry_, restarted);
  EXPECT_TRUE(read.startWithSystem);
  EXPECT_TRUE(read.runMinimized);
  EXPECT_FALSE(read.disableMemoryManagement);

  ASSERT_EQ(SaveOptions(registry_, system_, tasks_, {false, false, true}, state_),
            "Options are saved!");
  EXPECT_FALSE(ReadOptionChoices(registry_, state_).startWithSystem);
  EXPECT_FALSE(test::RegisteredTaskXml(u"Quillon").has_value());
  EXPECT_EQ(Setting("ShowMinimized"), 0u);
  EXPECT_EQ(Setting("DisableMemoryManagement"), 1u);
}

}  // namespace
}  // namespace ql
