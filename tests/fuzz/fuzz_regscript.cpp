// libFuzzer target: any bytes given to the registry-script import, then an export round trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/fake/FakeCodePage.h"
#include "platform/fake/RegEditFiles.h"

namespace {

ql::WideString ExportEveryRoot(ql::FakeRegistry& registry, ql::CodePage& codePage) {
  ql::WideString text = ql::RegScriptExportHeader();
  for (ql::RegRoot root : {ql::kLocalMachine, ql::kCurrentUser, ql::kClassesRoot})
    ql::AppendRegKeyText(registry, codePage, root, "", text);
  return text;
}

}  // namespace

// Whatever the input, the import must not crash or leak handles, and what it built must come back
// unchanged through an export and a second import.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ql::FakeCodePage codePage;
  ql::FakeRegistry registry;
  ql::ImportRegScript(registry, codePage, ql::Bytes(data, data + size));
  if (registry.OpenHandleCount() != 0)
    std::abort();
  const ql::WideString exported = ExportEveryRoot(registry, codePage);
  ql::FakeRegistry copy;
  if (!ql::ImportRegScript(copy, codePage, ql::EncodeUtf16File(exported)))
    std::abort();
  if (ExportEveryRoot(copy, codePage) != exported || copy.KeyCount() != registry.KeyCount())
    std::abort();
  return 0;
}
