// The one scaling rule for layout values written at 96 DPI.
#pragma once

#include <cstdint>

namespace tw {

inline constexpr int kDefaultDpi = 96;

// v * dpi / 96 rounded to the nearest integer, halves away from zero: exactly what MulDiv(v, dpi, 96) gives,
// so portable layout code and the Win32 side agree to the pixel.
constexpr int Scale(int v, int dpi) {
  const std::int64_t p = static_cast<std::int64_t>(v) * dpi;
  const std::int64_t q =
      p >= 0 ? (p + kDefaultDpi / 2) / kDefaultDpi : -((-p + kDefaultDpi / 2) / kDefaultDpi);
  return static_cast<int>(q);
}

struct LayoutRect {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const LayoutRect&, const LayoutRect&) = default;
};

constexpr LayoutRect Scale(const LayoutRect& r, int dpi) {
  return {Scale(r.left, dpi), Scale(r.top, dpi), Scale(r.width, dpi), Scale(r.height, dpi)};
}

}  // namespace tw
