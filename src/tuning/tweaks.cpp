#include "tuning/tweaks.h"

namespace tw {

std::u16string TweakSubkey(TweakKey key, const std::u16string& adapter) {
  switch (key) {
    case TweakKey::Interface:
      return u"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + adapter;
    case TweakKey::MessageQueuing:
      return u"SOFTWARE\\Microsoft\\MSMQ\\Parameters";
    case TweakKey::SystemProfile:
      return u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Multimedia\\SystemProfile";
  }
  return {};
}

std::u16string TweakPath(TweakKey key, const std::u16string& adapter) {
  return u"HKEY_LOCAL_MACHINE\\" + TweakSubkey(key, adapter);
}

}  // namespace tw
