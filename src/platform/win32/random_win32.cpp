#include "platform/win32/random_win32.h"

#include <windows.h>
#include <bcrypt.h>

#include <limits>

namespace tw::win {

ProcessRandom& ProcessRandom::Instance() {
  // Never destroyed: the update check draws from it on a thread that is not joined at exit.
  static ProcessRandom* instance = new ProcessRandom();
  return *instance;
}

void ProcessRandom::Randomize() {
  LARGE_INTEGER counter{};
  if (QueryPerformanceCounter(&counter) && counter.QuadPart != 0) {
    Seed(static_cast<std::uint32_t>(counter.LowPart));
  } else {
    Seed(GetTickCount());
  }
}

std::uint32_t ProcessRandom::Next(std::uint32_t range) {
  // A linear congruential step, advanced atomically so that the UI thread and a worker never draw the same
  // number; the high bits of state x range give a value below range.
  std::uint32_t state = state_.load();
  std::uint32_t next = 0;
  do {
    next = state * 0x08088405u + 1u;
  } while (!state_.compare_exchange_weak(state, next));
  return static_cast<std::uint32_t>((static_cast<std::uint64_t>(next) * range) >> 32);
}

bool SystemRandom::Fill(std::uint8_t* out, std::size_t size) {
  if (size == 0) return true;
  if (size > std::numeric_limits<ULONG>::max()) return false;
  return BCryptGenRandom(nullptr, out, static_cast<ULONG>(size), BCRYPT_USE_SYSTEM_PREFERRED_RNG) >= 0;
}

}  // namespace tw::win
