// Fuzzes the resolution of command lines, icon references and paths found in the registry into
// one file path: any text must resolve without a fault, to a path without quotes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/fake/FakeCodePage.h"
#include "registry/PathResolution.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ql::FakeCodePage codePage;
  static const ql::PathFolders folders{"C:\\WINDOWS\\", "C:\\DOCUMENTS AND SETTINGS\\USER\\"};
  const ql::AnsiString text(reinterpret_cast<const char*>(data), size);
  const ql::AnsiString file = ql::ExtractCommandFile(text, codePage, folders);
  if (file.find('"') != ql::AnsiString::npos)
    std::abort();
  return 0;
}
