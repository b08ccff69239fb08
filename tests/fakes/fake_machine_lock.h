// The machine-wide lock, held by another copy (or out of reach) on demand; counts what the program took and
// gave back.
#pragma once

#include <atomic>
#include <functional>
#include <utility>

#include "platform/machine_lock.h"

namespace tw::test {

class FakeMachineLock : public IMachineLock {
 public:
  LockTaken TryAcquire() override {
    if (denied) return LockTaken::Denied;
    if (held_elsewhere) return LockTaken::Busy;
    // What another copy did just before this one got the lock.
    if (auto before = std::exchange(on_next_acquire, nullptr)) before();
    ++taken;
    return LockTaken::Held;
  }
  void Release() override { ++released; }
  bool Held() const { return taken > released; }

  std::atomic<bool> held_elsewhere{false};
  std::atomic<bool> denied{false};  // a copy that does not run as administrator
  std::atomic<int> taken{0};
  std::atomic<int> released{0};
  std::function<void()> on_next_acquire;  // run once, at the next acquisition, on the taking thread
};

}  // namespace tw::test
