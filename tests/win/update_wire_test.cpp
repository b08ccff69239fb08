#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <regex>

#include "fakes/fake_clock.h"
#include "fakes/fake_dispatcher.h"
#include "fakes/fake_update_prompts.h"
#include "platform/win32/http_win32.h"
#include "platform/win32/random_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/version_win32.h"
#include "platform/text.h"
#include "update/update.h"
#include "update_server_process.h"

namespace tw {
namespace {

// Counts the transfers it passes on to WinHTTP.
class CountingHttp : public IHttp {
 public:
  bool Send(const HttpRequest& request, HttpResponse* response) override {
    ++sends;
    return real.Send(request, response);
  }
  win::WinHttp real;
  std::atomic<int> sends{0};
};

class UpdateWire : public ::testing::Test {
 protected:
  UpdateWire() {
    services.language = [] { return std::u16string(u"ko"); };
  }
  void Run() {
    RunUpdateCheck(services, [this](bool accepted, const std::u16string& answer) {
      calls.push_back({accepted, answer});
    });
  }

  CountingHttp http;
  test::FakeClock clock;
  test::FakeDispatcher dispatcher;
  win::VersionInfo version;  // the test program's resource: file version 1.6.2.0
  test::FakeUpdatePrompts prompts;
  win::WinRegistry registry;  // reached only where a test gives the check a random generator
  Services services{.registry = registry,
                    .dispatcher = dispatcher,
                    .clock = clock,
                    .http = http,
                    .version = &version,
                    .prompts = &prompts};
  std::vector<std::pair<bool, std::u16string>> calls;
};

TEST_F(UpdateWire, CustomHeadersGoFirstInListOrder) {
  test::UpdateServerProcess server(R"({"default": {"body": "{\"x\":1}"}})");
  ASSERT_TRUE(server.Started());
  SetServiceAddress(server.Url(), 10);
  Run();
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const std::string expected_start =
      "GET /api.init.php HTTP/1.1\r\nUser-Version: 1.6.2.0\r\nUser-Language: ko\r\nUser-Debug: false\r\n"
      "User-Union: \r\n";
  EXPECT_EQ(requests[0].raw.substr(0, expected_start.size()), expected_start) << requests[0].raw;
  for (const auto& [name, value] : requests[0].headers) {
    EXPECT_NE(name, "Accept") << "no header beyond the client's own";
  }
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], std::make_pair(false, std::u16string(u"{\"x\":1}")));
}

TEST_F(UpdateWire, ErrorPageIsTheAnswerWithoutRetry) {
  test::UpdateServerProcess server(R"({"answers": [{"status": 404, "body": "<h1>\u00e9</h1>"}]})");
  ASSERT_TRUE(server.Started());
  SetServiceAddress(server.Url(), 10);
  Run();
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(clock.SleepCount(), 0u);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], std::make_pair(false, std::u16string(u"<h1>\u00e9</h1>")));  // read as UTF-8
}

TEST_F(UpdateWire, RefusedConnectionSixAttemptsThenEmptyAnswer) {
  const int port = test::ClosedPort();
  ASSERT_NE(port, 0);
  SetServiceAddress(u"http://127.0.0.1:" + ToText(port) + u"/api.init.php", 10);
  const DWORD t0 = GetTickCount();
  Run();
  EXPECT_EQ(http.sends, 6);
  EXPECT_EQ(clock.SleptMs(), 60000u);
  EXPECT_LT(GetTickCount() - t0, 20000u) << "pauses are the injected clock's, not real time";
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], std::make_pair(false, std::u16string()));
}

TEST_F(UpdateWire, TerminationDuringAPauseSkipsTheRest) {
  SetServiceAddress(u"http://127.0.0.1:" + ToText(test::ClosedPort()) + u"/api.init.php", 10);
  clock.on_sleep = [this] {
    if (clock.SleepCount() == 10) dispatcher.terminating = true;
  };
  Run();
  EXPECT_EQ(http.sends, 1);
  EXPECT_EQ(clock.SleepCount(), 10u);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(dispatcher.invocations, 0);
}

TEST_F(UpdateWire, RedirectChainsUpToFive) {
  test::UpdateServerProcess server(R"({"default": {"body": "end"}})");
  ASSERT_TRUE(server.Started());
  const HeaderList headers = {{u"User-Version", u"1.2.3.4"}};
  std::u16string answer = u"untouched";

  SetServiceAddress(server.Url("/redir/5/api.init.php"), 10);
  EXPECT_TRUE(ServiceGet(http.real, headers, &answer));
  EXPECT_EQ(answer, u"end");
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 6u);
  EXPECT_EQ(requests.back().target, "/redir/0/api.init.php");
  for (const auto& r : requests) EXPECT_NE(r.raw.find("\r\nUser-Version: 1.2.3.4\r\n"), std::string::npos);

  answer = u"untouched";
  SetServiceAddress(server.Url("/redir/6/api.init.php"), 10);
  EXPECT_FALSE(ServiceGet(http.real, headers, &answer));
  EXPECT_EQ(answer, u"untouched");
  EXPECT_EQ(server.Requests().size(), 12u);  // the sixth redirect is not followed
}

TEST_F(UpdateWire, HoldRequestCarriesVersionAndCommandOnly) {
  test::UpdateServerProcess server;
  ASSERT_TRUE(server.Started());
  SetServiceAddress(server.Url(), 10);
  SendHoldCommand(services);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const std::string expected_start =
      "GET /api.init.php HTTP/1.1\r\nUser-Version: 1.6.2.0\r\nUser-Command: hold\r\n";
  EXPECT_EQ(requests[0].raw.substr(0, expected_start.size()), expected_start) << requests[0].raw;
  for (const auto& [name, value] : requests[0].headers) {
    EXPECT_TRUE(name != "User-Language" && name != "User-Debug" && name != "User-Union") << name;
  }
}

std::string HeaderValue(const test::LoggedRequest& r, const std::string& name) {
  for (const auto& [n, v] : r.headers) {
    if (n == name) return v;
  }
  return "<missing>";
}

TEST_F(UpdateWire, InstallationIdentifierCreatedOnceThenSentOnEveryRun) {
  RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Vantorel", L"VUID");
  win::SystemRandom system_random;
  services.secure_random = &system_random;
  test::UpdateServerProcess server;
  ASSERT_TRUE(server.Started());
  SetServiceAddress(server.Url(), 10);
  Run();
  Run();
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  const std::string id = HeaderValue(requests[0], "User-Union");
  EXPECT_TRUE(std::regex_match(id, std::regex("[0-9A-F]{8}[0-9]{6}[0-9A-F]{4}[0-9]{6}[0-9A-F]{8}"))) << id;
  EXPECT_EQ(HeaderValue(requests[1], "User-Union"), id);

  wchar_t stored[64] = {};
  DWORD size = sizeof(stored), type = 0;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Vantorel", L"VUID", RRF_RT_ANY, &type, stored, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::string(stored, stored + wcslen(stored)), id);

  // An empty identifier stays empty: sent as it is, never regenerated.
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Vantorel", L"VUID", REG_SZ, L"", sizeof(wchar_t)),
            ERROR_SUCCESS);
  Run();
  requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(HeaderValue(requests[2], "User-Union"), "");
  EXPECT_NE(requests[2].raw.find("\r\nUser-Union: \r\n"), std::string::npos);
  size = sizeof(stored);
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Vantorel", L"VUID", RRF_RT_ANY, &type, stored, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, sizeof(wchar_t));
  RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Vantorel", L"VUID");
}

TEST(WinHttp, BodyBoundAndStatusAndSilentServer) {
  test::UpdateServerProcess server(R"({"answers": [
      {"body": "x", "body_repeat": 1048576},
      {"body": "x", "body_repeat": 1048577},
      {"hang": true},
      {"status": 503, "body": "busy"}]})");
  ASSERT_TRUE(server.Started());
  win::WinHttp http;
  HttpRequest request;
  request.url = server.Url();
  request.max_body_bytes = 1 << 20;
  HttpResponse response;
  EXPECT_TRUE(http.Send(request, &response));
  EXPECT_EQ(response.body.size(), 1u << 20);
  EXPECT_FALSE(http.Send(request, &response)) << "one byte over the bound fails the transfer";

  // Wine waits for response headers forever unless that wait has its own time-out.
  request.receive_timeout_ms = 1500;
  const DWORD t0 = GetTickCount();
  EXPECT_FALSE(http.Send(request, &response));
  EXPECT_LT(GetTickCount() - t0, 10000u);

  EXPECT_TRUE(http.Send(request, &response));
  EXPECT_EQ(response.status, 503);
  EXPECT_EQ(response.body, "busy");
}

TEST(WinHttp, WithoutRedirectsTheRedirectIsTheReply) {
  test::UpdateServerProcess server;
  ASSERT_TRUE(server.Started());
  win::WinHttp http;
  HttpRequest request;
  request.method = u"HEAD";
  request.url = server.Url("/redir/1/");
  request.max_redirects = 0;
  request.connect_timeout_ms = request.send_timeout_ms = request.receive_timeout_ms = 10000;
  HttpResponse response;
  EXPECT_TRUE(http.Send(request, &response));
  EXPECT_EQ(response.status, 302);
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].method, "HEAD");
}

// TLS 1.2 or later only, and a secure request is never redirected to plain http; both are set explicitly
// rather than left to the system's defaults (Wine's own default takes a TLS 1.1 server).
TEST(WinHttp, OnlyTls12OrLaterAndNoRedirectToPlainHttp) {
  test::UpdateServerProcess plain(R"({"default": {"body": "plain"}})");
  ASSERT_TRUE(plain.Started());
  const std::string secure = R"({"default": {"body": "secure"}})";
  const std::string downgrade =
      R"({"default": {"status": 302, "headers": {"Location": ")" + EncodeUtf8(plain.Url("/x")) + R"("}}})";
  const struct {
    const char* what;
    std::string tls_max, script, path;
    bool ok;
  } cases[] = {
      {"TLS 1.1 server", "1.1", secure, "/api.init.php", false},
      {"TLS 1.2 server", "1.2", secure, "/api.init.php", true},
      {"TLS 1.3 server", "1.3", secure, "/api.init.php", true},
      {"redirect to plain http", "1.3", downgrade, "/api.init.php", false},
      {"redirects within https", "1.2", secure, "/redir/2/api.init.php", true},
  };
  for (const auto& c : cases) {
    test::UpdateServerProcess server(c.script, c.tls_max);
    ASSERT_TRUE(server.Started()) << c.what;
    win::WinHttp http;
    HttpRequest request;
    request.url = server.Url(c.path);
    request.max_redirects = 5;
    request.connect_timeout_ms = request.send_timeout_ms = request.receive_timeout_ms = 10000;
    HttpResponse response;
    EXPECT_EQ(http.Send(request, &response), c.ok) << c.what;
    if (c.ok) {
      EXPECT_EQ(response.body, "secure") << c.what;
    }
  }
  EXPECT_TRUE(plain.Requests().empty()) << "the plain server was reached";
}

// The service's headers carry the installation identifier: a redirect off the service's origin (another host,
// another port, another scheme) fails the transfer and the other server never sees a request. Redirects on
// the same origin are followed (RedirectChainsUpToFive).
TEST(WinHttp, NoRedirectLeavesTheOrigin) {
  test::UpdateServerProcess other(R"({"default": {"body": "elsewhere"}})");
  ASSERT_TRUE(other.Started());
  const std::string elsewhere = EncodeUtf8(other.Url("/x"));
  const std::string by_name = std::regex_replace(elsewhere, std::regex("127[.]0[.]0[.]1"), "localhost");
  const std::string network_path = std::regex_replace(elsewhere, std::regex("^http:"), "");
  for (const std::string& location : {elsewhere, by_name, network_path}) {
    test::UpdateServerProcess server(R"({"default": {"status": 302, "headers": {"Location": ")" + location +
                                     R"("}}})");
    ASSERT_TRUE(server.Started()) << location;
    win::WinHttp http;
    HttpRequest request;
    request.url = server.Url("/api.init.php");
    request.headers = {{u"User-Union", u"1234ABCD240309BEEF1405070000000F"}};
    request.max_redirects = 5;
    request.connect_timeout_ms = request.send_timeout_ms = request.receive_timeout_ms = 10000;
    HttpResponse response;
    EXPECT_FALSE(http.Send(request, &response)) << location;
    EXPECT_EQ(server.Requests().size(), 1u) << location;
  }
  EXPECT_TRUE(other.Requests().empty()) << "the identifier reached another server";
}

// The server certificates name their CA's revocation list: a revoked one fails the transfer, the other works.
TEST(WinHttp, RevokedServerCertificateIsRefused) {
  const std::string script = R"({"default": {"body": "secure"}})";
  for (const bool revoked : {false, true}) {
    test::UpdateServerProcess server(script, "1.3", revoked);
    ASSERT_TRUE(server.Started()) << revoked;
    win::WinHttp http;
    HttpRequest request;
    request.url = server.Url();
    request.connect_timeout_ms = request.send_timeout_ms = request.receive_timeout_ms = 10000;
    HttpResponse response;
    EXPECT_EQ(http.Send(request, &response), !revoked) << (revoked ? "revoked" : "good");
    EXPECT_EQ(response.body, revoked ? "" : "secure");
  }
}

TEST(WinHttp, HeaderLineBreaksAndBadAddressesFail) {
  win::WinHttp http;
  HttpRequest request;
  request.url = u"http://127.0.0.1:" + ToText(test::ClosedPort()) + u"/";
  request.headers = {{u"User-Union", u"a\r\nX-Evil: 1"}};
  HttpResponse response;
  EXPECT_FALSE(http.Send(request, &response));
  for (const char16_t* url : {u"", u"ftp://127.0.0.1/", u"not a url"}) {
    request.url = url;
    request.headers.clear();
    EXPECT_FALSE(http.Send(request, &response));
  }
}

}  // namespace
}  // namespace tw
