// The registry interface over the wide-character registry API, arguments passed through unchanged.
#pragma once

#include "platform/registry.h"

namespace tw::win {

class WinRegistry final : public IRegistry {
 public:
  RegStatus CreateKey(RegKey root, const std::u16string& subkey, std::uint32_t options, std::uint32_t access,
                      RegKey* key) override;
  RegStatus CreateAdminKey(RegKey root, const std::u16string& subkey, std::uint32_t access,
                           RegKey* key) override;
  RegStatus OpenKey(RegKey root, const std::u16string& subkey, std::uint32_t access, RegKey* key) override;
  RegStatus QueryValue(RegKey key, const std::u16string& name, std::uint32_t* type, std::uint8_t* data,
                       std::uint32_t* size) override;
  RegStatus SetValue(RegKey key, const std::u16string& name, std::uint32_t type, const std::uint8_t* data,
                     std::uint32_t size) override;
  RegStatus DeleteValue(RegKey key, const std::u16string& name) override;
  RegStatus DeleteEmptyKey(RegKey root, const std::u16string& subkey, std::uint32_t access) override;
  RegStatus CloseKey(RegKey key) override;
};

}  // namespace tw::win
