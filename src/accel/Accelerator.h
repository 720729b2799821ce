// The foreground program accelerator: raises the program in front to the high priority class.
#pragma once

#include <cstdint>

#include "accel/AccelView.h"
#include "accel/MemoryState.h"
#include "platform/processes.h"
#include "platform/system.h"

namespace ql {

struct DotPosition {
  int left = 0;
  int top = 0;
};

// Where the animation dot sits for an orbit angle in degrees: a circle of 44 pixels about the
// program icon, starting below it.
DotPosition OrbitDotPosition(std::int32_t angleDegrees);

class Accelerator {
 public:
  static constexpr std::int32_t kLoadLimit = 75;

  // The memory state is read for its busy flag and the load; it must outlive the accelerator.
  Accelerator(Processes& processes, Clock& clock, AccelView& view, const MemoryState& memory);
  Accelerator(const Accelerator&) = delete;
  Accelerator& operator=(const Accelerator&) = delete;
  // However the program ends, also through an exception out of its message loop, the raised
  // program gets its class back.
  ~Accelerator();

  // The state at start-up: nothing raised, the action time now, the dot at its start.
  void Reset();
  // One tick of the 500 ms timer.
  void ProcessTimerEvent();
  // Gives the last raised process the class it had before, through the handle held since the
  // raise; a process that has ended since is not reached, nor one that got its identifier.
  void ReturnLastPriority();
  // The Windows session ends: the class is given back, and the raise forgotten, so that the
  // program in front is raised again should the session go on.
  void EndSession();
  // The number of running processes; 0 when no snapshot can be taken.
  int CountProcesses();

  std::uint32_t LastProcessId = 0;
  std::uint32_t LastPriorityClass = priority::kNormal;
  WindowId LastWindow = 0;
  AnsiString LastProgramPath;
  double LastActionTime = 0;  // time of day as a fraction of a day; shared with the memory manager
  std::int32_t OrbitAngle = 0;

 private:
  void MoveDot();
  void Raise(WindowId window, std::uint32_t processId);
  AnsiString ReadProgramPath(std::uint32_t processId);

  Processes& processes_;
  Clock& clock_;
  AccelView& view_;
  const MemoryState& memory_;
  HeldProcess raised_;  // open while LastProcessId is raised
};

}  // namespace ql
