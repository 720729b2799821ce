// The foreground program accelerator: raises the program in front to the high priority class.
#include "accel/Accelerator.h"

#include <cmath>
#include <utility>

namespace ql {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr int kOrbitCentreLeft = 416;
constexpr int kOrbitCentreTop = 70;
constexpr double kOrbitRadius = 44;
constexpr std::int32_t kOrbitStep = 20;

// Rounds to the nearest integer, halves to even (the default rounding mode).
int RoundHalfEven(double value) {
  return static_cast<int>(std::nearbyint(value));
}
}  // namespace

DotPosition OrbitDotPosition(std::int32_t angleDegrees) {
  const double a = angleDegrees * kPi / 180;
  return DotPosition{kOrbitCentreLeft + RoundHalfEven(std::sin(a) * kOrbitRadius),
                     kOrbitCentreTop + RoundHalfEven(std::cos(a) * kOrbitRadius)};
}

Accelerator::Accelerator(Processes& processes, Clock& clock, AccelView& view,
                         const MemoryState& memory)
    : processes_(processes), clock_(clock), view_(view), memory_(memory) {}

Accelerator::~Accelerator() {
  ReturnLastPriority();
}

void Accelerator::Reset() {
  ReturnLastPriority();
  LastProcessId = 0;
  LastPriorityClass = priority::kNormal;
  LastWindow = 0;
  LastProgramPath.clear();
  LastActionTime = clock_.TimeOfDay();
  OrbitAngle = 0;
}

void Accelerator::ProcessTimerEvent() {
  MoveDot();
  if (memory_.MemoryBusy)
    return;
  const WindowId window = processes_.ForegroundWindow();
  if (window == 0 || window == LastWindow)
    return;
  const std::uint32_t processId = processes_.WindowProcessId(window);
  if (processId == LastProcessId)
    return;
  ReturnLastPriority();
  if (memory_.CpuLoad > kLoadLimit)
    return;
  Raise(window, processId);
}

void Accelerator::MoveDot() {
  OrbitAngle -= kOrbitStep;
  const DotPosition dot = OrbitDotPosition(OrbitAngle);
  view_.MoveDot(dot.left, dot.top);
  if (OrbitAngle == -360)
    OrbitAngle = 0;
}

// The process is opened once with the rights that reading, raising and later lowering its class
// need, and held while it is raised. A process that refuses them is recorded and shown but not
// raised; its class is still read, through a handle of its own, when the query right is granted.
// A class that cannot be read could not be given back, so such a process is not raised either.
void Accelerator::Raise(WindowId window, std::uint32_t processId) {
  const AnsiString title = processes_.WindowTitle(window);
  HeldProcess process(processes_, processId,
                      processaccess::kQueryInformation | processaccess::kSetInformation);
  if (process.IsOpen()) {
    LastPriorityClass = processes_.PriorityClassOf(process.Get());
    if (LastPriorityClass != 0 && processes_.SetPriorityClassOf(process.Get(), priority::kHigh))
      raised_ = std::move(process);
  } else {
    ProcessRef query(processes_, processId, processaccess::kQueryInformation);
    LastPriorityClass = query.IsOpen() ? processes_.PriorityClassOf(query.Get()) : 0;
  }
  const AnsiString path = ReadProgramPath(processId);
  view_.ShowAcceleratedProgram(path, title);
  view_.ShowProgramIcon(path);
  LastProcessId = processId;
  LastWindow = window;
  LastActionTime = clock_.TimeOfDay();
  LastProgramPath = path;
}

// A 32-bit program cannot list a 64-bit process's modules; the image path, read through the same
// handle, names the same executable.
AnsiString Accelerator::ReadProgramPath(std::uint32_t processId) {
  ProcessRef full(processes_, processId, processaccess::kAllAccess);
  AnsiString path;
  if (!full.IsOpen())
    return path;
  if (processes_.FirstModulePath(full.Get(), path))
    return path;
  path.clear();
  if (!processes_.ImagePath(full.Get(), path))
    path.clear();
  return path;
}

void Accelerator::ReturnLastPriority() {
  if (!raised_.IsOpen())
    return;
  processes_.SetPriorityClassOf(raised_.Get(), LastPriorityClass);
  raised_.Reset();
}

void Accelerator::EndSession() {
  ReturnLastPriority();
  LastProcessId = 0;
  LastWindow = 0;
}

int Accelerator::CountProcesses() {
  std::size_t count = 0;
  if (!processes_.CountProcesses(count))
    return 0;
  return static_cast<int>(count);
}

}  // namespace ql
