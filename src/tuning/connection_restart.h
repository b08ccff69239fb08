// Restarting network connections so that per-interface values take effect, without ever leaving one off:
// a connection that this restart switched off is asked to come back a few more times before giving up.
// Portable, so that it runs wherever the restart runs (today the UI thread).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tw {

class INetConnections;
class IClock;

inline constexpr int kReconnectRetries = 3;
inline constexpr std::uint32_t kReconnectPauseMs = 1000;

// Disconnects, then connects the connection with that GUID text. When disconnecting succeeded and connecting
// did not, connecting is tried again up to kReconnectRetries times, kReconnectPauseMs apart (no pause without
// a clock). False only when the connection was switched off and stayed off; a connection that could not be
// switched off (none with that GUID, no component) was left as it was and counts as back.
bool RestartConnection(INetConnections* connections, const std::u16string& guid, IClock* clock);

// Restarts each in turn; false when any of them stayed off.
bool RestartConnections(INetConnections* connections, const std::vector<std::u16string>& guids,
                        IClock* clock);

}  // namespace tw
