// The Win32 main window.
#pragma once

#include <windows.h>

namespace tw::win {

// Creates the main window, runs the message loop until it closes.
void RunMainWindow(HINSTANCE instance, int show);

}  // namespace tw::win
