// The adapter restart: the chosen connections are switched off and on again, never left off when that can be
// helped, on a worker in a COM apartment of its own (a real adapter takes seconds, which the window must not
// wait out); the same worker then waits for the internet (internet_wait.h) and hands the outcome back to the
// UI thread. The restart functions are free of threads, so that they can run wherever the restart runs.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/services.h"

namespace tw {

inline constexpr int kReconnectRetries = 3;
inline constexpr std::uint32_t kReconnectPauseMs = 1000;
// The longest the window's end waits for a restart under way. A connect that has not returned by then (a
// hung component) is left to the restart marker: the next start switches the connection on.
inline constexpr std::chrono::milliseconds kRestartWaitLimit{60000};

// Disconnects, then connects the connection with that GUID text. When connecting fails it is tried again up
// to kReconnectRetries times, kReconnectPauseMs apart (no pause without a clock). False only when the
// connection was switched off and stayed off. A connection that could not be switched off (none with that
// GUID, no component, or one the user keeps off) is left as it was, never switched on, and counts as back.
// With `marks`, the connection is named in the restart marker from before the disconnect until it is back
// on; one that stayed off stays named, so that the next start switches it on. A marker that cannot be
// written does not stop the restart.
bool RestartConnection(INetConnections* connections, const std::u16string& guid, IClock* clock,
                       IRegistry* marks = nullptr);
// Restarts each in turn; false when any of them stayed off.
bool RestartConnections(INetConnections* connections, const std::vector<std::u16string>& guids, IClock* clock,
                        IRegistry* marks = nullptr);

// After an interruption: switches every connection the restart marker names back on (with the same
// retries) and clears the names of those that came back. Call holding the machine lock, so that no other
// copy's restart is cut into. True when nothing stayed off.
bool SwitchMarkedBackOn(IRegistry& registry, INetConnections* connections, IClock* clock);

// Restarts under way on workers, counted so that their owner can wait for them before it goes: a restart cut
// off between its disconnect and its connect would leave the machine offline.
class RestartsUnderWay {
 public:
  void Begin();
  void End();
  // True when none is under way any more; false when `limit` passed first.
  bool WaitUntilNone(std::chrono::milliseconds limit);

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int count_ = 0;
};

// `reconnected`: every connection came back; `answered`: a probe answered after that.
using RestartDone = std::function<void(bool reconnected, bool answered)>;

// Restarts the connections on a worker, then, when they all came back, waits there for the internet, and
// hands `done` to the UI thread (a connection that stays off hands over at once: nothing to wait for). The
// restart counts in `under_way` (may be null) from the call until the last connect has returned. Without a
// thread for the worker the restart runs on the calling thread and `done` follows there, as if the internet
// had answered rather than never. The worker always hands over, whatever its probes raise; it is neither
// recorded nor joined, and its hand-over is dropped once the UI is gone.
void RestartAndAwaitInternet(const Services& services, const std::vector<std::u16string>& adapters,
                             RestartDone done, const std::shared_ptr<RestartsUnderWay>& under_way = nullptr);

// The same restart without the wait: `done(reconnected)` is handed to the UI thread once the connections
// were switched off and on again.
void RestartInBackground(const Services& services, const std::vector<std::u16string>& adapters,
                         std::function<void(bool reconnected)> done,
                         const std::shared_ptr<RestartsUnderWay>& under_way = nullptr);

}  // namespace tw
