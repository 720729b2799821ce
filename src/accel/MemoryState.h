// The memory and load figures the memory manager reads, and the flags the accelerator, the memory
// manager and the main window share.
#pragma once

#include <cstdint>

namespace ql {

struct MemoryFigures {
  std::uint32_t TotalMB = 0;
  std::uint32_t FreeMB = 0;
  std::uint32_t FreePercent = 0;
};

struct MemoryState {
  bool DisableMemoryManagement = false;
  // Set while a memory pass runs: timers, clicks and the close request wait for it to end.
  bool MemoryBusy = false;
  MemoryFigures CurrentMemory;
  std::int32_t CpuLoad = 0;
};

}  // namespace ql
