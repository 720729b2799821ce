// One of each in-memory adapter, wired together.
#include "platform/fake/FakePlatform.h"

namespace ql {

FakePlatform::FakePlatform() : launcher(system, registry, files, codePage) {
  files.AddFolder(system.WindowsDirectory());
  files.AddFolder(system.ShellFolderPath(csidl::kAppData));
  files.AddFolder(system.ShellFolderPath(csidl::kInternetCache));
}

Platform FakePlatform::platform() {
  return platform(registry);
}

Platform FakePlatform::platform(Registry& standIn) {
  return Platform{standIn, files, processes, system, clock, codePage, shell, launcher, pump, tasks};
}

Platform FakePlatform::platform(Launcher& standIn) {
  return Platform{registry, files, processes, system, clock, codePage, shell, standIn, pump, tasks};
}

}  // namespace ql
