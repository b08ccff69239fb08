#include <gtest/gtest.h>

#include <set>

#include "app/main_layout.h"

namespace tw {
namespace {

TEST(MainLayout, EveryControlOnceParentsFirst) {
  std::set<Ctl> seen;
  for (const ControlSpec& entry : MainLayout()) {
    EXPECT_TRUE(seen.insert(entry.control).second) << "twice: " << static_cast<int>(entry.control);
    if (entry.parent) {
      EXPECT_TRUE(seen.count(*entry.parent)) << "parent after child";
    }
  }
  EXPECT_EQ(seen.size(), static_cast<size_t>(Ctl::Count));
  std::set<int> ids;
  for (const ControlSpec& entry : MainLayout()) ids.insert(ControlId(entry.control));
  EXPECT_EQ(ids.size(), seen.size());
}

TEST(MainLayout, StoredGeometryFitsTogether) {
  // The header and the body fill the client area; the toolbar fills the header left of the logo panel with
  // a margin of 10; the cards fill the body.
  const LayoutRect head = SpecOf(Ctl::PnlHead).rect, main = SpecOf(Ctl::PnlMain).rect;
  EXPECT_EQ(head, (LayoutRect{0, 0, kClientWidth, 50}));
  EXPECT_EQ(main, (LayoutRect{0, 50, kClientWidth, kClientHeight - 50}));
  const LayoutRect logo = SpecOf(Ctl::PnlLogo).rect, bar = SpecOf(Ctl::BtnHead).rect;
  EXPECT_EQ(logo.left + logo.width, kClientWidth);
  EXPECT_EQ(bar, (LayoutRect{10, 10, logo.left - 20, head.height - 20}));
  for (Ctl card : {Ctl::Card1, Ctl::Card2})
    EXPECT_EQ(SpecOf(card).rect, (LayoutRect{0, 0, main.width, main.height}));
  EXPECT_EQ(SpecOf(Ctl::BtnHome).rect, (LayoutRect{10, 0, 70, 30}));
  EXPECT_EQ(SpecOf(Ctl::BtnConfig).rect, (LayoutRect{80, 0, 70, 30}));
  EXPECT_EQ(SpecOf(Ctl::BtnDonate).rect, (LayoutRect{150, 0, 70, 30}));
}

TEST(MainLayout, SpinnerStaysCentredOnTheRunButtonAtEveryDpi) {
  EXPECT_EQ(ScaledRect(Ctl::Indicator, 96), SpecOf(Ctl::Indicator).rect);
  for (int dpi : {96, 120, 144, 168, 192, 240}) {
    const LayoutRect b = ScaledRect(Ctl::BtnStart, dpi), s = ScaledRect(Ctl::Indicator, dpi);
    EXPECT_EQ(s.width, Scale(32, dpi));
    EXPECT_LE(std::abs((2 * b.left + b.width) - (2 * s.left + s.width)), 1) << dpi;
    EXPECT_LE(std::abs((2 * b.top + b.height) - (2 * s.top + s.height)), 1) << dpi;
    EXPECT_EQ(ScaledRect(Ctl::GroupBox2, dpi), Scale(SpecOf(Ctl::GroupBox2).rect, dpi));
  }
}

TEST(MainLayout, TopInsetMovesTheHeaderAndShortensTheBody) {
  EXPECT_EQ(ScaledRect(Ctl::PnlHead, 144, 3), (LayoutRect{0, 3, 747, 75}));
  EXPECT_EQ(ScaledRect(Ctl::PnlMain, 144, 3), (LayoutRect{0, 78, 747, 561}));
  EXPECT_EQ(ScaledRect(Ctl::Card1, 144, 3), (LayoutRect{0, 0, 747, 561})) << "the pages fill the body";
  EXPECT_EQ(ScaledRect(Ctl::BtnStart, 144, 3), ScaledRect(Ctl::BtnStart, 144))
      << "inner controls keep their place";
}

TEST(MainLayout, CheckBoxesKeepTheirTechnicalNames) {
  const std::pair<Ctl, std::u16string> boxes[] = {
      {Ctl::ChkTcpNoDelay, u"TcpNoDelay"},
      {Ctl::ChkTCPAckFrequency, u"TcpAckFrequency"},
      {Ctl::ChkTcpDelAckTick, u"TcpDelAckTick"},
      {Ctl::ChkNetworkThrottlingIndex, u"NetworkThrottlingIndex"},
      {Ctl::ChkSystemResponsiveness, u"SystemResponsiveness"},
  };
  for (const auto& [box, caption] : boxes) {
    EXPECT_EQ(SpecOf(box).caption, caption);
    EXPECT_EQ(SpecOf(box).kind, ControlKind::CheckBox);
  }
}

}  // namespace
}  // namespace tw
