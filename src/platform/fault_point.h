// Named points where the loopback test build can be made to end at once, as a kill, a crash or the end of a
// session would end it: TEMPOWAVE_END_AT=<name> in its environment. End-to-end tests use them to show that
// the next start, and /restore, put right whatever such an end leaves behind. In the shipped build a point is
// nothing at all: no call, no name and no environment read are left in the program (the release check looks).
#pragma once

#include "build_config.h"

namespace tw {

// The points, in the order a Run and a Run again reach them.
inline constexpr char kEndAfterRecord[] = "after-record";
inline constexpr char kEndBetweenWrites[] = "between-writes";
inline constexpr char kEndWhileOff[] = "between-disconnect-and-connect";
inline constexpr char kEndDuringWait[] = "during-wait";
inline constexpr char kEndAfterGiveBack[] = "after-give-back";

// Ends the process when TEMPOWAVE_END_AT names this point (test builds only: see FaultPoint).
void EndIfNamedPoint(const char* name);

inline void FaultPoint(const char* name) {
  if constexpr (config::kFaultPoints) EndIfNamedPoint(name);
}

}  // namespace tw
