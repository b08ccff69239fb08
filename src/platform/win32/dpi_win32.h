// DPI queries bound at run time: the per-monitor functions exist from Windows 10 1607 on, and the program
// still starts on older systems, where the system DPI applies everywhere.
#pragma once

#include <windows.h>

#include "platform/win32/handles.h"

namespace tw::win {

int SystemDpi();
// The DPI of the monitor the window is on (per-monitor aware), else the system DPI.
int WindowDpi(HWND hwnd);
// The window size for a client rectangle at `dpi`: the one place where frames are computed (a structure test
// holds everything else to it). Where the system has no per-DPI frame, the system DPI's frame is rescaled.
RECT WindowRectForClient(int client_width, int client_height, DWORD style, DWORD ex_style, int dpi);
// The sizes of a small (title bar) and a large (Alt+Tab) icon at `dpi`.
int SmallIconSize(int dpi);
int LargeIconSize(int dpi);
// An icon of `instance` (null: a system icon such as IDI_WARNING) made at `size` pixels from the nearest
// larger image, owned by the caller. A shared icon is made once at the system size and comes back at that
// size whatever is asked, blurred when it is stretched at a higher DPI. Null when there is none.
unique_hicon LoadIconAtSize(HINSTANCE instance, const wchar_t* id, int size);
// The desktop icon-title font at `dpi`.
LOGFONTW IconTitleFont(int dpi);

}  // namespace tw::win
