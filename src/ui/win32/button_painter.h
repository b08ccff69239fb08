// Draws one styled button face from an attribute set.
#pragma once

#include <windows.h>

#include <string>

#include "theme/button_styles.h"

namespace tw::win {

// Paints into `dc` (the caller double-buffers). `radius` is the corner radius in device pixels; `focus_cue`
// draws the keyboard focus rectangle inside the face.
void PaintStyledButton(HDC dc, const RECT& rc, const TStyledButtonAttributes& attrs,
                       const std::u16string& caption, HFONT font, int radius, bool focus_cue);

inline COLORREF ToColorRef(const TColor& c) {
  return RGB(c.r, c.g, c.b);
}

}  // namespace tw::win
