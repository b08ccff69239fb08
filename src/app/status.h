// The run state shown by the Run button and stored as "status".
#pragma once

#include <cstdint>

namespace tw {

enum class TStatus : std::uint8_t { stIdle = 0, stRunning = 1, stBusy = 2 };

}  // namespace tw
