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
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  virtual LocalTime Now() = 0;
};

}  // namespace tw
