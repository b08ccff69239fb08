// The user's locale through the National Language Support API.
#pragma once

#include "platform/locale.h"

namespace tw::win {

class WinLocale final : public ILocale {
 public:
  std::uint32_t UserDefaultLcid() override;
  int LocaleInfo(std::uint32_t lcid, std::uint32_t type, char16_t* buffer, int size) override;
};

}  // namespace tw::win
