// The memory this process has committed for itself, summed over its address space (Wine leaves
// the private-bytes counter of GetProcessMemoryInfo at 0).
#pragma once

#include <windows.h>

namespace ql {

inline SIZE_T CommittedPrivateBytes() {
  SIZE_T total = 0;
  MEMORY_BASIC_INFORMATION region{};
  const char* address = nullptr;
  while (VirtualQuery(address, &region, sizeof region) == sizeof region) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
      total += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= address)
      break;
    address = next;
  }
  return total;
}

}  // namespace ql
