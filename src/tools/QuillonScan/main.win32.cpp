// QuillonScan.exe: the console entry point, wired to the real registry, files and regedit.
#include <iostream>

#include "platform/win32/Win32Platform.h"
#include "tools/QuillonScan/ScanCommand.h"

namespace {

// A console program has no windows whose messages would wait.
class ConsolePump final : public ql::Pump {
 public:
  void ProcessMessages() override {}
};

}  // namespace

int main(int argc, char** argv) {
  ql::StringList arguments(argv + 1, argv + argc);
  ConsolePump pump;
  ql::win32::Win32Platform system;
  ql::Platform platform = system.platform(pump);
  return ql::RunScanCommand(arguments, platform, std::cout, std::cerr);
}
