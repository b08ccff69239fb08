// The machine-wide lock: a mutex in the global namespace that only Administrators and SYSTEM can open, and
// that counts only when its owner is one of them, so that no user can squat the name ahead of the program.
#pragma once

#include <windows.h>

#include "platform/machine_lock.h"

namespace tw::win {

inline constexpr wchar_t kMachineLockName[] = L"Global\\TempowaveMachine";

class MachineLock final : public IMachineLock {
 public:
  explicit MachineLock(const wchar_t* name = kMachineLockName) : name_(name) {}
  ~MachineLock() override;
  MachineLock(const MachineLock&) = delete;
  MachineLock& operator=(const MachineLock&) = delete;

  LockTaken TryAcquire() override;
  void Release() override;

 private:
  const wchar_t* name_;
  HANDLE mutex_ = nullptr;
};

}  // namespace tw::win
