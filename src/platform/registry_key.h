// The typed side of the registry interface: a key that closes itself (every key the program opens is held in
// one), REG_DWORD and REG_SZ values in their exact encodings (little-endian DWORD; UTF-16LE text stored with
// its terminating NUL). Every call goes straight to IRegistry, one raw call per operation, so callers keep
// full control of what is asked and when.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace tw {

class RegistryKey {
 public:
  // RegCreateKeyExW (missing parents created) or RegOpenKeyExW; status() says how it went.
  static RegistryKey Create(IRegistry& registry, RegKey root, const std::u16string& subkey,
                            std::uint32_t access);
  static RegistryKey Open(IRegistry& registry, RegKey root, const std::u16string& subkey,
                          std::uint32_t access);
  // IRegistry::CreateAdminKey: created (or given) the Administrators-and-SYSTEM access list.
  static RegistryKey CreateAdmin(IRegistry& registry, RegKey root, const std::u16string& subkey,
                                 std::uint32_t access);
  ~RegistryKey();
  RegistryKey(RegistryKey&& other) noexcept;
  RegistryKey& operator=(RegistryKey&&) = delete;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  explicit operator bool() const { return key_ != 0; }
  RegStatus status() const { return status_; }
  RegKey get() const { return key_; }

  // The value's type and size in bytes, without its data.
  RegStatus QuerySize(const std::u16string& name, std::uint32_t* type, std::uint32_t* size);
  // Through a 4-byte buffer: longer data fails (kMoreData); shorter data fills the low bytes, the rest zero.
  RegStatus QueryDword(const std::u16string& name, std::uint32_t* type, std::uint32_t* value);
  // Through a buffer of `size` bytes; *text is the data up to its first NUL (none needed).
  RegStatus QueryText(const std::u16string& name, std::uint32_t size, std::uint32_t* type,
                      std::u16string* text);

  RegStatus SetDword(const std::u16string& name, std::uint32_t value);
  RegStatus SetText(const std::u16string& name, const std::u16string& text);  // REG_SZ
  // Any type, the data as given (none when empty).
  RegStatus SetBytes(const std::u16string& name, std::uint32_t type, const std::vector<std::uint8_t>& data);
  RegStatus DeleteValue(const std::u16string& name);

 private:
  RegistryKey(IRegistry& registry, RegStatus status, RegKey key)
      : registry_(registry), status_(status), key_(key) {}

  IRegistry& registry_;
  RegStatus status_;
  RegKey key_;  // 0 when not open
};

}  // namespace tw
