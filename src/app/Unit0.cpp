// Unit0: storage of the program-wide variables.
#include "app/Unit0.h"

namespace ql::Unit0 {

AnsiString ProgramFolder;
AnsiString UndoFolder;
AnsiString WindowsFolder;
AnsiString ProfileFolder;
AnsiString ProgramFilesFolder;
AnsiString ProgramFilesX86Folder;
AnsiString CommonFilesFolder;
AnsiString CommonFilesX86Folder;
bool ShowMinimized = false;
bool DisableMemoryManagement = false;
bool MemoryBusy = false;
MemoryFigures CurrentMemory;
std::int32_t CpuLoad = 0;

void Reset() {
  ProgramFolder.clear();
  UndoFolder.clear();
  WindowsFolder.clear();
  ProfileFolder.clear();
  ProgramFilesFolder.clear();
  ProgramFilesX86Folder.clear();
  CommonFilesFolder.clear();
  CommonFilesX86Folder.clear();
  ShowMinimized = false;
  DisableMemoryManagement = false;
  MemoryBusy = false;
  CurrentMemory = MemoryFigures{};
  CpuLoad = 0;
}

}  // namespace ql::Unit0
