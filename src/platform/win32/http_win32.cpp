// WinHTTP lives in its own file: winhttp.h and wininet.h cannot be included together.
#include "platform/win32/http_win32.h"

#include <windows.h>
#include <winhttp.h>

#include <optional>
#include <string>

#include "platform/proxy.h"
#include "platform/win32/handles.h"
#include "platform/win32/wstr.h"

namespace tw::win {
namespace {

inline void WinHttpCloseFn(HINTERNET h) {
  ::WinHttpCloseHandle(h);
}
using unique_hinternet = unique_handle<NullTraits<HINTERNET, WinHttpCloseFn>>;

bool SetDword(HINTERNET h, DWORD option, DWORD value) {
  return WinHttpSetOption(h, option, &value, sizeof(value)) != FALSE;
}

// A header line must stay one line: CR or LF in a name or value would add headers of its own.
bool IsSafeHeaderText(const std::u16string& s) {
  return s.find_first_of(u"\r\n") == std::u16string::npos;
}

bool SetTimeouts(HINTERNET h, const HttpRequest& r) {
  auto pick = [](std::uint32_t ms, int fallback) { return ms ? static_cast<int>(ms) : fallback; };
  // Zero leaves the system's own default (name resolution unbounded, as WinHTTP does by default). A bounded
  // lookup costs WinHTTP a thread of its own per request.
  if (!WinHttpSetTimeouts(h, pick(r.resolve_timeout_ms, 0), pick(r.connect_timeout_ms, 60000),
                          pick(r.send_timeout_ms, 30000), pick(r.receive_timeout_ms, 30000))) {
    return false;
  }
  // Wine ignores the receive time-out while waiting for the response headers and would wait forever on a
  // silent server; this option bounds that wait (it then fails with 10060 rather than a WinHTTP time-out).
  return r.receive_timeout_ms == 0 ||
         SetDword(h, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, r.receive_timeout_ms);
}

// TLS 1.2 or later, whatever the system's defaults allow. WinHTTP without TLS 1.3 refuses that flag: TLS 1.2
// alone then. Wine 8 accepts the option and honours it (a TLS 1.1 server is refused).
bool RequireModernTls(HINTERNET session) {
  return SetDword(session, WINHTTP_OPTION_SECURE_PROTOCOLS,
                  WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3) ||
         SetDword(session, WINHTTP_OPTION_SECURE_PROTOCOLS, WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2);
}

// The parts of an address that a request needs, and its origin (scheme, host, port).
struct Target {
  INTERNET_SCHEME scheme = INTERNET_SCHEME_HTTP;
  std::wstring host, path;
  INTERNET_PORT port = 0;
};

bool Crack(const std::u16string& url, Target* target) {
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof(parts);
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  parts.dwSchemeLength = static_cast<DWORD>(-1);
  if (url.empty() || !WinHttpCrackUrl(W(url), 0, 0, &parts)) return false;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
  if (!parts.lpszHostName || parts.dwHostNameLength == 0) return false;
  target->scheme = parts.nScheme;
  target->host.assign(parts.lpszHostName, parts.dwHostNameLength);
  target->path.assign(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.dwUrlPathLength);
  if (parts.lpszExtraInfo) target->path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (target->path.empty()) target->path = L"/";
  target->port = parts.nPort;
  return true;
}

bool SameOrigin(const Target& a, const Target& b) {
  return a.scheme == b.scheme && a.port == b.port &&
         CompareStringOrdinal(a.host.c_str(), static_cast<int>(a.host.size()), b.host.c_str(),
                              static_cast<int>(b.host.size()), TRUE) == CSTR_EQUAL;
}

bool IsRedirect(DWORD status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The next address of a redirect: an absolute address, or a path on the same origin. Nothing else (a
// relative path without its leading slash, a network-path reference "//host") is taken.
bool RedirectTarget(const Target& from, const std::wstring& location, Target* next) {
  if (location.size() >= 1 && location[0] == L'/' && (location.size() < 2 || location[1] != L'/')) {
    *next = from;
    next->path = location;
    return true;
  }
  return Crack(std::u16string(location.begin(), location.end()), next);
}

struct Reply {
  DWORD status = 0;
  std::wstring location;  // of a redirect
  std::string body;
};

constexpr wchar_t kAgent[] = L"Tempowave/1.0";

// WinHTTP hands out its strings from GlobalAlloc.
std::u16string TakeGlobalText(LPWSTR text) {
  if (!text) return {};
  std::u16string copy = U(text);
  GlobalFree(text);
  return copy;
}

// The proxy settings of the user this process runs for; nullopt when they cannot be read.
std::optional<UserProxySettings> ReadUserProxySettings() {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
  if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) return std::nullopt;
  UserProxySettings user;
  user.auto_detect = config.fAutoDetect != FALSE;
  user.config_script = TakeGlobalText(config.lpszAutoConfigUrl);
  user.proxy = TakeGlobalText(config.lpszProxy);
  user.bypass = TakeGlobalText(config.lpszProxyBypass);
  return user;
}

// The session of one request, opened the way its proxy plan says.
unique_hinternet OpenSession(const HttpRequest& r, bool try_automatic, ProxyPlan* plan) {
  if (r.use_proxy) {
    // Windows 8.1 and later: WinHTTP applies the system's and the user's settings itself. Older Windows
    // refuse the access type.
    unique_hinternet automatic(try_automatic ? WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                                           WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0)
                                             : nullptr);
    *plan = ChooseProxy(static_cast<bool>(automatic), automatic ? std::nullopt : ReadUserProxySettings());
    if (automatic) return automatic;
  }
  switch (plan->way) {
    case ProxyWay::Named:
      return unique_hinternet(WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, W(plan->proxy),
                                          plan->bypass.empty() ? WINHTTP_NO_PROXY_BYPASS : W(plan->bypass),
                                          0));
    case ProxyWay::System:
      return unique_hinternet(WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                          WINHTTP_NO_PROXY_BYPASS, 0));
    case ProxyWay::Automatic:
    case ProxyWay::Discover:
    case ProxyWay::Direct:
      break;
  }
  return unique_hinternet(
      WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
}

bool UseNamedProxy(HINTERNET request, const std::u16string& proxy, const std::u16string& bypass) {
  std::u16string name = proxy, exceptions = bypass;
  WINHTTP_PROXY_INFO info{WINHTTP_ACCESS_TYPE_NAMED_PROXY, W(name),
                          exceptions.empty() ? nullptr : W(exceptions)};
  return WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &info, sizeof(info)) != FALSE;
}

// Auto-detection (WPAD) and the configuration script, asked for this address; when they give no answer the
// user's named proxy, if any, as the Internet Options do. Within the session's time-outs.
bool ApplyDiscoveredProxy(HINTERNET session, HINTERNET request, const Target& target, const ProxyPlan& plan) {
  std::wstring url = target.scheme == INTERNET_SCHEME_HTTPS ? L"https://" : L"http://";
  url += target.host + L":" + std::to_wstring(target.port) + target.path;
  WINHTTP_AUTOPROXY_OPTIONS options{};
  std::u16string script = plan.config_script;
  if (plan.auto_detect) {
    options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
  }
  if (!script.empty()) {
    options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = W(script);
  }
  options.fAutoLogonIfChallenged = TRUE;
  WINHTTP_PROXY_INFO found{};
  if (WinHttpGetProxyForUrl(session, url.c_str(), &options, &found)) {
    const std::u16string proxy = TakeGlobalText(found.lpszProxy);
    const std::u16string bypass = TakeGlobalText(found.lpszProxyBypass);
    // DIRECT from the script: no proxy for this address.
    return found.dwAccessType != WINHTTP_ACCESS_TYPE_NAMED_PROXY || proxy.empty() ||
           UseNamedProxy(request, proxy, bypass);
  }
  return plan.proxy.empty() || UseNamedProxy(request, plan.proxy, plan.bypass);
}

// One request to one address, no redirect followed.
bool SendOnce(const HttpRequest& r, bool try_automatic, const Target& target,
              const std::wstring& header_block, Reply* reply) {
  ProxyPlan plan;
  unique_hinternet session = OpenSession(r, try_automatic, &plan);
  if (!session || !SetTimeouts(session.get(), r)) return false;
  const bool secure = target.scheme == INTERNET_SCHEME_HTTPS;
  // Only a request on TLS needs the restriction: a plain-http one (the probe) still works on a system that
  // cannot restrict it.
  if (!RequireModernTls(session.get()) && secure) return false;
  unique_hinternet connection(WinHttpConnect(session.get(), target.host.c_str(), target.port, 0));
  if (!connection) return false;
  unique_hinternet request(WinHttpOpenRequest(connection.get(), W(r.method), target.path.c_str(), nullptr,
                                              WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                              secure ? WINHTTP_FLAG_SECURE : 0));
  if (!request || !SetTimeouts(request.get(), r)) return false;
  if (plan.way == ProxyWay::Discover && !ApplyDiscoveredProxy(session.get(), request.get(), target, plan)) {
    return false;
  }
  // Redirects are followed by Send, origin by origin, never by WinHTTP.
  if (!SetDword(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, WINHTTP_OPTION_REDIRECT_POLICY_NEVER))
    return false;
  // A revoked server certificate fails the transfer, and so does one whose revocation cannot be checked.
  if (secure && !SetDword(request.get(), WINHTTP_OPTION_ENABLE_FEATURE, WINHTTP_ENABLE_SSL_REVOCATION))
    return false;
  // All custom headers in one call, in list order; WinHTTP puts them before its own.
  if (!header_block.empty() &&
      !WinHttpAddRequestHeaders(request.get(), header_block.c_str(), static_cast<DWORD>(header_block.size()),
                                WINHTTP_ADDREQ_FLAG_ADD)) {
    return false;
  }
  if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
    return false;
  // Any failure here (time-out 12002 or Wine's 10060, refused, TLS, revocation) fails the transfer.
  if (!WinHttpReceiveResponse(request.get(), nullptr)) return false;

  DWORD size = sizeof(reply->status);
  if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &reply->status, &size, WINHTTP_NO_HEADER_INDEX)) {
    return false;
  }
  if (IsRedirect(reply->status)) {
    wchar_t location[2048];
    size = sizeof(location);
    if (WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX, location,
                            &size, WINHTTP_NO_HEADER_INDEX)) {
      reply->location.assign(location, size / sizeof(wchar_t));
    }
  }
  char buffer[8192];
  for (;;) {
    DWORD read = 0;
    if (!WinHttpReadData(request.get(), buffer, sizeof(buffer), &read)) return false;
    if (read == 0) break;
    // Answers are tiny; a body beyond the bound is treated as a failed transfer, never buffered whole.
    if (reply->body.size() + read > r.max_body_bytes) return false;
    reply->body.append(buffer, read);
  }
  return true;
}

}  // namespace

bool WinHttp::Send(const HttpRequest& r, HttpResponse* response) {
  Target target;
  if (!Crack(r.url, &target)) return false;
  std::wstring header_block;
  for (const auto& [name, value] : r.headers) {
    if (!IsSafeHeaderText(name) || !IsSafeHeaderText(value) || name.empty()) return false;
    header_block += W(name);
    header_block += L": ";
    header_block += W(value);
    header_block += L"\r\n";
  }
  // The headers (the installation identifier among them) go to the origin of the address only: a redirect
  // is followed while it stays on that scheme, host and port, up to max_redirects times; a redirect anywhere
  // else, or one too many, fails the transfer. Without redirects the 3xx is the reply.
  for (int redirects = 0;; ++redirects) {
    Reply reply;
    if (!SendOnce(r, automatic_proxy_, target, header_block, &reply)) return false;
    if (r.max_redirects > 0 && IsRedirect(reply.status) && !reply.location.empty()) {
      Target next;
      if (redirects >= r.max_redirects || !RedirectTarget(target, reply.location, &next) ||
          !SameOrigin(target, next)) {
        return false;
      }
      target = std::move(next);
      continue;
    }
    response->status = static_cast<int>(reply.status);
    response->body = std::move(reply.body);
    return true;
  }
}

}  // namespace tw::win
