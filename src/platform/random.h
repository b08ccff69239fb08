// Random numbers: a cheap pseudo-random generator for choices that only need to vary (IRandom), and the
// system's cryptographic generator for what must not be guessed (ISecureRandom).
#pragma once

#include <cstddef>
#include <cstdint>

namespace tw {

class IRandom {
 public:
  virtual ~IRandom() = default;
  // A number r with 0 <= r < range (range > 0).
  virtual std::uint32_t Next(std::uint32_t range) = 0;
};

class ISecureRandom {
 public:
  virtual ~ISecureRandom() = default;
  // Fills `size` bytes from the system's cryptographic generator; false when it cannot (nothing may be
  // derived from `out` then).
  virtual bool Fill(std::uint8_t* out, std::size_t size) = 0;
};

}  // namespace tw
