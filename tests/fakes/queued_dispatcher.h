// A hand-over that behaves like the program's: a worker's task waits in a queue until the test thread (the
// "UI thread") serves it, and the worker blocks until then. Closing drops queued and later hand-overs, as
// when the main window is gone.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>

#include "platform/dispatcher.h"

namespace tw::test {

class QueuedDispatcher : public IUiDispatcher {
 public:
  bool Invoke(const std::function<void()>& task) override {
    std::unique_lock<std::mutex> lock(mutex_);
    Item item{&task};
    if (closed_) return Drop(lock);
    queue_.push_back(&item);
    Changed();
    changed_.wait(lock, [&] { return item.done || closed_; });
    if (!item.done) {
      std::erase(queue_, &item);
      return Drop(lock);
    }
    ++delivered_;
    Changed();
    if (item.error) std::rethrow_exception(item.error);
    return true;
  }
  bool Terminating() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return terminating_;
  }
  void ServeUntil(const std::function<bool()>& done) override { Serve(done, std::chrono::seconds(30)); }

  // Runs queued tasks on the calling thread until `done` holds; false when the time ran out first.
  bool Serve(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      while (!queue_.empty()) {
        Item* item = queue_.front();
        queue_.pop_front();
        lock.unlock();
        try {
          (*item->task)();
        } catch (...) {
          item->error = std::current_exception();
        }
        lock.lock();
        item->done = true;
        Changed();
      }
      // `done` may ask this dispatcher, so it runs unlocked; a change made meanwhile (a worker counting its
      // hand-over as delivered) must still end the wait below, or it would sleep until the deadline.
      const std::uint64_t seen = changes_;
      lock.unlock();
      const bool finished = done();
      lock.lock();
      if (finished) return true;
      if (!changed_.wait_until(lock, deadline, [&] { return changes_ != seen || !queue_.empty(); })) {
        lock.unlock();
        return done();
      }
    }
  }
  // Waits until `count` hand-overs have been dropped.
  bool WaitDropped(int count, std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return dropped_ >= count; });
  }
  // The main window is gone: hand-overs are dropped and workers see the program terminating.
  void Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    terminating_ = true;
    Changed();
  }
  // Hand-overs are dropped, but workers are not told to stop.
  void CloseQuietly() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    Changed();
  }
  int Delivered() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return delivered_;
  }

 private:
  struct Item {
    const std::function<void()>* task;
    bool done = false;
    std::exception_ptr error{};
  };
  bool Drop(std::unique_lock<std::mutex>&) {
    ++dropped_;
    Changed();
    return false;
  }
  // Called with the lock held after every change of state.
  void Changed() {
    ++changes_;
    changed_.notify_all();
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Item*> queue_;
  bool closed_ = false;
  bool terminating_ = false;
  int delivered_ = 0;
  int dropped_ = 0;
  std::uint64_t changes_ = 0;
};

}  // namespace tw::test
