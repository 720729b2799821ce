// Scope guards: the busy flags that keep a long operation from being entered twice, and the undoing
// of what such an operation changed in the window.
#pragma once

#include <functional>
#include <utility>

namespace ql {

// Sets the flag for as long as it lives. Long operations let pending messages run, and the message
// path carries a handler's exception out through them; the flag is cleared on that way out too,
// or every later entry would be refused until the program ends.
class BusyFlag {
 public:
  explicit BusyFlag(bool& flag) : flag_(flag) { flag_ = true; }
  BusyFlag(const BusyFlag&) = delete;
  BusyFlag& operator=(const BusyFlag&) = delete;
  ~BusyFlag() { flag_ = false; }

 private:
  bool& flag_;
};

// Runs an action once: where the operation reaches it (Run), or when the scope is left before.
// The action must not throw; it only puts back cursors, pictures and priorities.
class ScopeExit {
 public:
  explicit ScopeExit(std::function<void()> action) : action_(std::move(action)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() { Run(); }
  void Run() {
    if (action_)
      std::exchange(action_, nullptr)();
  }

 private:
  std::function<void()> action_;
};

}  // namespace ql
