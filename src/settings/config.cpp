#include "settings/config.h"

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

TConfig::TConfig(IRegistry& registry, const std::u16string& Path)
    : FReg(RegistryKey::Create(registry, reg::kCurrentUser, u"Software\\" + Path, reg::kKeyAllAccess)) {}

bool TConfig::ValueExists(const std::u16string& Name) {
  if (!FReg) return false;
  std::uint32_t type = 0, size = 0;
  return FReg.QuerySize(Name, &type, &size) == reg::kSuccess;
}

// The value through a 4-byte buffer: longer data cannot be read, and only the two DWORD types are accepted.
// A shorter DWORD fills the low bytes; the rest stays zero.
std::int32_t TConfig::ReadDword(const std::u16string& Name) {
  std::uint32_t type = 0, value = 0;
  if (FReg.QueryDword(Name, &type, &value) != reg::kSuccess) FailedToGet(Name);
  // A big-endian DWORD is read as it lies, not swapped.
  if (type != reg::kDword && type != reg::kDwordBigEndian) InvalidType(Name);
  return static_cast<std::int32_t>(value);
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
  if (FReg.QuerySize(Name, &type, &size) != reg::kSuccess || size == 0) return u"";
  std::u16string text;
  if (FReg.QueryText(Name, size, &type, &text) != reg::kSuccess) FailedToGet(Name);
  if (type != reg::kSz && type != reg::kExpandSz) InvalidType(Name);
  return text;
}

std::int32_t TConfig::WriteInteger(const std::u16string& Name, std::int32_t Value) {
  if (FReg) FReg.SetDword(Name, static_cast<std::uint32_t>(Value));  // a refusal is dropped
  return Value;
}

bool TConfig::WriteBoolean(const std::u16string& Name, bool Value) {
  WriteInteger(Name, Value ? 1 : 0);
  return Value;
}

std::u16string TConfig::WriteString(const std::u16string& Name, const std::u16string& Value) {
  if (FReg) FReg.SetText(Name, Value);
  return Value;
}

}  // namespace tw
