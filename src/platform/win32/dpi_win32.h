// DPI queries bound at run time: the per-monitor functions exist from Windows 10 1607 on, and the program
// still starts on older systems, where the system DPI applies everywhere.
#pragma once

#include <windows.h>

namespace tw::win {

int SystemDpi();
// The DPI of the monitor the window is on (per-monitor aware), else the system DPI.
int WindowDpi(HWND hwnd);
// The window size for a client rectangle at `dpi`.
RECT WindowRectForClient(int client_width, int client_height, DWORD style, DWORD ex_style, int dpi);
// The desktop icon-title font at `dpi`.
LOGFONTW IconTitleFont(int dpi);

}  // namespace tw::win
