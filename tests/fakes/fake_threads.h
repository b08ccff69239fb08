// Threads that can be refused: a starter that runs nothing and says no thread could be started, or the
// system's threads with a count of what was started.
#pragma once

#include <atomic>
#include <functional>

#include "platform/threads.h"

namespace tw::test {

class FakeThreads final : public IThreads {
 public:
  bool StartDetached(std::function<void()> work) override {
    ++asked;
    if (refuse) return false;
    return SystemThreads().StartDetached(std::move(work));
  }

  std::atomic<bool> refuse{false};
  std::atomic<int> asked{0};
};

}  // namespace tw::test
