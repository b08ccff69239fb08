// Adapter discovery started ahead of the step that uses it. WMI can take long (hundreds of milliseconds, far
// more right after boot), so FindActiveAdapter runs on a worker of its own while the window is being built;
// its COM apartment is the worker's own, made and ended by the call. Collect hands over the outcome as though
// the call had been made there and then: the same result and the same error. A discovery that has not ended
// within its time fails as any discovery that fails after the adapter query does, so that a hung WMI never
// leaves an invisible process holding the single-instance lock.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "tuning/adapter_choice.h"

namespace tw {

class IThreads;

// The time discovery is given from its start: a little more than WMI's whole walk (kWmiBudgetMs).
inline constexpr std::uint32_t kDiscoveryWaitMs = 30000;

class AdapterDiscovery {
 public:
  // Starts discovery on a thread from `threads`; when none can be started, Collect runs it instead. `facts`
  // must outlive the discovery's thread. The discovery's time runs from here.
  AdapterDiscovery(IAdapterFacts& facts, IThreads& threads,
                   std::chrono::milliseconds time = std::chrono::milliseconds(kDiscoveryWaitMs));

  // Waits until discovery has ended, at most until its time is up. True when it found an adapter, which is
  // then written into `info`; on false `info` is left as it was. Raises what FindActiveAdapter raised, and
  // DiscoveryError(kNoAnswerInTime) when the time is up first. Every call gives the same outcome.
  bool Collect(AdapterInfo& info);

 private:
  struct Outcome;
  IAdapterFacts* facts_;
  std::shared_ptr<Outcome> outcome_;  // shared with the worker, which may outlive this object
  std::chrono::steady_clock::time_point deadline_;
  bool started_;
  bool timed_out_ = false;
};

}  // namespace tw
