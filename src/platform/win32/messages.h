// The program's private window messages, in one place.
#pragma once

#include <windows.h>

namespace tw::win {

enum : UINT {
  WM_TW_INVOKE = WM_APP + 1,  // UiDispatcher hand-over; lParam = the packet
  WM_TW_FIRST_FREE = WM_APP + 16,
};

}  // namespace tw::win
