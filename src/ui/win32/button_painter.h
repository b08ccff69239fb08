// Draws one styled button face from an attribute set.
#pragma once

#include <windows.h>

#include <string>

#include "theme/button_styles.h"

namespace tw::win {

// Paints into `dc`, normally the caller's off-screen buffer, so the face never flickers. The shape is
// antialiased while GDI+ runs (StartGdiplus) and drawn with plain GDI otherwise. `radius` is the corner
// radius of btRoundRect in device pixels; `font` may be null for the default GUI font, and the attribute
// set's style flags are applied on top of it; `focus_cue` draws the keyboard focus rectangle inside the face.
void PaintStyledButton(HDC dc, const RECT& rc, const TStyledButtonAttributes& attrs,
                       const std::u16string& caption, HFONT font, int radius, bool focus_cue);

inline COLORREF ToColorRef(const TColor& c) {
  return RGB(c.r, c.g, c.b);
}

}  // namespace tw::win
