#include "tuning/snapshot.h"

#include <gtest/gtest.h>

#include <optional>

#include "fakes/fake_registry.h"
#include "platform/text.h"
#include "tuning/registry_values.h"

namespace tw {
namespace {

constexpr char16_t kA[] = u"{0000000A-0000-0000-0000-4E6574446576}";
constexpr char16_t kB[] = u"{0000000B-0000-0000-0000-4E6574446576}";
constexpr char16_t kMsmq[] = u"SOFTWARE\\Microsoft\\MSMQ\\Parameters";

using Bytes = std::vector<std::uint8_t>;

Bytes Dword(std::uint32_t v) {
  return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}

SavedValue Saved(size_t tweak, const std::u16string& adapter, bool existed, std::uint32_t type, Bytes data) {
  SavedValue v;
  v.target = {tweak, adapter};
  v.existed = existed;
  v.type = type;
  v.data = std::move(data);
  return v;
}

std::string Text(const std::u16string& s) {
  return EncodeUtf8(s);
}

// The five values for one adapter, in the table's order.
std::vector<TweakTarget> AllFive(const std::u16string& adapter) {
  std::vector<TweakTarget> out;
  for (size_t i = 0; i < kTweaks.size(); ++i) out.push_back({i, PerInterface(kTweaks[i]) ? adapter : u""});
  return out;
}

class SnapshotTest : public ::testing::Test {
 protected:
  static std::u16string Subkey(const TweakTarget& t) { return TweakSubkey(kTweaks[t.tweak], t.adapter); }
  std::optional<test::RegValue> Value(const TweakTarget& t) const {
    return registry.Get(reg::kLocalMachine, Subkey(t), kTweaks[t.tweak].value);
  }
  void Put(const TweakTarget& t, std::uint32_t type, Bytes data) {
    registry.Put(reg::kLocalMachine, Subkey(t), kTweaks[t.tweak].value, type, std::move(data));
  }
  // What Run does after its record: the table's values written for the targets it may change.
  void RunWrites(const std::vector<TweakTarget>& targets) {
    for (const auto& t : targets) ApplyTweak(registry, kTweaks[t.tweak], t.adapter);
  }
  Snapshot Held() {
    Snapshot s;
    EXPECT_EQ(ReadSnapshot(registry, &s), SnapshotState::Held);
    return s;
  }
  void ExpectValue(const TweakTarget& t, const std::optional<test::RegValue>& want) {
    SCOPED_TRACE(Text(kTweaks[t.tweak].value) + " " + Text(t.adapter));
    const auto got = Value(t);
    ASSERT_EQ(got.has_value(), want.has_value());
    if (!want) return;
    EXPECT_EQ(got->type, want->type);
    EXPECT_EQ(got->data, want->data);
  }

  test::FakeRegistry registry;
};

TEST_F(SnapshotTest, LinesRoundTripAndReadAsDocumented) {
  Snapshot s;
  s.values = {
      Saved(0, kA, false, 0, {}),
      Saved(1, kA, true, reg::kDword, Dword(0)),
      Saved(2, u"", true, reg::kSz, {u8'1', 0, 0, 0}),
      Saved(3, u"", true, reg::kDword, Dword(0xFFFFFFFF)),
      Saved(4, u"", true, reg::kBinary, {}),
  };
  const std::vector<std::u16string> want = {
      std::u16string(u"TcpAckFrequency|") + kA + u"|absent",
      std::u16string(u"TcpDelAckTicks|") + kA + u"|4|00000000",
      u"TCPNoDelay||1|31000000",
      u"NetworkThrottlingIndex||4|ffffffff",
      u"SystemResponsiveness||3|",
  };
  EXPECT_EQ(SnapshotLines(s), want);
  const Snapshot back = ParseSnapshotLines(want);
  ASSERT_EQ(back.values.size(), s.values.size());
  for (size_t i = 0; i < s.values.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(back.values[i].target.tweak, s.values[i].target.tweak);
    EXPECT_EQ(back.values[i].target.adapter, s.values[i].target.adapter);
    EXPECT_EQ(back.values[i].existed, s.values[i].existed);
    EXPECT_EQ(back.values[i].type, s.values[i].type);
    EXPECT_EQ(back.values[i].data, s.values[i].data);
  }
  // A type number beyond the ones Windows names survives too: the record keeps whatever was there.
  EXPECT_EQ(ParseSnapshotLines({u"TCPNoDelay||4294967295|AB"}).values.at(0).type, 0xFFFFFFFFu);
}

TEST_F(SnapshotTest, LinesThatDoNotParseAreLeftOut) {
  const std::u16string a = kA;
  const char16_t* bad[] = {
      u"",
      u"absent",
      u"Unknown||absent",
      u"tcpnodelay||absent",               // names are exact
      u"TcpAckFrequency||absent",          // a per-interface value needs its adapter
      u"TcpAckFrequency|0000000A|absent",  // not a braced GUID
      u"TcpAckFrequency|{0000000A-0000-0000-0000-4E657444657}|absent",
      u"TcpAckFrequency|{0000000A-0000-0000-0000-4E657444657G}|absent",
      u"TcpAckFrequency|{0000000A-0000-0000-0000-4E6574446576}x|absent",
      u"TCPNoDelay|{0000000A-0000-0000-0000-4E6574446576}|absent",  // a machine-wide one has none
      u"TCPNoDelay||absent|",
      u"TCPNoDelay||Absent",
      u"TCPNoDelay||4",
      u"TCPNoDelay||x|00",
      u"TCPNoDelay||-4|00",
      u"TCPNoDelay||4294967296|00",
      u"TCPNoDelay||4|0",
      u"TCPNoDelay||4|0g",
      u"TCPNoDelay||4|00|00",
  };
  for (const char16_t* line : bad) {
    EXPECT_TRUE(ParseSnapshotLines({line}).values.empty()) << Text(line);
  }
  // The first entry for a value wins; GUIDs match without regard to case.
  const Snapshot s = ParseSnapshotLines({u"TCPNoDelay||4|01000000", u"TCPNoDelay||absent",
                                         u"TcpAckFrequency|" + a + u"|absent",
                                         u"TcpAckFrequency|" + AsciiLowerCase(a) + u"|4|01000000", u"junk"});
  ASSERT_EQ(s.values.size(), 2u);
  EXPECT_TRUE(s.values[0].existed);
  EXPECT_FALSE(s.values[1].existed);
  EXPECT_EQ(s.Find({0, AsciiLowerCase(a)}), &s.values[1]);
}

TEST_F(SnapshotTest, RunThenRunAgainGivesBackExactlyWhatWasThere) {
  struct Case {
    const char* what;
    std::uint32_t type;  // reg::kNone with no data: absent
    Bytes data;
  };
  const Case cases[] = {
      {"absent", reg::kNone, {}},
      {"the user's own DWORD", reg::kDword, Dword(20)},
      {"0xFFFFFFFF stays a 32-bit value", reg::kDword, Dword(0xFFFFFFFF)},
      {"Run's own data already", reg::kDword, Dword(1)},
      {"a text", reg::kSz, {u8'3', 0, u8'0', 0, 0, 0}},
      {"a 64-bit value", reg::kQword, {20, 0, 0, 0, 0, 0, 0, 0}},
      {"an empty binary", reg::kBinary, {}},
      {"a big-endian DWORD", reg::kDwordBigEndian, {0, 0, 0, 20}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    registry = test::FakeRegistry();
    const bool present = !(c.type == reg::kNone && c.data.empty());
    for (const auto& t : AllFive(kA)) {
      if (present) Put(t, c.type, c.data);
    }
    const auto writable = CaptureBeforeRun(registry, AllFive(kA));
    ASSERT_EQ(writable.size(), 5u);
    RunWrites(writable);
    for (const auto& t : AllFive(kA)) {
      const auto v = Value(t);
      ASSERT_TRUE(v.has_value());
      EXPECT_EQ(v->data, Dword(static_cast<std::uint32_t>(kTweaks[t.tweak].run)));
    }

    const Reverted r = RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn);
    EXPECT_EQ(r.record, SnapshotState::Held);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.adapters, std::vector<std::u16string>{kA});
    for (const auto& t : AllFive(kA)) {
      ExpectValue(t, present ? std::optional(test::RegValue{c.type, c.data}) : std::nullopt);
    }
    EXPECT_EQ(registry.OpenHandles(), 0u);
  }
}

TEST_F(SnapshotTest, ASecondRunWhileTheRecordIsHeldKeepsTheFirstValues) {
  Put({3, u""}, reg::kDword, Dword(20));
  Put({4, u""}, reg::kDword, Dword(30));
  RunWrites(CaptureBeforeRun(registry, {{3, u""}, {4, u""}}));
  const auto first = SnapshotLines(Held());

  // Run again before the first record was given back (the window showed idle meanwhile), now with a
  // further value checked: the held entries stay, the new one joins.
  Put({2, u""}, reg::kDword, Dword(7));
  const auto writable = CaptureBeforeRun(registry, {{2, u""}, {3, u""}, {4, u""}});
  EXPECT_EQ(writable.size(), 3u);
  RunWrites(writable);
  auto lines = SnapshotLines(Held());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(std::vector(lines.begin(), lines.begin() + 2), first);
  EXPECT_EQ(lines[2], u"TCPNoDelay||4|07000000");

  // Nothing new: the record is not even rewritten.
  registry.calls.clear();
  CaptureBeforeRun(registry, {{3, u""}});
  EXPECT_TRUE(registry.CallsOf("SetValue").empty());

  ASSERT_TRUE(RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn).complete);
  ExpectValue({2, u""}, test::RegValue{reg::kDword, Dword(7)});
  ExpectValue({3, u""}, test::RegValue{reg::kDword, Dword(20)});
  ExpectValue({4, u""}, test::RegValue{reg::kDword, Dword(30)});
}

TEST_F(SnapshotTest, AFailingWriteHalfWayKeepsTheRecordAndGivesBackTheRest) {
  for (const auto& t : AllFive(kA)) Put(t, reg::kDword, Dword(40 + static_cast<std::uint32_t>(t.tweak)));
  RunWrites(CaptureBeforeRun(registry, AllFive(kA)));
  const auto lines = SnapshotLines(Held());

  registry.fault = [](const test::RegCall& c) {
    return c.op == "SetValue" && c.name == u"TCPNoDelay" ? reg::kAccessDenied : reg::kSuccess;
  };
  const Reverted r = RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn);
  EXPECT_EQ(r.record, SnapshotState::Held);
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(SnapshotLines(Held()), lines);  // RevertTuning never drops; the caller drops only when complete
  for (const auto& t : AllFive(kA)) {
    const std::uint32_t want = t.tweak == 2 ? 1 : 40 + static_cast<std::uint32_t>(t.tweak);
    ExpectValue(t, test::RegValue{reg::kDword, Dword(want)});
  }

  registry.fault = nullptr;
  EXPECT_TRUE(RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn).complete);
  ExpectValue({2, u""}, test::RegValue{reg::kDword, Dword(42)});
  EXPECT_TRUE(DropSnapshot(registry));
  Snapshot none;
  EXPECT_EQ(ReadSnapshot(registry, &none), SnapshotState::None);
}

TEST_F(SnapshotTest, GivingBackAnAbsentValueNeitherCreatesAKeyNorFails) {
  // Run created the key for TCPNoDelay; it went away since (message queuing removed): nothing to delete.
  Snapshot s;
  s.values = {Saved(2, u"", false, 0, {})};
  ASSERT_TRUE(WriteSnapshot(registry, s));
  EXPECT_TRUE(RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn).complete);
  EXPECT_FALSE(registry.KeyExists(reg::kLocalMachine, kMsmq));
}

TEST_F(SnapshotTest, ARecordForAnAdapterThatNoLongerExists) {
  // Tuned on A; A has gone and B is the active adapter at Run again.
  Put({0, kA}, reg::kDword, Dword(2));
  RunWrites(CaptureBeforeRun(registry, AllFive(kA)));
  Put({0, kB}, reg::kDword, Dword(5));

  const Reverted r = RevertTuning(registry, kB, WithoutRecord::ResetRunsOwn);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.adapters, (std::vector<std::u16string>{kA, kB}));
  ExpectValue({0, kA}, test::RegValue{reg::kDword, Dword(2)});
  ExpectValue({1, kA}, std::nullopt);
  ExpectValue({0, kB}, test::RegValue{reg::kDword, Dword(5)});  // never tuned: untouched

  // A's interface key itself gone: an existing value is written back into a new key, an absent one needs
  // none.
  registry = test::FakeRegistry();
  Snapshot s;
  s.values = {Saved(0, kA, true, reg::kDword, Dword(2)), Saved(1, kA, false, 0, {})};
  ASSERT_TRUE(WriteSnapshot(registry, s));
  EXPECT_TRUE(RevertTuning(registry, kB, WithoutRecord::ResetRunsOwn).complete);
  ExpectValue({0, kA}, test::RegValue{reg::kDword, Dword(2)});
  ExpectValue({1, kA}, std::nullopt);
}

TEST_F(SnapshotTest, AValueThatCannotBeReadIsNeitherRecordedNorChanged) {
  Put({3, u""}, reg::kDword, Dword(20));
  registry.fault = [](const test::RegCall& c) {
    return c.op == "QueryValue" && c.name == u"NetworkThrottlingIndex" ? reg::kAccessDenied : reg::kSuccess;
  };
  const auto writable = CaptureBeforeRun(registry, AllFive(kA));
  registry.fault = nullptr;
  ASSERT_EQ(writable.size(), 4u);
  for (const auto& t : writable) EXPECT_NE(t.tweak, 3u);
  EXPECT_EQ(Held().Find({3, u""}), nullptr);
  EXPECT_EQ(Held().values.size(), 4u);
}

TEST_F(SnapshotTest, WithoutAStoredRecordRunMayChangeNothing) {
  struct Case {
    const char* what;
    bool held_before;
    size_t writable;
  };
  // The record cannot be stored: with none held nothing is on record; with one held only its entries are.
  const Case cases[] = {{"nothing held", false, 0}, {"TCPNoDelay held", true, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    registry = test::FakeRegistry();
    if (c.held_before) CaptureBeforeRun(registry, {{2, u""}});
    registry.fault = [](const test::RegCall& call) {
      return call.op == "SetValue" && call.name == kSnapshotValue ? reg::kAccessDenied : reg::kSuccess;
    };
    EXPECT_EQ(CaptureBeforeRun(registry, AllFive(kA)).size(), c.writable);
  }
}

TEST_F(SnapshotTest, ARecordThatCannotBeReadIsNeverReplacedNorActedOn) {
  struct Case {
    const char* what;
    std::function<void(test::FakeRegistry&)> arrange;
  };
  const Case cases[] = {
      {"another type",
       [](test::FakeRegistry& r) {
         r.PutString(reg::kLocalMachine, kSnapshotKey, kSnapshotValue, reg::kSz, u"TCPNoDelay||absent");
       }},
      {"a refused read",
       [](test::FakeRegistry& r) {
         r.PutString(reg::kLocalMachine, kSnapshotKey, kSnapshotValue, reg::kMultiSz, u"TCPNoDelay||absent");
         r.fault = [](const test::RegCall& c) {
           return c.op == "QueryValue" && c.name == kSnapshotValue ? reg::kAccessDenied : reg::kSuccess;
         };
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    registry = test::FakeRegistry();
    Put({3, u""}, reg::kDword, Dword(0xFFFFFFFF));
    c.arrange(registry);
    registry.calls.clear();
    EXPECT_TRUE(CaptureBeforeRun(registry, AllFive(kA)).empty());
    const Reverted r = RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.record, SnapshotState::Unreadable);
    EXPECT_EQ(r.adapters, std::vector<std::u16string>{kA});
    EXPECT_TRUE(registry.CallsOf("SetValue").empty());
    EXPECT_TRUE(registry.CallsOf("DeleteValue").empty());
    EXPECT_TRUE(StillTuned(registry, {}));  // cannot tell: not taken as untuned
  }
}

TEST_F(SnapshotTest, TheRecordLivesInTheNative64BitViewAsOneMultiStringValue) {
  Put({4, u""}, reg::kDword, Dword(30));
  registry.calls.clear();
  CaptureBeforeRun(registry, {{4, u""}, {0, kA}});
  const auto value = registry.Get(reg::kLocalMachine, u"SOFTWARE\\Tempowave", u"Snapshot");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->type, reg::kMultiSz);
  std::u16string text = u"SystemResponsiveness||4|1e000000";
  text += u'\0';
  text += u"TcpAckFrequency|" + std::u16string(kA) + u"|absent";
  text += std::u16string(2, u'\0');
  Bytes want;
  for (char16_t ch : text) {
    want.push_back(std::uint8_t(ch));
    want.push_back(std::uint8_t(ch >> 8));
  }
  EXPECT_EQ(value->data, want);
  ASSERT_EQ(registry.CallsOf("SetValue").size(), 1u);  // one write: the record is never half stored
  for (const auto& c : registry.calls) {
    if (c.op == "CreateKey" || c.op == "OpenKey") {
      EXPECT_EQ(c.key, reg::kLocalMachine);
      EXPECT_TRUE(c.access & reg::kKeyWow64_64) << Text(c.subkey);
    }
  }
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST_F(SnapshotTest, AnEmptyRecordMeansRunAgainChangesNothing) {
  Put({4, u""}, reg::kDword, Dword(30));
  EXPECT_TRUE(CaptureBeforeRun(registry, {}).empty());  // Run with every box unchecked
  EXPECT_TRUE(Held().values.empty());
  registry.calls.clear();
  const Reverted r = RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn);
  EXPECT_EQ(r.record, SnapshotState::Held);
  EXPECT_TRUE(r.complete);
  EXPECT_TRUE(registry.CallsOf("SetValue").empty());
  EXPECT_TRUE(registry.CallsOf("DeleteValue").empty());
}

TEST_F(SnapshotTest, WithoutARecordTheWayBackAfterRunChangesNothing) {
  for (const auto& t : AllFive(kA))
    Put(t, reg::kDword, Dword(static_cast<std::uint32_t>(kTweaks[t.tweak].run)));
  // The way back after a Run that could not store its record: that Run changed nothing, nor does this.
  const Reverted r = RevertTuning(registry, kA, WithoutRecord::ChangeNothing);
  EXPECT_EQ(r.record, SnapshotState::None);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.reset, 0u);
  EXPECT_TRUE(registry.CallsOf("SetValue").empty());
  EXPECT_TRUE(registry.CallsOf("DeleteValue").empty());
}

// Without a record (left by an earlier version, or dropped by another copy) only what is plainly Run's is
// reset: a value holding exactly the data a Run writes, or wrote in earlier versions. Everything else is the
// machine's own.
TEST_F(SnapshotTest, WithoutARecordOnlyRunsOwnDataIsReset) {
  using Values = std::vector<std::pair<TweakTarget, Bytes>>;
  struct Case {
    const char* what;
    Values before;
    Values after;  // every other one of the five absent
    size_t reset;
    bool complete = true;
  };
  const Values tuned = {{{0, kA}, Dword(1)},
                        {{1, kA}, Dword(0)},
                        {{2, u""}, Dword(1)},
                        {{3, u""}, Dword(0xFFFFFFFF)},
                        {{4, u""}, Dword(10)}};
  const Case cases[] = {
      {"all five Run's", tuned, {{{3, u""}, Dword(10)}, {{4, u""}, Dword(20)}}, 5},
      {"the machine's own data",
       {{{0, kA}, Dword(2)}, {{4, u""}, Dword(14)}, {{3, u""}, Dword(20)}},
       {{{0, kA}, Dword(2)}, {{4, u""}, Dword(14)}, {{3, u""}, Dword(20)}},
       0},
      {"an earlier version's SystemResponsiveness 0", {{{4, u""}, Dword(0)}}, {{{4, u""}, Dword(20)}}, 1},
      {"Run's number as another type",
       {{{2, u""}, Bytes{1, 0, 0, 0, 0, 0, 0, 0}}},
       {{{2, u""}, Bytes{1, 0, 0, 0, 0, 0, 0, 0}}},
       0},
      {"another adapter's values", {{{0, kB}, Dword(1)}}, {{{0, kB}, Dword(1)}}, 0},
      {"nothing there", {}, {}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    registry = test::FakeRegistry();
    for (const auto& [target, data] : c.before)
      Put(target, data.size() == 4 ? reg::kDword : reg::kQword, data);
    const Reverted r = RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn);
    EXPECT_EQ(r.record, SnapshotState::None);
    EXPECT_EQ(r.complete, c.complete);
    EXPECT_EQ(r.reset, c.reset);
    EXPECT_EQ(r.adapters, std::vector<std::u16string>{kA});
    std::vector<TweakTarget> all = AllFive(kA);
    all.push_back({0, kB});
    for (const auto& t : all) {
      std::optional<test::RegValue> want;
      for (const auto& [target, data] : c.after) {
        if (target.tweak == t.tweak && target.adapter == t.adapter) {
          want = test::RegValue{data.size() == 4 ? reg::kDword : reg::kQword, data};
        }
      }
      ExpectValue(t, want);
    }
  }
}

TEST_F(SnapshotTest, WithoutARecordAValueThatCannotBeReadOrResetIsNotGivenBack) {
  Put({3, u""}, reg::kDword, Dword(0xFFFFFFFF));
  Put({4, u""}, reg::kDword, Dword(10));
  registry.fault = [](const test::RegCall& c) {
    return c.op == "QueryValue" && c.name == u"NetworkThrottlingIndex" ? reg::kAccessDenied : reg::kSuccess;
  };
  Reverted r = RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn);
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.reset, 1u);
  registry.fault = nullptr;
  ExpectValue({3, u""}, test::RegValue{reg::kDword, Dword(0xFFFFFFFF)});  // not read: left alone
  ExpectValue({4, u""}, test::RegValue{reg::kDword, Dword(20)});

  Put({4, u""}, reg::kDword, Dword(10));
  registry.fail_set = reg::kAccessDenied;
  r = RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn);
  EXPECT_FALSE(r.complete);
}

TEST_F(SnapshotTest, StillTunedLooksAtWhatRunWrote) {
  struct Case {
    const char* what;
    bool record;  // Run left a record of TCPNoDelay and SystemResponsiveness
    std::vector<std::pair<TweakTarget, Bytes>> now;  // DWORDs on the machine now
    std::vector<TweakTarget> checked;                // the targets without a record
    bool tuned;
  };
  const Case cases[] = {
      {"record, both hold Run's data", true, {{{2, u""}, Dword(1)}, {{4, u""}, Dword(10)}}, {}, true},
      {"record, one still holds", true, {{{2, u""}, Dword(0)}, {{4, u""}, Dword(10)}}, {}, true},
      {"record, both reset", true, {{{2, u""}, Dword(0)}, {{4, u""}, Dword(20)}}, {}, false},
      {"record, both gone", true, {}, {}, false},
      // Only the recorded values count, not what the boxes say now.
      {"record, another value tuned", true, {{{3, u""}, Dword(0xFFFFFFFF)}}, AllFive(kA), false},
      {"no record, a checked value holds", false, {{{0, kA}, Dword(1)}}, AllFive(kA), true},
      {"no record, none holds", false, {{{0, kA}, Dword(2)}, {{3, u""}, Dword(10)}}, AllFive(kA), false},
      {"no record, the tuned value unchecked", false, {{{3, u""}, Dword(0xFFFFFFFF)}}, {{4, u""}}, false},
      {"no record, no adapter known", false, {{{0, kA}, Dword(1)}}, AllFive(u""), false},
      {"no record, nothing checked", false, {{{4, u""}, Dword(10)}}, {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    registry = test::FakeRegistry();
    if (c.record) CaptureBeforeRun(registry, {{2, u""}, {4, u""}});
    for (const auto& [t, data] : c.now) Put(t, reg::kDword, data);
    EXPECT_EQ(StillTuned(registry, c.checked), c.tuned);
  }
  // A value of another type or size never holds Run's data.
  registry = test::FakeRegistry();
  Put({2, u""}, reg::kQword, {1, 0, 0, 0, 0, 0, 0, 0});
  Put({4, u""}, reg::kSz, {u8'1', 0, u8'0', 0, 0, 0});
  EXPECT_FALSE(StillTuned(registry, AllFive(kA)));
  // A refused read cannot tell.
  registry.fail_query = reg::kAccessDenied;
  EXPECT_TRUE(StillTuned(registry, AllFive(kA)));
}

TEST_F(SnapshotTest, AdaptersToRestartNameEachOnceThenTheActiveOne) {
  Snapshot s;
  s.values = {Saved(0, kA, false, 0, {}), Saved(2, u"", false, 0, {}),
              Saved(1, AsciiLowerCase(kA), false, 0, {}), Saved(0, kB, false, 0, {})};
  EXPECT_EQ(AdaptersToRestart(s, kB), (std::vector<std::u16string>{kA, kB}));
  EXPECT_EQ(AdaptersToRestart(s, u""), (std::vector<std::u16string>{kA, kB, u""}));
  EXPECT_EQ(AdaptersToRestart(Snapshot{}, kA), std::vector<std::u16string>{kA});
}

TEST_F(SnapshotTest, DroppingTheRecord) {
  EXPECT_TRUE(DropSnapshot(registry));  // none held
  EXPECT_FALSE(registry.KeyExists(reg::kLocalMachine, kSnapshotKey));
  CaptureBeforeRun(registry, {{2, u""}});
  registry.fail_delete = reg::kAccessDenied;
  EXPECT_FALSE(DropSnapshot(registry));
  EXPECT_EQ(Held().values.size(), 1u);
  registry.fail_delete = 0;
  EXPECT_TRUE(DropSnapshot(registry));
  Snapshot s;
  EXPECT_EQ(ReadSnapshot(registry, &s), SnapshotState::None);
}

}  // namespace
}  // namespace tw
