// One writer per machine. The tuning values, the record of the machine's own values and the adapters are
// shared by every logon session, so Run, Run again, the way back after Run and /restore each hold this lock
// from their first read to their last write; the single-instance rule covers one logon session only.
#pragma once

namespace tw {

// Held: the calling thread holds the lock now (also when a copy that held it ended without giving it back).
// Busy: another copy holds it, or whether one does cannot be told: a failure never counts as free.
// Denied: this copy lacks the rights to take or make the lock: it does not run as administrator.
enum class LockTaken { Held, Busy, Denied };

class IMachineLock {
 public:
  virtual ~IMachineLock() = default;
  // Takes the lock without waiting. Release on the thread that took it, and only after Held.
  virtual LockTaken TryAcquire() = 0;
  virtual void Release() = 0;
};

// Holds the lock for a scope when it could be taken; without a lock service there is no other copy to meet.
class MachineLockScope {
 public:
  explicit MachineLockScope(IMachineLock* lock)
      : lock_(lock), taken_(lock ? lock->TryAcquire() : LockTaken::Held) {}
  ~MachineLockScope() {
    if (lock_ && held()) lock_->Release();
  }
  MachineLockScope(const MachineLockScope&) = delete;
  MachineLockScope& operator=(const MachineLockScope&) = delete;
  bool held() const { return taken_ == LockTaken::Held; }
  LockTaken taken() const { return taken_; }

 private:
  IMachineLock* lock_;
  LockTaken taken_;
};

}  // namespace tw
