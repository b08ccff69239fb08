#include "platform/proxy.h"

namespace tw {

ProxyPlan ChooseProxy(bool automatic, const std::optional<UserProxySettings>& user) {
  ProxyPlan plan;
  if (automatic) {
    plan.way = ProxyWay::Automatic;
    return plan;
  }
  if (!user) {
    plan.way = ProxyWay::System;
    return plan;
  }
  plan.auto_detect = user->auto_detect;
  plan.config_script = user->config_script;
  plan.proxy = user->proxy;
  plan.bypass = user->proxy.empty() ? std::u16string() : user->bypass;
  if (plan.auto_detect || !plan.config_script.empty()) {
    plan.way = ProxyWay::Discover;
  } else if (!plan.proxy.empty()) {
    plan.way = ProxyWay::Named;
  } else {
    plan.way = ProxyWay::Direct;
  }
  return plan;
}

}  // namespace tw
