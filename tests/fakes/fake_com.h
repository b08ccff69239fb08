// COM levels counted per thread, with the order of entering and leaving.
#pragma once

#include <map>
#include <mutex>
#include <thread>

#include "platform/com.h"

namespace tw::test {

class FakeCom : public ICom {
 public:
  bool Enter() override {
    std::lock_guard<std::mutex> lock(mutex_);
    ++depth_[std::this_thread::get_id()];
    ++entered_;
    return true;
  }
  void Leave() override {
    std::lock_guard<std::mutex> lock(mutex_);
    --depth_[std::this_thread::get_id()];
  }
  // Levels the calling thread is in.
  int Depth() const { return DepthOn(std::this_thread::get_id()); }
  int DepthOn(std::thread::id thread) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = depth_.find(thread);
    return it == depth_.end() ? 0 : it->second;
  }
  int Entered() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entered_;
  }

 private:
  mutable std::mutex mutex_;
  std::map<std::thread::id, int> depth_;
  int entered_ = 0;
};

}  // namespace tw::test
