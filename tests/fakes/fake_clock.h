// A clock that never waits: it records every sleep, advances its own time, and can run a hook on each sleep.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/clock.h"

namespace tw::test {

class FakeClock : public IClock {
 public:
  void Sleep(std::uint32_t milliseconds) override {
    std::function<void()> hook;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      sleeps_.push_back(milliseconds);
      slept_ms_ += milliseconds;
      // A sleep ends on the next timer tick at or after the time asked for, as Windows' does.
      std::uint64_t us = std::uint64_t{milliseconds} * 1000;
      if (tick_us && us % tick_us) us += tick_us - us % tick_us;
      elapsed_us_ += us;
      hook = on_sleep;
    }
    if (hook) hook();
  }
  LocalTime Now() override {
    std::lock_guard<std::mutex> lock(mutex_);
    ++readings_;
    return readings_ <= times.size() ? times[readings_ - 1] : now;
  }
  std::uint64_t Milliseconds() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return elapsed_us_ / 1000;
  }

  // Time that passes without a sleep (a call that takes long).
  void Advance(std::uint64_t milliseconds) {
    std::lock_guard<std::mutex> lock(mutex_);
    elapsed_us_ += milliseconds * 1000;
  }

  // The sum of the sleeps asked for, whatever the tick made of them.
  std::uint64_t SleptMs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return slept_ms_;
  }
  size_t SleepCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sleeps_.size();
  }
  std::vector<std::uint32_t> Sleeps() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sleeps_;
  }
  size_t Readings() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return readings_;
  }

  // Successive readings of Now(); `now` once they are used up.
  std::vector<LocalTime> times;
  LocalTime now{2024, 3, 9, 14, 5, 7};
  std::function<void()> on_sleep;  // runs after each recorded sleep, on the sleeping thread
  std::uint64_t tick_us = 0;       // 0: sleeps last exactly what they ask; 15625: Windows' default tick

 private:
  mutable std::mutex mutex_;
  std::vector<std::uint32_t> sleeps_;
  std::uint64_t slept_ms_ = 0;
  std::uint64_t elapsed_us_ = 0;
  size_t readings_ = 0;
};

}  // namespace tw::test
