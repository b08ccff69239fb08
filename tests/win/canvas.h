// What the drawing tests of the widgets paint into.
#pragma once

#include <windows.h>

#include "platform/win32/handles.h"

namespace tw::test {

// Renders into a white bitmap and reads pixels back.
class Canvas {
 public:
  Canvas(int w, int h) : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    bitmap_.reset(CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, nullptr, nullptr, 0));
    old_ = SelectObject(dc_, bitmap_.get());
    RECT rc{0, 0, w, h};
    FillRect(dc_, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_;
  win::unique_hbitmap bitmap_;
  HGDIOBJ old_;
};

}  // namespace tw::test
