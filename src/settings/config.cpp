#include "settings/config.h"

#include <vector>

#include "platform/error.h"

namespace tw {
namespace {

[[noreturn]] void InvalidType(const std::u16string& name) {
  throw Error(u"Invalid data type for '" + name + u"'");
}
[[noreturn]] void FailedToGet(const std::u16string& name) {
  throw Error(u"Failed to get data for '" + name + u"'");
}

}  // namespace

TConfig::TConfig(IRegistry& registry, const std::u16string& Path) : registry_(registry) {
  RegKey key = 0;
  if (registry_.CreateKey(reg::kCurrentUser, u"Software\\" + Path, reg::kOptionNonVolatile,
                          reg::kKeyAllAccess, &key) == reg::kSuccess) {
    FReg = key;
  }
}

TConfig::~TConfig() {
  if (FReg) registry_.CloseKey(FReg);
}

bool TConfig::ValueExists(const std::u16string& Name) {
  if (!FReg) return false;
  std::uint32_t type = 0, size = 0;
  return registry_.QueryValue(FReg, Name, &type, nullptr, &size) == reg::kSuccess;
}

// The value through a 4-byte buffer: longer data cannot be read, and only the two DWORD types are accepted.
// A shorter DWORD fills the low bytes; the rest stays zero.
std::int32_t TConfig::ReadDword(const std::u16string& Name) {
  std::uint8_t bytes[4] = {};
  std::uint32_t type = 0, size = sizeof bytes;
  if (registry_.QueryValue(FReg, Name, &type, bytes, &size) != reg::kSuccess) FailedToGet(Name);
  // A big-endian DWORD is read as it lies, not swapped.
  if (type != reg::kDword && type != reg::kDwordBigEndian) InvalidType(Name);
  return static_cast<std::int32_t>(std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 |
                                   std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24);
}

std::int32_t TConfig::ReadInteger(const std::u16string& Name, std::int32_t Default) {
  return ValueExists(Name) ? ReadDword(Name) : Default;
}

bool TConfig::ReadBoolean(const std::u16string& Name, bool Default) {
  return ValueExists(Name) ? ReadDword(Name) != 0 : Default;
}

std::u16string TConfig::ReadString(const std::u16string& Name, const std::u16string& Default) {
  if (!ValueExists(Name)) return Default;
  std::uint32_t type = 0, size = 0;
  if (registry_.QueryValue(FReg, Name, &type, nullptr, &size) != reg::kSuccess || size == 0) return u"";
  std::vector<std::uint8_t> bytes(size);
  if (registry_.QueryValue(FReg, Name, &type, bytes.data(), &size) != reg::kSuccess) FailedToGet(Name);
  if (type != reg::kSz && type != reg::kExpandSz) InvalidType(Name);
  std::u16string text;
  for (size_t i = 0; i + 1 < size && i + 1 < bytes.size(); i += 2) {
    const auto c = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
    if (c == u'\0') break;
    text.push_back(c);
  }
  return text;
}

std::int32_t TConfig::WriteInteger(const std::u16string& Name, std::int32_t Value) {
  if (FReg) {
    const auto v = static_cast<std::uint32_t>(Value);
    const std::uint8_t bytes[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                                   std::uint8_t(v >> 24)};
    registry_.SetValue(FReg, Name, reg::kDword, bytes, sizeof bytes);  // a refusal is dropped
  }
  return Value;
}

bool TConfig::WriteBoolean(const std::u16string& Name, bool Value) {
  WriteInteger(Name, Value ? 1 : 0);
  return Value;
}

std::u16string TConfig::WriteString(const std::u16string& Name, const std::u16string& Value) {
  if (FReg) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve((Value.size() + 1) * 2);
    for (char16_t c : Value) {
      bytes.push_back(std::uint8_t(c));
      bytes.push_back(std::uint8_t(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    registry_.SetValue(FReg, Name, reg::kSz, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  }
  return Value;
}

}  // namespace tw
