// Adapter discovery started ahead of the step that uses it. WMI can take long (hundreds of milliseconds, far
// more right after boot), so FindActiveAdapter runs on a worker of its own while the window is being built;
// its COM apartment is the worker's own, made and ended by the call. Collect hands over the outcome as though
// the call had been made there and then: the same result and the same error.
#pragma once

#include <memory>

#include "tuning/network.h"

namespace tw {

class IThreads;

class AdapterDiscovery {
 public:
  // Starts discovery on a thread from `threads`; when none can be started, Collect runs it instead. `facts`
  // must outlive the discovery's thread.
  AdapterDiscovery(IAdapterFacts& facts, IThreads& threads);

  // Waits until discovery has ended. True when it found an adapter, which is then written into `info`; on
  // false `info` is left as it was. Raises what FindActiveAdapter raised. Every call gives the same outcome.
  bool Collect(AdapterInfo& info);

 private:
  struct Outcome;
  IAdapterFacts* facts_;
  std::shared_ptr<Outcome> outcome_;  // shared with the worker, which may outlive this object
  bool started_;
};

}  // namespace tw
