// Background work on threads that nobody joins: the connectivity wait after a restart, the update check and
// the hold request. Starting one can fail (no memory for a stack, a process at its thread limit); callers
// then go on without the work instead of waiting for it.
#pragma once

#include <functional>

namespace tw {

class IThreads {
 public:
  virtual ~IThreads() = default;
  // Runs work on a thread of its own, detached. False when no thread could be started; work has not run then.
  virtual bool StartDetached(std::function<void()> work) = 0;
};

// std::thread's, the same on every platform. Never destroyed: detached threads may still be running at exit.
IThreads& SystemThreads();

// The injected threads, or the system's where none were given.
inline IThreads& ThreadsOr(IThreads* threads) {
  return threads ? *threads : SystemThreads();
}

}  // namespace tw
