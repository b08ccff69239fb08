// Run and Run again: the tweak set, the adapter restart and the wait for the internet.
#include <array>

#include "app/main_form.h"
#include "app/options.h"
#include "i18n/translate.h"
#include "platform/clock.h"
#include "platform/dispatcher.h"
#include "platform/http.h"
#include "platform/threads.h"
#include "tuning/network.h"
#include "tuning/tweaks.h"

namespace tw {

void TFrmTempowave::BtnStartClick() {
  switch (FStatus) {
    case TStatus::stIdle:
      if (!NetworkGUID.empty()) {
        Start();
      } else {
        // "There are no active networks."
        ApplyStatus(TStatus::stIdle, Translate(u"\uD65C\uC131\uC911\uC778 \uB124\uD2B8\uC6CC\uD06C\uAC00 "
                                               u"\uC5C6\uC2B5\uB2C8\uB2E4."));
      }
      break;
    case TStatus::stRunning:
      Stop();
      break;
    case TStatus::stBusy:
      break;
  }
}

void TFrmTempowave::Start() {
  ApplyStatus(TStatus::stBusy);
  for (const Tweak& tweak : kTweaks) {
    if (view_.Checked(OptionOf(tweak.id).box)) ApplyTweak(*services_.registry, tweak, NetworkGUID);
  }
  Refresh(TStatus::stRunning);
}

void TFrmTempowave::Stop() {
  ApplyStatus(TStatus::stBusy);
  for (const Tweak& tweak : kTweaks) RevertTweak(*services_.registry, tweak, NetworkGUID);
  Refresh(TStatus::stIdle);
}

void TFrmTempowave::Refresh(TStatus status) {
  // Both block the UI thread until they return; whether they succeeded does not change what follows.
  SetConnectionEnabled(services_.connections, NetworkGUID, false);
  SetConnectionEnabled(services_.connections, NetworkGUID, true);

  IHttp* http = services_.http;
  IClock* clock = services_.clock;
  IUiDispatcher* dispatcher = services_.dispatcher;
  if (!clock || !dispatcher) {
    ApplyStatus(status);
    return;
  }
  // The worker holds the target and the window, and reaches the window only through the hand-over, which is
  // dropped once the window is gone. It is neither recorded nor joined.
  TFrmTempowave* form = this;
  auto worker = [http, clock, dispatcher, form, status] {
    try {
      WaitForInternet([http] { return http && IsInternetReachable(*http); }, *clock,
                      [dispatcher] { return dispatcher->Terminating(); });
      dispatcher->Invoke([form, status] { form->ApplyStatus(status); });
    } catch (...) {
      // Nothing leaves the thread; the program's exit ends it anyway.
    }
  };
  if (!ThreadsOr(services_.threads).StartDetached(worker)) {
    // No thread to wait on: the target is applied at once rather than staying busy for good.
    ApplyStatus(status);
  }
}

}  // namespace tw
