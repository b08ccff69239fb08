// Paints a parsed SVG document with GDI+, antialiased, scaled into a rectangle.
#pragma once

#include <windows.h>

#include "ui/svg.h"

namespace tw::win {

// False when GDI+ is not available (nothing is drawn).
bool PaintSvg(HDC dc, const RECT& bounds, const SvgDocument& doc);

}  // namespace tw::win
