// Arbitrary code units as source and markers, an arbitrary position: the helpers must never read outside the
// source, must return a piece of it, and may raise only the project's error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/error.h"
#include "update/strings.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Splits the input into three texts of 16-bit code units at each 0xFFFF unit.
void Split(const std::uint8_t* data, size_t size, std::u16string* parts, int count) {
  int part = 0;
  for (size_t i = 0; i + 1 < size; i += 2) {
    const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0xFFFF && part + 1 < count) {
      ++part;
    } else {
      parts[part] += c;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int start_position = static_cast<std::int8_t>(data[0]);
  std::u16string parts[3];
  Split(data + 1, size - 1, parts, 3);
  const std::u16string& source = parts[0];

  int position = start_position;
  const std::u16string value = tw::ExtractBetweenAt(source, parts[1], parts[2], &position);
  Check(position >= 0);
  if (position == 0) Check(value.empty());
  Check(static_cast<size_t>(position) <= source.size() + 2);
  Check(value.empty() || source.find(value) != std::u16string::npos);

  const std::u16string kept = tw::ExtractBetween(source, parts[1], parts[2], true);
  const std::u16string plain = tw::ExtractBetween(source, parts[1], parts[2]);
  Check(kept == plain || kept == parts[1] + plain + parts[2]);

  for (const std::u16string& text : parts) {
    try {
      Check(tw::JsonUnescape(text).size() <= text.size());
    } catch (const tw::Error&) {
    }
  }
  return 0;
}
