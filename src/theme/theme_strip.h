// The decisions of the window theme helper's activation strip, apart from the window system.
#pragma once

#include <cstdint>
#include <optional>

#include "theme/button_styles.h"

namespace tw {

// The strip's height at 96 DPI.
inline constexpr int kThemeStripHeight = 2;

// Window style bits that give a window a border (the values of WS_BORDER, WS_DLGFRAME and WS_THICKFRAME;
// WS_CAPTION is WS_BORDER | WS_DLGFRAME).
inline constexpr std::uint32_t kStyleBorder = 0x00800000;
inline constexpr std::uint32_t kStyleDlgFrame = 0x00400000;
inline constexpr std::uint32_t kStyleThickFrame = 0x00040000;

// The window attribute that asks the desktop window manager for a dark title bar on a Windows build: 19 on
// 1809 to 1909 (builds 17763 to 18362/18363), 20 from build 18985 (2004's previews) on; none before 1809,
// which has no dark title bar. Each build refuses the other's number.
std::optional<std::uint32_t> DarkTitleBarAttribute(std::uint32_t windows_build);

// Activation as told by WM_ACTIVATE's wParam: only the low word counts, and any state but WA_INACTIVE (0),
// a click activation included, is active.
bool IsActivation(std::uintptr_t wparam);

struct StripLook {
  TColor color;
  bool visible = false;
  friend bool operator==(const StripLook&, const StripLook&) = default;
};

// The strip's look for a window with `style` that is active or not; `inactive` is the system's grey text.
StripLook DecideStripLook(bool active, std::uint32_t style, TColor inactive);

}  // namespace tw
