// A stand-in registry editor for the fix tests: records its command lines, writes a prepared
// export file and runs a probe while it "imports".
#pragma once

#include <functional>
#include <optional>

#include "platform/fake/FakeFiles.h"
#include "platform/shell.h"

namespace ql {

class ScriptedRegEdit : public Launcher {
 public:
  explicit ScriptedRegEdit(FakeFiles& files) : files_(files) {}

  bool Run(const AnsiString& program, const AnsiString& commandLine,
           const LaunchOptions& options) override {
    programs.push_back(program);
    commandLines.push_back(commandLine);
    lastOptions = options;
    if (exportBytes && commandLine.rfind("/s /e \"", 0) == 0) {
      const std::size_t end = commandLine.find('"', 7);
      files_.WriteWholeFile(commandLine.substr(7, end - 7), *exportBytes);
    }
    if (duringRun)
      duringRun();
    return true;
  }

  std::optional<Bytes> exportBytes;
  std::function<void()> duringRun;
  StringList programs;
  StringList commandLines;
  LaunchOptions lastOptions;

 private:
  FakeFiles& files_;
};

}  // namespace ql
