// WinHTTP lives in its own file: winhttp.h and wininet.h cannot be included together.
#include "platform/win32/http_win32.h"

#include <windows.h>
#include <winhttp.h>

#include <string>

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

}  // namespace

bool WinHttp::Send(const HttpRequest& r, HttpResponse* response) {
  std::u16string url = r.url;
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof(parts);
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  parts.dwSchemeLength = static_cast<DWORD>(-1);
  if (url.empty() || !WinHttpCrackUrl(W(url), 0, 0, &parts)) return false;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.dwUrlPathLength);
  if (parts.lpszExtraInfo) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (path.empty()) path = L"/";

  std::wstring header_block;
  for (const auto& [name, value] : r.headers) {
    if (!IsSafeHeaderText(name) || !IsSafeHeaderText(value) || name.empty()) return false;
    header_block += W(name);
    header_block += L": ";
    header_block += W(value);
    header_block += L"\r\n";
  }

  unique_hinternet session(WinHttpOpen(
      L"Tempowave/1.0", r.use_proxy ? WINHTTP_ACCESS_TYPE_DEFAULT_PROXY : WINHTTP_ACCESS_TYPE_NO_PROXY,
      WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session || !SetTimeouts(session.get(), r)) return false;
  // Only a request that may end up on TLS needs the restriction: a plain-http one without redirects (the
  // probe) still works on a system that cannot restrict it.
  const bool may_use_tls = parts.nScheme == INTERNET_SCHEME_HTTPS || r.max_redirects > 0;
  if (!RequireModernTls(session.get()) && may_use_tls) return false;
  unique_hinternet connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
  if (!connection) return false;
  unique_hinternet request(WinHttpOpenRequest(
      connection.get(), W(r.method), path.c_str(), nullptr, WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
      parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
  if (!request || !SetTimeouts(request.get(), r)) return false;
  if (r.max_redirects <= 0) {
    if (!SetDword(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, WINHTTP_OPTION_REDIRECT_POLICY_NEVER))
      return false;
  } else if (!SetDword(request.get(), WINHTTP_OPTION_REDIRECT_POLICY,
                       WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP) ||
             !SetDword(request.get(), WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS,
                       static_cast<DWORD>(r.max_redirects))) {
    return false;
  }
  // All custom headers in one call, in list order; WinHTTP puts them before its own.
  if (!header_block.empty() &&
      !WinHttpAddRequestHeaders(request.get(), header_block.c_str(), static_cast<DWORD>(header_block.size()),
                                WINHTTP_ADDREQ_FLAG_ADD)) {
    return false;
  }
  if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
    return false;
  // Any failure here (time-out 12002 or Wine's 10060, refused, TLS, too many redirects) fails the transfer.
  if (!WinHttpReceiveResponse(request.get(), nullptr)) return false;

  DWORD status = 0, size = sizeof(status);
  if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
    return false;
  }
  std::string body;
  char buffer[8192];
  for (;;) {
    DWORD read = 0;
    if (!WinHttpReadData(request.get(), buffer, sizeof(buffer), &read)) return false;
    if (read == 0) break;
    // Answers are tiny; a body beyond the bound is treated as a failed transfer, never buffered whole.
    if (body.size() + read > r.max_body_bytes) return false;
    body.append(buffer, read);
  }
  response->status = static_cast<int>(status);
  response->body = std::move(body);
  return true;
}

}  // namespace tw::win
