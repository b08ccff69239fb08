// Run and Run again: the five tuning values, the adapter restart and the wait for the internet.
#include <array>

#include "app/main_form.h"
#include "i18n/translate.h"
#include "platform/clock.h"
#include "platform/dispatcher.h"
#include "platform/http.h"
#include "platform/threads.h"
#include "tuning/connection_restart.h"
#include "tuning/network.h"
#include "tuning/registry_values.h"
#include "tuning/snapshot.h"

namespace tw {

namespace {

// The check box of each row of kTweaks, in the table's order.
constexpr std::array<Ctl, kTweaks.size()> kTweakBoxes = {Ctl::ChkTCPAckFrequency, Ctl::ChkTcpDelAckTick,
                                                         Ctl::ChkTcpNoDelay, Ctl::ChkNetworkThrottlingIndex,
                                                         Ctl::ChkSystemResponsiveness};

}  // namespace

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

std::vector<TweakTarget> TFrmTempowave::CheckedTargets() const {
  std::vector<TweakTarget> targets;
  for (size_t i = 0; i < kTweaks.size(); ++i) {
    if (view_.Checked(kTweakBoxes[i])) targets.push_back({i, PerInterface(i) ? NetworkGUID : u""});
  }
  return targets;
}

void TFrmTempowave::Start() {
  ApplyStatus(TStatus::stBusy);
  // The machine's own values are recorded before the first write; a value that could not be recorded is
  // not changed, so that Run again can always give back what was there.
  for (const TweakTarget& t : CaptureBeforeRun(*services_.registry, CheckedTargets())) {
    const Tweak& tweak = kTweaks[t.tweak];
    WriteRegistryDword(*services_.registry, TweakPath(tweak.key, t.adapter), tweak.value, tweak.run);
  }
  FChanges = {{NetworkGUID}, false, false};
  Refresh(TStatus::stRunning);
}

void TFrmTempowave::Stop() {
  ApplyStatus(TStatus::stBusy);
  const Reverted r = RevertTuning(*services_.registry, NetworkGUID, WithoutRecord::ResetAllFive);
  // Without a record the values are reset as always, and a failure there is absorbed.
  FChanges = {r.adapters, r.record != SnapshotState::None && !r.complete,
              r.record == SnapshotState::Held && r.complete};
  Refresh(TStatus::stIdle);
}

void TFrmTempowave::Refresh(TStatus status) {
  // Blocks the UI thread until every connection was switched off and on again; one that stays off ends the
  // operation here, with no wait for an internet that cannot answer.
  if (FChanges.adapters.empty()) FChanges.adapters = {NetworkGUID};
  if (!RestartConnections(services_.connections, FChanges.adapters, services_.clock)) {
    Conclude(status, false, false);
    return;
  }

  IHttp* http = services_.http;
  IClock* clock = services_.clock;
  IUiDispatcher* dispatcher = services_.dispatcher;
  const int attempts = services_.probe_attempts > 0 ? services_.probe_attempts : kProbeAttempts;
  if (!clock || !dispatcher) {
    Conclude(status, true, true);
    return;
  }
  // The worker holds the target and the window, and reaches the window only through the hand-over, which is
  // dropped once the window is gone. It is neither recorded nor joined.
  TFrmTempowave* form = this;
  auto worker = [http, clock, dispatcher, form, status, attempts] {
    bool answered = false;
    try {
      answered = WaitForInternet([http] { return http && IsInternetReachable(*http); }, *clock,
                                 [dispatcher] { return dispatcher->Terminating(); }, attempts);
    } catch (...) {
      // A probe path that raised has not seen the internet answer; the hand-over follows all the same.
    }
    try {
      dispatcher->Invoke([form, status, answered] { form->Conclude(status, true, answered); });
    } catch (...) {
      // Nothing leaves the thread; the program's exit ends it anyway.
    }
  };
  if (!ThreadsOr(services_.threads).StartDetached(worker)) {
    // No thread to wait on: the target is applied at once rather than staying busy for good.
    Conclude(status, true, true);
  }
}

void TFrmTempowave::Conclude(TStatus target, bool reconnected, bool answered) {
  RunOutcome outcome{target == TStatus::stRunning, !reconnected, reconnected && !answered,
                     FChanges.kept_back};
  // After Run again the record goes once every value is back and no connection was left off; otherwise the
  // window returns to running and the next Run again gives the values back once more.
  bool drop_record = FChanges.drop_record && !outcome.stayed_off;
  if (outcome.after_run && (outcome.stayed_off || outcome.unanswered)) {
    // The way back: Run's changes are given back and the window goes idle; after a silent network the
    // adapter is restarted once more so that they take effect.
    const Reverted r = RevertTuning(*services_.registry, NetworkGUID, WithoutRecord::ChangeNothing);
    outcome.kept_back = !r.complete;
    drop_record = r.record == SnapshotState::Held && r.complete;
    if (outcome.unanswered && !RestartConnections(services_.connections, r.adapters, services_.clock)) {
      outcome.stayed_off = true;
    }
  }
  if (drop_record) DropSnapshot(*services_.registry);
  FChanges = {};
  ApplyStatus(EndStatus(outcome), EndMessage(outcome));
}

}  // namespace tw
