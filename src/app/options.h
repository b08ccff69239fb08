// The five switches of the Config page: which check box turns which tweak on, and the store key that keeps
// its state per user. One table; the window's logic, its event routing and the tests all read it.
#pragma once

#include <array>

#include "app/form_view.h"
#include "tuning/tweaks.h"

namespace tw {

// The per-user store, HKEY_CURRENT_USER\Software\Tempowave, also holding the run state as "status".
inline constexpr char16_t kOptionStore[] = u"Tempowave";
inline constexpr char16_t kStatusKey[] = u"status";

struct Option {
  Ctl box;
  const char16_t* store_key;  // REG_DWORD 1 or 0; missing: on
  TweakId tweak;
};

// In the order they are read from the store.
inline constexpr std::array<Option, 5> kOptions = {{
    {Ctl::ChkTcpNoDelay, u"tcpnodelay", TweakId::TcpNoDelay},
    {Ctl::ChkTCPAckFrequency, u"tcpackfrequency", TweakId::TcpAckFrequency},
    {Ctl::ChkTcpDelAckTick, u"tcpdelacktick", TweakId::TcpDelAckTicks},
    {Ctl::ChkNetworkThrottlingIndex, u"networkthrottleindex", TweakId::NetworkThrottlingIndex},
    {Ctl::ChkSystemResponsiveness, u"systemresponsiveness", TweakId::SystemResponsiveness},
}};

// The switch of a tweak; every tweak has one.
constexpr const Option& OptionOf(TweakId tweak) {
  for (const Option& option : kOptions) {
    if (option.tweak == tweak) return option;
  }
  return kOptions[0];  // unreachable: checked below for every tweak
}
// The switch shown by `box`, or nullptr for any other control.
constexpr const Option* OptionOfBox(Ctl box) {
  for (const Option& option : kOptions) {
    if (option.box == box) return &option;
  }
  return nullptr;
}

static_assert(
    kOptions.size() == kTweaks.size() &&
        [] {
          for (const Tweak& tweak : kTweaks) {
            if (OptionOf(tweak.id).tweak != tweak.id) return false;
          }
          return true;
        }(),
    "every tweak has one switch");

}  // namespace tw
