#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "theme/vantorel_button_styles.h"
#include "ui/win32/button_painter.h"
#include "ui/win32/gdiplus_session.h"

namespace tw::win {
namespace {

constexpr COLORREF kAccent = RGB(0x3D, 0x84, 0xDD);
constexpr COLORREF kLight = RGB(0x50, 0x90, 0xE0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBackground = RGB(250, 251, 252);
// The Run button at 96 DPI, placed with a margin so that stray drawing outside it shows.
constexpr RECT kFace{20, 20, 182, 88};
constexpr int kMidY = (kFace.top + kFace.bottom) / 2;

// A 32-bit off-screen bitmap, as the widgets' double buffer is.
class Canvas {
 public:
  Canvas() {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), kW, -kH, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    dc_ = CreateCompatibleDC(nullptr);
    bmp_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bmp_);
    Clear();
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  void Clear() {
    HBRUSH b = CreateSolidBrush(kBackground);
    RECT all{0, 0, kW, kH};
    FillRect(dc_, &all, b);
    DeleteObject(b);
  }
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const {
    GdiFlush();
    const DWORD p = bits_[y * kW + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  int Count(const RECT& r, const std::function<bool(COLORREF)>& pred) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) n += pred(At(x, y)) ? 1 : 0;
    }
    return n;
  }
  int CountOf(const RECT& r, COLORREF c) const {
    return Count(r, [c](COLORREF p) { return p == c; });
  }
  // Pixels outside `r` that are not the background.
  int Outside(const RECT& r) const {
    int n = 0;
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
        if (!inside && At(x, y) != kBackground) ++n;
      }
    }
    return n;
  }
  static constexpr int kW = 202, kH = 108;

 private:
  HDC dc_;
  HBITMAP bmp_;
  HGDIOBJ old_;
  DWORD* bits_ = nullptr;
};

std::string Hex(COLORREF c) {
  char buf[16];
  snprintf(buf, sizeof buf, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return buf;
}

ButtonStyleSet Sets(const std::u16string& appearance) {
  ButtonStyleSet s;
  TVantorelButtonStyles().FillStateAttributes(u"Vantorel", u"Primary", appearance, s.Normal, s.Pressed,
                                              s.Selected, s.Hot, s.Disabled);
  return s;
}

// Runs each test with antialiased drawing and again with the plain GDI fallback.
class ButtonPainter : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) StartGdiplus();
    ASSERT_EQ(GdiplusRunning(), GetParam());
    font_ = CreateFontW(-24, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                        L"Tahoma");
  }
  void TearDown() override {
    DeleteObject(font_);
    StopGdiplus();
  }
  void Paint(const TStyledButtonAttributes& a, const std::u16string& caption = u"Run", int radius = 4,
             bool focus = false, RECT face = kFace) {
    canvas_.Clear();
    PaintStyledButton(canvas_.dc(), face, a, caption, font_, radius, focus);
  }
  // Text pixels: those of the font colour well inside the face, away from the border.
  int TextPixels(COLORREF c) const {
    return canvas_.CountOf({kFace.left + 8, kFace.top + 6, kFace.right - 8, kFace.bottom - 6}, c);
  }
  Canvas canvas_;
  HFONT font_ = nullptr;
};

TEST_P(ButtonPainter, DrawsTheRunButtonInEachState) {
  const ButtonStyleSet run = Sets(u"Outline");
  const COLORREF grey70 = RGB(0xD7, 0xD7, 0xD7);
  struct Case {
    const char* state;
    const TStyledButtonAttributes* attrs;
    COLORREF border, inside, text;
  };
  const Case cases[] = {
      {"normal: accent border, no fill, black text", &run.Normal, kAccent, kBackground, RGB(0, 0, 0)},
      {"pressed: accent fill, white text", &run.Pressed, kAccent, kAccent, kWhite},
      {"hot: light accent fill", &run.Hot, kAccent, kLight, kWhite},
      {"selected: light accent fill", &run.Selected, kAccent, kLight, kWhite},
      {"disabled: grey border, grey text", &run.Disabled, grey70, kBackground, RGB(0xB3, 0xB3, 0xB3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    Paint(*c.attrs);
    // The border on all four sides, one pixel wide.
    EXPECT_EQ(Hex(canvas_.At(kFace.left, kMidY)), Hex(c.border));
    EXPECT_EQ(Hex(canvas_.At(kFace.right - 1, kMidY)), Hex(c.border));
    EXPECT_EQ(Hex(canvas_.At(100, kFace.top)), Hex(c.border));
    EXPECT_EQ(Hex(canvas_.At(100, kFace.bottom - 1)), Hex(c.border));
    EXPECT_EQ(Hex(canvas_.At(kFace.left + 4, kMidY)), Hex(c.inside));
    EXPECT_EQ(Hex(canvas_.At(kFace.right - 5, kFace.top + 4)), Hex(c.inside));
    EXPECT_GT(TextPixels(c.text), 20);
    EXPECT_EQ(canvas_.Outside(kFace), 0);
  }
}

TEST_P(ButtonPainter, DrawsTheHeaderButtons) {
  const ButtonStyleSet head = Sets(u"Header");
  const RECT face{20, 20, 90, 50};  // 70 x 30
  struct Case {
    const char* state;
    const TStyledButtonAttributes* attrs;
    COLORREF edge, inside;
  };
  const Case cases[] = {
      {"normal: black border, no fill", &head.Normal, RGB(0, 0, 0), kBackground},
      {"pressed: accent fill without border", &head.Pressed, kAccent, kAccent},
      {"selected: light accent fill without border", &head.Selected, kLight, kLight},
      {"disabled: grey border", &head.Disabled, RGB(0xBC, 0xBC, 0xBC), kBackground},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    Paint(*c.attrs, u"", 4, false, face);
    EXPECT_EQ(Hex(canvas_.At(face.left, 35)), Hex(c.edge));
    EXPECT_EQ(Hex(canvas_.At(55, face.bottom - 1)), Hex(c.edge));
    EXPECT_EQ(Hex(canvas_.At(55, 35)), Hex(c.inside));
    EXPECT_EQ(canvas_.Outside(face), 0);
  }
}

TEST_P(ButtonPainter, FollowsDrawTypeBorderWidthAndClearStyles) {
  TStyledButtonAttributes a;
  a.ButtonDrawStyle = TButtonDrawStyle::btnSolid;
  a.ButtonColor = {0, 200, 0};
  a.BorderColor = {200, 0, 0};
  a.BorderWidth = 1;
  const COLORREF fill = RGB(0, 200, 0), border = RGB(200, 0, 0);
  struct Case {
    TButtonDrawType type;
    int radius;
    COLORREF corner;       // the face's top left pixel
    COLORREF near_corner;  // 6 pixels in on the top edge
  };
  const Case cases[] = {
      {TButtonDrawType::btRect, 4, border, border},
      {TButtonDrawType::btRoundRect, 12, kBackground, kBackground},
      {TButtonDrawType::btRoundRect, 0, border, border},
      {TButtonDrawType::btRounded, 4, kBackground, kBackground},  // half the height, whatever the radius
      {TButtonDrawType::btEllipse, 4, kBackground, kBackground},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.type));
    a.DrawType = c.type;
    Paint(a, u"", c.radius);
    EXPECT_EQ(Hex(canvas_.At(kFace.left, kFace.top)), Hex(c.corner));
    EXPECT_EQ(Hex(canvas_.At(kFace.left + 6, kFace.top)), Hex(c.near_corner));
    EXPECT_EQ(Hex(canvas_.At(kFace.left, kMidY)), Hex(border));
    EXPECT_EQ(Hex(canvas_.At(100, kMidY)), Hex(fill));
    EXPECT_EQ(canvas_.Outside(kFace), 0);
  }

  a.DrawType = TButtonDrawType::btRect;
  a.BorderWidth = 3;
  Paint(a, u"");
  for (int x = kFace.left; x < kFace.left + 3; ++x) EXPECT_EQ(Hex(canvas_.At(x, kMidY)), Hex(border)) << x;
  EXPECT_EQ(Hex(canvas_.At(kFace.left + 3, kMidY)), Hex(fill));
  EXPECT_EQ(Hex(canvas_.At(kFace.right - 3, kMidY)), Hex(border));
  EXPECT_EQ(Hex(canvas_.At(kFace.right - 4, kMidY)), Hex(fill));

  a.BorderDrawStyle = TBorderDrawStyle::brdClear;
  Paint(a, u"");
  EXPECT_EQ(Hex(canvas_.At(kFace.left, kMidY)), Hex(fill));
  a.ButtonDrawStyle = TButtonDrawStyle::btnClear;
  Paint(a, u"");
  EXPECT_EQ(canvas_.CountOf({0, 0, Canvas::kW, Canvas::kH}, kBackground), Canvas::kW * Canvas::kH);
}

TEST_P(ButtonPainter, AppliesFontColourAndStyleFlags) {
  TStyledButtonAttributes a;
  a.ButtonDrawStyle = TButtonDrawStyle::btnClear;
  a.BorderDrawStyle = TBorderDrawStyle::brdClear;
  a.FontColor = {120, 0, 90};
  const COLORREF ink = RGB(120, 0, 90);
  HFONT regular = CreateFontW(-24, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY,
                              0, L"Tahoma");
  std::swap(regular, font_);
  Paint(a, u"Home");
  const int plain = TextPixels(ink);
  a.FontStyle = fsBold;
  Paint(a, u"Home");
  const int bold = TextPixels(ink);
  a.FontStyle = fsUnderline;
  Paint(a, u"Home");
  const int underlined = TextPixels(ink);
  std::swap(regular, font_);
  DeleteObject(regular);
  EXPECT_GT(plain, 20);
  EXPECT_GT(bold, plain);
  EXPECT_GT(underlined, plain);
  EXPECT_EQ(TextPixels(RGB(0, 0, 0)), 0);
}

TEST_P(ButtonPainter, DrawsAFocusCueInsideTheFaceOnly) {
  const ButtonStyleSet run = Sets(u"Outline");
  Paint(run.Normal, u"");
  const int without = canvas_.CountOf(kFace, kBackground);
  Paint(run.Normal, u"", 4, true);
  EXPECT_LT(canvas_.CountOf(kFace, kBackground), without - 100);
  EXPECT_EQ(Hex(canvas_.At(kFace.left, kMidY)), Hex(kAccent));
  EXPECT_EQ(canvas_.Outside(kFace), 0);
  // An empty face draws nothing at all.
  canvas_.Clear();
  PaintStyledButton(canvas_.dc(), RECT{50, 50, 50, 80}, run.Pressed, u"Run", font_, 4, true);
  EXPECT_EQ(canvas_.Outside(RECT{0, 0, 0, 0}), 0);
}

INSTANTIATE_TEST_SUITE_P(Gdi, ButtonPainter, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& p) {
                           return p.param ? "Antialiased" : "PlainGdi";
                         });

}  // namespace
}  // namespace tw::win
