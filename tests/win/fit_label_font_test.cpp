#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "theme/fit_label.h"
#include "theme/win32/fit_label_font.h"
#include "platform/win32/dpi_win32.h"

namespace tw::win {
namespace {

// A real STATIC label on a top-level window, with its own font as the title label has.
class FitLabelFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ =
        CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 600, 200, nullptr, nullptr, nullptr, nullptr);
    label_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER, 8, 40, 200, 81, parent_,
                             nullptr, nullptr, nullptr);
    font_ = CreateFontW(-59, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0,
                        L"Tahoma");
    SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  void TearDown() override {
    DestroyWindow(parent_);
    EXPECT_EQ(GetObjectType(font_), static_cast<DWORD>(OBJ_FONT));  // the caller's font is never deleted
    DeleteObject(font_);
  }
  HFONT Font() const { return reinterpret_cast<HFONT>(SendMessageW(label_, WM_GETFONT, 0, 0)); }
  static LOGFONTW Log(HFONT f) {
    LOGFONTW lf{};
    GetObjectW(f, sizeof lf, &lf);
    return lf;
  }
  // Width of `text` and the point size, measured independently with `f` on the label's DC.
  std::pair<int, int> Measure(HFONT f, const std::wstring& text) const {
    HDC dc = GetDC(label_);
    HGDIOBJ old = SelectObject(dc, f);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(label_, dc);
    return {size.cx, MulDiv(tm.tmHeight - tm.tmInternalLeading, 72, WindowDpi(label_))};
  }
  int PixelHeight(int points) const { return -MulDiv(points, WindowDpi(label_), 72); }
  HWND parent_ = nullptr, label_ = nullptr;
  HFONT font_ = nullptr;
};

TEST_F(FitLabelFontTest, ACaptionThatFitsKeepsItsFont) {
  SetWindowTextW(label_, L"T");
  ASSERT_LE(Measure(font_, L"T").first, 200);
  FitLabelFont(label_);
  EXPECT_EQ(Font(), font_);
}

TEST_F(FitLabelFontTest, AWiderCaptionShrinksOnceByTheRatio) {
  const std::wstring caption = L"Tempowave";
  SetWindowTextW(label_, caption.c_str());
  const auto [measured, points] = Measure(font_, caption);
  ASSERT_GT(measured, 200);
  FitLabelFont(label_);
  const HFONT fitted = Font();
  ASSERT_NE(fitted, font_);
  const LOGFONTW lf = Log(fitted);
  EXPECT_EQ(lf.lfHeight, PixelHeight(FitFontPoints(points, 200, measured)));
  EXPECT_EQ(std::wstring(lf.lfFaceName), std::wstring(Log(font_).lfFaceName));
  EXPECT_EQ(lf.lfQuality, Log(font_).lfQuality);
  EXPECT_LT(Measure(fitted, caption).first, measured);
}

TEST_F(FitLabelFontTest, AVeryLongCaptionStopsAtSixPointsAndTheFontsDieWithTheLabel) {
  SetWindowTextW(label_, std::wstring(300, L'W').c_str());
  FitLabelFont(label_);
  const HFONT first = Font();
  ASSERT_NE(first, font_);
  EXPECT_EQ(Log(first).lfHeight, PixelHeight(6));

  // A second fit of a caption that still does not fit replaces its own earlier font, never the caller's.
  SetWindowTextW(label_, std::wstring(900, L'W').c_str());
  FitLabelFont(label_);
  const HFONT second = Font();
  EXPECT_EQ(second, first);  // already at the floor: nothing to do
  SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  SetWindowTextW(label_, L"Tempowave Tempowave");
  FitLabelFont(label_);
  const HFONT third = Font();
  ASSERT_NE(third, font_);
  EXPECT_EQ(GetObjectType(first), 0u);  // freed when replaced
  EXPECT_EQ(GetObjectType(third), static_cast<DWORD>(OBJ_FONT));

  DestroyWindow(label_);
  EXPECT_EQ(GetObjectType(third), 0u);  // freed with the label
}

TEST_F(FitLabelFontTest, ALabelWithoutAFontOrAWindowIsHandled) {
  HWND bare = CreateWindowExW(0, L"STATIC", std::wstring(200, L'W').c_str(), WS_CHILD, 0, 0, 50, 20, parent_,
                              nullptr, nullptr, nullptr);
  FitLabelFont(bare);  // measured in the system font the label draws with
  const HFONT fitted = reinterpret_cast<HFONT>(SendMessageW(bare, WM_GETFONT, 0, 0));
  EXPECT_NE(fitted, nullptr);
  DestroyWindow(bare);
  EXPECT_EQ(GetObjectType(fitted), 0u);
  FitLabelFont(nullptr);
  FitLabelFont(bare);  // gone already
}

}  // namespace
}  // namespace tw::win
