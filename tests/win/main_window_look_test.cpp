#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fakes/fake_locale.h"
#include "i18n/embedded_table.h"
#include "i18n/translate.h"
#include "main_window_fixture.h"
#include "platform/text.h"
#include "theme/vantorel_button_styles.h"
#include "platform/dpi.h"
#include "platform/win32/dpi_win32.h"
#include "ui/win32/gdiplus_session.h"

namespace tw::test {
namespace {

constexpr COLORREF kAccent = RGB(0x3D, 0x84, 0xDD);
constexpr COLORREF kLight = RGB(0x50, 0x90, 0xE0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

std::string Hex(COLORREF c) {
  char buf[16];
  snprintf(buf, sizeof buf, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return buf;
}

// The window's client area as drawn, read back from the window's own surface.
class Shot {
 public:
  explicit Shot(HWND hwnd) : hwnd_(hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT client;
    GetClientRect(hwnd, &client);
    w_ = client.right;
    h_ = client.bottom;
    HDC dc = GetDC(hwnd);
    HDC mem = CreateCompatibleDC(dc);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w_, -h_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w_, h_, dc, 0, 0, SRCCOPY);
    GdiFlush();
    pixels_.assign(static_cast<const DWORD*>(bits),
                   static_cast<const DWORD*>(bits) + static_cast<size_t>(w_) * static_cast<size_t>(h_));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(hwnd, dc);
  }
  COLORREF At(int x, int y) const {
    const DWORD p = pixels_[static_cast<size_t>(y) * static_cast<size_t>(w_) + static_cast<size_t>(x)];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // The rectangle of a control in the window's client coordinates.
  RECT Of(HWND control) const {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  int Count(const RECT& r, const std::function<bool(COLORREF)>& pred) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) n += pred(At(x, y)) ? 1 : 0;
    }
    return n;
  }
  int width() const { return w_; }

 private:
  HWND hwnd_;
  int w_ = 0, h_ = 0;
  std::vector<DWORD> pixels_;
};

RECT Inner(RECT r, int by) {
  InflateRect(&r, -by, -by);
  return r;
}

bool Near(COLORREF c, COLORREF want, int tolerance) {
  return abs(GetRValue(c) - GetRValue(want)) <= tolerance &&
         abs(GetGValue(c) - GetGValue(want)) <= tolerance && abs(GetBValue(c) - GetBValue(want)) <= tolerance;
}

// The real main window, shown, with the creation steps that concern its look done by hand.
class MainWindowLook : public MainWindowTest {
 protected:
  void SetUp() override {
    // What the start-up sequence does before any window exists.
    StartVantorelButtonStyles();
    win::StartGdiplus();
    MainWindowTest::SetUp();
    window->SetVisible(Ctl::Indicator, false);
    window->SetVisible(Ctl::BtnDonate, false);
    ShowWindow(window->hwnd(), SW_SHOW);
    Pump();
  }
  void TearDown() override {
    MainWindowTest::TearDown();
    win::StopGdiplus();
  }
  void ExpectFace(Ctl c, COLORREF edge, COLORREF inside, const char* what) {
    SCOPED_TRACE(what);
    Pump();
    const Shot shot(window->hwnd());
    const RECT r = shot.Of(H(c));
    const int my = (r.top + r.bottom) / 2, mx = (r.left + r.right) / 2;
    EXPECT_EQ(Hex(shot.At(r.left, my)), Hex(edge));
    EXPECT_EQ(Hex(shot.At(r.right - 1, my)), Hex(edge));
    EXPECT_EQ(Hex(shot.At(mx, r.top)), Hex(edge));
    EXPECT_EQ(Hex(shot.At(mx, r.bottom - 1)), Hex(edge));
    EXPECT_EQ(Hex(shot.At(r.left + 5, my)), Hex(inside));
  }
  int TextPixels(Ctl c, const std::function<bool(COLORREF)>& pred) {
    const Shot shot(window->hwnd());
    return shot.Count(Inner(shot.Of(H(c)), 6), pred);
  }
};

TEST_F(MainWindowLook, RunButtonInEachState) {
  ExpectFace(Ctl::BtnStart, kAccent, kWhite, "idle: accent border, no fill");
  EXPECT_GT(TextPixels(Ctl::BtnStart, [](COLORREF p) { return Near(p, RGB(0, 0, 0), 90); }), 8);

  window->SetDown(Ctl::BtnStart, true);
  ExpectFace(Ctl::BtnStart, kAccent, kAccent, "down: accent fill");
  EXPECT_GT(TextPixels(Ctl::BtnStart, [](COLORREF p) { return Near(p, kWhite, 50); }), 15);

  window->SetDown(Ctl::BtnStart, false);
  window->SetEnabled(Ctl::BtnStart, false);
  ExpectFace(Ctl::BtnStart, RGB(0xD7, 0xD7, 0xD7), kWhite, "disabled: grey border");
  EXPECT_GT(TextPixels(Ctl::BtnStart, [](COLORREF p) { return Near(p, RGB(0xB3, 0xB3, 0xB3), 24); }), 8);
  EXPECT_EQ(TextPixels(Ctl::BtnStart, [](COLORREF p) { return Near(p, RGB(0, 0, 0), 90); }), 0);

  window->SetEnabled(Ctl::BtnStart, true);
  SendMessageW(H(Ctl::BtnStart), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  ExpectFace(Ctl::BtnStart, kAccent, kLight, "under the mouse: light accent fill");
  SendMessageW(H(Ctl::BtnStart), WM_MOUSELEAVE, 0, 0);
  ExpectFace(Ctl::BtnStart, kAccent, kWhite, "the mouse gone");

  SetFocus(H(Ctl::BtnStart));
  ExpectFace(Ctl::BtnStart, kAccent, kLight, "keyboard focus: light accent fill");
  EXPECT_GT(TextPixels(Ctl::BtnStart, [](COLORREF p) { return Near(p, kWhite, 50); }), 8);
  SetFocus(H(Ctl::BtnConfig));
  ExpectFace(Ctl::BtnStart, kAccent, kWhite, "focus gone");
}

TEST_F(MainWindowLook, HeaderButtonsPressedAndNot) {
  ExpectFace(Ctl::BtnHome, kAccent, kAccent, "Home pressed: accent fill");
  EXPECT_GT(TextPixels(Ctl::BtnHome, [](COLORREF p) { return Near(p, kWhite, 50); }), 15);
  ExpectFace(Ctl::BtnConfig, RGB(0, 0, 0), kWhite, "Config: black outline, no fill");

  Click(Ctl::BtnConfig);
  ExpectFace(Ctl::BtnConfig, kAccent, kAccent, "Config pressed after its click");
  ExpectFace(Ctl::BtnHome, RGB(0, 0, 0), kWhite, "Home released");
}

TEST_F(MainWindowLook, ThemeStripAlongTheTopFollowsActivation) {
  window->AttachThemeHelper();
  Pump();
  const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
  const int dpi = win::WindowDpi(window->hwnd());
  const int strip = Scale(2, dpi);
  struct Step {
    WPARAM activation;
    COLORREF want;
  };
  for (const Step& s : {Step{WA_ACTIVE, kAccent}, Step{WA_INACTIVE, grey}, Step{WA_CLICKACTIVE, kAccent}}) {
    SendMessageW(window->hwnd(), WM_ACTIVATE, s.activation, 0);
    Pump();
    const Shot shot(window->hwnd());
    for (int x : {0, shot.width() / 2, shot.width() - 1}) {
      for (int y = 0; y < strip; ++y) EXPECT_EQ(Hex(shot.At(x, y)), Hex(s.want)) << x << "," << y;
      EXPECT_EQ(Hex(shot.At(x, strip)), Hex(kWhite)) << x;  // the header starts below the strip
    }
  }
  EXPECT_EQ(RectInParent(H(Ctl::PnlHead)).top, strip);
  EXPECT_EQ(RectInParent(H(Ctl::PnlMain)).top, Scale(50, dpi) + strip);
  ExpectFace(Ctl::BtnStart, kAccent, kWhite, "the Run button after the move");
}

// Width and height of `text` in the control's own font.
SIZE TextSize(HWND control, const std::u16string& text) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, reinterpret_cast<const wchar_t*>(text.c_str()), -1, &r,
            DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return {r.right - r.left, r.bottom - r.top};
}

TEST_F(MainWindowLook, CaptionsFitTheirButtonsAndTheFittedTitleInEveryLanguage) {
  FakeLocale locale(u"ko");
  TranslateModuleStart(EmbeddedTranslateTable(), locale);
  window->UseIconTitleFont();
  struct Button {
    Ctl ctl;
    std::vector<std::u16string> captions;
  };
  const Button buttons[] = {
      {Ctl::BtnHome, {u"\uCC98\uC74C\uD654\uBA74"}},
      {Ctl::BtnConfig, {u"\uD658\uACBD\uC124\uC815"}},
      {Ctl::BtnDonate, {u"\uD6C4\uC6D0\uD558\uAE30"}},
      {Ctl::BtnStart, {u"\uC2E4\uD589\uD558\uAE30", u"\uC2E4\uD589\uC911", u"\uC911\uC9C0\uD558\uAE30"}},
  };
  for (const char16_t* lang : {u"ko", u"en", u"ja", u"zh", u"ru", u"it", u"fr"}) {
    const std::u16string language(lang);
    SCOPED_TRACE(EncodeUtf8(language));
    for (const Button& b : buttons) {
      RECT face;
      GetClientRect(H(b.ctl), &face);
      for (const std::u16string& korean : b.captions) {
        const std::u16string caption = Translate(korean, language);
        const SIZE size = TextSize(H(b.ctl), caption);
        // Clear of the one-pixel border and its antialiased edge on both sides.
        EXPECT_LE(size.cx, face.right - 4) << EncodeUtf8(CtlName(b.ctl)) << ": " << EncodeUtf8(caption);
        EXPECT_LE(size.cy, face.bottom - 4);
      }
    }
    // The title shrinks to its label once; a font that does not scale linearly may overshoot by a little.
    const std::u16string title = Translate(u"\uD15C\uD3EC\uC6E8\uC774\uBE0C", language);
    window->SetControlCaption(Ctl::LblTitle, title);
    window->FitLabelFont(Ctl::LblTitle);
    RECT label;
    GetClientRect(H(Ctl::LblTitle), &label);
    const SIZE size = TextSize(H(Ctl::LblTitle), title);
    EXPECT_LE(size.cx, label.right + label.right / 20);
    EXPECT_LE(size.cy, label.bottom);
  }
  TranslateModuleStop();
}

}  // namespace
}  // namespace tw::test
