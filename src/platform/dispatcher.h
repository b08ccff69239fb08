// The one path from worker threads to the UI thread.
#pragma once

#include <functional>

namespace tw {

class IUiDispatcher {
 public:
  virtual ~IUiDispatcher() = default;
  // Runs `task` on the UI thread and waits until it has run. An exception thrown by the task is rethrown on
  // the calling thread. Returns false, without running the task, once the main window is gone.
  virtual bool Invoke(const std::function<void()>& task) = 0;
  // True once the application has begun to terminate (polled by workers).
  virtual bool Terminating() const = 0;
};

}  // namespace tw
