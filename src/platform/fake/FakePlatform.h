// One of each in-memory adapter, wired together, and the Platform bundle that refers to them.
#pragma once

#include "platform/fake/FakeCodePage.h"
#include "platform/fake/FakeFiles.h"
#include "platform/fake/FakeLauncher.h"
#include "platform/fake/FakeProcesses.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeShell.h"
#include "platform/fake/FakeSystem.h"
#include "platform/fake/FakeTaskScheduler.h"
#include "platform/platform.h"

namespace ql {

// The Windows folder and the two shell folders the fake system names exist on drive C:.
struct FakePlatform {
  FakePlatform();
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  Platform platform();
  // The same bundle with one port stood in for, for tests that watch or bend that port.
  Platform platform(Registry& standIn);
  Platform platform(Launcher& standIn);

  FakeCodePage codePage;
  FakeRegistry registry;
  FakeFiles files;
  FakeProcesses processes;
  FakeSystem system;
  FakeClock clock;
  FakeShell shell;
  FakeLauncher launcher;
  FakePump pump;
  FakeTaskScheduler tasks;
};

}  // namespace ql
