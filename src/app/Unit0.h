// Unit0: the few program-wide variables that several windows and subsystems share.
#pragma once

#include <cstdint>

#include "platform/text.h"

namespace ql {

struct MemoryFigures {
  std::uint32_t TotalMB = 0;
  std::uint32_t FreeMB = 0;
  std::uint32_t FreePercent = 0;
};

namespace Unit0 {

extern AnsiString ProgramFolder;  // folder of the executable, no trailing "\"
extern AnsiString UndoFolder;     // always ends with "\"
extern AnsiString WindowsFolder;  // ends with "\"; recomputed at every registry scan
extern AnsiString ProfileFolder;  // ends with "\"; recomputed at every registry scan
// The native program-files folders, each ending with "\"; recomputed at every registry scan.
extern AnsiString ProgramFilesFolder;
extern AnsiString ProgramFilesX86Folder;
extern AnsiString CommonFilesFolder;
extern AnsiString CommonFilesX86Folder;
extern bool ShowMinimized;
extern bool DisableMemoryManagement;
extern bool MemoryBusy;
extern MemoryFigures CurrentMemory;
extern std::int32_t CpuLoad;

// Puts every variable back to its value before start-up (tests call it between cases).
void Reset();

}  // namespace Unit0
}  // namespace ql
