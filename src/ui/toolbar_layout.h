// Where a header toolbar puts its buttons: fixed-size slots after an indent, at 96 DPI.
#pragma once

#include "platform/dpi.h"

namespace tw {

inline constexpr int kToolbarButtonWidth = 70;
inline constexpr int kToolbarButtonHeight = 30;
inline constexpr int kToolbarIndent = 10;
inline constexpr int kToolbarCornerRadius = 4;

// The rectangle of the button shown at `slot` (counting only visible buttons).
constexpr LayoutRect ToolbarButtonRect(int slot) {
  return {kToolbarIndent + slot * kToolbarButtonWidth, 0, kToolbarButtonWidth, kToolbarButtonHeight};
}

}  // namespace tw
