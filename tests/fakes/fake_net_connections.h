// Records every connect and disconnect with the thread it came from; answers from a script, then with a fixed
// result, after an optional hook that can hold the call (an adapter that takes its time).
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/netcon.h"

namespace tw::test {

class FakeNetConnections : public INetConnections {
 public:
  struct Call {
    std::u16string guid;
    bool enable;
    std::thread::id thread;
  };
  bool SetConnectionEnabled(const std::u16string& guid, bool enable) override {
    std::function<void(const Call&)> hook;
    const Call call{guid, enable, std::this_thread::get_id()};
    bool answered;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      calls_.push_back(call);
      answered = answer ? answer(guid, enable) : result;
      hook = on_call;
    }
    if (hook) hook(call);
    return answered;
  }
  std::vector<Call> Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
  }

  bool result = true;
  // When set, answers instead of `result` (called under the fake's lock: it must not call back).
  std::function<bool(const std::u16string& guid, bool enable)> answer;
  // Runs after each call is recorded, on the calling thread and outside the lock, before the call returns.
  std::function<void(const Call&)> on_call;

 private:
  mutable std::mutex mutex_;
  std::vector<Call> calls_;
};

}  // namespace tw::test
