// Random numbers from a script, recording the ranges asked for. The update check draws from
// its own thread, so each draw is taken under a lock.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/random.h"

namespace tw::test {

class FakeRandom : public IRandom {
 public:
  std::uint32_t Next(std::uint32_t range) override {
    std::lock_guard<std::mutex> hold(lock);
    ranges.push_back(range);
    std::uint32_t v = values.empty() ? 0 : values.front();
    if (!values.empty()) values.pop_front();
    return v;
  }
  std::mutex lock;
  std::deque<std::uint32_t> values;
  std::vector<std::uint32_t> ranges;
};

}  // namespace tw::test
