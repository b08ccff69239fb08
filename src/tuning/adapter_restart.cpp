#include "tuning/adapter_restart.h"

#include "platform/clock.h"
#include "platform/dispatcher.h"
#include "platform/http.h"
#include "platform/threads.h"
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

void RestartAndAwaitInternet(const Services& services, const std::vector<std::u16string>& adapters,
                             RestartDone done) {
  // Blocks the UI thread until every connection was switched off and on again.
  if (!RestartConnections(services.connections, adapters, &services.clock)) {
    done(false, false);
    return;
  }

  IHttp* http = &services.http;
  IClock* clock = &services.clock;
  IUiDispatcher* dispatcher = &services.dispatcher;
  const int attempts = services.probe_attempts > 0 ? services.probe_attempts : kProbeAttempts;
  auto worker = [http, clock, dispatcher, attempts, done] {
    bool answered = false;
    try {
      answered = WaitForInternet([http] { return IsInternetReachable(*http); }, *clock,
                                 [dispatcher] { return dispatcher->Terminating(); }, attempts);
    } catch (...) {
      // A probe path that raised has not seen the internet answer; the hand-over follows all the same.
    }
    try {
      dispatcher->Invoke([&done, answered] { done(true, answered); });
    } catch (...) {
      // Nothing leaves the thread; the program's exit ends it anyway.
    }
  };
  if (!ThreadsOr(services.threads).StartDetached(worker)) done(true, true);
}

}  // namespace tw
