#include <gtest/gtest.h>

#include "theme/theme_strip.h"

namespace tw {
namespace {

TEST(ThemeStrip, ActivationIsTheLowWordNotInactive) {
  struct Case {
    std::uintptr_t wparam;
    bool active;
  };
  const Case cases[] = {
      {0, false},        // WA_INACTIVE
      {1, true},         // WA_ACTIVE
      {2, true},         // WA_CLICKACTIVE
      {0x10000, false},  // inactive while minimised: the high word is ignored
      {0x10001, true},   // active while minimised
      {0x10002, true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsActivation(c.wparam), c.active) << c.wparam;
}

TEST(ThemeStrip, AccentWhileActiveGreyOtherwiseAndShownOnlyWithABorder) {
  const TColor grey{109, 109, 109};
  const TColor accent{0x3D, 0x84, 0xDD};
  struct Case {
    const char* what;
    bool active;
    std::uint32_t style;
    StripLook want;
  };
  const Case cases[] = {
      {"caption, active", true, 0x00C00000, {accent, true}},
      {"caption, inactive", false, 0x00C00000, {grey, true}},
      {"thin border", true, 0x00800000, {accent, true}},
      {"dialog frame", false, 0x00400000, {grey, true}},
      {"sizing frame only", true, 0x00040000, {accent, true}},
      {"overlapped window", true, 0x00CF0000, {accent, true}},
      {"popup without border", true, 0x80000000, {accent, false}},
      {"no style at all", false, 0, {grey, false}},
      {"visible, system menu, no border", true, 0x10080000, {accent, false}},
  };
  for (const auto& c : cases) EXPECT_EQ(DecideStripLook(c.active, c.style, grey), c.want) << c.what;
}

// The attribute number follows the running build: 1809 to 1909 know only 19, later builds only 20.
TEST(DarkTitleBar, TheAttributeOfTheRunningBuild) {
  struct Case {
    std::uint32_t build;
    std::optional<std::uint32_t> attribute;
  };
  const Case cases[] = {
      {0, std::nullopt}, {10240, std::nullopt}, {17134, std::nullopt},  // 1507, 1803
      {17763, 19u},      {18362, 19u},          {18363, 19u},           // 1809, 1903, 1909
      {18984, 19u},      {18985, 20u},          {19041, 20u},           // 2004
      {19045, 20u},      {22000, 20u},          {26100, 20u},           // 22H2, Windows 11 21H2, 24H2
  };
  for (const Case& c : cases) EXPECT_EQ(DarkTitleBarAttribute(c.build), c.attribute) << c.build;
}

}  // namespace
}  // namespace tw
