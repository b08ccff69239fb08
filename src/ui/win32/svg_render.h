// Paints a parsed SVG document with GDI+, antialiased, scaled into a rectangle.
#pragma once

#include <windows.h>

#include "ui/svg.h"

namespace tw::win {

// False when GDI+ is not available (nothing is drawn). Lettering in a face the system lacks is drawn in
// `window_font`'s face, else in a sans-serif face that is there, else left out.
bool PaintSvg(HDC dc, const RECT& bounds, const SvgDocument& doc, HFONT window_font = nullptr);

}  // namespace tw::win
