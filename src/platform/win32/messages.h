// The program's private window messages, in one place.
#pragma once

#include <windows.h>

namespace tw::win {

enum : UINT {
  WM_TW_INVOKE = WM_APP + 1,  // UiDispatcher hand-over; lParam = the packet
  // Sent to a window by its theme helper when the height its strip takes from the top of the client area
  // changes; wParam = the new height in pixels (0 while the strip is hidden or gone). Top-aligned content
  // starts that far down.
  WM_TW_THEME_STRIP = WM_APP + 2,
  WM_TW_FIRST_FREE = WM_APP + 16,
};

}  // namespace tw::win
