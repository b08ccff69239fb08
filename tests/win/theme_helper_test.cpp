#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/error.h"
#include "platform/win32/messages.h"
#include "theme/win32/theme_helper.h"
#include "platform/win32/dpi_win32.h"

namespace tw::win {
namespace {

constexpr COLORREF kAccent = RGB(0x3D, 0x84, 0xDD);
constexpr UINT kEcho = WM_USER + 5;  // the test window answers it with wParam + 1

struct Seen {
  UINT msg;
  WPARAM wp;
  LPARAM lp;
};
std::vector<Seen> g_seen;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  g_seen.push_back({msg, wp, lp});
  if (msg == kEcho) return static_cast<LRESULT>(wp) + 1;
  // The default handling would move the focus and activate the window for real, which sends more messages.
  if (msg == WM_ACTIVATE) return 0;
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// A real top-level window whose own procedure records every message it gets.
class ThemeHelperTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TwThemeHelperTestForm";
    RegisterClassExW(&wc);
  }
  HWND Make(DWORD style, int w = 300, int h = 200) {
    HWND hwnd = CreateWindowExW(0, L"TwThemeHelperTestForm", L"form", style, 10, 10, w, h, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    windows_.push_back(hwnd);
    g_seen.clear();
    return hwnd;
  }
  void TearDown() override {
    for (HWND hwnd : windows_) {
      if (IsWindow(hwnd)) DestroyWindow(hwnd);
    }
  }
  static std::vector<WPARAM> StripNotices() {
    std::vector<WPARAM> out;
    for (const Seen& s : g_seen) {
      if (s.msg == WM_TW_THEME_STRIP) out.push_back(s.wp);
    }
    return out;
  }
  static int Height(HWND hwnd) { return MulDiv(2, WindowDpi(hwnd), 96); }
  static RECT StripRect(const TThemeHelper& helper) {
    RECT r{};
    GetWindowRect(helper.Strip(), &r);
    MapWindowPoints(nullptr, helper.Form(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  static bool Shown(HWND strip) { return (GetWindowLongPtrW(strip, GWL_STYLE) & WS_VISIBLE) != 0; }
  // What the strip draws, read back from a memory bitmap.
  static COLORREF PaintedColour(HWND strip) {
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 8, 8);
    HGDIOBJ old = SelectObject(mem, bmp);
    SendMessageW(strip, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
    const COLORREF c = GetPixel(mem, 1, 1);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return c;
  }
  std::vector<HWND> windows_;
};

TEST_F(ThemeHelperTest, RefusesAnythingButATopLevelWindow) {
  HWND form = Make(WS_OVERLAPPEDWINDOW);
  HWND child =
      CreateWindowExW(0, L"STATIC", L"panel", WS_CHILD, 0, 0, 50, 50, form, nullptr, nullptr, nullptr);
  HWND message_only =
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  HWND gone = Make(WS_OVERLAPPEDWINDOW);
  DestroyWindow(gone);
  const LONG_PTR child_proc = GetWindowLongPtrW(child, GWLP_WNDPROC);

  for (HWND owner : {HWND{}, child, message_only, gone}) {
    try {
      TThemeHelper helper(owner);
      ADD_FAILURE() << "accepted " << owner;
    } catch (const Error& e) {
      EXPECT_EQ(e.message(), u"TThemeHelper Owner must be a TForm");
    }
    EXPECT_THROW(AttachThemeHelper(owner), Error);
  }
  EXPECT_EQ(GetWindowLongPtrW(child, GWLP_WNDPROC), child_proc);
  EXPECT_EQ(GetWindow(child, GW_CHILD), nullptr);
  EXPECT_EQ(GetWindow(form, GW_CHILD), child);  // no strip was left behind
  EXPECT_EQ(GetWindow(child, GW_HWNDNEXT), nullptr);
  DestroyWindow(message_only);
}

TEST_F(ThemeHelperTest, StripFollowsActivation) {
  HWND form = Make(WS_OVERLAPPEDWINDOW);
  TThemeHelper helper(form);
  EXPECT_NE(GetModuleHandleW(L"dwmapi.dll"), nullptr);  // bound for the dark title bar
  EXPECT_TRUE(helper.IsActive());
  EXPECT_EQ(helper.StripColor(), kAccent);  // before any activation message
  EXPECT_EQ(PaintedColour(helper.Strip()), kAccent);

  const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
  struct Step {
    WPARAM wp;
    COLORREF want;
  };
  const Step steps[] = {
      {WA_INACTIVE, grey},
      {WA_CLICKACTIVE, kAccent},
      {MAKEWPARAM(WA_INACTIVE, TRUE), grey},  // minimised: the high word does not count
      {WA_ACTIVE, kAccent},
      {MAKEWPARAM(WA_CLICKACTIVE, TRUE), kAccent},
      {WA_INACTIVE, grey},
  };
  for (const Step& s : steps) {
    SendMessageW(form, WM_ACTIVATE, s.wp, 0);
    EXPECT_EQ(helper.StripColor(), s.want) << s.wp;
    EXPECT_EQ(PaintedColour(helper.Strip()), s.want) << s.wp;
    EXPECT_TRUE(Shown(helper.Strip()));
  }
}

TEST_F(ThemeHelperTest, StripFollowsRealActivationChanges) {
  HWND form = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND other = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 100);
  TThemeHelper helper(form);
  SetActiveWindow(form);
  EXPECT_EQ(helper.StripColor(), kAccent);
  SetActiveWindow(other);
  EXPECT_FALSE(helper.IsActive());
  EXPECT_EQ(PaintedColour(helper.Strip()), GetSysColor(COLOR_GRAYTEXT));
  SetActiveWindow(form);
  EXPECT_TRUE(helper.IsActive());
  EXPECT_EQ(PaintedColour(helper.Strip()), kAccent);
}

TEST_F(ThemeHelperTest, StripSpansTheClientAreaTopAfterResize) {
  HWND form = Make(WS_OVERLAPPEDWINDOW);
  HWND content = CreateWindowExW(0, L"STATIC", L"header", WS_CHILD | WS_VISIBLE, 0, 0, 100, 40, form, nullptr,
                                 nullptr, nullptr);
  TThemeHelper helper(form);
  const int h = Height(form);
  EXPECT_EQ(helper.StripHeight(), h);
  EXPECT_EQ(StripNotices(), std::vector<WPARAM>{static_cast<WPARAM>(h)});
  EXPECT_EQ(GetWindow(form, GW_CHILD), helper.Strip());  // above the other content
  EXPECT_NE(GetWindow(helper.Strip(), GW_HWNDNEXT), nullptr);

  for (SIZE size : {SIZE{520, 340}, SIZE{180, 120}, SIZE{640, 90}}) {
    SetWindowPos(form, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(form, &client);
    const RECT strip = StripRect(helper);
    EXPECT_EQ(strip.left, 0);
    EXPECT_EQ(strip.top, 0);
    EXPECT_EQ(strip.right, client.right) << size.cx;
    EXPECT_EQ(strip.bottom, h);
    EXPECT_EQ(GetWindow(form, GW_CHILD), helper.Strip());
  }
  // A resize re-applies the colour too.
  SendMessageW(form, WM_ACTIVATE, WA_INACTIVE, 0);
  SendMessageW(form, WM_SIZE, SIZE_RESTORED, MAKELPARAM(100, 100));
  EXPECT_EQ(helper.StripColor(), GetSysColor(COLOR_GRAYTEXT));
  EXPECT_EQ(StripNotices().size(), 1u);  // the height never changed
  DestroyWindow(content);
}

TEST_F(ThemeHelperTest, ShownExactlyWhileTheWindowHasABorder) {
  HWND form = Make(WS_POPUP);
  TThemeHelper helper(form);
  EXPECT_FALSE(Shown(helper.Strip()));
  EXPECT_EQ(helper.StripHeight(), 0);
  EXPECT_TRUE(StripNotices().empty());

  struct Step {
    DWORD style;
    UINT msg;
    WPARAM wp;
    bool shown;
  };
  const Step steps[] = {
      {WS_POPUP | WS_BORDER, WM_SIZE, 0, true},
      {WS_POPUP, WM_ACTIVATE, WA_ACTIVE, false},
      {WS_POPUP | WS_THICKFRAME, WM_ACTIVATE, WA_INACTIVE, true},
      {WS_POPUP, WM_SIZE, 0, false},
      {WS_POPUP | WS_DLGFRAME, WM_SIZE, 0, true},
      {WS_POPUP | WS_CAPTION, WM_ACTIVATE, WA_CLICKACTIVE, true},
      {WS_POPUP | WS_SYSMENU, WM_SIZE, 0, false},
  };
  for (const Step& s : steps) {
    SetWindowLongPtrW(form, GWL_STYLE, static_cast<LONG_PTR>(s.style));
    SendMessageW(form, s.msg, s.wp, 0);
    EXPECT_EQ(Shown(helper.Strip()), s.shown) << std::hex << s.style;
    EXPECT_EQ(helper.StripHeight(), s.shown ? Height(form) : 0);
  }
  const int h = Height(form);
  EXPECT_EQ(StripNotices(), (std::vector<WPARAM>{WPARAM(h), 0, WPARAM(h), 0, WPARAM(h), 0}));
}

TEST_F(ThemeHelperTest, EveryMessageStillReachesTheWindowAndTheHookGoesAwayWithTheHelper) {
  HWND form = Make(WS_OVERLAPPEDWINDOW);
  const LONG_PTR own_proc = GetWindowLongPtrW(form, GWLP_WNDPROC);
  const Seen sent[] = {
      {WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 150)},
      {WM_ACTIVATE, WA_INACTIVE, 0},
      {WM_ACTIVATE, WA_CLICKACTIVE, 1234},
      {WM_NULL, 7, 8},
      {kEcho, 41, 99},
      {WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"renamed")},
      {WM_ACTIVATE, WA_ACTIVE, 0},
      {WM_SIZE, SIZE_MINIMIZED, 0},
  };
  auto send_all = [&] {
    g_seen.clear();
    for (const Seen& s : sent) {
      const LRESULT r = SendMessageW(form, s.msg, s.wp, s.lp);
      if (s.msg == kEcho) {
        EXPECT_EQ(r, 42);
      }
    }
    std::vector<Seen> got;
    for (const Seen& s : g_seen) {
      for (const Seen& want : sent) {
        if (s.msg == want.msg) {
          got.push_back(s);
          break;
        }
      }
    }
    return got;
  };
  auto expect_all_arrived = [&](const std::vector<Seen>& got) {
    ASSERT_EQ(got.size(), std::size(sent));
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].msg, sent[i].msg) << i;
      EXPECT_EQ(got[i].wp, sent[i].wp) << i;
      EXPECT_EQ(got[i].lp, sent[i].lp) << i;
    }
  };

  auto helper = std::make_unique<TThemeHelper>(form);
  EXPECT_NE(GetWindowLongPtrW(form, GWLP_WNDPROC), own_proc);
  expect_all_arrived(send_all());
  EXPECT_EQ(helper->StripColor(), kAccent);  // the last activation was WA_ACTIVE
  HWND strip = helper->Strip();

  g_seen.clear();
  helper.reset();
  EXPECT_EQ(GetWindowLongPtrW(form, GWLP_WNDPROC), own_proc);
  EXPECT_FALSE(IsWindow(strip));
  EXPECT_EQ(StripNotices(), std::vector<WPARAM>{0});  // the top content gets its pixels back
  expect_all_arrived(send_all());
  EXPECT_TRUE(StripNotices().empty());
}

TEST_F(ThemeHelperTest, AttachedHelperLivesAndDiesWithTheWindow) {
  HWND form = Make(WS_OVERLAPPEDWINDOW);
  TThemeHelper* helper = AttachThemeHelper(form);
  ASSERT_NE(helper, nullptr);
  HWND strip = helper->Strip();
  SendMessageW(form, WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(helper->StripColor(), GetSysColor(COLOR_GRAYTEXT));
  g_seen.clear();
  DestroyWindow(form);
  EXPECT_FALSE(IsWindow(strip));
  ASSERT_FALSE(g_seen.empty());
  EXPECT_EQ(g_seen.back().msg, static_cast<UINT>(WM_NCDESTROY));  // the window's own handling got it too
}

TEST_F(ThemeHelperTest, AHelperThatOutlivesItsWindowLetsGo) {
  HWND form = Make(WS_OVERLAPPEDWINDOW);
  TThemeHelper helper(form);
  DestroyWindow(form);
  EXPECT_EQ(helper.Form(), nullptr);
  EXPECT_EQ(helper.Strip(), nullptr);
  EXPECT_EQ(helper.StripHeight(), 0);
}

}  // namespace
}  // namespace tw::win
