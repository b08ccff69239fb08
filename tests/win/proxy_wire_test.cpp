// The user's proxy settings on the wire, on the path Windows before 8.1 take (WinHttp without the automatic
// proxy): the settings are read as the Internet Options store them and applied to each request.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/win32/http_win32.h"
#include "update_server_process.h"

namespace tw {
namespace {

constexpr wchar_t kConnections[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
constexpr wchar_t kSettings[] = L"DefaultConnectionSettings";

// The Internet Options' connection settings for the test's length, in the layout Windows keeps them in:
// version, a change counter, the flags (1 direct, 2 named proxy, 4 script, 8 detection), then the proxy, the
// exceptions and the script address, each an ANSI text after its length. The earlier value comes back.
class UserProxy {
 public:
  UserProxy(const std::string& proxy, const std::string& bypass) {
    std::vector<BYTE> blob;
    auto dword = [&blob](DWORD v) {
      for (int i = 0; i < 4; ++i) blob.push_back(static_cast<BYTE>(v >> (8 * i)));
    };
    auto text = [&](const std::string& s) {
      dword(static_cast<DWORD>(s.size()));
      blob.insert(blob.end(), s.begin(), s.end());
    };
    dword(0x46);
    dword(1);
    dword(proxy.empty() ? 1 : 3);
    text(proxy);
    text(bypass);
    text("");
    blob.resize(blob.size() + 32, 0);
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kConnections, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    DWORD size = 0;
    had_ = RegQueryValueExW(key_, kSettings, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS;
    if (had_) {
      earlier_.resize(size);
      RegQueryValueExW(key_, kSettings, nullptr, &type_, earlier_.data(), &size);
    }
    set_ = RegSetValueExW(key_, kSettings, 0, REG_BINARY, blob.data(), static_cast<DWORD>(blob.size())) ==
           ERROR_SUCCESS;
  }
  ~UserProxy() {
    if (!key_) return;
    if (had_) {
      RegSetValueExW(key_, kSettings, 0, type_, earlier_.data(), static_cast<DWORD>(earlier_.size()));
    } else {
      RegDeleteValueW(key_, kSettings);
    }
    RegCloseKey(key_);
  }
  UserProxy(const UserProxy&) = delete;
  UserProxy& operator=(const UserProxy&) = delete;
  bool Set() const { return set_; }

 private:
  HKEY key_ = nullptr;
  bool had_ = false, set_ = false;
  DWORD type_ = REG_BINARY;
  std::vector<BYTE> earlier_;
};

HttpRequest Get(const std::u16string& url, bool use_proxy) {
  HttpRequest r;
  r.url = url;
  r.use_proxy = use_proxy;
  r.connect_timeout_ms = r.send_timeout_ms = r.receive_timeout_ms = r.resolve_timeout_ms = 5000;
  return r;
}

// A request that may use a proxy goes to the user's named proxy, in the proxy's form of the request line;
// one that may not, and one to an address on the exceptions list, go direct.
TEST(ProxyWire, TheUsersNamedProxyCarriesTheRequestsThatMayUseOne) {
  test::UpdateServerProcess proxy(R"({"default": {"body": "through"}})");
  test::UpdateServerProcess origin(R"({"default": {"body": "direct"}})");
  ASSERT_TRUE(proxy.Started() && origin.Started());
  const std::string proxy_address = "127.0.0.1:" + std::to_string(proxy.Port());
  const std::u16string origin_url = origin.Url("/probe");
  win::WinHttp http(false);
  HttpResponse response;
  {
    UserProxy user(proxy_address, "");
    ASSERT_TRUE(user.Set());
    // A host nobody can resolve: only a proxy can carry it.
    ASSERT_TRUE(http.Send(Get(u"http://update.invalid/api.init.php", true), &response));
    EXPECT_EQ(response.body, "through");
    const auto requests = proxy.Requests();
    ASSERT_EQ(requests.size(), 1u);
    // The absolute form a proxy is sent, with the default port written out or not.
    EXPECT_TRUE(requests[0].target == "http://update.invalid/api.init.php" ||
                requests[0].target == "http://update.invalid:80/api.init.php")
        << requests[0].target;

    ASSERT_TRUE(http.Send(Get(origin_url, false), &response));
    EXPECT_EQ(response.body, "direct");
  }
  {
    UserProxy user(proxy_address, "127.0.0.1;<local>");
    ASSERT_TRUE(user.Set());
    ASSERT_TRUE(http.Send(Get(origin_url, true), &response));
    EXPECT_EQ(response.body, "direct");
  }
  EXPECT_EQ(proxy.Requests().size(), 1u);
  EXPECT_EQ(origin.Requests().size(), 2u);
}

// Without a proxy in the user's settings, a request that may use one goes direct.
TEST(ProxyWire, WithoutAProxyInTheUsersSettingsTheRequestGoesDirect) {
  test::UpdateServerProcess origin(R"({"default": {"body": "direct"}})");
  ASSERT_TRUE(origin.Started());
  UserProxy user("", "");
  ASSERT_TRUE(user.Set());
  HttpResponse response;
  ASSERT_TRUE(win::WinHttp(false).Send(Get(origin.Url("/probe"), true), &response));
  EXPECT_EQ(response.body, "direct");
}

}  // namespace
}  // namespace tw
