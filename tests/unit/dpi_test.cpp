#include <gtest/gtest.h>

#include "platform/dpi.h"

namespace tw {
namespace {

// At the DPIs Windows offers the rule gives what MulDiv(v, dpi, 96) gives.
TEST(Scale, RoundsLikeMulDivAtWindowsScaleSteps) {
  struct Case {
    int v, dpi, expected;
  };
  const Case cases[] = {
      {498, 96, 498},  {498, 120, 623},  // 622.5 rounds up
      {426, 144, 639}, {59, 144, 89},    // 88.5 rounds up
      {1, 120, 1},     {2, 120, 3},      // 1.25 down, 2.5 up
      {12, 168, 21},   {-3, 144, -5},    // -4.5 rounds away from zero
      {0, 192, 0},     {32, 72, 24},
  };
  for (const Case& c : cases) EXPECT_EQ(Scale(c.v, c.dpi), c.expected) << c.v << " at " << c.dpi;
}

TEST(Scale, HundredthsOfTheScaleThenMultiplyDivide) {
  struct Case {
    int v, dpi, expected;
  };
  const Case cases[] = {{30, 96, 30},   {30, 144, 45},    {66, 144, 99}, {56, 144, 84},
                        {10, 144, 15},  {10, 120, 13},  // 12.5 rounds away from zero
                        {-7, 144, -11}, {66, 192, 132},   {1, 100, 1},   {100, 100, 104},
                        {0, 144, 0},    {1000, 110, 1150}};  // 1.15, not 1.1458: MulDiv would give 1146
  for (const auto& c : cases) EXPECT_EQ(Scale(c.v, c.dpi), c.expected) << c.v << " at " << c.dpi;
}

}  // namespace
}  // namespace tw
