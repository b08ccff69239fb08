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

// Bytes from a script; `fail` makes every draw fail as a system without a generator would.
class FakeSecureRandom : public ISecureRandom {
 public:
  bool Fill(std::uint8_t* out, std::size_t size) override {
    std::lock_guard<std::mutex> hold(lock);
    ++draws;
    if (fail) return false;
    for (std::size_t i = 0; i < size; ++i) {
      out[i] = bytes.empty() ? 0 : bytes.front();
      if (!bytes.empty()) bytes.pop_front();
    }
    return true;
  }
  std::mutex lock;
  std::deque<std::uint8_t> bytes;
  bool fail = false;
  int draws = 0;
};

}  // namespace tw::test
