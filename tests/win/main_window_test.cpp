#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

#include "main_window_fixture.h"
#include "message_box_watch.h"
#include "platform/error.h"
#include "platform/text.h"
#include "platform/win32/application.h"
#include "platform/win32/dpi_win32.h"

namespace tw::test {
namespace {

std::wstring ClassOf(HWND hwnd) {
  wchar_t buf[64] = L"";
  GetClassNameW(hwnd, buf, 64);
  return buf;
}

const wchar_t* ExpectedClass(ControlKind kind) {
  switch (kind) {
    case ControlKind::CardPanel:
    case ControlKind::Card:
    case ControlKind::Panel:
      return L"TwPanel";
    case ControlKind::Label:
      return L"Static";
    case ControlKind::RichLabel:
      return L"TwRichLabel";
    case ControlKind::Indicator:
      return L"TwActivityIndicator";
    case ControlKind::Toolbar:
      return L"TwToolbar";
    case ControlKind::VectorImage:
      return L"TwVectorImage";
    default:
      return L"Button";
  }
}

// Every control in stored order, under its parent, with its id, class and geometry at `dpi`.
void ExpectLayout(const win::MainWindow& window, int dpi) {
  HWND main = window.hwnd();
  RECT client;
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, Scale(kClientWidth, dpi));
  EXPECT_EQ(client.bottom, Scale(kClientHeight, dpi));
  int slot = 0;
  for (const ControlSpec& entry : MainLayout()) {
    SCOPED_TRACE(std::string(EncodeUtf8(CtlName(entry.control))) + " at " + std::to_string(dpi));
    HWND h = window.ControlHwnd(entry.control);
    ASSERT_TRUE(IsWindow(h));
    EXPECT_EQ(GetParent(h), entry.parent ? window.ControlHwnd(*entry.parent) : main);
    EXPECT_EQ(GetDlgCtrlID(h), ControlId(entry.control));
    EXPECT_EQ(_wcsicmp(ClassOf(h).c_str(), ExpectedClass(entry.kind)), 0) << ClassOf(h).c_str();
    LayoutRect expected = ScaledRect(entry.control, dpi);
    if (entry.kind == ControlKind::ToolbarButton) expected = Scale(ToolbarButtonRect(slot++), dpi);
    const RECT r = RectInParent(h);
    EXPECT_EQ((LayoutRect{r.left, r.top, r.right - r.left, r.bottom - r.top}), expected);
  }
}

TEST_F(MainWindowTest, BuildsEveryStoredControlAtItsPlace) {
  ExpectLayout(*window, window->dpi());
  EXPECT_EQ(window->dpi(), win::WindowDpi(window->hwnd()));
  // Tab order follows the stored order.
  HWND box = GetWindow(H(Ctl::GroupBox2), GW_CHILD);
  for (Ctl c : {Ctl::ChkTcpNoDelay, Ctl::ChkTCPAckFrequency, Ctl::ChkTcpDelAckTick}) {
    EXPECT_EQ(box, H(c));
    box = GetWindow(box, GW_HWNDNEXT);
  }
  // The spinner is drawn over the Run button.
  EXPECT_EQ(GetWindow(H(Ctl::Card1), GW_CHILD), H(Ctl::Indicator));
}

TEST_F(MainWindowTest, WindowFrameAndStoredState) {
  HWND main = window->hwnd();
  EXPECT_EQ(ClassOf(main), L"TFrmTempowave");
  EXPECT_EQ(TextOf(main), kStoredWindowCaption);
  EXPECT_FALSE(IsWindowVisible(main)) << "shown only after creation";
  const LONG_PTR style = GetWindowLongPtrW(main, GWL_STYLE);
  const LONG_PTR ex = GetWindowLongPtrW(main, GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_CLIPCHILDREN);
  EXPECT_TRUE(ex & WS_EX_APPWINDOW);
  EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr);
  EXPECT_EQ(win::Application::MainWindow(), main);

  // Centred on its monitor.
  RECT wr;
  GetWindowRect(main, &wr);
  MONITORINFO mi{sizeof(mi), {}, {}, 0};
  GetMonitorInfoW(MonitorFromWindow(main, MONITOR_DEFAULTTOPRIMARY), &mi);
  EXPECT_LE(std::abs((wr.left + wr.right) - (mi.rcMonitor.left + mi.rcMonitor.right)), 1);
  EXPECT_LE(std::abs((wr.top + wr.bottom) - (mi.rcMonitor.top + mi.rcMonitor.bottom)), 1);

  for (const ControlSpec& entry : MainLayout()) {
    SCOPED_TRACE(EncodeUtf8(CtlName(entry.control)));
    EXPECT_EQ(TextOf(H(entry.control)), entry.caption);
    EXPECT_TRUE(window->Enabled(entry.control));
  }
  for (Ctl box : {Ctl::ChkTcpNoDelay, Ctl::ChkTCPAckFrequency, Ctl::ChkTcpDelAckTick,
                  Ctl::ChkNetworkThrottlingIndex, Ctl::ChkSystemResponsiveness}) {
    EXPECT_EQ(SendMessageW(H(box), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(GetWindowLongPtrW(H(box), GWL_STYLE) & WS_TABSTOP);
    EXPECT_EQ(GetWindowLongPtrW(H(box), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
  }
  EXPECT_TRUE(Pressed(Ctl::BtnHome));
  EXPECT_FALSE(Pressed(Ctl::BtnConfig));
  EXPECT_FALSE(Pressed(Ctl::BtnStart));
  EXPECT_EQ(GetWindowLongPtrW(H(Ctl::BtnStart), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_TRUE(window->Visible(Ctl::BtnDonate));
  EXPECT_TRUE(window->Visible(Ctl::Indicator));
  EXPECT_EQ(window->ActivePage(), 0);
  EXPECT_TRUE(window->Visible(Ctl::Card1));
  EXPECT_FALSE(window->Visible(Ctl::Card2));
  // The spinner lies over the Run button, centre on centre (within the half pixel an odd difference leaves).
  const RECT b = RectInParent(H(Ctl::BtnStart)), s = RectInParent(H(Ctl::Indicator));
  EXPECT_LE(std::abs((b.left + b.right) - (s.left + s.right)), 1);
  EXPECT_LE(std::abs((b.top + b.bottom) - (s.top + s.bottom)), 1);
}

TEST_F(MainWindowTest, FontsAreScaledAndTheTitleHasItsOwn) {
  LOGFONTW lf{};
  HFONT f = reinterpret_cast<HFONT>(SendMessageW(H(Ctl::LblVersion), WM_GETFONT, 0, 0));
  ASSERT_TRUE(GetObjectW(f, sizeof(lf), &lf));
  EXPECT_EQ(lf.lfHeight, -Scale(kWindowFontHeight, window->dpi()));
  EXPECT_STREQ(lf.lfFaceName, L"Segoe UI");
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(window->hwnd(), WM_GETFONT, 0, 0)), f)
      << "the window's font";
  HFONT t = reinterpret_cast<HFONT>(SendMessageW(H(Ctl::LblTitle), WM_GETFONT, 0, 0));
  ASSERT_TRUE(GetObjectW(t, sizeof(lf), &lf));
  EXPECT_EQ(lf.lfHeight, -Scale(kTitleFontHeight, window->dpi()));
  EXPECT_STREQ(lf.lfFaceName, L"Tahoma");
  EXPECT_EQ(lf.lfQuality, ANTIALIASED_QUALITY);
}

// Moving to a monitor of another DPI: the suggested rectangle is applied and everything is laid out again
// from the 96-DPI table, fonts included; moving back restores the original layout exactly.
TEST_F(MainWindowTest, DpiChangeRelaysOutEverything) {
  const int original = window->dpi();
  for (int dpi : {120, 144, 192, original}) {
    const RECT frame =
        win::WindowRectForClient(Scale(kClientWidth, dpi), Scale(kClientHeight, dpi),
                                 static_cast<DWORD>(GetWindowLongPtrW(window->hwnd(), GWL_STYLE)),
                                 static_cast<DWORD>(GetWindowLongPtrW(window->hwnd(), GWL_EXSTYLE)), dpi);
    RECT suggested{100, 50, 100 + frame.right - frame.left, 50 + frame.bottom - frame.top};
    SendMessageW(window->hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    RECT wr;
    GetWindowRect(window->hwnd(), &wr);
    EXPECT_EQ(wr.left, 100);
    EXPECT_EQ(wr.top, 50);
    ExpectLayout(*window, dpi);
    LOGFONTW lf{};
    HFONT t = reinterpret_cast<HFONT>(SendMessageW(H(Ctl::LblTitle), WM_GETFONT, 0, 0));
    ASSERT_TRUE(GetObjectW(t, sizeof(lf), &lf));
    EXPECT_EQ(lf.lfHeight, -Scale(kTitleFontHeight, dpi));
    HFONT c = reinterpret_cast<HFONT>(SendMessageW(H(Ctl::ChkTcpNoDelay), WM_GETFONT, 0, 0));
    ASSERT_TRUE(GetObjectW(c, sizeof(lf), &lf));
    EXPECT_EQ(lf.lfHeight, -Scale(kWindowFontHeight, dpi));
  }
}

TEST_F(MainWindowTest, HeaderButtonsSwitchPagesWithOnePressed) {
  struct Step {
    Ctl click;
    int page;
  };
  const Step steps[] = {
      {Ctl::BtnConfig, 1}, {Ctl::BtnConfig, 1}, {Ctl::BtnHome, 0}, {Ctl::BtnHome, 0}, {Ctl::BtnConfig, 1}};
  for (const Step& step : steps) {
    Click(step.click);
    EXPECT_EQ(window->ActivePage(), step.page);
    EXPECT_EQ(Pressed(Ctl::BtnHome), step.page == 0);
    EXPECT_EQ(Pressed(Ctl::BtnConfig), step.page == 1);
    EXPECT_EQ(IsWindowVisible(H(Ctl::Card1)) != 0, false) << "the window itself is not shown yet";
    EXPECT_EQ((GetWindowLongPtrW(H(Ctl::Card1), GWL_STYLE) & WS_VISIBLE) != 0, step.page == 0);
    EXPECT_EQ((GetWindowLongPtrW(H(Ctl::Card2), GWL_STYLE) & WS_VISIBLE) != 0, step.page == 1);
  }
  EXPECT_TRUE(services.shell.opened.empty());
}

// Each box's click reaches its own handler, which stores the box's new state under its own key.
TEST_F(MainWindowTest, CheckBoxClicksReachTheirHandlers) {
  const std::pair<Ctl, std::u16string> boxes[] = {
      {Ctl::ChkTcpNoDelay, u"tcpnodelay"},
      {Ctl::ChkTCPAckFrequency, u"tcpackfrequency"},
      {Ctl::ChkTcpDelAckTick, u"tcpdelacktick"},
      {Ctl::ChkNetworkThrottlingIndex, u"networkthrottleindex"},
      {Ctl::ChkSystemResponsiveness, u"systemresponsiveness"},
  };
  auto stored = [&](const std::u16string& key) -> int {
    const auto v = services.registry.Get(reg::kCurrentUser, u"Software\\Tempowave", key);
    if (!v) return -1;
    return v->data.empty() ? -2 : v->data[0];
  };
  for (size_t i = 0; i < std::size(boxes); ++i) {
    SCOPED_TRACE(EncodeUtf8(boxes[i].second));
    Click(boxes[i].first);
    EXPECT_EQ(stored(boxes[i].second), 1);
    for (size_t later = i + 1; later < std::size(boxes); ++later) {
      EXPECT_EQ(stored(boxes[later].second), -1) << "a box not clicked yet is not stored";
    }
  }
  Click(Ctl::ChkTcpDelAckTick);
  EXPECT_EQ(stored(u"tcpdelacktick"), 0);
}

// Switching pages leaves nothing of the old page on screen, also inside the group boxes (whose standard
// painting leaves their inside alone).
TEST_F(MainWindowTest, PageSwitchRepaintsTheWholeBody) {
  ShowWindow(window->hwnd(), SW_SHOWNA);
  UpdateWindow(window->hwnd());
  Click(Ctl::BtnConfig);
  RedrawWindow(window->hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump();
  const int dpi = window->dpi();
  // A line through the first group box, below its labels, where the home page's title was.
  const int y = Scale(50 + 6 + 50, dpi);
  HDC dc = GetDC(window->hwnd());
  int dark = 0;
  for (int x = Scale(40, dpi); x < Scale(460, dpi); ++x) {
    const COLORREF c = GetPixel(dc, x, y);
    dark += GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128;
  }
  ReleaseDC(window->hwnd(), dc);
  EXPECT_EQ(dark, 0);
}

TEST_F(MainWindowTest, LogoAndDonateOpenTheirPagesAndKeepThePage) {
  Click(Ctl::BtnConfig);
  Click(Ctl::BtnDonate);
  // A mouse press and release over the logo.
  SendMessageW(H(Ctl::ImgLogo), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  SendMessageW(H(Ctl::ImgLogo), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  // Released outside the logo: no click.
  SendMessageW(H(Ctl::ImgLogo), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  SendMessageW(H(Ctl::ImgLogo), WM_LBUTTONUP, 0, MAKELPARAM(500, 10));
  Click(Ctl::ImgLogo);
  ASSERT_EQ(services.shell.opened.size(), 3u);
  EXPECT_EQ(services.shell.opened[0], DonationPageUrl());
  EXPECT_EQ(services.shell.opened[1], HomePageUrl());
  EXPECT_EQ(services.shell.opened[2], HomePageUrl());
  EXPECT_EQ(window->ActivePage(), 1);
  EXPECT_TRUE(Pressed(Ctl::BtnConfig));
  EXPECT_FALSE(Pressed(Ctl::BtnHome));
  EXPECT_FALSE(Pressed(Ctl::BtnDonate));
}

TEST_F(MainWindowTest, ViewOperationsReachTheControls) {
  window->SetControlCaption(Ctl::BtnStart, u"Run");
  EXPECT_EQ(TextOf(H(Ctl::BtnStart)), u"Run");
  window->SetControlCaption(Ctl::LblContent, u"<C><FC:clGray>Easily <B>fast</B></FC></C>");
  EXPECT_EQ(window->ControlCaption(Ctl::LblContent), u"<C><FC:clGray>Easily <B>fast</B></FC></C>");
  EXPECT_EQ(TextOf(H(Ctl::LblContent)), u"Easily fast");
  window->SetEnabled(Ctl::ChkTcpNoDelay, false);
  EXPECT_FALSE(IsWindowEnabled(H(Ctl::ChkTcpNoDelay)));
  window->SetChecked(Ctl::ChkTcpDelAckTick, true);
  EXPECT_EQ(SendMessageW(H(Ctl::ChkTcpDelAckTick), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(window->Checked(Ctl::ChkTcpDelAckTick));
  window->SetDown(Ctl::BtnStart, true);
  EXPECT_TRUE(Pressed(Ctl::BtnStart));
  EXPECT_TRUE(Pressed(Ctl::BtnHome)) << "the Run button is in another group";
  window->SetVisible(Ctl::BtnDonate, false);
  EXPECT_FALSE(GetWindowLongPtrW(H(Ctl::BtnDonate), GWL_STYLE) & WS_VISIBLE);
  window->SetVisible(Ctl::Indicator, false);
  EXPECT_FALSE(window->Visible(Ctl::Indicator));
  window->SetCaption(u"Tempowave");
  EXPECT_EQ(window->Caption(), u"Tempowave");
  window->SetApplicationTitle(u"Tempowave");
  EXPECT_EQ(win::Application::Title(), u"Tempowave");
}

// A control asked for what its kind does not have is a fault of the window's own code: raised with the
// control's name (from a handler, that reaches the crash handler), never read through a null widget.
TEST_F(MainWindowTest, AControlAskedForAnotherKindRaisesWithItsName) {
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[this] { window->SetChecked(Ctl::BtnStart, true); }, "BtnStart"},
      {[this] { window->SetDown(Ctl::ChkTcpNoDelay, true); }, "ChkTcpNoDelay"},
      {[this] { (void)window->Down(Ctl::LblTitle); }, "LblTitle"},
  };
  for (const auto& [call, name] : cases) {
    try {
      call();
      ADD_FAILURE() << name << ": nothing raised";
    } catch (const std::logic_error& e) {
      EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    }
  }
  EXPECT_FALSE(Pressed(Ctl::BtnStart)) << "nothing done before the raise";
}

TEST_F(MainWindowTest, CloseEndsTheWindow) {
  window->Close();
  EXPECT_TRUE(IsWindow(window->hwnd())) << "closing is posted";
  Pump();
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(window->hwnd(), nullptr);
  EXPECT_EQ(win::Application::MainWindow(), nullptr);
}

// While a Run or Run again is under way the end of the session is held off with a reason the user sees;
// afterwards it is not, and the end of a session that goes on anyway returns at once when nothing restarts.
TEST_F(MainWindowTest, TheEndOfTheSessionIsHeldOffWhileBusy) {
  EXPECT_EQ(SendMessageW(window->hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  window->HoldOffShutdown(u"Switching the network connection back on.");
  EXPECT_EQ(SendMessageW(window->hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
  // Not every system can say the reason back (Wine has no ShutdownBlockReasonQuery).
  using Query = BOOL(WINAPI*)(HWND, LPWSTR, DWORD*);
  const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "ShutdownBlockReasonQuery")));
  wchar_t reason[128] = L"";
  DWORD size = 128;
  if (query && query(window->hwnd(), reason, &size)) {
    EXPECT_STREQ(reason, L"Switching the network connection back on.");
  }
  const DWORD t0 = GetTickCount();
  EXPECT_EQ(SendMessageW(window->hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF), 0);
  EXPECT_LT(GetTickCount() - t0, 5000u);
  window->AllowShutdown();
  EXPECT_EQ(SendMessageW(window->hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
}

TEST_F(MainWindowTest, ThemeStripPushesTheHeaderDown) {
  window->AttachThemeHelper();
  const int strip = Scale(2, window->dpi());
  const RECT head = RectInParent(H(Ctl::PnlHead)), body = RectInParent(H(Ctl::PnlMain));
  EXPECT_EQ(head.top, strip);
  EXPECT_EQ(head.bottom - head.top, Scale(50, window->dpi()));
  EXPECT_EQ(body.top, head.bottom);
  EXPECT_EQ(body.bottom, Scale(kClientHeight, window->dpi())) << "the body gives up the strip's pixels";
}

TEST_F(MainWindowTest, FittedTitleStaysFittedAcrossFontChanges) {
  auto title_height = [&] {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(H(Ctl::LblTitle), WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    return -lf.lfHeight;
  };
  window->FitLabelFont(Ctl::LblTitle);
  EXPECT_EQ(title_height(), Scale(kTitleFontHeight, window->dpi())) << "a caption that fits keeps its font";
  window->SetControlCaption(Ctl::LblTitle, u"Tempowave Tempowave Tempowave");
  window->FitLabelFont(Ctl::LblTitle);
  const int fitted = title_height();
  EXPECT_LT(fitted, Scale(kTitleFontHeight, window->dpi()));
  window->UseIconTitleFont();
  EXPECT_EQ(title_height(), fitted) << "the title keeps its own font";
  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(H(Ctl::LblVersion), WM_GETFONT, 0, 0)), sizeof(lf), &lf);
  const LOGFONTW icon = win::IconTitleFont(window->dpi());
  EXPECT_STREQ(lf.lfFaceName, icon.lfFaceName);
  EXPECT_EQ(lf.lfHeight, icon.lfHeight);
  // The window follows later changes of the system's icon-title font; the title keeps its own.
  HFONT before = reinterpret_cast<HFONT>(SendMessageW(H(Ctl::LblVersion), WM_GETFONT, 0, 0));
  SendMessageW(window->hwnd(), WM_SETTINGCHANGE, SPI_SETICONTITLELOGFONT, 0);
  HFONT after = reinterpret_cast<HFONT>(SendMessageW(H(Ctl::LblVersion), WM_GETFONT, 0, 0));
  EXPECT_NE(after, before) << "rebuilt";
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(H(Ctl::ChkTcpNoDelay), WM_GETFONT, 0, 0)), after);
  EXPECT_EQ(title_height(), fitted);
}

// The error box is owned by the hidden application window, so the main window stays enabled under it.
TEST_F(MainWindowTest, ErrorBoxIsOwnedByTheHiddenWindow) {
  MessageBoxWatch watch(window->hwnd());
  window->ShowErrorBox(u"No active network.", u"Tempowave");
  ASSERT_EQ(watch.boxes.size(), 1u);
  const SeenBox& box = watch.boxes[0];
  EXPECT_EQ(box.owner, win::Application::HiddenOwner());
  EXPECT_NE(box.owner, window->hwnd());
  EXPECT_TRUE(box.main_enabled);
  EXPECT_EQ(box.caption, L"Tempowave");
  EXPECT_TRUE(Contains(box.texts, L"No active network."));
}

// An error escaping the creation handler is shown and absorbed: the window is still created.
TEST(MainWindowCreate, ErrorInOnCreateIsShownAndTheWindowStillExists) {
  WindowServices services;
  win::MainWindow window(services.Get(), [] {});
  bool after = false;
  window.on_create = [&] {
    throw Error(u"Settings value has the wrong type");
    after = true;
  };
  MessageBoxWatch watch;
  ASSERT_TRUE(window.Create());
  EXPECT_TRUE(IsWindow(window.hwnd()));
  EXPECT_TRUE(IsWindow(window.ControlHwnd(Ctl::BtnStart)));
  EXPECT_FALSE(after);
  ASSERT_EQ(watch.boxes.size(), 1u);
  EXPECT_TRUE(Contains(watch.boxes[0].texts, L"Settings value has the wrong type"));
}

TEST(MainWindowCreate, OnCreateRunsInsideCreationBeforeTheWindowIsShown) {
  WindowServices services;
  win::MainWindow window(services.Get(), [] {});
  bool ran = false;
  window.on_create = [&] {
    ran = true;
    ASSERT_TRUE(IsWindow(window.hwnd()));
    EXPECT_FALSE(IsWindowVisible(window.hwnd()));
    EXPECT_TRUE(IsWindow(window.ControlHwnd(Ctl::LblVersion))) << "controls exist before the handler runs";
    RECT client;
    GetClientRect(window.hwnd(), &client);
    EXPECT_EQ(client.right, Scale(kClientWidth, window.dpi()));
  };
  ASSERT_TRUE(window.Create());
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace tw::test
