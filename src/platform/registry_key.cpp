#include "platform/registry_key.h"

namespace tw {

RegistryKey RegistryKey::Create(IRegistry& registry, RegKey root, const std::u16string& subkey,
                                std::uint32_t access) {
  RegKey key = 0;
  const RegStatus status = registry.CreateKey(root, subkey, reg::kOptionNonVolatile, access, &key);
  return RegistryKey(registry, status, status == reg::kSuccess ? key : 0);
}

RegistryKey RegistryKey::Open(IRegistry& registry, RegKey root, const std::u16string& subkey,
                              std::uint32_t access) {
  RegKey key = 0;
  const RegStatus status = registry.OpenKey(root, subkey, access, &key);
  return RegistryKey(registry, status, status == reg::kSuccess ? key : 0);
}

RegistryKey RegistryKey::CreateAdmin(IRegistry& registry, RegKey root, const std::u16string& subkey,
                                     std::uint32_t access) {
  RegKey key = 0;
  const RegStatus status = registry.CreateAdminKey(root, subkey, access, &key);
  return RegistryKey(registry, status, status == reg::kSuccess ? key : 0);
}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept
    : registry_(other.registry_), status_(other.status_), key_(other.key_) {
  other.key_ = 0;
}

RegistryKey::~RegistryKey() {
  if (key_) registry_.CloseKey(key_);
}

RegStatus RegistryKey::QuerySize(const std::u16string& name, std::uint32_t* type, std::uint32_t* size) {
  return registry_.QueryValue(key_, name, type, nullptr, size);
}

RegStatus RegistryKey::QueryDword(const std::u16string& name, std::uint32_t* type, std::uint32_t* value) {
  std::uint8_t bytes[4] = {};
  std::uint32_t size = sizeof bytes;
  const RegStatus status = registry_.QueryValue(key_, name, type, bytes, &size);
  if (status == reg::kSuccess) {
    *value = std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
             std::uint32_t(bytes[3]) << 24;
  }
  return status;
}

RegStatus RegistryKey::QueryText(const std::u16string& name, std::uint32_t size, std::uint32_t* type,
                                 std::u16string* text) {
  std::vector<std::uint8_t> bytes(size);
  const RegStatus status = registry_.QueryValue(key_, name, type, bytes.data(), &size);
  if (status != reg::kSuccess) return status;
  text->clear();
  // Stored with its terminating NUL, or without one when someone else wrote it.
  for (size_t i = 0; i + 1 < size && i + 1 < bytes.size(); i += 2) {
    const auto c = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
    if (c == u'\0') break;
    text->push_back(c);
  }
  return status;
}

RegStatus RegistryKey::SetDword(const std::u16string& name, std::uint32_t value) {
  const std::uint8_t bytes[4] = {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
                                 std::uint8_t(value >> 24)};
  return registry_.SetValue(key_, name, reg::kDword, bytes, sizeof bytes);
}

RegStatus RegistryKey::SetText(const std::u16string& name, const std::u16string& text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve((text.size() + 1) * 2);
  for (char16_t c : text) {
    bytes.push_back(std::uint8_t(c));
    bytes.push_back(std::uint8_t(c >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return registry_.SetValue(key_, name, reg::kSz, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

RegStatus RegistryKey::SetBytes(const std::u16string& name, std::uint32_t type,
                                const std::vector<std::uint8_t>& data) {
  return registry_.SetValue(key_, name, type, data.empty() ? nullptr : data.data(),
                            static_cast<std::uint32_t>(data.size()));
}

RegStatus RegistryKey::DeleteValue(const std::u16string& name) {
  return registry_.DeleteValue(key_, name);
}

}  // namespace tw
