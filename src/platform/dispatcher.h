// The one path from worker threads to the UI thread.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace tw {

class IUiDispatcher {
 public:
  virtual ~IUiDispatcher() = default;
  // Runs `task` on the UI thread and waits until it has run. An exception thrown by the task is rethrown on
  // the calling thread. Returns false, without running the task, once the main window is gone.
  virtual bool Invoke(const std::function<void()>& task) = 0;
  // True once the application has begun to terminate (polled by workers).
  virtual bool Terminating() const = 0;
  // Called on the UI thread: keeps serving hand-overs until `done` returns true. The default suits a
  // dispatcher that runs tasks on the calling thread: there is nothing to serve, so it only waits.
  virtual void ServeUntil(const std::function<bool()>& done) {
    while (!done()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
};

}  // namespace tw
