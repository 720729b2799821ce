// In-memory program launcher: records every start; stands in for the system registry editor.
#pragma once

#include <vector>

#include "platform/shell.h"

namespace ql {

class FakeSystem;

struct LaunchCall {
  AnsiString program;
  AnsiString commandLine;
  LaunchOptions options;
};

// Only "<Windows folder>\regedit.exe" (any letter case) starts; every other program fails to
// start, as a missing file would.
class FakeLauncher : public Launcher {
 public:
  explicit FakeLauncher(FakeSystem& system) : system_(system) {}

  bool Run(const AnsiString& program, const AnsiString& commandLine,
           const LaunchOptions& options) override;

  const std::vector<LaunchCall>& Calls() const { return calls_; }
  // Makes the next starts fail, as when the registry editor is missing.
  void SetStartFails(bool fails) { startFails_ = fails; }

 private:
  bool IsRegistryEditor(const AnsiString& program);

  FakeSystem& system_;
  std::vector<LaunchCall> calls_;
  bool startFails_ = false;
};

}  // namespace ql
