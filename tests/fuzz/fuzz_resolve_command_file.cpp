// Fuzzes the resolution of command lines, icon references and paths found in the registry into
// one file path: any text must resolve without a fault, to a path without quotes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/fake/FakeCodePage.h"
#include "platform/fake/FakeFiles.h"
#include "platform/fake/FakeSystem.h"
#include "paths/PathResolution.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ql::FakeCodePage codePage;
  static ql::FakeSystem system;
  static ql::FakeFiles files;
  static const ql::PathFolders folders{"C:\\WINDOWS\\", "C:\\DOCUMENTS AND SETTINGS\\USER\\"};
  const ql::AnsiString text(reinterpret_cast<const char*>(data), size);
  ql::AnsiString file;
  if (ql::ResolveCommandFile(system, codePage, files, text, folders, file) &&
      file.find('"') != ql::AnsiString::npos)
    std::abort();
  return 0;
}
