#include "tuning/adapter_restart.h"

#include "platform/clock.h"
#include "platform/dispatcher.h"
#include "platform/http.h"
#include "platform/threads.h"
#include "tuning/network.h"

namespace tw {

void RestartAndAwaitInternet(const Services& services, const std::u16string& adapter_guid,
                             std::function<void()> done) {
  // Both block the UI thread until they return; whether they succeeded does not change what follows.
  SetConnectionEnabled(services.connections, adapter_guid, false);
  SetConnectionEnabled(services.connections, adapter_guid, true);

  IHttp* http = &services.http;
  IClock* clock = &services.clock;
  IUiDispatcher* dispatcher = &services.dispatcher;
  auto worker = [http, clock, dispatcher, done] {
    try {
      WaitForInternet([http] { return IsInternetReachable(*http); }, *clock,
                      [dispatcher] { return dispatcher->Terminating(); });
      dispatcher->Invoke(done);
    } catch (...) {
      // Nothing leaves the thread; the program's exit ends it anyway.
    }
  };
  if (!ThreadsOr(services.threads).StartDetached(worker)) done();
}

}  // namespace tw
