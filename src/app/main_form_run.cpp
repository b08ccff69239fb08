// Run and Run again: the five tuning values, the adapter restart and the wait for the internet.
#include <array>
#include <condition_variable>
#include <mutex>

#include "app/main_form.h"
#include "i18n/translate.h"
#include "platform/clock.h"
#include "platform/com.h"
#include "platform/dispatcher.h"
#include "platform/http.h"
#include "platform/threads.h"
#include "tuning/network.h"
#include "tuning/registry_values.h"

namespace tw {

namespace {

constexpr char16_t kInterfacesKey[] =
    u"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
constexpr char16_t kMessageQueuingKey[] = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\MSMQ\\Parameters";
constexpr char16_t kSystemProfileKey[] =
    u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Multimedia\\SystemProfile";

struct Tweak {
  Ctl box;
  bool per_interface;     // under the adapter's interface key
  const char16_t* key;    // otherwise this key
  const char16_t* value;  // value name
  std::int32_t start;
  bool stop_deletes;
  std::int32_t stop;
};

// In the order they are applied and reverted.
constexpr std::array<Tweak, 5> kTweaks = {{
    {Ctl::ChkTCPAckFrequency, true, nullptr, u"TcpAckFrequency", 1, true, 0},
    {Ctl::ChkTcpDelAckTick, true, nullptr, u"TcpDelAckTicks", 0, true, 0},
    {Ctl::ChkTcpNoDelay, false, kMessageQueuingKey, u"TCPNoDelay", 1, true, 0},
    {Ctl::ChkNetworkThrottlingIndex, false, kSystemProfileKey, u"NetworkThrottlingIndex", -1, false, 10},
    {Ctl::ChkSystemResponsiveness, false, kSystemProfileKey, u"SystemResponsiveness", 0, false, 20},
}};

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

void TFrmTempowave::Start() {
  ApplyStatus(TStatus::stBusy);
  for (const Tweak& t : kTweaks) {
    if (!view_.Checked(t.box)) continue;
    const std::u16string key = t.per_interface ? kInterfacesKey + NetworkGUID : std::u16string(t.key);
    WriteRegistryDword(*services_.registry, key, t.value, t.start);
  }
  Refresh(TStatus::stRunning);
}

void TFrmTempowave::Stop() {
  ApplyStatus(TStatus::stBusy);
  for (const Tweak& t : kTweaks) {
    const std::u16string key = t.per_interface ? kInterfacesKey + NetworkGUID : std::u16string(t.key);
    if (t.stop_deletes) {
      DeleteRegistryValue(*services_.registry, key, t.value);
    } else {
      WriteRegistryDword(*services_.registry, key, t.value, t.stop);
    }
  }
  Refresh(TStatus::stIdle);
}

// Restarts under way on refresh workers, counted so that the window's end can wait for them.
struct TFrmTempowave::Restarts {
  std::mutex mutex;
  std::condition_variable changed;
  int under_way = 0;

  void Begin() {
    std::lock_guard<std::mutex> lock(mutex);
    ++under_way;
  }
  void End() {
    std::lock_guard<std::mutex> lock(mutex);
    --under_way;
    changed.notify_all();
  }
  // Ends one restart when it goes out of scope, however the restart ended.
  struct Ending {
    Restarts& restarts;
    ~Ending() { restarts.End(); }
  };
  void WaitUntilNone() {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return under_way == 0; });
  }
};

TFrmTempowave::~TFrmTempowave() {
  if (restarts_) restarts_->WaitUntilNone();
}

void TFrmTempowave::Refresh(TStatus status) {
  // Disconnect, then connect, from a COM apartment of the calling thread's own. On real hardware each call
  // can take seconds; whether they succeeded does not change what follows.
  auto restart = [connections = services_.connections, com = services_.com, guid = NetworkGUID] {
    ComApartment apartment(com);
    SetConnectionEnabled(connections, guid, false);
    SetConnectionEnabled(connections, guid, true);
  };
  IHttp* http = services_.http;
  IClock* clock = services_.clock;
  IUiDispatcher* dispatcher = services_.dispatcher;
  if (!clock || !dispatcher) {
    restart();
    ApplyStatus(status);
    return;
  }
  if (!restarts_) restarts_ = std::make_shared<Restarts>();
  // Counted from here, so that a window closed before the worker has begun still waits for it.
  restarts_->Begin();
  // The worker restarts the adapter, waits for the internet and reaches the window only through the
  // hand-over, which is dropped once the window is gone. It is neither recorded nor joined.
  TFrmTempowave* form = this;
  auto worker = [restart, restarts = restarts_, http, clock, dispatcher, form, status] {
    try {
      {
        const Restarts::Ending ending{*restarts};
        restart();
      }
      WaitForInternet([http] { return http && IsInternetReachable(*http); }, *clock,
                      [dispatcher] { return dispatcher->Terminating(); });
      dispatcher->Invoke([form, status] { form->ApplyStatus(status); });
    } catch (...) {
      // Nothing leaves the thread; the program's exit ends it anyway.
    }
  };
  if (!ThreadsOr(services_.threads).StartDetached(worker)) {
    // No thread: the restart runs here and the target is applied at once rather than staying busy for good.
    restarts_->End();
    restart();
    ApplyStatus(status);
  }
}

}  // namespace tw
