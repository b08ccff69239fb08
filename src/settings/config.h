// TConfig: a small typed key-value store under HKEY_CURRENT_USER\Software\<Path>. Reads fall back to a
// default for a missing value and raise tw::Error for a value of the wrong type or size; writes never raise.
// An instance holds one open key for its short life: create, read or write a few values, destroy.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry_key.h"

namespace tw {

class TConfig {
 public:
  TConfig(IRegistry& registry, const std::u16string& Path);
  TConfig(const TConfig&) = delete;
  TConfig& operator=(const TConfig&) = delete;

  std::int32_t ReadInteger(const std::u16string& Name, std::int32_t Default);
  bool ReadBoolean(const std::u16string& Name, bool Default);
  std::u16string ReadString(const std::u16string& Name, const std::u16string& Default);

  // Each write returns the value given, whether or not it was stored.
  std::int32_t WriteInteger(const std::u16string& Name, std::int32_t Value);
  bool WriteBoolean(const std::u16string& Name, bool Value);
  std::u16string WriteString(const std::u16string& Name, const std::u16string& Value);

 private:
  bool ValueExists(const std::u16string& Name);
  std::int32_t ReadDword(const std::u16string& Name);

  RegistryKey FReg;  // not open when it could be neither opened nor created
};

}  // namespace tw
