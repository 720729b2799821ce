// A stand-in registry editor for the fix tests: records its command lines, writes a prepared
// export file or leaves the work to the fake registry editor, and runs a probe while it runs.
#pragma once

#include <functional>
#include <optional>

#include "platform/fake/FakePlatform.h"
#include "platform/shell.h"

namespace ql {

class ScriptedRegEdit : public Launcher {
 public:
  explicit ScriptedRegEdit(FakePlatform& fake) : fake_(fake) {}

  LaunchResult Run(const AnsiString& program, const AnsiString& commandLine,
                   const LaunchOptions& options) override {
    programs.push_back(program);
    commandLines.push_back(commandLine);
    lastOptions = options;
    if (duringRun)
      duringRun();
    if (exportBytes && commandLine.rfind("/s /e \"", 0) == 0) {
      const std::size_t end = commandLine.find('"', 7);
      fake_.files.WriteWholeFile(commandLine.substr(7, end - 7), *exportBytes);
      return LaunchResult::kEnded;
    }
    return fake_.launcher.Run(program, commandLine, options);
  }

  std::optional<Bytes> exportBytes;
  std::function<void()> duringRun;
  StringList programs;
  StringList commandLines;
  LaunchOptions lastOptions;

 private:
  FakePlatform& fake_;
};

}  // namespace ql
