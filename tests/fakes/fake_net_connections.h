// Records every connect and disconnect with the thread it came from; answers from a script, then with a fixed
// result.
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
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back({guid, enable, std::this_thread::get_id()});
    if (answer) return answer(guid, enable);
    return result;
  }
  std::vector<Call> Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
  }

  bool result = true;
  // When set, answers instead of `result` (called under the fake's lock: it must not call back).
  std::function<bool(const std::u16string& guid, bool enable)> answer;

 private:
  mutable std::mutex mutex_;
  std::vector<Call> calls_;
};

}  // namespace tw::test
