#include "theme/theme_strip.h"

#include "theme/vantorel_button_styles.h"

namespace tw {

bool IsActivation(std::uintptr_t wparam) {
  return (wparam & 0xFFFF) != 0;
}

StripLook DecideStripLook(bool active, std::uint32_t style, TColor inactive) {
  return {active ? kAccentColor : inactive,
          (style & (kStyleBorder | kStyleDlgFrame | kStyleThickFrame)) != 0};
}

}  // namespace tw
