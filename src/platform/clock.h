// Time as the program's schedules see it; tests inject a clock that never waits in real time.
#pragma once

#include <cstdint>

namespace tw {

struct LocalTime {
  int year, month, day, hour, minute, second;
};

class IClock {
 public:
  virtual ~IClock() = default;
  // Sleeps at least that long; on Windows rounded up to the timer tick (15.6 ms by default), so that a
  // wait made of many short sleeps lasts far longer than their sum. Waits are measured with Milliseconds.
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  virtual LocalTime Now() = 0;
  // A monotonic count of milliseconds from an arbitrary start, unaffected by changes of the wall clock.
  virtual std::uint64_t Milliseconds() = 0;
};

}  // namespace tw
