#include <gtest/gtest.h>

#include "theme/fit_label.h"

namespace tw {
namespace {

TEST(FitFontPoints, ShrinksOnceByTheIntegerRatioWithinItsBounds) {
  struct Case {
    const char* what;
    int points, width, measured, want;
  };
  const Case cases[] = {
      {"fits with room", 44, 484, 300, 44},
      {"fits exactly", 44, 484, 484, 44},
      {"twice as wide: halved", 44, 484, 968, 22},
      {"twice as wide, odd size: truncated", 45, 100, 200, 22},
      {"a pixel too wide: truncated", 44, 484, 485, 43},
      {"three times as wide", 44, 100, 300, 14},
      {"very long: the floor", 44, 484, 100000, 6},
      {"just above the floor", 12, 100, 150, 8},
      {"already below the floor: never enlarged", 4, 100, 400, 4},
      {"no width at all", 20, 0, 50, 6},
      {"negative width", 20, -10, 50, 6},
      {"nothing measured", 20, -10, 0, 20},
      {"no overflow with large values", 2000, 2000000, 3000000, 1333},
  };
  for (const auto& c : cases) EXPECT_EQ(FitFontPoints(c.points, c.width, c.measured), c.want) << c.what;
}

}  // namespace
}  // namespace tw
