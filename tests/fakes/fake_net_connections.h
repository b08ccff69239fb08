// Records every connect and disconnect with the thread it came from; answers with a fixed result, after an
// optional hook that can hold the call.
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
    Call call{guid, enable, std::this_thread::get_id()};
    {
      std::lock_guard<std::mutex> lock(mutex_);
      calls_.push_back(call);
      hook = on_call;
    }
    if (hook) hook(call);
    return result;
  }
  std::vector<Call> Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
  }

  bool result = true;
  // Runs after each call is recorded, on the calling thread, before the call returns (a slow adapter).
  std::function<void(const Call&)> on_call;

 private:
  mutable std::mutex mutex_;
  std::vector<Call> calls_;
};

}  // namespace tw::test
