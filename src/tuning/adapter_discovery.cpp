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

AdapterDiscovery::AdapterDiscovery(IAdapterFacts& facts, IThreads& threads)
    : facts_(&facts), outcome_(std::make_shared<Outcome>()) {
  started_ = threads.StartDetached([outcome = outcome_, facts = facts_] { outcome->Discover(*facts); });
}

bool AdapterDiscovery::Collect(AdapterInfo& info) {
  if (!started_) {
    started_ = true;
    outcome_->Discover(*facts_);
  }
  std::unique_lock<std::mutex> lock(outcome_->mutex);
  outcome_->ended.wait(lock, [this] { return outcome_->done; });
  if (outcome_->error) std::rethrow_exception(outcome_->error);
  if (outcome_->found) info = outcome_->info;
  return outcome_->found;
}

}  // namespace tw
