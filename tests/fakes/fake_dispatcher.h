// A hand-over that runs the task at once on the calling thread, with a terminating flag to set from tests.
// Meant for a check the test runs on its own thread; a worker thread of its own would run the task there,
// beside the test thread, so such tests take QueuedDispatcher, which serves it on the test thread.
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
