// The process-wide pseudo-random generator, seeded once at start-up.
#pragma once

#include <cstdint>

namespace tw {

class IRandom {
 public:
  virtual ~IRandom() = default;
  // A number r with 0 <= r < range (range > 0).
  virtual std::uint32_t Next(std::uint32_t range) = 0;
};

}  // namespace tw
