// Shared ground of the cleaner's unit tests: a fake platform, the busy flag and recorded progress.
#pragma once

#include <vector>

#include "cleaner/CleanerPasses.h"
#include "platform/fake/FakePlatform.h"

namespace ql::testing {

class RecordedProgress : public CleanerProgress {
 public:
  void ShowFolder(const AnsiString& folder) override { folders.push_back(folder); }
  void ShowKey(const AnsiString& path) override { keys.push_back(path); }
  StringList folders;
  StringList keys;
};

struct CleanerGround {
  FakePlatform fake;
  bool busy = true;
  RecordedProgress progress;
  CleanerPasses passes{fake.files, fake.registry, fake.pump, busy, progress};

  // Clears the busy flag on the given pump call, as a confirmed Stop would.
  void StopOnPump(std::size_t callNumber) {
    fake.pump.OnCall(callNumber, [this] { busy = false; });
  }
};

}  // namespace ql::testing
