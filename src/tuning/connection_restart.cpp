#include "tuning/connection_restart.h"

#include "platform/clock.h"
#include "tuning/network.h"

namespace tw {

bool RestartConnection(INetConnections* connections, const std::u16string& guid, IClock* clock) {
  const bool switched_off = SetConnectionEnabled(connections, guid, false);
  if (SetConnectionEnabled(connections, guid, true) || !switched_off) return true;
  for (int retry = 0; retry < kReconnectRetries; ++retry) {
    if (clock) clock->Sleep(kReconnectPauseMs);
    if (SetConnectionEnabled(connections, guid, true)) return true;
  }
  return false;
}

bool RestartConnections(INetConnections* connections, const std::vector<std::u16string>& guids,
                        IClock* clock) {
  bool all_back = true;
  for (const auto& guid : guids) all_back = RestartConnection(connections, guid, clock) && all_back;
  return all_back;
}

}  // namespace tw
