#include "theme/theme_strip.h"

#include "theme/vantorel_button_styles.h"

namespace tw {

std::optional<std::uint32_t> DarkTitleBarAttribute(std::uint32_t windows_build) {
  if (windows_build >= 18985) return 20;
  if (windows_build >= 17763) return 19;
  return std::nullopt;
}

bool IsActivation(std::uintptr_t wparam) {
  return (wparam & 0xFFFF) != 0;
}

StripLook DecideStripLook(bool active, std::uint32_t style, TColor inactive) {
  return {active ? kAccentColor : inactive,
          (style & (kStyleBorder | kStyleDlgFrame | kStyleThickFrame)) != 0};
}

}  // namespace tw
