// The machine-wide lock, held by another copy on demand; counts what the program took and gave back.
#pragma once

#include <atomic>

#include "platform/machine_lock.h"

namespace tw::test {

class FakeMachineLock : public IMachineLock {
 public:
  bool TryAcquire() override {
    if (held_elsewhere) return false;
    ++taken;
    return true;
  }
  void Release() override { ++released; }
  bool Held() const { return taken > released; }

  std::atomic<bool> held_elsewhere{false};
  std::atomic<int> taken{0};
  std::atomic<int> released{0};
};

}  // namespace tw::test
