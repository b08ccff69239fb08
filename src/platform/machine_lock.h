// One writer per machine. The tuning values, the record of the machine's own values and the adapters are
// shared by every logon session, so Run, Run again, the way back after Run and /restore each hold this lock
// from their first read to their last write; the single-instance rule covers one logon session only.
#pragma once

namespace tw {

class IMachineLock {
 public:
  virtual ~IMachineLock() = default;
  // Takes the lock without waiting. True when the calling thread now holds it (also when a copy that held it
  // ended without giving it back); false when another copy holds it or when that cannot be told: a failure
  // never counts as free. Release on the thread that took it.
  virtual bool TryAcquire() = 0;
  virtual void Release() = 0;
};

// Holds the lock for a scope when it could be taken; without a lock service there is no other copy to meet.
class MachineLockScope {
 public:
  explicit MachineLockScope(IMachineLock* lock) : lock_(lock), held_(!lock || lock->TryAcquire()) {}
  ~MachineLockScope() {
    if (lock_ && held_) lock_->Release();
  }
  MachineLockScope(const MachineLockScope&) = delete;
  MachineLockScope& operator=(const MachineLockScope&) = delete;
  bool held() const { return held_; }

 private:
  IMachineLock* lock_;
  bool held_;
};

}  // namespace tw
