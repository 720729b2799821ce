// QuillonDriver: the end-to-end driver as a console program, for measurements and by hand.
//   QuillonDriver startup RUNS   time from process start to the main window shown, RUNS times
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Driver.win32.h"

namespace {

using ql::e2e::Program;

constexpr DWORD kStartWait = 30000;

std::string Quoted(const std::string& program) {
  return "\"" + ql::e2e::DriverFolder() + "\\" + program + "\"";
}

HWND WaitForShownWindow(const Program& program, const std::string& title) {
  return ql::e2e::WaitForVisibleWindow(program.Id(), title, kStartWait);
}

void Close(Program& program, HWND main) {
  if (!ql::e2e::CloseQuillon(program, main, 5000))
    program.Kill();
}

int MeasureStartup(int runs) {
  std::vector<ULONGLONG> times;
  for (int run = 0; run < runs; ++run) {
    const ULONGLONG started = GetTickCount64();
    Program quillon = ql::e2e::Start(Quoted("Quillon.exe"));
    HWND main = WaitForShownWindow(quillon, "Quillon");
    if (main == nullptr) {
      std::puts("Quillon.exe did not show its window");
      return 1;
    }
    times.push_back(GetTickCount64() - started);
    Close(quillon, main);
  }
  std::sort(times.begin(), times.end());
  std::printf("start to main window shown, %d runs: min %llu ms, median %llu ms, max %llu ms\n",
              runs, times.front(), times[times.size() / 2], times.back());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  const int count = argc > 2 ? std::atoi(argv[2]) : 0;
  if (command == "startup" && count > 0)
    return MeasureStartup(count);
  std::puts("usage: QuillonDriver startup RUNS");
  return 2;
}
