#include <gtest/gtest.h>

#include "fakes/fake_registry.h"
#include "platform/text.h"
#include "tuning/tweaks.h"

namespace tw {
namespace {

constexpr char16_t kGuid[] = u"{0000000A-0000-0000-0000-4E6574446576}";

// What each tweak does to the machine, written out here rather than read from the table it checks.
TEST(Tweaks, EachRunWritesItsValueAndRunAgainDeletesOrWritesTheDefault) {
  const std::u16string iface =
      std::u16string(u"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\") + kGuid;
  const std::u16string profile =
      u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Multimedia\\SystemProfile";
  const struct {
    TweakId id;
    std::u16string key;  // under HKEY_LOCAL_MACHINE
    std::u16string value;
    std::uint32_t run;
    std::optional<std::uint32_t> run_again;  // nullopt: deleted
  } cases[] = {
      {TweakId::TcpAckFrequency, iface, u"TcpAckFrequency", 1, std::nullopt},
      {TweakId::TcpDelAckTicks, iface, u"TcpDelAckTicks", 0, std::nullopt},
      {TweakId::TcpNoDelay, u"SOFTWARE\\Microsoft\\MSMQ\\Parameters", u"TCPNoDelay", 1, std::nullopt},
      {TweakId::NetworkThrottlingIndex, profile, u"NetworkThrottlingIndex", 0xFFFFFFFFu, 10},
      // 10, not 0: the multimedia scheduler treats anything below 10 as its default of 20.
      {TweakId::SystemResponsiveness, profile, u"SystemResponsiveness", 10, 20},
  };
  ASSERT_EQ(std::size(cases), kTweaks.size());
  for (size_t i = 0; i < kTweaks.size(); ++i) {
    const auto& c = cases[i];
    const Tweak& tweak = kTweaks[i];
    SCOPED_TRACE(EncodeUtf8(c.value));
    EXPECT_EQ(tweak.id, c.id);  // the table's order is the order of application
    EXPECT_EQ(TweakKeyPath(tweak, kGuid), u"HKEY_LOCAL_MACHINE\\" + c.key);
    EXPECT_EQ(TweakSubkey(tweak, kGuid), c.key);
    EXPECT_EQ(PerInterface(tweak), c.key == iface);

    test::FakeRegistry registry;
    ApplyTweak(registry, tweak, kGuid);
    const auto written = registry.Get(reg::kLocalMachine, c.key, c.value);
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(written->type, reg::kDword);
    const std::vector<std::uint8_t> run = {std::uint8_t(c.run), std::uint8_t(c.run >> 8),
                                           std::uint8_t(c.run >> 16), std::uint8_t(c.run >> 24)};
    EXPECT_EQ(written->data, run);

    EXPECT_TRUE(RevertTweak(registry, tweak, kGuid));
    const auto reverted = registry.Get(reg::kLocalMachine, c.key, c.value);
    if (c.run_again) {
      ASSERT_TRUE(reverted.has_value());
      EXPECT_EQ(reverted->data, (std::vector<std::uint8_t>{std::uint8_t(*c.run_again), 0, 0, 0}));
    } else {
      EXPECT_FALSE(reverted.has_value());
    }
    EXPECT_EQ(registry.OpenHandles(), 0u);
  }
}

// A tweak is found by its value's exact name, the one the record and the messages use.
TEST(Tweaks, EachValueNameFindsItsTweak) {
  for (const Tweak& tweak : kTweaks) {
    SCOPED_TRACE(EncodeUtf8(tweak.value));
    EXPECT_EQ(TweakNamed(tweak.value), tweak.id);
    EXPECT_EQ(TweakOf(tweak.id).value, tweak.value);
  }
  EXPECT_EQ(TweakNamed(u"tcpnodelay"), std::nullopt);
  EXPECT_EQ(TweakNamed(u"TCPNoDelay "), std::nullopt);
  EXPECT_EQ(TweakNamed(u""), std::nullopt);
}

// The names in the end message: each tweak once however many adapters it was aimed at, in the table's order.
TEST(Tweaks, TargetNamesNameEachTweakOnceInTheTablesOrder) {
  constexpr char16_t kOther[] = u"{0000000B-0000-0000-0000-4E6574446576}";
  EXPECT_EQ(TargetNames({{TweakId::SystemResponsiveness, u""},
                         {TweakId::TcpAckFrequency, kGuid},
                         {TweakId::TcpAckFrequency, kOther},
                         {TweakId::TcpNoDelay, u""}}),
            u"TcpAckFrequency, TCPNoDelay, SystemResponsiveness");
  EXPECT_EQ(TargetNames({{TweakId::TcpDelAckTicks, kGuid}}), u"TcpDelAckTicks");
  EXPECT_EQ(TargetNames({}), u"");
}

}  // namespace
}  // namespace tw
