#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

#include "fakes/fake_locale.h"
#include "i18n/embedded_table.h"
#include "i18n/texts.h"
#include "i18n/translate.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/com_apartment.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/wstr.h"
#include "ui/win32/address_dialog.h"
#include "platform/win32/application.h"

namespace tw::win {
namespace {

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::u16string Text(HWND hwnd) {
  wchar_t buffer[4096] = {};
  GetWindowTextW(hwnd, buffer, 4096);
  return U(buffer);
}

// Routes Wine's web addresses to tests/win/fake_browser.sh, which logs them in the run's folder. Wine opens
// them through winebrowser, which runs the first program of its browser list, in the environment of the
// process that asked: here the desktop's explorer, started with the run's environment.
class BrowserLog {
 public:
  BrowserLog() {
    // NOLINTNEXTLINE(concurrency-mt-unsafe): no other thread changes the environment meanwhile
    const char* run = std::getenv("TW_RUN_DIR");
    if (!run) return;
    for (char c : std::string(run) + "/browser.log") path_ += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    path_ = L"Z:" + path_;
    const std::string browser = std::string(TW_SOURCE_DIR) + "/tests/win/fake_browser.sh";
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return;
    }
    const std::wstring value(browser.begin(), browser.end());
    const std::size_t bytes = (value.size() + 1) * sizeof(wchar_t);
    RegSetValueExW(key, L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(bytes));
    RegCloseKey(key);
    ready_ = true;
  }
  bool Ready() const { return ready_; }
  // Waits up to 10 s for `url` to be logged.
  bool WaitFor(const std::string& url) const {
    for (int i = 0; i < 500; ++i) {
      if (Contains(url)) return true;
      Sleep(20);
    }
    return false;
  }
  bool Contains(const std::string& url) const { return ReadAll(path_).find(url + "\n") != std::string::npos; }

 private:
  std::wstring path_;
  bool ready_ = false;
};

std::string UniqueUrl(const char* tag) {
  static int serial = 0;
  return "https://link.tempowave.test/tempowave?" + std::string(tag) + "=" + std::to_string(GetTickCount()) +
         "-" + std::to_string(++serial);
}

std::u16string U16(const std::string& s) {
  return std::u16string(s.begin(), s.end());
}

// Wine's explorer offers the desktop's dispatch object: the link reaches the browser through it.
TEST(Shell, OpensAWebAddressThroughTheDesktopShell) {
  BrowserLog log;
  ASSERT_TRUE(log.Ready()) << "runs inside scripts/run-wine-tests.sh";
  const std::string url = UniqueUrl("desktop");
  EXPECT_TRUE(OpenThroughDesktopShell(U16(url)));
  EXPECT_TRUE(log.WaitFor(url));

  std::vector<std::u16string> shown;
  Shell shell(
      OpenThroughDesktopShell, [&](const std::u16string& target) { shown.push_back(target); },
      DesktopShellElevation);
  const std::string again = UniqueUrl("shell");
  shell.Open(U16(again));
  EXPECT_TRUE(log.WaitFor(again));
  EXPECT_TRUE(shown.empty());
}

// Where the desktop's shell cannot open it, the address is shown for the user and this process opens
// nothing itself: a link opened afterwards through the desktop reaches the browser, the first one never does.
TEST(Shell, WithoutTheDesktopPathTheAddressIsShownAndNothingOpened) {
  BrowserLog log;
  ASSERT_TRUE(log.Ready()) << "runs inside scripts/run-wine-tests.sh";
  std::vector<std::u16string> tried, shown;
  Shell shell([&](const std::u16string& target) { return tried.push_back(target), false; },
              [&](const std::u16string& target) { shown.push_back(target); },
              [] { return Elevation::kNotElevated; });
  const std::string url = UniqueUrl("fallback");
  shell.Open(U16(url));
  EXPECT_EQ(tried, std::vector<std::u16string>{U16(url)});
  EXPECT_EQ(shown, std::vector<std::u16string>{U16(url)});

  const std::string later = UniqueUrl("later");
  ASSERT_TRUE(OpenThroughDesktopShell(U16(later)));
  ASSERT_TRUE(log.WaitFor(later));
  EXPECT_FALSE(log.Contains(url)) << "the elevated process opened the address itself";
}

// An elevated desktop shell, or one whose elevation cannot be told, is never handed the link: the address is
// shown instead. Only a shell known to run at the user's level opens it.
TEST(Shell, OnlyAShellAtTheUsersLevelIsHandedTheLink) {
  const struct {
    const char* what;
    Elevation shell;
    bool handed;
  } cases[] = {
      {"shell at the user's level", Elevation::kNotElevated, true},
      {"elevated shell", Elevation::kElevated, false},
      {"elevation unknown", Elevation::kUnknown, false},
  };
  for (const auto& c : cases) {
    std::vector<std::u16string> tried, shown;
    Shell shell([&](const std::u16string& target) { return tried.push_back(target), true; },
                [&](const std::u16string& target) { shown.push_back(target); }, [&] { return c.shell; });
    shell.Open(u"https://link.tempowave.test/x");
    EXPECT_EQ(tried.size(), c.handed ? 1u : 0u) << c.what;
    EXPECT_EQ(shown.size(), c.handed ? 0u : 1u) << c.what;
  }
  std::vector<std::u16string> shown;
  Shell without_query([](const std::u16string&) { return true; },
                      [&](const std::u16string& target) { shown.push_back(target); }, nullptr);
  without_query.Open(u"https://link.tempowave.test/y");
  EXPECT_EQ(shown.size(), 1u) << "no way to tell counts as elevated";
}

// The elevation is read from a real process's token: this test program's own, and the desktop's explorer,
// found through the shell windows' desktop entry (Wine's explorer sets no shell window). A process that does
// not exist cannot be told.
TEST(Shell, ElevationIsReadFromTheProcessToken) {
  HANDLE raw = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw));
  TOKEN_ELEVATION own{};
  DWORD size = 0;
  ASSERT_TRUE(GetTokenInformation(raw, TokenElevation, &own, sizeof(own), &size));
  CloseHandle(raw);
  EXPECT_EQ(ProcessElevation(GetCurrentProcessId()),
            own.TokenIsElevated ? Elevation::kElevated : Elevation::kNotElevated);
  EXPECT_EQ(ProcessElevation(0xFFFFFFF0u), Elevation::kUnknown);
  EXPECT_NE(DesktopShellElevation(), Elevation::kUnknown) << "the desktop's explorer";
}

// A plain Win32 thread that finds the dialog of `ui_thread`, reads it, then acts on it.
struct AddressDialogSnapshot {
  std::u16string caption, message, address, copy, close, clipboard;
  bool read_only = false, focused = false;
  DWORD selection_start = 1, selection_end = 0;
};

BOOL CALLBACK TakeVisibleDialog(HWND h, LPARAM out) {
  wchar_t cls[16] = L"";
  GetClassNameW(h, cls, 16);
  if (std::wstring(cls) != L"#32770" || !IsWindowVisible(h)) return TRUE;
  *reinterpret_cast<HWND*>(out) = h;
  return FALSE;
}

HWND FindDialogOf(DWORD thread) {
  HWND found = nullptr;
  for (int i = 0; i < 1000 && !found; ++i) {
    EnumThreadWindows(thread, TakeVisibleDialog, reinterpret_cast<LPARAM>(&found));
    if (!found) Sleep(10);
  }
  return found;
}

// A plain Win32 thread running `work`; the handle is to be waited for and closed by the caller.
DWORD WINAPI RunWork(void* work) {
  (*static_cast<std::function<void()>*>(work))();
  return 0;
}
HANDLE StartThread(std::function<void()>* work) {
  return CreateThread(nullptr, 0, RunWork, work, 0, nullptr);
}

std::u16string ClipboardText() {
  std::u16string text;
  for (int i = 0; i < 100 && !OpenClipboard(nullptr); ++i) Sleep(10);
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = U(p);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void ClearClipboard() {
  for (int i = 0; i < 100 && !OpenClipboard(nullptr); ++i) Sleep(10);
  EmptyClipboard();
  CloseClipboard();
}

AddressDialogSnapshot ShowAndRead(const std::u16string& address) {
  AddressDialogSnapshot snap;
  const DWORD ui = GetCurrentThreadId();
  std::function<void()> drive = [ui, &s = snap] {
    HWND dlg = FindDialogOf(ui);
    if (!dlg) return;
    s.caption = Text(dlg);
    s.message = Text(GetDlgItem(dlg, kAddressMessageId));
    HWND edit = GetDlgItem(dlg, kAddressEditId);
    s.address = Text(edit);
    s.read_only = (GetWindowLongW(edit, GWL_STYLE) & ES_READONLY) != 0;
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(ui, &info);
    s.focused = info.hwndFocus == edit;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&s.selection_start),
                 reinterpret_cast<LPARAM>(&s.selection_end));
    s.copy = Text(GetDlgItem(dlg, kAddressCopyId));
    s.close = Text(GetDlgItem(dlg, IDCANCEL));
    // Enter presses Copy, the default button; Escape closes.
    PostMessageW(info.hwndFocus, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(info.hwndFocus, WM_KEYUP, VK_RETURN, 0);
    for (int i = 0; i < 200 && s.clipboard.empty(); ++i) {
      Sleep(10);
      s.clipboard = ClipboardText();
    }
    PostMessageW(info.hwndFocus, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(info.hwndFocus, WM_KEYUP, VK_ESCAPE, 0);
  };
  HANDLE driver = StartThread(&drive);
  ShowAddressToCopy(nullptr, address);
  WaitForSingleObject(driver, INFINITE);
  CloseHandle(driver);
  return snap;
}

TEST(AddressToCopy, ShowsTheAddressSelectedInAReadOnlyBoxInTheUsersLanguage) {
  const std::u16string address = u"https://link.tempowave.test/donate?tempowave&x=%20\uD55C";
  const struct {
    std::u16string language, caption, message, copy, close;
  } cases[] = {
      {u"fr", u"Tempowave",
       u"Impossible d'ouvrir le navigateur. Copiez l'adresse ci-dessous dans votre navigateur.", u"Copier",
       u"Fermer"},
      {u"ko", u"\uD15C\uD3EC\uC6E8\uC774\uBE0C", kTextBrowserNotOpened, kTextCopy, kTextClose},
      {u"de", u"Tempowave", u"The browser could not be opened. Copy the address below into your browser.",
       u"Copy", u"Close"},
  };
  test::FakeLocale locale(u"en");
  TranslateModuleStart(EmbeddedTranslateTable(), locale);
  Application::SetTitle(u"\uD15C\uD3EC\uC6E8\uC774\uBE0C");
  for (const auto& c : cases) {
    SetCurrentLanguage(c.language);
    ClearClipboard();
    const AddressDialogSnapshot snap = ShowAndRead(address);
    EXPECT_EQ(snap.caption, c.caption);
    EXPECT_EQ(snap.message, c.message);
    EXPECT_EQ(snap.copy, c.copy);
    EXPECT_EQ(snap.close, c.close);
    EXPECT_EQ(snap.address, address);
    EXPECT_TRUE(snap.read_only);
    EXPECT_TRUE(snap.focused);
    EXPECT_EQ(snap.selection_start, 0u);
    EXPECT_EQ(snap.selection_end, address.size());
    EXPECT_EQ(snap.clipboard, address) << "Copy puts the address on the clipboard";
  }
  Application::SetTitle(u"");
  TranslateModuleStop();
}

// The UI thread's apartment lasts from EnterUiApartment to LeaveUiApartment; a thread already in the
// multithreaded apartment is left as it is.
TEST(UiApartment, HeldUntilLeftAndNeverLeftTwice) {
  struct Result {
    HRESULT while_held = E_FAIL, after = E_FAIL;
    bool entered = false;
  };
  const auto run = [](bool in_mta) {
    Result r;
    std::function<void()> probe = [in_mta, &r] {
      if (in_mta) CoInitializeEx(nullptr, COINIT_MULTITHREADED);
      r.entered = EnterUiApartment();
      r.while_held = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
      if (SUCCEEDED(r.while_held)) CoUninitialize();
      LeaveUiApartment();
      LeaveUiApartment();
      // A first level again (S_OK) when nothing was left open; S_FALSE when the thread's own MTA is still
      // there.
      r.after = CoInitializeEx(nullptr, in_mta ? COINIT_MULTITHREADED : COINIT_APARTMENTTHREADED);
      if (SUCCEEDED(r.after)) CoUninitialize();
      if (in_mta) CoUninitialize();
    };
    HANDLE t = StartThread(&probe);
    WaitForSingleObject(t, INFINITE);
    CloseHandle(t);
    return r;
  };
  const Result fresh = run(false);
  EXPECT_TRUE(fresh.entered);
  EXPECT_EQ(fresh.while_held, S_FALSE);
  EXPECT_EQ(fresh.after, S_OK);
  const Result mta = run(true);
  EXPECT_FALSE(mta.entered);
  EXPECT_EQ(mta.while_held, RPC_E_CHANGED_MODE);
  EXPECT_EQ(mta.after, S_FALSE);
}

TEST(SystemClock, LocalTimeAndSleep) {
  SystemClock clock;
  SYSTEMTIME before{};
  GetLocalTime(&before);
  const LocalTime now = clock.Now();
  EXPECT_EQ(now.year, before.wYear);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  // The performance counter, not the tick count: Wine updates the tick count only now and then.
  LARGE_INTEGER f, t0, t1;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t0);
  clock.Sleep(50);
  QueryPerformanceCounter(&t1);
  EXPECT_GE((t1.QuadPart - t0.QuadPart) * 1000 / f.QuadPart, 45);
}

}  // namespace
}  // namespace tw::win
