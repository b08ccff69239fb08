#include "tuning/adapter_discovery.h"

#include <condition_variable>
#include <exception>
#include <mutex>

#include "platform/threads.h"

namespace tw {

struct AdapterDiscovery::Outcome {
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  bool found = false;
  AdapterInfo info;
  std::exception_ptr error;

  void Discover(IAdapterFacts& facts) {
    AdapterInfo walked;
    bool result = false;
    std::exception_ptr raised;
    try {
      result = FindActiveAdapter(facts, walked);
    } catch (...) {
      raised = std::current_exception();  // raised again where the result is collected
    }
    std::lock_guard<std::mutex> lock(mutex);
    found = result;
    info = std::move(walked);
    error = raised;
    done = true;
    ended.notify_all();
  }
};

AdapterDiscovery::AdapterDiscovery(IAdapterFacts& facts, IThreads& threads, std::chrono::milliseconds time)
    : facts_(&facts),
      outcome_(std::make_shared<Outcome>()),
      deadline_(std::chrono::steady_clock::now() + time) {
  started_ = threads.StartDetached([outcome = outcome_, facts = facts_] { outcome->Discover(*facts); });
}

bool AdapterDiscovery::Collect(AdapterInfo& info) {
  if (!started_) {
    started_ = true;
    outcome_->Discover(*facts_);
  }
  std::unique_lock<std::mutex> lock(outcome_->mutex);
  // A worker still stuck in WMI is left behind: it owns nothing of ours but the shared outcome.
  if (timed_out_ || !outcome_->ended.wait_until(lock, deadline_, [this] { return outcome_->done; })) {
    timed_out_ = true;
    throw DiscoveryError(kNoAnswerInTime);
  }
  if (outcome_->error) std::rethrow_exception(outcome_->error);
  if (outcome_->found) info = outcome_->info;
  return outcome_->found;
}

}  // namespace tw
