// The state the whole program shares: made once at start-up, filled by the settings and handed
// to each window and subsystem that needs a part of it.
#pragma once

#include "accel/MemoryState.h"
#include "platform/text.h"

namespace ql {

struct ProgramState {
  AnsiString ProgramFolder;  // folder of the executable, no trailing "\"
  AnsiString UndoFolder;     // ends with "\"; empty when the program folder is unknown
  bool ShowMinimized = false;
  MemoryState Memory;
};

}  // namespace ql
