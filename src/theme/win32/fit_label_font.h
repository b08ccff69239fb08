// Shrinks a label's font once so that its caption fits the label's width.
#pragma once

#include <windows.h>

namespace tw::win {

// Measures the caption in the label's font (WM_GETFONT) and, when it is wider than the label's client area,
// gives the label a copy of that font at the smaller point size (FitFontPoints). The new font belongs to the
// label and is deleted with it, or when a later call replaces it; a caption that fits leaves the label alone.
void FitLabelFont(HWND label);

}  // namespace tw::win
