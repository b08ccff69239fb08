// The size arithmetic of fitting a label's caption to its width.
#pragma once

namespace tw {

inline constexpr int kMinFittedPoints = 6;

// The point size that makes a caption `measured` pixels wide fit `width` pixels, from one measurement at
// `points`: scaled down by the integer ratio, never below kMinFittedPoints and never larger than `points`.
int FitFontPoints(int points, int width, int measured);

}  // namespace tw
