#include "theme/fit_label.h"

#include <algorithm>

namespace tw {

int FitFontPoints(int points, int width, int measured) {
  if (measured <= width || measured <= 0) return points;
  const long long scaled = static_cast<long long>(points) * std::max(width, 0) / measured;
  // The floor must not enlarge a font that is already smaller than it.
  return static_cast<int>(std::min<long long>(points, std::max<long long>(scaled, kMinFittedPoints)));
}

}  // namespace tw
