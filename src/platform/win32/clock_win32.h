// Local time and sleeping as the system provides them.
#pragma once

#include "platform/clock.h"

namespace tw::win {

class SystemClock final : public IClock {
 public:
  void Sleep(std::uint32_t milliseconds) override;
  LocalTime Now() override;
  std::uint64_t Milliseconds() override;
};

}  // namespace tw::win
