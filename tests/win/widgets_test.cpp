#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "canvas.h"
#include "gui_objects.h"
#include "main_window_fixture.h"
#include "message_box_watch.h"
#include "platform/win32/handles.h"
#include "ui/win32/activity_indicator.h"
#include "ui/win32/gdiplus_session.h"
#include "ui/win32/panel.h"
#include "ui/win32/rich_label.h"
#include "ui/win32/standard_controls.h"
#include "ui/win32/styled_button.h"
#include "ui/win32/toolbar.h"
#include "ui/win32/vector_image.h"

namespace tw::test {
namespace {

using win::ButtonFace;

// A top-level container for widgets under test; it hands notifications back to its children like every
// container of the program.
class Host : public win::Panel {
 public:
  bool CreateTop() {
    win::RegisterWidgetClass(L"TwTestHost");
    return CreateOwn(L"TwTestHost", 0, WS_POPUP | WS_CLIPCHILDREN, nullptr, 0, {});
  }
};

class Widgets : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(host.CreateTop()); }
  Host host;
};

TEST(ButtonFace, Precedence) {
  struct Case {
    bool enabled, pushed, down, hot, focused;
    ButtonFace face;
  };
  const Case cases[] = {
      {true, false, false, false, false, ButtonFace::Normal},
      {true, false, false, false, true, ButtonFace::Selected},
      {true, false, false, true, true, ButtonFace::Hot},
      {true, true, false, false, false, ButtonFace::Pressed},
      {true, false, true, true, true, ButtonFace::Pressed},
      {false, true, true, true, true, ButtonFace::Disabled},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(win::PickButtonFace(c.enabled, c.pushed, c.down, c.hot, c.focused), c.face)
        << c.enabled << c.pushed << c.down << c.hot << c.focused;
  }
}

TEST_F(Widgets, StyledButtonDownIsExclusiveWithinItsGroupAndAnswersBmGetCheck) {
  win::StyledButton a, b, other;
  ASSERT_TRUE(a.Create(host.hwnd(), 1, u"A"));
  ASSERT_TRUE(b.Create(host.hwnd(), 2, u"B"));
  ASSERT_TRUE(other.Create(host.hwnd(), 3, u"C"));
  a.SetGroup(1);
  b.SetGroup(1);
  auto checked = [](const win::StyledButton& w) { return SendMessageW(w.hwnd(), BM_GETCHECK, 0, 0); };
  other.SetDown(true);
  a.SetDown(true);
  EXPECT_EQ(checked(a), BST_CHECKED);
  b.SetDown(true);
  EXPECT_EQ(checked(a), BST_UNCHECKED);
  EXPECT_EQ(checked(b), BST_CHECKED);
  EXPECT_EQ(checked(other), BST_CHECKED) << "no group: not released";
  SendMessageW(a.hwnd(), BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_TRUE(a.Down());
  EXPECT_FALSE(b.Down());
  EXPECT_EQ(win::Widget::FromHwnd(a.hwnd()), &a);
}

TEST_F(Widgets, StyledButtonClicksAndHotTracking) {
  win::StyledButton button;
  ASSERT_TRUE(button.Create(host.hwnd(), 1, u"Run"));
  button.SetBounds({0, 0, 60, 30});  // a click is a release inside the button
  int clicks = 0;
  button.on_click = [&] { ++clicks; };
  SendMessageW(button.hwnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  // A quick second click arrives as a double-click and still counts.
  SendMessageW(button.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(button.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(clicks, 2);
  EnableWindow(button.hwnd(), FALSE);
  SendMessageW(button.hwnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 2) << "a disabled button does not click";
  EXPECT_EQ(button.CurrentFace(false, false), ButtonFace::Disabled);
  EnableWindow(button.hwnd(), TRUE);

  SendMessageW(button.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_TRUE(button.Hot());
  EXPECT_EQ(button.CurrentFace(false, false), ButtonFace::Hot);
  SendMessageW(button.hwnd(), WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(button.Hot());
  EXPECT_EQ(button.CurrentFace(false, true), ButtonFace::Selected);
  SetWindowTextW(button.hwnd(), L"Running");
  EXPECT_EQ(TextOf(button.hwnd()), u"Running");
}

// No exception crosses a window procedure: an event handler's error is shown and the click returns.
TEST_F(Widgets, ErrorInAClickHandlerIsShownAndAbsorbed) {
  win::StyledButton button;
  ASSERT_TRUE(button.Create(host.hwnd(), 1, u"Run"));
  button.SetBounds({0, 0, 60, 30});
  button.on_click = [] { throw std::runtime_error("handler failed"); };
  MessageBoxWatch watch;
  SendMessageW(button.hwnd(), BM_CLICK, 0, 0);
  ASSERT_EQ(watch.boxes.size(), 1u);
  EXPECT_TRUE(Contains(watch.boxes[0].texts, L"handler failed"));
  EXPECT_TRUE(IsWindow(button.hwnd()));
}

TEST_F(Widgets, CheckBoxClicksAreRoutedThroughItsGroupBox) {
  win::GroupBox group;
  win::CheckBox box;
  ASSERT_TRUE(group.Create(host.hwnd(), 1, u"Group"));
  ASSERT_TRUE(box.Create(group.hwnd(), 2, u"TcpNoDelay"));
  group.SetBounds({0, 0, 200, 60});
  box.SetBounds({10, 20, 150, 17});
  std::vector<bool> seen;
  box.on_click = [&] { seen.push_back(box.Checked()); };
  SendMessageW(box.hwnd(), BM_CLICK, 0, 0);
  SendMessageW(box.hwnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(seen, (std::vector<bool>{true, false})) << "the handler sees the state after the click";
  box.SetChecked(true);
  EXPECT_TRUE(box.Checked());
  EXPECT_EQ(seen.size(), 2u) << "setting the state raises no click";
  EnableWindow(box.hwnd(), FALSE);
  SendMessageW(box.hwnd(), BM_CLICK, 0, 0);
  EXPECT_TRUE(box.Checked()) << "a disabled box keeps its state";
  EXPECT_EQ(seen.size(), 2u);
}

TEST_F(Widgets, ToolbarPlacesOnlyVisibleButtons) {
  win::Toolbar bar;
  ASSERT_TRUE(bar.Create(host.hwnd(), 1));
  win::StyledButton b[3];
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(b[i].Create(bar.hwnd(), 10 + i, u"x"));
    bar.AddButton(&b[i]);
  }
  auto left = [](const win::StyledButton& w) { return RectInParent(w.hwnd()).left; };
  EXPECT_EQ(left(b[0]), 10);
  EXPECT_EQ(left(b[2]), 150);
  b[1].SetVisible(false);
  EXPECT_EQ(left(b[2]), 80);
  b[1].SetVisible(true);
  EXPECT_EQ(left(b[2]), 150);
  bar.SetDpi(144);
  EXPECT_EQ(left(b[1]), Scale(80, 144));
  const RECT r = RectInParent(b[1].hwnd());
  EXPECT_EQ(r.right - r.left, Scale(70, 144));
  EXPECT_EQ(r.bottom - r.top, Scale(30, 144));
}

TEST_F(Widgets, CardPanelShowsOnlyTheActivePage) {
  win::CardPanel cards;
  ASSERT_TRUE(cards.Create(host.hwnd(), 1));
  win::Panel p0, p1;
  ASSERT_TRUE(p0.Create(cards.hwnd(), 2));
  ASSERT_TRUE(p1.Create(cards.hwnd(), 3));
  cards.AddPage(&p0);
  cards.AddPage(&p1);
  EXPECT_EQ(cards.ActivePage(), 0);
  EXPECT_TRUE(p0.Visible());
  EXPECT_FALSE(p1.Visible());
  cards.SetActivePage(1);
  EXPECT_FALSE(p0.Visible());
  EXPECT_TRUE(p1.Visible());
  cards.SetActivePage(2);
  cards.SetActivePage(-1);
  EXPECT_EQ(cards.ActivePage(), 1) << "out of range changes nothing";
  EXPECT_TRUE(p1.Visible());
}

TEST_F(Widgets, RichLabelWindowTextIsThePlainText) {
  win::RichLabel label;
  ASSERT_TRUE(label.Create(host.hwnd(), 1));
  label.SetMarkup(u"<C><FC:clGray>Minimize <B>latency</B></FC></C>");
  EXPECT_EQ(TextOf(label.hwnd()), u"Minimize latency");
  EXPECT_EQ(label.Markup(), u"<C><FC:clGray>Minimize <B>latency</B></FC></C>");
}

// The ink of everything drawn that is not white: its bounds and its darkest channel value.
struct Ink {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1, darkest = 255;
};
Ink InkOf(const Canvas& canvas, int w, int h) {
  Ink ink;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const COLORREF c = canvas.At(x, y);
      if (c == RGB(255, 255, 255)) continue;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
      ink.darkest = std::min<int>({ink.darkest, GetRValue(c), GetGValue(c), GetBValue(c)});
    }
  }
  return ink;
}

TEST_F(Widgets, RichLabelCentresItsContentAndColoursIt) {
  win::RichLabel label;
  ASSERT_TRUE(label.Create(host.hwnd(), 1));
  label.SetBounds({0, 0, 300, 40});
  LOGFONTW lf{};
  lf.lfHeight = -12;
  lstrcpyW(lf.lfFaceName, L"Segoe UI");
  win::unique_hfont font(CreateFontIndirectW(&lf));
  SendMessageW(label.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  auto draw = [&](const std::u16string& markup) {
    label.SetMarkup(markup);
    Canvas canvas(300, 40);
    SendMessageW(label.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
    return InkOf(canvas, 300, 40);
  };
  const Ink centred = draw(u"<C><FC:clGray>Minimize <B>latency</B></FC></C>");
  ASSERT_GE(centred.right, 0) << "nothing drawn";
  EXPECT_LE(std::abs(centred.left - (299 - centred.right)), 2) << "centred across";
  EXPECT_LE(std::abs(centred.top - (39 - centred.bottom)), 4) << "centred down";
  EXPECT_GE(centred.darkest, 0x60) << "grey text, not black";
  const Ink plain = draw(u"Minimize <B>latency</B>");
  EXPECT_LT(plain.left, 3) << "a line without <C> starts at the left";
  EXPECT_LT(plain.darkest, 0x40) << "black by default";
  const Ink bold = draw(u"<B>Minimize latency</B>");
  EXPECT_GT(bold.right - bold.left, plain.right - plain.left) << "bold runs are drawn wider";
}

TEST_F(Widgets, IndicatorAnimatesOnlyWhileStarted) {
  win::ActivityIndicator spinner;
  ASSERT_TRUE(spinner.Create(host.hwnd(), 1));
  auto pump_for = [](DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
      Pump();
      Sleep(10);
    }
  };
  // Stopped, it takes no room: the Run button beneath shows through and takes the clicks.
  win::unique_hrgn region(CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(GetWindowRgn(spinner.hwnd(), region.get()), NULLREGION);
  win::StartGdiplus();
  spinner.SetBounds({0, 0, 32, 32});
  auto ink = [&] {
    Canvas canvas(32, 32);
    SendMessageW(spinner.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
    return InkOf(canvas, 32, 32);
  };
  EXPECT_LT(ink().right, 0) << "a stopped spinner draws nothing";
  spinner.SetAnimating(true);
  EXPECT_TRUE(spinner.Animating());
  const Ink dots = ink();
  EXPECT_LT(dots.darkest, 0x20) << "black dots";
  EXPECT_LE(std::abs((dots.left + dots.right) - 31), 2) << "a ring centred in the control";
  EXPECT_LE(std::abs((dots.top + dots.bottom) - 31), 2);
  EXPECT_EQ(GetWindowRgn(spinner.hwnd(), region.get()), ERROR) << "no region: the whole window";
  pump_for(win::ActivityIndicator::kFrameMs * 4);
  EXPECT_GT(spinner.Frame(), 0);
  spinner.SetAnimating(false);
  const int frame = spinner.Frame();
  pump_for(win::ActivityIndicator::kFrameMs * 3);
  EXPECT_EQ(spinner.Frame(), frame);
  EXPECT_EQ(GetWindowRgn(spinner.hwnd(), region.get()), NULLREGION);
}

TEST_F(Widgets, VectorImageReportsClicksAndShowsTheHand) {
  win::VectorImage image;
  ASSERT_TRUE(image.Create(host.hwnd(), 1));
  SetWindowPos(image.hwnd(), nullptr, 0, 0, 112, 50, SWP_NOZORDER);
  int clicks = 0;
  image.on_click = [&] { ++clicks; };
  SendMessageW(image.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(image.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(6, 6));
  SendMessageW(image.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(6, 6));  // no press before it
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(image.hwnd(), GCLP_HCURSOR)),
            LoadCursorW(nullptr, IDC_HAND));
}

// Creating, using and destroying the window gives back every GDI object and window it took.
TEST(MainWindowResources, NoObjectGrowthAcrossCreateAndDestroy) {
  auto cycle = [] {
    WindowServices services;
    win::MainWindow window(services.Get(), [] {});
    window.on_create = nullptr;
    ASSERT_TRUE(window.Create());
    ShowWindow(window.hwnd(), SW_SHOWNA);
    window.SetControlCaption(Ctl::LblContent, u"<C><FC:clGray>a <B>b</B></FC></C>");
    SendMessageW(window.ControlHwnd(Ctl::BtnConfig), BM_CLICK, 0, 0);
    SendMessageW(window.ControlHwnd(Ctl::BtnHome), BM_CLICK, 0, 0);
    window.SetAnimating(true);
    window.UseIconTitleFont();
    RECT suggested{0, 0, 800, 700};
    SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
  };
  cycle();  // the first one registers the classes and starts GDI+
  Pump();
  const DWORD gdi = CountGdiObjects();
  const DWORD windows = CountThreadWindows();
  const DWORD handles = CountProcessHandles(GetCurrentProcessId());
  ASSERT_GT(gdi, 0u) << "stock objects at least";
  ASSERT_GT(handles, 0u);
  for (int i = 0; i < 4; ++i) cycle();
  Pump();
  EXPECT_EQ(CountThreadWindows(), windows);
  EXPECT_EQ(CountGdiObjects(), gdi);
  EXPECT_EQ(CountProcessHandles(GetCurrentProcessId()), handles);
}

}  // namespace
}  // namespace tw::test
