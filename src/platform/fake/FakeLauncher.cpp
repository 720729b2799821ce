// In-memory program launcher.
#include "platform/fake/FakeLauncher.h"

#include "platform/fake/FakeCodePage.h"
#include "platform/fake/FakeSystem.h"

namespace ql {

bool FakeLauncher::IsRegistryEditor(const AnsiString& program) {
  AnsiString folder = system_.WindowsDirectory();
  if (folder.empty() || folder.back() != '\\')
    folder += '\\';
  return UpperCase1252(program) == UpperCase1252(folder + "regedit.exe");
}

bool FakeLauncher::Run(const AnsiString& program, const AnsiString& commandLine,
                       const LaunchOptions& options) {
  calls_.push_back(LaunchCall{program, commandLine, options});
  return !startFails_ && IsRegistryEditor(program);
}

}  // namespace ql
