// Adapter restart and connectivity wait: the connections are switched off and on again on the calling (UI)
// thread, never left off when that can be helped, then a worker waits until the internet answers and hands
// the outcome back to the UI thread. The restart functions are free of threads, so that they can run wherever
// the restart runs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/services.h"

namespace tw {

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

// `reconnected`: every connection came back; `answered`: a probe answered after that.
using RestartDone = std::function<void(bool reconnected, bool answered)>;

// Restarts the connections, then waits for the internet on a worker and hands `done` to the UI thread. A
// connection that stays off ends it at once (nothing to wait for), on the calling thread; so does a missing
// thread for the wait, as if the internet had answered rather than never. The worker always hands over,
// whatever its probes raise; it is neither recorded nor joined, and its hand-over is dropped once the UI is
// gone.
void RestartAndAwaitInternet(const Services& services, const std::vector<std::u16string>& adapters,
                             RestartDone done);

}  // namespace tw
