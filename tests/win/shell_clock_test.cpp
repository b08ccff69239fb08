#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/win32/clock_win32.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/wstr.h"

namespace tw::win {
namespace {

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Wine opens web addresses through winebrowser, which runs the first program of its browser list.
TEST(Shell, OpensAWebAddressInTheBrowser) {
  const char* run = std::getenv("TW_RUN_DIR");
  ASSERT_NE(run, nullptr) << "runs inside scripts/run-wine-tests.sh";
  const std::string log_unix = std::string(run) + "/browser.log";
  const std::string url = "https://link.tempowave.test/tempowave?a=1&t=" + std::to_string(GetTickCount());
  const std::string browser = std::string(TW_SOURCE_DIR) + "/tests/win/fake_browser.sh";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_SET_VALUE,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::wstring value(browser.begin(), browser.end());
  RegSetValueExW(key, L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);

  Shell().Open(std::u16string(url.begin(), url.end()));
  std::wstring log_windows = L"Z:";
  for (char c : log_unix) log_windows += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  std::string logged;
  for (int i = 0; i < 500 && logged.find(url + "\n") == std::string::npos; ++i) {
    logged = ReadAll(log_windows);
    Sleep(20);
  }
  EXPECT_NE(logged.find(url + "\n"), std::string::npos) << logged;
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
