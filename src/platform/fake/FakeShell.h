// In-memory shell and message pump: opened targets are recorded, pump calls run scripted actions.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <vector>

#include "platform/shell.h"

namespace ql {

class FakeShell : public Shell {
 public:
  struct Opened {
    AnsiString target;
    WindowId owner;
  };

  void Open(const AnsiString& target, WindowId owner) override {
    opened_.push_back(Opened{target, owner});
  }
  const std::vector<Opened>& OpenedTargets() const { return opened_; }

 private:
  std::vector<Opened> opened_;
};

// Counts ProcessMessages calls; a test scripts what "arrives" during a call: an action for the
// n-th call (counting from 1) and actions for every call, run in the order they were added.
// Actions may pump again themselves.
class FakePump : public Pump {
 public:
  void ProcessMessages() override;

  void OnCall(std::size_t callNumber, std::function<void()> action);
  void OnEveryCall(std::function<void()> action);
  void ClearActions();
  std::size_t CallCount() const { return calls_; }

 private:
  std::size_t calls_ = 0;
  std::multimap<std::size_t, std::function<void()>> onCall_;
  std::vector<std::function<void()>> onEveryCall_;
};

}  // namespace ql
