// QuillonScan.exe: the console entry point, wired to the real registry, files and regedit.
#include <cstdio>

#include "platform/win32/Win32Platform.h"
#include "tools/QuillonScan/ScanCommand.h"

namespace {

// A console program has no windows whose messages would wait.
class ConsolePump final : public ql::Pump {
 public:
  void ProcessMessages() override {}
};

void Print(const ql::AnsiString& text, std::FILE* stream) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace

int main(int argc, char** argv) {
  ql::StringList arguments(argv + 1, argv + argc);
  ConsolePump pump;
  ql::win32::Win32Platform system;
  ql::Platform platform = system.platform(pump);
  ql::AnsiString out;
  ql::AnsiString err;
  const int exitCode = ql::RunScanCommand(arguments, platform, out, err);
  Print(out, stdout);
  Print(err, stderr);
  return exitCode;
}
