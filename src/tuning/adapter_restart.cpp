#include "tuning/adapter_restart.h"

#include "platform/clock.h"
#include "platform/com.h"
#include "platform/dispatcher.h"
#include "platform/fault_point.h"
#include "platform/http.h"
#include "platform/netcon.h"
#include "platform/threads.h"
#include "tuning/internet_wait.h"
#include "tuning/restart_marker.h"

namespace tw {
namespace {

// Ends one counted restart when it goes out of scope, however the restart ended.
class Counted {
 public:
  explicit Counted(std::shared_ptr<RestartsUnderWay> under_way) : under_way_(std::move(under_way)) {}
  ~Counted() {
    if (under_way_) under_way_->End();
  }
  Counted(const Counted&) = delete;
  Counted& operator=(const Counted&) = delete;

 private:
  std::shared_ptr<RestartsUnderWay> under_way_;
};

// Switches the connections off and on again from a COM apartment of the calling thread's own.
bool RestartInApartment(const Services& services, const std::vector<std::u16string>& adapters) {
  const ComApartment apartment(services.com);
  return RestartConnections(services.connections, adapters, &services.clock, &services.registry);
}

// Runs `work` on a worker, the restart counted in `under_way` from now until the worker has done it; false
// (nothing counted, `work` not run) when no thread could be started.
bool StartCounted(const Services& services, const std::shared_ptr<RestartsUnderWay>& under_way,
                  std::function<void()> work) {
  if (under_way) under_way->Begin();  // from here: a window closed before the worker begins waits too
  if (ThreadsOr(services.threads).StartDetached(std::move(work))) return true;
  if (under_way) under_way->End();
  return false;
}

}  // namespace

namespace {

// Connects (enable) or disconnects the connection with that GUID text (letter case ignored); true only when
// it was found and the call succeeded. False without a connections service.
bool SetConnectionEnabled(INetConnections* connections, const std::u16string& guid, bool enable) {
  return connections && connections->SetConnectionEnabled(guid, enable);
}

// Connects, with the retries; true once it is on.
bool SwitchOn(INetConnections* connections, const std::u16string& guid, IClock* clock) {
  if (SetConnectionEnabled(connections, guid, true)) return true;
  for (int retry = 0; retry < kReconnectRetries; ++retry) {
    if (clock) clock->Sleep(kReconnectPauseMs);
    if (SetConnectionEnabled(connections, guid, true)) return true;
  }
  return false;
}

}  // namespace

bool RestartConnection(INetConnections* connections, const std::u16string& guid, IClock* clock,
                       IRegistry* marks) {
  if (marks) MarkRestarting(*marks, guid);
  const bool switched_off = SetConnectionEnabled(connections, guid, false);
  if (switched_off) FaultPoint(kEndWhileOff);
  const bool back = !switched_off || SwitchOn(connections, guid, clock);
  if (marks && back) UnmarkRestarting(*marks, guid);
  return back;
}

bool RestartConnections(INetConnections* connections, const std::vector<std::u16string>& guids, IClock* clock,
                        IRegistry* marks) {
  bool all_back = true;
  for (const auto& guid : guids) all_back = RestartConnection(connections, guid, clock, marks) && all_back;
  return all_back;
}

bool SwitchMarkedBackOn(IRegistry& registry, INetConnections* connections, IClock* clock) {
  bool all_back = true;
  for (const auto& guid : RestartMarks(registry)) {
    if (SwitchOn(connections, guid, clock)) {
      UnmarkRestarting(registry, guid);
    } else {
      all_back = false;
    }
  }
  return all_back;
}

void RestartsUnderWay::Begin() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++count_;
}

void RestartsUnderWay::End() {
  std::lock_guard<std::mutex> lock(mutex_);
  --count_;
  changed_.notify_all();
}

bool RestartsUnderWay::WaitUntilNone(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, limit, [this] { return count_ == 0; });
}

void RestartAndAwaitInternet(const Services& services, const std::vector<std::u16string>& adapters,
                             RestartDone done, const std::shared_ptr<RestartsUnderWay>& under_way) {
  const Services s = services;
  const int attempts = services.probe_attempts > 0 ? services.probe_attempts : kProbeAttempts;
  auto worker = [s, adapters, attempts, done, under_way] {
    bool reconnected = false, answered = false;
    try {
      {
        const Counted counted(under_way);
        reconnected = RestartInApartment(s, adapters);
      }
      if (reconnected) {
        FaultPoint(kEndDuringWait);
        IHttp* http = &s.http;
        IUiDispatcher* dispatcher = &s.dispatcher;
        answered =
            WaitForInternet([http](std::uint32_t limit_ms) { return IsInternetReachable(*http, limit_ms); },
                            s.clock, [dispatcher] { return dispatcher->Terminating(); }, attempts);
      }
    } catch (...) {
      // A restart that raised counts as not back, a probe path that raised as not answered; the hand-over
      // follows all the same.
    }
    try {
      s.dispatcher.Invoke([&done, reconnected, answered] { done(reconnected, answered); });
    } catch (...) {
      // Nothing leaves the thread; the program's exit ends it anyway.
    }
  };
  if (StartCounted(services, under_way, worker)) return;
  if (!RestartInApartment(services, adapters)) {
    done(false, false);
    return;
  }
  done(true, true);
}

void RestartInBackground(const Services& services, const std::vector<std::u16string>& adapters,
                         std::function<void(bool reconnected)> done,
                         const std::shared_ptr<RestartsUnderWay>& under_way) {
  const Services s = services;
  auto worker = [s, adapters, done, under_way] {
    bool reconnected = false;
    try {
      const Counted counted(under_way);
      reconnected = RestartInApartment(s, adapters);
    } catch (...) {
      // Counted as not back: the user is told rather than left with a connection that may be off.
    }
    try {
      s.dispatcher.Invoke([&done, reconnected] { done(reconnected); });
    } catch (...) {
      // Nothing leaves the thread.
    }
  };
  if (StartCounted(services, under_way, worker)) return;
  done(RestartInApartment(services, adapters));
}

}  // namespace tw
