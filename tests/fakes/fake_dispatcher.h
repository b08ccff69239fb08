// A hand-over that runs the task at once on the calling thread, with a terminating flag to set from tests.
#pragma once

#include <atomic>
#include <functional>

#include "platform/dispatcher.h"

namespace tw::test {

class FakeDispatcher : public IUiDispatcher {
 public:
  bool Invoke(const std::function<void()>& task) override {
    ++invocations;
    if (closed.load()) return false;
    task();
    return true;
  }
  bool Terminating() const override { return terminating.load(); }

  std::atomic<bool> terminating{false};
  std::atomic<bool> closed{false};  // the main window is gone: hand-overs are dropped
  std::atomic<int> invocations{0};
};

}  // namespace tw::test
