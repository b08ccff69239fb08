// Values written at 96 DPI and the one rule that scales them.
#pragma once

#include <cstdint>

namespace tw {

inline constexpr int kDefaultDpi = 96;

// The one scaling rule for values written at 96 DPI, used by the window, the update offer and the notice
// strip alike: v x (dpi / 96 rounded to hundredths), multiply-then-divide by 100, halves away from zero. At
// the DPIs Windows offers (steps of 25 %) this is exactly MulDiv(v, dpi, 96).
constexpr int Scale(int v, int dpi) {
  const std::int64_t percent =
      (static_cast<std::int64_t>(dpi) * 200 + kDefaultDpi) / (std::int64_t{2} * kDefaultDpi);
  const std::int64_t p = static_cast<std::int64_t>(v) * percent;
  return static_cast<int>(p >= 0 ? (p + 50) / 100 : (p - 50) / 100);
}

struct LayoutRect {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const LayoutRect&, const LayoutRect&) = default;
};

constexpr LayoutRect Scale(const LayoutRect& r, int dpi) {
  return {Scale(r.left, dpi), Scale(r.top, dpi), Scale(r.width, dpi), Scale(r.height, dpi)};
}

}  // namespace tw
