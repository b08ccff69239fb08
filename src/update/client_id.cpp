#include "update/client_id.h"

#include <algorithm>
#include <optional>

#include "platform/clock.h"
#include "platform/random.h"
#include "platform/registry_key.h"

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

std::u16string NewClientId(IRandom& random, IClock& clock) {
  // The pieces in order, each reading of the clock separate from the other.
  std::u16string id = Hex(random.Next(0x7FFFFFFF), 8);
  const LocalTime date = clock.Now();
  id += TwoDigits(date.year) + TwoDigits(date.month) + TwoDigits(date.day);
  id += Hex(random.Next(0xFFFF), 4);
  const LocalTime time = clock.Now();
  id += TwoDigits(time.hour) + TwoDigits(time.minute) + TwoDigits(time.second);
  id += Hex(random.Next(0x7FFFFFFF), 8);
  return id;
}

std::u16string ClientId(IRegistry& registry, IRandom& random, IClock& clock) {
  RegistryKey key = RegistryKey::Create(registry, reg::kCurrentUser, kVantorelKey, reg::kReadWrite);
  if (!key) return {};
  try {
    std::uint32_t type = 0, size = 0;
    const RegStatus exists = key.QuerySize(kVuid, &type, &size);
    // Only a value that is really missing is created: an identifier, once stored, is never replaced.
    bool readable = exists == reg::kSuccess;
    if (exists == reg::kFileNotFound)
      readable = key.SetText(kVuid, NewClientId(random, clock)) == reg::kSuccess;
    return readable ? ReadText(key, kVuid).value_or(u"") : std::u16string();
  } catch (...) {
    return {};
  }
}

std::u16string ClientIdToSend(std::u16string_view id) {
  const bool hex = std::all_of(id.begin(), id.end(), [](char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
  });
  return id.size() == 32 && hex ? std::u16string(id) : std::u16string();
}

}  // namespace tw
