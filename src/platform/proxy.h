// Which proxy a request of the program's goes through. Windows 8.1 and later decide themselves from the
// system's and the user's settings (WinHTTP's automatic proxy). Older Windows do not: WinHTTP's default reads
// only the machine-wide `netsh winhttp` setting, never the proxy the user configured in the Internet Options,
// so there the user's settings are read and applied here: auto-detection and a configuration script first,
// then the named proxy, else a direct connection.
#pragma once

#include <optional>
#include <string>

namespace tw {

// The user's Internet Options, as WinHttpGetIEProxyConfigForCurrentUser reports them. An elevated copy runs
// with the elevated token of the same user, so these are the settings of the user who started it.
struct UserProxySettings {
  bool auto_detect = false;      // "Automatically detect settings" (WPAD)
  std::u16string config_script;  // "Use automatic configuration script": its address; empty: none
  std::u16string proxy;          // "Use a proxy server": "host:port" or a per-scheme list; empty: none
  std::u16string bypass;         // the exceptions, ';'-separated, "<local>" among them
};

enum class ProxyWay {
  Automatic,  // WinHTTP decides (Windows 8.1 and later)
  Discover,   // ask auto-detection and/or the script for the request's address; on failure `proxy`, if any
  Named,      // `proxy` with `bypass`
  System,     // the machine-wide WinHTTP setting: the user's could not be read
  Direct,     // no proxy
};

struct ProxyPlan {
  ProxyWay way = ProxyWay::Direct;
  bool auto_detect = false;
  std::u16string config_script;
  std::u16string proxy;
  std::u16string bypass;
};

// `automatic`: WinHTTP's automatic proxy is there. `user`: the user's settings, nullopt when they could not
// be read.
ProxyPlan ChooseProxy(bool automatic, const std::optional<UserProxySettings>& user);

}  // namespace tw
