#include <windows.h>
#include <commctrl.h>

#include <process.h>

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <memory>

#include "fakes/fake_http.h"
#include "fakes/fake_locale.h"
#include "fakes/fake_services.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_update_prompts.h"
#include "i18n/embedded_table.h"
#include "i18n/translate.h"
#include "platform/dpi.h"
#include "platform/error.h"
#include "platform/win32/dpi_win32.h"
#include "platform/win32/dispatcher_win32.h"
#include "platform/win32/wstr.h"
#include "platform/win32/application.h"
#include "update/update_text.h"
#include "update/update.h"
#include "update/win32/update_prompts.h"
#include "gui_objects.h"
#include "main_window_fixture.h"

namespace tw::win {
namespace {

std::u16string Text(HWND hwnd) {
  wchar_t buffer[1024] = {};
  SendMessageW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer));
  return U(buffer);
}

std::u16string ClassOf(HWND hwnd) {
  wchar_t buffer[64] = {};
  GetClassNameW(hwnd, buffer, 64);
  return U(buffer);
}

RECT ClientRectOf(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

BOOL CALLBACK FindDialog(HWND h, LPARAM out) {
  if (ClassOf(h) == u"#32770" && IsWindowVisible(h)) {
    *reinterpret_cast<HWND*>(out) = h;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK ReadTooltip(HWND h, LPARAM out) {
  if (ClassOf(h) == u"tooltips_class32") {
    wchar_t buffer[512] = {};
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.lpszText = buffer;
    if (SendMessageW(h, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&ti))) {
      *reinterpret_cast<std::u16string*>(out) = U(buffer);
    }
  }
  return TRUE;
}

struct DialogSnapshot {
  std::u16string caption, yes, no;
  std::vector<std::u16string> statics;  // texts of the static controls
  std::u16string link_text;
  HWND box = nullptr, link = nullptr, separator = nullptr;
  RECT window{}, box_rect{}, link_rect{}, separator_rect{};
  bool topmost = false;
  int dpi = 96;
};

// A plain Win32 thread: the C runtime's thread bookkeeping creates synchronisation objects of its own on
// first contention, which would show up in the handle counts below as if a dialog had left them.
class DriverThread {
 public:
  explicit DriverThread(std::function<void()> work) : work_(std::move(work)) {
    handle_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &DriverThread::Main, this, 0, nullptr));
  }
  DriverThread(const DriverThread&) = delete;
  DriverThread& operator=(const DriverThread&) = delete;
  ~DriverThread() { join(); }
  void join() {
    if (!handle_) return;
    WaitForSingleObject(handle_, INFINITE);
    CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  static unsigned __stdcall Main(void* self) {
    static_cast<DriverThread*>(self)->work_();
    return 0;
  }
  std::function<void()> work_;
  HANDLE handle_ = nullptr;
};

// Waits for the dialog on `ui_thread`, reads it from outside, then lets `act` answer it.
std::unique_ptr<DriverThread> Drive(DWORD ui_thread, DialogSnapshot* snap,
                                    const std::function<void(HWND dlg, DWORD ui_thread)>& act) {
  return std::make_unique<DriverThread>([=] {
    HWND dlg = nullptr;
    for (int i = 0; i < 1000 && !dlg; ++i) {
      EnumThreadWindows(ui_thread, FindDialog, reinterpret_cast<LPARAM>(&dlg));
      if (!dlg) Sleep(10);
    }
    if (!dlg) return;
    snap->caption = Text(dlg);
    snap->yes = Text(GetDlgItem(dlg, IDYES));
    snap->no = Text(GetDlgItem(dlg, IDNO));
    GetWindowRect(dlg, &snap->window);
    snap->topmost = (GetWindowLongW(dlg, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    snap->dpi = WindowDpi(dlg);
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      const std::u16string cls = ClassOf(c);
      const LONG style = GetWindowLongW(c, GWL_STYLE);
      if (cls == u"Button" && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        snap->box = c;
        snap->box_rect = ClientRectOf(c);
      } else if (cls == u"Static" && (style & SS_NOTIFY)) {
        snap->link = c;
        snap->link_text = Text(c);
        snap->link_rect = ClientRectOf(c);
      } else if (cls == u"Static" && Text(c).empty() && (style & SS_TYPEMASK) != SS_ICON) {
        snap->separator = c;
        snap->separator_rect = ClientRectOf(c);
      } else if (cls == u"Static") {
        snap->statics.push_back(Text(c));
      }
    }
    act(dlg, ui_thread);
  });
}

void Key(DWORD ui_thread, WPARAM key) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(ui_thread, &info);
  PostMessageW(info.hwndFocus, WM_KEYDOWN, key, 0);
  PostMessageW(info.hwndFocus, WM_KEYUP, key, 0);
}

class UpdateDialogTest : public ::testing::Test {
 protected:
  UpdateDialogTest() { SetServiceAddress(u"http://127.0.0.1:9/api.init.php", 10); }
  // Shows the offer for `answer` and answers it with `act`; returns UpdateDialog's result.
  bool Show(const std::u16string& answer, const std::function<void(HWND, DWORD)>& act) {
    UpdatePrompts prompts(
        services, [this] { return language; }, [] { return std::u16string(u"Tempowave"); });
    auto driver = Drive(GetCurrentThreadId(), &snap, act);
    const bool yes = prompts.UpdateDialog(answer);
    driver->join();
    return yes;
  }

  test::FakeHttp http;
  test::FakeShell shell;
  test::FakeServices fakes;
  Services services{.registry = fakes.registry,
                    .dispatcher = fakes.dispatcher,
                    .clock = fakes.clock,
                    .http = http,
                    .shell = &shell};
  std::u16string language = u"en";
  DialogSnapshot snap;
};

const auto kEscape = [](HWND, DWORD ui) { Key(ui, VK_ESCAPE); };
const auto kEnter = [](HWND, DWORD ui) { Key(ui, VK_RETURN); };

TEST_F(UpdateDialogTest, CaptionsAndPromptPerLanguage) {
  for (const char16_t* lang : {u"ko", u"fr", u"es"}) {
    language = lang;
    snap = {};
    EXPECT_FALSE(Show(u"{\"update\":\"https://u/\"}", kEscape));
    EXPECT_EQ(snap.caption, u"Tempowave");
    EXPECT_EQ(snap.yes, UpdateText(utYes, lang));
    EXPECT_EQ(snap.no, UpdateText(utNo, lang));
    EXPECT_NE(std::find(snap.statics.begin(), snap.statics.end(), UpdateText(utPrompt, lang)),
              snap.statics.end());
    EXPECT_EQ(snap.box, nullptr);
    EXPECT_EQ(snap.separator, nullptr);
    EXPECT_FALSE(snap.topmost);
  }
}

TEST_F(UpdateDialogTest, EnterIsYesEscapeAndCloseAreNot) {
  EXPECT_TRUE(Show(u"{}", kEnter));
  EXPECT_FALSE(Show(u"{}", kEscape));
  EXPECT_FALSE(Show(u"{}", [](HWND dlg, DWORD) { PostMessageW(dlg, WM_CLOSE, 0, 0); }));
  EXPECT_TRUE(Show(u"{}", [](HWND dlg, DWORD) { PostMessageW(GetDlgItem(dlg, IDYES), BM_CLICK, 0, 0); }));
  EXPECT_FALSE(Show(u"{}", [](HWND dlg, DWORD) { PostMessageW(GetDlgItem(dlg, IDNO), BM_CLICK, 0, 0); }));
  EXPECT_TRUE(http.Requests().empty());
}

TEST_F(UpdateDialogTest, HoldBoxPlacedBelowTheSeparatorAndTickedBoxSendsHold) {
  Show(u"{}", kEscape);
  const int plain_height = snap.window.bottom - snap.window.top;
  snap = {};
  const std::u16string answer =
      u"{\"update\":\"https://u/\",\"info\":{\"style\":\"hold\",\"text\":\"Don\\u2019t "
      u"show\",\"flag\":\"stayontop\"}}";
  EXPECT_FALSE(Show(answer, [](HWND dlg, DWORD ui) {
    HWND box = nullptr;
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if ((GetWindowLongW(c, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX && ClassOf(c) == u"Button") box = c;
    }
    SendMessageW(box, BM_CLICK, 0, 0);
    Key(ui, VK_ESCAPE);
  }));
  const int dpi = snap.dpi;
  const int height = snap.window.bottom - snap.window.top;
  EXPECT_EQ(height - plain_height, Scale(30, dpi));
  ASSERT_NE(snap.separator, nullptr);
  EXPECT_EQ(height - snap.separator_rect.top, Scale(66, dpi));
  EXPECT_EQ(snap.separator_rect.left, 0);
  EXPECT_EQ(snap.separator_rect.bottom - snap.separator_rect.top, 1);
  EXPECT_EQ(snap.separator_rect.right, snap.window.right - snap.window.left);
  ASSERT_NE(snap.box, nullptr);
  EXPECT_EQ(height - snap.box_rect.top, Scale(56, dpi));
  EXPECT_EQ(snap.box_rect.left, Scale(10, dpi));
  EXPECT_TRUE(snap.topmost);
  std::cout << "dialog geometry checked at " << dpi << " dpi\n";

  // The hold request runs on a thread of its own; nothing waits for it.
  for (int i = 0; i < 500 && http.Requests().empty(); ++i) Sleep(10);
  const auto requests = http.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].headers.at(1),
            std::make_pair(std::u16string(u"User-Command"), std::u16string(u"hold")));
}

// Fifty offers opened and answered, with the note, the link and the hold box: every window, GDI object and
// handle the dialog took is given back. The first one loads what stays (fonts of the dialog, the link's
// hand).
TEST_F(UpdateDialogTest, FiftyDialogsGiveBackWhatTheyTook) {
  const std::u16string answer =
      u"{\"update\":\"https://u/\",\"info\":{\"style\":\"hold\",\"text\":\"Don\\u2019t show\","
      u"\"url\":\"https://n/\"}}";
  const auto escape_after_paint = [](HWND dlg, DWORD ui) {
    RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Key(ui, VK_ESCAPE);
  };
  Show(answer, escape_after_paint);
  const DWORD gdi = test::CountGdiObjects();
  const DWORD windows = test::CountThreadWindows();
  const DWORD handles = test::CountProcessHandles(GetCurrentProcessId());
  for (int i = 0; i < 50; ++i) EXPECT_FALSE(Show(answer, escape_after_paint));
  std::cout << "after 50 dialogs: GDI " << gdi << " -> " << test::CountGdiObjects() << ", windows " << windows
            << " -> " << test::CountThreadWindows() << ", handles " << handles << " -> "
            << test::CountProcessHandles(GetCurrentProcessId()) << "\n";
  EXPECT_EQ(test::CountGdiObjects(), gdi);
  EXPECT_EQ(test::CountThreadWindows(), windows);
  EXPECT_EQ(test::CountProcessHandles(GetCurrentProcessId()), handles);
}

TEST_F(UpdateDialogTest, StyleOnlyNearlyHoldGivesSeparatorWithoutControl) {
  for (const char16_t* style : {u"Hold", u"notes", u"other"}) {
    snap = {};
    Show(u"{\"info\":{\"style\":\"" + std::u16string(style) + u"\",\"text\":\"t\"}}", kEnter);
    EXPECT_NE(snap.separator, nullptr);
    EXPECT_EQ(snap.box, nullptr);
    EXPECT_EQ(snap.link, nullptr);
  }
}

TEST_F(UpdateDialogTest, NoteLinkOpensOnlyWebAddresses) {
  struct Case {
    std::u16string url;
    std::vector<std::u16string> opened;
  };
  const Case cases[] = {{u"https:\\/\\/n\\/more", {u"https://n/more"}},
                        {u"C:\\\\Windows\\\\notepad.exe", {}},
                        {u"file:\\/\\/\\/C:\\/x.exe", {}}};
  for (const auto& c : cases) {
    shell.opened.clear();
    snap = {};
    const std::u16string answer =
        u"{\"info\":{\"style\":\"note\",\"text\":\"More\",\"url\":\"" + c.url + u"\"}}";
    const bool yes = Show(answer, [](HWND dlg, DWORD ui) {
      HWND link = nullptr;
      for (HWND ch = GetWindow(dlg, GW_CHILD); ch; ch = GetWindow(ch, GW_HWNDNEXT)) {
        if (ClassOf(ch) == u"Static" && (GetWindowLongW(ch, GWL_STYLE) & SS_NOTIFY)) link = ch;
      }
      PostMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
      PostMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
      Sleep(200);
      Key(ui, VK_ESCAPE);
    });
    EXPECT_FALSE(yes);
    ASSERT_NE(snap.link, nullptr);
    EXPECT_EQ(snap.link_text, u"More");
    const int height = snap.window.bottom - snap.window.top;
    EXPECT_EQ(height - snap.link_rect.top, Scale(56, snap.dpi));
    EXPECT_EQ(shell.opened, c.opened);
  }
}

TEST_F(UpdateDialogTest, DefaultsFollowTheCurrentLanguageAndTheTranslatedTitle) {
  test::FakeLocale locale(u"fr");
  TranslateModuleStart(EmbeddedTranslateTable(), locale);
  Application::SetTitle(u"\uD15C\uD3EC\uC6E8\uC774\uBE0C");  // the product name, stored in Korean
  UpdatePrompts prompts(services);
  auto driver = Drive(GetCurrentThreadId(), &snap, kEscape);
  EXPECT_FALSE(prompts.UpdateDialog(u"{}"));
  driver->join();
  EXPECT_EQ(snap.caption, u"Tempowave");
  EXPECT_EQ(snap.yes, u"Oui");
  EXPECT_EQ(snap.no, u"Non");
  TranslateModuleStop();
  Application::SetTitle(u"");
}

TEST_F(UpdateDialogTest, MalformedEscapeInTheNoticeRaisesBeforeAnyWindow) {
  UpdatePrompts prompts(
      services, [] { return std::u16string(u"en"); }, [] { return std::u16string(); });
  EXPECT_THROW(prompts.UpdateDialog(u"{\"info\":{\"style\":\"hold\",\"text\":\"\\u12\\u\"}}"), Error);
}

// The program's main window in its stored layout (no creation handler), shown; the strip goes on it.
class StripTest : public ::testing::Test {
 protected:
  StripTest() {
    window = std::make_unique<MainWindow>(window_services.Get(), [] {});
    window->on_create = nullptr;
    EXPECT_TRUE(window->Create());
    main = window->hwnd();
    ShowWindow(main, SW_SHOWNOACTIVATE);
    Application::SetMainWindow(main);
  }
  ~StripTest() override {
    Application::SetMainWindow(nullptr);
    window.reset();
  }
  int ClientHeight() const {
    RECT r;
    GetClientRect(main, &r);
    return r.bottom;
  }
  void Pump() {
    MSG m;
    for (int i = 0; i < 20; ++i) {
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
      Sleep(10);
    }
  }
  void Click(HWND strip) {
    PostMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    PostMessageW(strip, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    Pump();
  }
  std::u16string Hint(HWND strip) {
    // The strip's hint is the text of its tooltip.
    (void)strip;
    std::u16string text;
    EnumThreadWindows(GetCurrentThreadId(), ReadTooltip, reinterpret_cast<LPARAM>(&text));
    return text;
  }

  test::WindowServices window_services;
  std::unique_ptr<MainWindow> window;
  HWND main = nullptr;
  test::FakeShell shell;
  test::FakeServices fakes;
  Services services{.registry = fakes.registry,
                    .dispatcher = fakes.dispatcher,
                    .clock = fakes.clock,
                    .http = fakes.http,
                    .shell = &shell};
};

TEST_F(StripTest, AddedOnceAtTheBottomAndReusedForTheNextNotice) {
  std::u16string language = u"en";
  UpdatePrompts prompts(services, [&] { return language; }, {});
  const int before = ClientHeight();
  prompts.ShowUpdateStatus(u"https://n/1");
  HWND strip = FindStatusBar(main);
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(ClassOf(strip), u"msctls_statusbar32");
  const int height = Scale(28, WindowDpi(main));
  EXPECT_EQ(ClientHeight(), before + height);
  const RECT r = ClientRectOf(strip);
  EXPECT_EQ(r.top, before);
  EXPECT_EQ(r.bottom - r.top, height);
  EXPECT_EQ(Text(strip), u"Update available");
  EXPECT_EQ(Hint(strip), u"https://n/1");

  // The panel is drawn in pure red on the strip.
  UpdateWindow(main);
  RedrawWindow(strip, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  Pump();
  bool red = false;
  {
    HDC dc = GetDC(strip);
    for (int x = 0; x < r.right && !red; ++x) {
      for (int y = 0; y < height && !red; ++y) red = GetPixel(dc, x, y) == RGB(255, 0, 0);
    }
    ReleaseDC(strip, dc);
  }
  EXPECT_TRUE(red);

  language = u"ko";
  prompts.ShowUpdateStatus(u"https://n/2");
  EXPECT_EQ(FindStatusBar(main), strip);
  EXPECT_EQ(ClientHeight(), before + height);  // grows only once
  EXPECT_EQ(Text(strip), u"업데이트 가능");
  EXPECT_EQ(Hint(strip), u"https://n/2");

  Click(strip);
  EXPECT_EQ(shell.opened, std::vector<std::u16string>{u"https://n/2"});
}

TEST_F(StripTest, FollowsTheWindowToAnotherDpi) {
  UpdatePrompts prompts(services, [] { return std::u16string(u"en"); }, {});
  prompts.ShowUpdateStatus(u"https://n/");
  HWND strip = FindStatusBar(main);
  ASSERT_NE(strip, nullptr);
  HFONT before = reinterpret_cast<HFONT>(SendMessageW(strip, WM_GETFONT, 0, 0));
  RECT suggested;
  GetWindowRect(main, &suggested);
  SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  const RECT r = ClientRectOf(strip);
  EXPECT_EQ(r.bottom - r.top, 42);
  EXPECT_EQ(r.bottom, ClientHeight());
  HFONT after = reinterpret_cast<HFONT>(SendMessageW(strip, WM_GETFONT, 0, 0));
  EXPECT_NE(after, before);
  LOGFONTW lf{};
  ASSERT_TRUE(GetObjectW(after, sizeof(lf), &lf));
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
}

// A notice arriving while the window is minimised: the window has no client area to measure then, yet after
// restore it has grown by the strip and the strip lies below the body, not over it.
TEST_F(StripTest, AddedWhileMinimisedTakesItsOwnPlaceOnRestore) {
  UpdatePrompts prompts(services, [] { return std::u16string(u"en"); }, {});
  const int dpi = WindowDpi(main);
  const int body = ClientHeight();
  ShowWindow(main, SW_MINIMIZE);
  Pump();
  ASSERT_TRUE(IsIconic(main));
  prompts.ShowUpdateStatus(u"https://n/");
  ShowWindow(main, SW_RESTORE);
  Pump();
  ASSERT_FALSE(IsIconic(main));
  HWND strip = FindStatusBar(main);
  ASSERT_NE(strip, nullptr);
  const int height = Scale(28, dpi);
  EXPECT_EQ(ClientHeight(), body + height);
  const RECT r = ClientRectOf(strip);
  EXPECT_EQ(r.top, body);
  EXPECT_EQ(r.bottom - r.top, height);
  RECT client;
  GetClientRect(main, &client);
  EXPECT_EQ(r.right - r.left, client.right);
  EXPECT_GE(r.top, ClientRectOf(window->ControlHwnd(Ctl::PnlMain)).bottom) << "the strip covers the body";
}

TEST_F(StripTest, ClickOpensOnlyWebAddresses) {
  UpdatePrompts prompts(services, {}, {});
  prompts.ShowUpdateStatus(u"\\\\server\\share\\setup.exe");
  ASSERT_NE(FindStatusBar(main), nullptr);
  Click(FindStatusBar(main));
  EXPECT_TRUE(shell.opened.empty());
  TUpdateHelper::StatusClick(main);  // not the strip: nothing
  EXPECT_TRUE(shell.opened.empty());
}

TEST_F(StripTest, NoMainWindowNoStrip) {
  Application::SetMainWindow(nullptr);
  UpdatePrompts prompts(services, {}, {});
  prompts.ShowUpdateStatus(u"https://n/");
  EXPECT_EQ(FindStatusBar(main), nullptr);
}

TEST(UpdateHandOver, CheckWithoutCallbackServesTheUiThreadUntilHandled) {
  test::FakeHttp http;
  http.fallback = test::FakeHttp::Ok("{\"update\":\"https://u/\",\"notify\":\"https://n/\"}");
  test::FakeUpdatePrompts prompts;
  DWORD dialog_thread = 0;
  prompts.on_dialog = [&] { dialog_thread = GetCurrentThreadId(); };
  test::FakeServices fakes;
  Services services{.registry = fakes.registry,
                    .dispatcher = UiDispatcher::Instance(),
                    .clock = fakes.clock,
                    .http = http,
                    .prompts = &prompts};
  CheckUpdate(services, u"http://127.0.0.1:9/api.init.php", {}, 10);
  EXPECT_EQ(dialog_thread, GetCurrentThreadId());
  EXPECT_EQ(prompts.notices, std::vector<std::u16string>{u"https://n/"});
}

TEST(UpdateHandOver, CheckWithCallbackReturnsAtOnceAndCallsBackOnTheUiThread) {
  test::FakeHttp http;
  http.fallback = test::FakeHttp::Ok("{\"notify\":\"https://n/\"}");
  test::FakeUpdatePrompts prompts;
  test::FakeServices fakes;
  Services services{.registry = fakes.registry,
                    .dispatcher = UiDispatcher::Instance(),
                    .clock = fakes.clock,
                    .http = http,
                    .prompts = &prompts};
  DWORD callback_thread = 0;
  std::u16string answer;
  CheckUpdate(
      services, u"http://127.0.0.1:9/api.init.php",
      [&](bool, const std::u16string& a) {
        callback_thread = GetCurrentThreadId();
        answer = a;
      },
      10);
  MSG m;
  for (int i = 0; i < 1000 && !callback_thread; ++i) {
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  EXPECT_EQ(callback_thread, GetCurrentThreadId());
  EXPECT_EQ(answer, u"{\"notify\":\"https://n/\"}");
  EXPECT_EQ(prompts.notices, std::vector<std::u16string>{u"https://n/"});
}

}  // namespace
}  // namespace tw::win
