#include "update/client_id.h"

#include <algorithm>
#include <optional>

#include "platform/clock.h"
#include "platform/random.h"
#include "platform/registry_key.h"
#include "platform/text.h"

namespace tw {
namespace {

constexpr char16_t kVantorelKey[] = u"Software\\Vantorel";
constexpr char16_t kVuid[] = u"VUID";

std::u16string Hex(std::uint32_t value, int digits) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string out(static_cast<size_t>(digits), u'0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4) out[static_cast<size_t>(i)] = kDigits[value & 0xF];
  return out;
}

std::u16string TwoDigits(int value) {
  const int v = ((value % 100) + 100) % 100;
  return {char16_t(u'0' + v / 10), char16_t(u'0' + v % 10)};
}

// Reads a REG_SZ value as text; nullopt when it cannot be read or has another type.
std::optional<std::u16string> ReadText(RegistryKey& key, const std::u16string& name) {
  std::uint32_t type = 0, size = 0;
  if (key.QuerySize(name, &type, &size) != reg::kSuccess) return std::nullopt;
  if (type != reg::kSz && type != reg::kExpandSz) return std::nullopt;
  std::u16string text;
  if (size > 0 && key.QueryText(name, size, &type, &text) != reg::kSuccess) return std::nullopt;
  return text;
}

}  // namespace

std::u16string NewClientId(ISecureRandom& random, IClock& clock) {
  std::uint8_t bytes[10] = {};
  if (!random.Fill(bytes, sizeof bytes)) return {};
  auto word = [&](int at, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | bytes[at + i];
    return value;
  };
  // The pieces in order, each reading of the clock separate from the other.
  std::u16string id = Hex(word(0, 4), 8);
  const LocalTime date = clock.Now();
  id += TwoDigits(date.year) + TwoDigits(date.month) + TwoDigits(date.day);
  id += Hex(word(4, 2), 4);
  const LocalTime time = clock.Now();
  id += TwoDigits(time.hour) + TwoDigits(time.minute) + TwoDigits(time.second);
  id += Hex(word(6, 4), 8);
  return id;
}

std::u16string ClientId(IRegistry& registry, ISecureRandom& random, IClock& clock) {
  RegistryKey key = RegistryKey::Create(registry, reg::kCurrentUser, kVantorelKey, reg::kReadWrite);
  if (!key) return {};
  try {
    std::uint32_t type = 0, size = 0;
    const RegStatus exists = key.QuerySize(kVuid, &type, &size);
    // Only a value that is really missing is created: an identifier, once stored, is never replaced.
    bool readable = exists == reg::kSuccess;
    if (exists == reg::kFileNotFound) {
      const std::u16string id = NewClientId(random, clock);
      readable = !id.empty() && key.SetText(kVuid, id) == reg::kSuccess;
    }
    return readable ? ReadText(key, kVuid).value_or(u"") : std::u16string();
  } catch (...) {
    return {};
  }
}

std::u16string ClientIdToSend(std::u16string_view id) {
  const bool hex = std::all_of(id.begin(), id.end(), [](char16_t c) { return AsciiHexDigit(c) >= 0; });
  return id.size() == 32 && hex ? std::u16string(id) : std::u16string();
}

}  // namespace tw
