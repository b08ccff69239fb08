// The process-wide pseudo-random generator: seeded once at start-up, shared by every thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/random.h"

namespace tw::win {

class ProcessRandom final : public IRandom {
 public:
  static ProcessRandom& Instance();
  // Seeds from the performance counter (the tick count where there is none). Called once at start-up.
  void Randomize();
  void Seed(std::uint32_t seed) { state_.store(seed); }
  std::uint32_t Next(std::uint32_t range) override;

 private:
  std::atomic<std::uint32_t> state_{0};
};

// The system's preferred cryptographic generator (BCryptGenRandom); bcrypt.dll is delay-loaded, from the
// system folder only, on the first draw.
class SystemRandom final : public ISecureRandom {
 public:
  bool Fill(std::uint8_t* out, std::size_t size) override;
};

}  // namespace tw::win
