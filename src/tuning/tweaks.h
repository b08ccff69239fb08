// The latency tweak set: the five registry values Run writes and Run again takes back, as one table, with the
// operations that apply and revert one entry. Adding a tweak starts here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace tw {

enum class TweakId {
  TcpAckFrequency,
  TcpDelAckTicks,
  TcpNoDelay,
  NetworkThrottlingIndex,
  SystemResponsiveness
};

struct Tweak {
  TweakId id;
  const char16_t* key;                    // full key path; nullptr: the active adapter's interface key
  const char16_t* value;                  // REG_DWORD value name
  std::int32_t run;                       // written by Run
  std::optional<std::int32_t> run_again;  // written by Run again; nullopt: the value is deleted
  std::optional<std::int32_t> earlier_run = std::nullopt;  // written by the Run of earlier versions instead
};

inline constexpr char16_t kInterfacesKey[] =
    u"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
inline constexpr char16_t kMessageQueuingKey[] = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\MSMQ\\Parameters";
inline constexpr char16_t kSystemProfileKey[] =
    u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Multimedia\\SystemProfile";

// In the order they are applied and reverted. SystemResponsiveness is 10: the multimedia scheduler treats
// anything below 10 as its default, so 10 is the smallest reserve it honours (earlier versions wrote 0).
inline constexpr std::array<Tweak, 5> kTweaks = {{
    {TweakId::TcpAckFrequency, nullptr, u"TcpAckFrequency", 1, std::nullopt},
    {TweakId::TcpDelAckTicks, nullptr, u"TcpDelAckTicks", 0, std::nullopt},
    {TweakId::TcpNoDelay, kMessageQueuingKey, u"TCPNoDelay", 1, std::nullopt},
    {TweakId::NetworkThrottlingIndex, kSystemProfileKey, u"NetworkThrottlingIndex", -1, 10},
    {TweakId::SystemResponsiveness, kSystemProfileKey, u"SystemResponsiveness", 10, 20, 0},
}};

// Each row's id is its position, so that a tweak is found by its name and a new row cannot take another's.
static_assert(
    [] {
      for (std::size_t i = 0; i < kTweaks.size(); ++i) {
        if (static_cast<std::size_t>(kTweaks[i].id) != i) return false;
      }
      return true;
    }(),
    "kTweaks lists the tweaks in the order of TweakId");

constexpr const Tweak& TweakOf(TweakId id) {
  return kTweaks[static_cast<std::size_t>(id)];
}
// The tweak whose value has exactly that name, if any.
std::optional<TweakId> TweakNamed(std::u16string_view value_name);

// The full key path of the tweak's value; per-interface tweaks live under the adapter's GUID.
std::u16string TweakKeyPath(const Tweak& tweak, const std::u16string& adapter_guid);
// The same below HKEY_LOCAL_MACHINE, where every tweak lives.
std::u16string TweakSubkey(const Tweak& tweak, const std::u16string& adapter_guid);
inline bool PerInterface(const Tweak& tweak) {
  return tweak.key == nullptr;
}

// Run: writes the tweak's value. Run again without a record of the machine's own values: deletes it or writes
// the Windows default. Failures are absorbed; the result says whether the change was made.
bool ApplyTweak(IRegistry& registry, const Tweak& tweak, const std::u16string& adapter_guid);
bool RevertTweak(IRegistry& registry, const Tweak& tweak, const std::u16string& adapter_guid);

// One tuning value on one machine: a tweak and, for the per-interface ones, the adapter's GUID text (empty
// for the machine-wide keys).
struct TweakTarget {
  TweakId tweak = TweakId::TcpAckFrequency;
  std::u16string adapter;
};

// The targets' value names as the user sees them in messages ("TcpAckFrequency, TCPNoDelay"): each tweak
// once, in the table's order.
std::u16string TargetNames(const std::vector<TweakTarget>& targets);

}  // namespace tw
