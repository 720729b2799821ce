// A main-window stand-in for the accelerator tests: records what would be shown.
#pragma once

#include <vector>

#include "accel/AccelView.h"

namespace ql {

class RecordingView : public AccelView {
 public:
  void MoveDot(int left, int top) override {
    dotLeft = left;
    dotTop = top;
  }
  void ShowAcceleratedProgram(const AnsiString& path, const AnsiString& title) override {
    programPath = path;
    programTitle = title;
    ++programShows;
  }
  void ShowProgramIcon(const AnsiString& path) override { iconPaths.push_back(path); }
  void ShowCounters(int processCount, std::uint32_t freePercent, std::int32_t cpuLoad) override {
    processes = processCount;
    free = freePercent;
    load = cpuLoad;
    ++counterShows;
  }
  void ShowWindowBusy(bool busy) override { windowBusy.push_back(busy); }
  void ShowManualPassBusy(bool busy) override { manualBusy.push_back(busy); }
  void ShowProgress(int width) override {
    progressVisible = true;
    progressWidths.push_back(width);
  }
  void HideProgress() override { progressVisible = false; }

  int dotLeft = -1;
  int dotTop = -1;
  AnsiString programPath;
  AnsiString programTitle;
  int programShows = 0;
  std::vector<AnsiString> iconPaths;
  int processes = -1;
  std::uint32_t free = 0;
  std::int32_t load = -1;
  int counterShows = 0;
  std::vector<bool> windowBusy;
  std::vector<bool> manualBusy;
  bool progressVisible = false;
  std::vector<int> progressWidths;
};

}  // namespace ql
