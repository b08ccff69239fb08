#include "platform/proxy.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

// Windows 8.1 and later decide by themselves; older Windows get the user's own settings, in the order the
// Internet Options apply them: detection and the script, then the named proxy; the machine-wide setting only
// when the user's cannot be read.
TEST(Proxy, TheWayFollowsWindowsAndTheUsersSettings) {
  struct Case {
    const char* what;
    bool automatic;
    std::optional<UserProxySettings> user;
    ProxyWay way;
    std::u16string proxy, bypass;
  };
  const UserProxySettings named{false, u"", u"proxy.corp:8080", u"<local>;*.corp"};
  const Case cases[] = {
      {"8.1 and later, whatever the user set", true, named, ProxyWay::Automatic, u"", u""},
      {"8.1 and later, settings unreadable", true, std::nullopt, ProxyWay::Automatic, u"", u""},
      {"older, settings unreadable", false, std::nullopt, ProxyWay::System, u"", u""},
      {"older, nothing set", false, UserProxySettings{}, ProxyWay::Direct, u"", u""},
      {"older, a named proxy", false, named, ProxyWay::Named, u"proxy.corp:8080", u"<local>;*.corp"},
      {"older, detection on, a named proxy to fall back on", false,
       UserProxySettings{true, u"", u"proxy.corp:8080", u"<local>"}, ProxyWay::Discover, u"proxy.corp:8080",
       u"<local>"},
      {"older, a script", false, UserProxySettings{false, u"http://wpad.corp/proxy.pac", u"", u""},
       ProxyWay::Discover, u"", u""},
      {"older, exceptions without a proxy mean nothing", false,
       UserProxySettings{false, u"", u"", u"<local>"}, ProxyWay::Direct, u"", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ProxyPlan plan = ChooseProxy(c.automatic, c.user);
    EXPECT_EQ(plan.way, c.way);
    if (c.way == ProxyWay::Named || c.way == ProxyWay::Discover) {
      EXPECT_EQ(plan.proxy, c.proxy);
      EXPECT_EQ(plan.bypass, c.bypass);
      EXPECT_EQ(plan.auto_detect, c.user->auto_detect);
      EXPECT_EQ(plan.config_script, c.user->config_script);
    }
  }
}

}  // namespace
}  // namespace tw
