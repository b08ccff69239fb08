// A scripted locale: the language name GetLocaleInfoW would report, or failures of either call.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/locale.h"

namespace tw::test {

class FakeLocale : public ILocale {
 public:
  explicit FakeLocale(std::u16string language_name = u"en") : name(std::move(language_name)) {}

  std::uint32_t UserDefaultLcid() override { return lcid; }
  int LocaleInfo(std::uint32_t id, std::uint32_t type, char16_t* buffer, int size) override {
    calls.push_back({id, type, buffer != nullptr, size});
    const int needed = static_cast<int>(name.size()) + 1;
    if (!buffer) return size_result.value_or(needed);
    if (fill_result) return *fill_result;
    if (size < needed) return 0;  // ERROR_INSUFFICIENT_BUFFER
    std::copy(name.begin(), name.end(), buffer);
    buffer[name.size()] = u'\0';
    return needed;
  }

  struct Call {
    std::uint32_t lcid, type;
    bool with_buffer;
    int size;
  };
  std::u16string name;
  std::uint32_t lcid = 0x0409;
  std::optional<int> size_result;  // overrides the answer to the size query
  std::optional<int> fill_result;  // overrides the answer to the second call (and writes nothing)
  std::vector<Call> calls;
};

}  // namespace tw::test
