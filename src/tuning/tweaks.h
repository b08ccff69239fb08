// The five tuning values that Run applies: where each lives, what Run writes, and what Run again does with
// it when no record of the machine's own values exists.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tw {

enum class TweakKey : std::uint8_t { Interface, MessageQueuing, SystemProfile };

struct Tweak {
  TweakKey key;
  const char16_t* value;  // value name
  std::int32_t run;       // what Run writes, as a REG_DWORD
  bool revert_deletes;    // without a snapshot Run again deletes the value...
  std::int32_t revert;    // ...or writes this
};

// In the order they are applied and given back. SystemResponsiveness is 10: the multimedia scheduler treats
// anything below 10 as its default, so 10 is the smallest reserve it honours.
inline constexpr std::array<Tweak, 5> kTweaks = {{
    {TweakKey::Interface, u"TcpAckFrequency", 1, true, 0},
    {TweakKey::Interface, u"TcpDelAckTicks", 0, true, 0},
    {TweakKey::MessageQueuing, u"TCPNoDelay", 1, true, 0},
    {TweakKey::SystemProfile, u"NetworkThrottlingIndex", -1, false, 10},
    {TweakKey::SystemProfile, u"SystemResponsiveness", 10, false, 20},
}};

// One tuning value on one machine: a row of kTweaks and, for the per-interface rows, the adapter's GUID text
// (empty for the machine-wide keys).
struct TweakTarget {
  std::size_t tweak = 0;
  std::u16string adapter;
};

inline bool PerInterface(std::size_t tweak) {
  return kTweaks[tweak].key == TweakKey::Interface;
}

// The key's path below HKEY_LOCAL_MACHINE; the interface key ends with `adapter` as it is given.
std::u16string TweakSubkey(TweakKey key, const std::u16string& adapter);
// The same as the full path that WriteRegistryDword and DeleteRegistryValue take.
std::u16string TweakPath(TweakKey key, const std::u16string& adapter);

}  // namespace tw
