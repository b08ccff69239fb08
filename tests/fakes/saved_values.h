// Building blocks for tests of the record: a value's bytes and one recorded entry.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tuning/record_format.h"

namespace tw::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Dword(std::uint32_t v) {
  return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}

inline SavedValue Saved(TweakId tweak, const std::u16string& adapter, bool existed, std::uint32_t type,
                        Bytes data) {
  SavedValue v;
  v.target = {tweak, adapter};
  v.existed = existed;
  v.type = type;
  v.data = std::move(data);
  return v;
}

}  // namespace tw::test
