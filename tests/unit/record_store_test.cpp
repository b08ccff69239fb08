#include "tuning/record_store.h"

#include <gtest/gtest.h>

#include "fakes/saved_values.h"

#include <optional>

#include "fakes/fake_registry.h"
#include "platform/registry_key.h"
#include "platform/text.h"
#include "tuning/registry_values.h"

namespace tw {
namespace {

using enum TweakId;

constexpr char16_t kA[] = u"{0000000A-0000-0000-0000-4E6574446576}";
constexpr char16_t kB[] = u"{0000000B-0000-0000-0000-4E6574446576}";
constexpr char16_t kMsmq[] = u"SOFTWARE\\Microsoft\\MSMQ\\Parameters";
constexpr char16_t kProfile[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Multimedia\\SystemProfile";

using test::Bytes;
using test::Dword;
using test::Saved;

// The machine's own DWORD of each value where a test needs one per value.
std::uint32_t Own(TweakId tweak) {
  return 40 + static_cast<std::uint32_t>(tweak);
}

std::string Text(const std::u16string& s) {
  return EncodeUtf8(s);
}

// The five values for one adapter, in the table's order.
std::vector<TweakTarget> AllFive(const std::u16string& adapter) {
  std::vector<TweakTarget> out;
  out.reserve(kTweaks.size());
  for (const Tweak& tweak : kTweaks) out.push_back({tweak.id, PerInterface(tweak) ? adapter : u""});
  return out;
}

class RecordStore : public ::testing::Test {
 protected:
  static std::u16string Subkey(const TweakTarget& t) { return TweakSubkey(TweakOf(t.tweak), t.adapter); }
  std::optional<test::RegValue> Value(const TweakTarget& t) const {
    return registry.Get(reg::kLocalMachine, Subkey(t), TweakOf(t.tweak).value);
  }
  void Put(const TweakTarget& t, std::uint32_t type, Bytes data) {
    registry.Put(reg::kLocalMachine, Subkey(t), TweakOf(t.tweak).value, type, std::move(data));
  }
  // What Run does after its record: the table's values written for the targets it may change.
  void RunWrites(const std::vector<TweakTarget>& targets) {
    for (const auto& t : targets) ApplyTweak(registry, TweakOf(t.tweak), t.adapter);
  }
  Snapshot Held() {
    Snapshot s;
    EXPECT_EQ(ReadSnapshot(registry, &s), SnapshotState::Held);
    return s;
  }
  void ExpectValue(const TweakTarget& t, const std::optional<test::RegValue>& want) {
    SCOPED_TRACE(Text(TweakOf(t.tweak).value) + " " + Text(t.adapter));
    const auto got = Value(t);
    ASSERT_EQ(got.has_value(), want.has_value());
    if (!want) return;
    EXPECT_EQ(got->type, want->type);
    EXPECT_EQ(got->data, want->data);
  }

  test::FakeRegistry registry;
};

TEST_F(RecordStore, RunThenRunAgainGivesBackExactlyWhatWasThere) {
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
    const auto writable = CaptureBeforeRun(registry, AllFive(kA)).writable;
    ASSERT_EQ(writable.size(), 5u);
    RunWrites(writable);
    for (const auto& t : AllFive(kA)) {
      const auto v = Value(t);
      ASSERT_TRUE(v.has_value());
      EXPECT_EQ(v->data, Dword(static_cast<std::uint32_t>(TweakOf(t.tweak).run)));
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

TEST_F(RecordStore, ASecondRunWhileTheRecordIsHeldKeepsTheFirstValues) {
  Put({NetworkThrottlingIndex, u""}, reg::kDword, Dword(20));
  Put({SystemResponsiveness, u""}, reg::kDword, Dword(30));
  RunWrites(
      CaptureBeforeRun(registry, {{NetworkThrottlingIndex, u""}, {SystemResponsiveness, u""}}).writable);
  const auto first = SnapshotLines(Held());

  // Run again before the first record was given back (the window showed idle meanwhile), now with a
  // further value checked: the held entries stay, the new one joins.
  Put({TcpNoDelay, u""}, reg::kDword, Dword(7));
  const auto writable =
      CaptureBeforeRun(registry,
                       {{TcpNoDelay, u""}, {NetworkThrottlingIndex, u""}, {SystemResponsiveness, u""}})
          .writable;
  EXPECT_EQ(writable.size(), 3u);
  RunWrites(writable);
  auto lines = SnapshotLines(Held());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(std::vector(lines.begin(), lines.begin() + 2), first);
  EXPECT_EQ(lines[2], u"TCPNoDelay||4|07000000");

  // Nothing new: the record is not even rewritten.
  registry.calls.clear();
  CaptureBeforeRun(registry, {{NetworkThrottlingIndex, u""}});
  EXPECT_TRUE(registry.CallsOf("SetValue").empty());

  ASSERT_TRUE(RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn).complete);
  ExpectValue({TcpNoDelay, u""}, test::RegValue{reg::kDword, Dword(7)});
  ExpectValue({NetworkThrottlingIndex, u""}, test::RegValue{reg::kDword, Dword(20)});
  ExpectValue({SystemResponsiveness, u""}, test::RegValue{reg::kDword, Dword(30)});
}

TEST_F(RecordStore, AFailingWriteHalfWayKeepsTheRecordAndGivesBackTheRest) {
  for (const auto& t : AllFive(kA)) Put(t, reg::kDword, Dword(Own(t.tweak)));
  RunWrites(CaptureBeforeRun(registry, AllFive(kA)).writable);
  const auto lines = SnapshotLines(Held());

  registry.fault = [](const test::RegCall& c) {
    return c.op == "SetValue" && c.name == u"TCPNoDelay" ? reg::kAccessDenied : reg::kSuccess;
  };
  const Reverted r = RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn);
  EXPECT_EQ(r.record, SnapshotState::Held);
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(SnapshotLines(Held()), lines);  // RevertTuning never drops; the caller drops only when complete
  for (const auto& t : AllFive(kA)) {
    const std::uint32_t want = t.tweak == TcpNoDelay ? 1 : Own(t.tweak);
    ExpectValue(t, test::RegValue{reg::kDword, Dword(want)});
  }

  registry.fault = nullptr;
  EXPECT_TRUE(RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn).complete);
  ExpectValue({TcpNoDelay, u""}, test::RegValue{reg::kDword, Dword(Own(TcpNoDelay))});
  EXPECT_TRUE(DropSnapshot(registry));
  Snapshot none;
  EXPECT_EQ(ReadSnapshot(registry, &none), SnapshotState::None);
}

TEST_F(RecordStore, GivingBackAnAbsentValueNeitherCreatesAKeyNorFails) {
  // Run created the key for TCPNoDelay; it went away since (message queuing removed): nothing to delete.
  Snapshot s;
  s.values = {Saved(TcpNoDelay, u"", false, 0, {})};
  ASSERT_TRUE(WriteSnapshot(registry, s));
  EXPECT_TRUE(RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn).complete);
  EXPECT_FALSE(registry.KeyExists(reg::kLocalMachine, kMsmq));
}

TEST_F(RecordStore, ARecordForAnAdapterThatNoLongerExists) {
  // Tuned on A; A has gone and B is the active adapter at Run again.
  Put({TcpAckFrequency, kA}, reg::kDword, Dword(2));
  RunWrites(CaptureBeforeRun(registry, AllFive(kA)).writable);
  Put({TcpAckFrequency, kB}, reg::kDword, Dword(5));

  const Reverted r = RevertTuning(registry, kB, WithoutRecord::ResetRunsOwn);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.adapters, (std::vector<std::u16string>{kA, kB}));
  ExpectValue({TcpAckFrequency, kA}, test::RegValue{reg::kDword, Dword(2)});
  ExpectValue({TcpDelAckTicks, kA}, std::nullopt);
  ExpectValue({TcpAckFrequency, kB}, test::RegValue{reg::kDword, Dword(5)});  // never tuned: untouched

  // A's interface key itself gone: an existing value is written back into a new key, an absent one needs
  // none.
  registry = test::FakeRegistry();
  Snapshot s;
  s.values = {Saved(TcpAckFrequency, kA, true, reg::kDword, Dword(2)),
              Saved(TcpDelAckTicks, kA, false, 0, {})};
  ASSERT_TRUE(WriteSnapshot(registry, s));
  EXPECT_TRUE(RevertTuning(registry, kB, WithoutRecord::ResetRunsOwn).complete);
  ExpectValue({TcpAckFrequency, kA}, test::RegValue{reg::kDword, Dword(2)});
  ExpectValue({TcpDelAckTicks, kA}, std::nullopt);
}

TEST_F(RecordStore, AValueThatCannotBeReadIsNeitherRecordedNorChanged) {
  Put({NetworkThrottlingIndex, u""}, reg::kDword, Dword(20));
  registry.fault = [](const test::RegCall& c) {
    return c.op == "QueryValue" && c.name == u"NetworkThrottlingIndex" ? reg::kAccessDenied : reg::kSuccess;
  };
  const auto writable = CaptureBeforeRun(registry, AllFive(kA)).writable;
  registry.fault = nullptr;
  ASSERT_EQ(writable.size(), 4u);
  for (const auto& t : writable) EXPECT_NE(t.tweak, NetworkThrottlingIndex);
  EXPECT_EQ(Held().Find({NetworkThrottlingIndex, u""}), nullptr);
  EXPECT_EQ(Held().values.size(), 4u);
}

TEST_F(RecordStore, WithoutAStoredRecordRunMayChangeNothing) {
  struct Case {
    const char* what;
    bool held_before;
    size_t writable;
  };
  // The record cannot be stored: Run may change nothing at all, not even what an earlier record holds, and
  // says why.
  const Case cases[] = {{"nothing held", false, 0}, {"TCPNoDelay held", true, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    registry = test::FakeRegistry();
    if (c.held_before) CaptureBeforeRun(registry, {{TcpNoDelay, u""}});
    registry.fault = [](const test::RegCall& call) {
      return call.op == "SetValue" && call.name == kSnapshotValue ? reg::kAccessDenied : reg::kSuccess;
    };
    const Capture capture = CaptureBeforeRun(registry, AllFive(kA));
    EXPECT_EQ(capture.writable.size(), c.writable);
    EXPECT_EQ(capture.refused, CaptureRefusal::RecordNotStored);
  }
}

TEST_F(RecordStore, ARecordThatCannotBeReadIsNeverReplacedNorActedOn) {
  struct Case {
    const char* what;
    std::function<void(test::FakeRegistry&)> arrange;
    SnapshotState state = SnapshotState::Unreadable;
  };
  const Case cases[] = {
      {"another type",
       [](test::FakeRegistry& r) {
         r.PutString(reg::kLocalMachine, kSnapshotKey, kSnapshotValue, reg::kSz, u"TCPNoDelay||absent");
       },
       SnapshotState::Damaged},
      {"larger than any record",
       [](test::FakeRegistry& r) {
         r.Put(reg::kLocalMachine, kSnapshotKey, kSnapshotValue, reg::kMultiSz,
               Bytes(kMaxSnapshotBytes + 2, 0));
       },
       SnapshotState::Damaged},
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
    Put({NetworkThrottlingIndex, u""}, reg::kDword, Dword(0xFFFFFFFF));
    c.arrange(registry);
    registry.calls.clear();
    const Capture capture = CaptureBeforeRun(registry, AllFive(kA));
    EXPECT_TRUE(capture.writable.empty());
    EXPECT_EQ(capture.refused, CaptureRefusal::RecordDamaged);
    const Reverted r = RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.record, c.state);
    EXPECT_EQ(r.adapters, std::vector<std::u16string>{kA});
    EXPECT_TRUE(registry.CallsOf("SetValue").empty());
    EXPECT_TRUE(registry.CallsOf("DeleteValue").empty());
    EXPECT_TRUE(StillTuned(registry, {}));  // cannot tell: not taken as untuned
  }
}

TEST_F(RecordStore, TheRecordLivesInTheNative64BitViewAsOneMultiStringValue) {
  Put({SystemResponsiveness, u""}, reg::kDword, Dword(30));
  registry.calls.clear();
  CaptureBeforeRun(registry, {{SystemResponsiveness, u""}, {TcpAckFrequency, kA}});
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
  size_t record_writes = 0;
  for (const auto& c : registry.CallsOf("SetValue")) record_writes += c.name == kSnapshotValue;
  EXPECT_EQ(record_writes, 1u);  // one write: the record is never half stored
  for (const auto& c : registry.calls) {
    if (c.op == "CreateKey" || c.op == "OpenKey") {
      EXPECT_EQ(c.key, reg::kLocalMachine);
      EXPECT_TRUE(c.access & reg::kKeyWow64_64) << Text(c.subkey);
    }
  }
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST_F(RecordStore, AnEmptyRecordMeansRunAgainChangesNothing) {
  Put({SystemResponsiveness, u""}, reg::kDword, Dword(30));
  EXPECT_TRUE(CaptureBeforeRun(registry, {}).writable.empty());  // Run with every box unchecked
  EXPECT_TRUE(Held().values.empty());
  registry.calls.clear();
  const Reverted r = RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn);
  EXPECT_EQ(r.record, SnapshotState::Held);
  EXPECT_TRUE(r.complete);
  EXPECT_TRUE(registry.CallsOf("SetValue").empty());
  EXPECT_TRUE(registry.CallsOf("DeleteValue").empty());
}

TEST_F(RecordStore, WithoutARecordTheWayBackAfterRunChangesNothing) {
  for (const auto& t : AllFive(kA))
    Put(t, reg::kDword, Dword(static_cast<std::uint32_t>(TweakOf(t.tweak).run)));
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
TEST_F(RecordStore, WithoutARecordOnlyRunsOwnDataIsReset) {
  using Values = std::vector<std::pair<TweakTarget, Bytes>>;
  struct Case {
    const char* what;
    Values before;
    Values after;  // every other one of the five absent
    size_t reset;
    bool complete = true;
  };
  const Values tuned = {{{TcpAckFrequency, kA}, Dword(1)},
                        {{TcpDelAckTicks, kA}, Dword(0)},
                        {{TcpNoDelay, u""}, Dword(1)},
                        {{NetworkThrottlingIndex, u""}, Dword(0xFFFFFFFF)},
                        {{SystemResponsiveness, u""}, Dword(10)}};
  const Case cases[] = {
      {"all five Run's",
       tuned,
       {{{NetworkThrottlingIndex, u""}, Dword(10)}, {{SystemResponsiveness, u""}, Dword(20)}},
       5},
      {"the machine's own data",
       {{{TcpAckFrequency, kA}, Dword(2)},
        {{SystemResponsiveness, u""}, Dword(14)},
        {{NetworkThrottlingIndex, u""}, Dword(20)}},
       {{{TcpAckFrequency, kA}, Dword(2)},
        {{SystemResponsiveness, u""}, Dword(14)},
        {{NetworkThrottlingIndex, u""}, Dword(20)}},
       0},
      {"an earlier version's SystemResponsiveness 0",
       {{{SystemResponsiveness, u""}, Dword(0)}},
       {{{SystemResponsiveness, u""}, Dword(20)}},
       1},
      {"Run's number as another type",
       {{{TcpNoDelay, u""}, Bytes{1, 0, 0, 0, 0, 0, 0, 0}}},
       {{{TcpNoDelay, u""}, Bytes{1, 0, 0, 0, 0, 0, 0, 0}}},
       0},
      {"another adapter's values",
       {{{TcpAckFrequency, kB}, Dword(1)}},
       {{{TcpAckFrequency, kB}, Dword(1)}},
       0},
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
    all.push_back({TcpAckFrequency, kB});
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

TEST_F(RecordStore, WithoutARecordAValueThatCannotBeReadOrResetIsNotGivenBack) {
  Put({NetworkThrottlingIndex, u""}, reg::kDword, Dword(0xFFFFFFFF));
  Put({SystemResponsiveness, u""}, reg::kDword, Dword(10));
  registry.fault = [](const test::RegCall& c) {
    return c.op == "QueryValue" && c.name == u"NetworkThrottlingIndex" ? reg::kAccessDenied : reg::kSuccess;
  };
  Reverted r = RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn);
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.reset, 1u);
  registry.fault = nullptr;
  ExpectValue({NetworkThrottlingIndex, u""},
              test::RegValue{reg::kDword, Dword(0xFFFFFFFF)});  // not read: left alone
  ExpectValue({SystemResponsiveness, u""}, test::RegValue{reg::kDword, Dword(20)});

  Put({SystemResponsiveness, u""}, reg::kDword, Dword(10));
  registry.fail_set = reg::kAccessDenied;
  r = RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn);
  EXPECT_FALSE(r.complete);
}

TEST_F(RecordStore, StillTunedLooksAtWhatRunWrote) {
  struct Case {
    const char* what;
    bool record;  // Run left a record of TCPNoDelay and SystemResponsiveness
    std::vector<std::pair<TweakTarget, Bytes>> now;  // DWORDs on the machine now
    std::vector<TweakTarget> checked;                // the targets without a record
    bool tuned;
  };
  const Case cases[] = {
      {"record, both hold Run's data",
       true,
       {{{TcpNoDelay, u""}, Dword(1)}, {{SystemResponsiveness, u""}, Dword(10)}},
       {},
       true},
      {"record, one still holds",
       true,
       {{{TcpNoDelay, u""}, Dword(0)}, {{SystemResponsiveness, u""}, Dword(10)}},
       {},
       true},
      {"record, both reset",
       true,
       {{{TcpNoDelay, u""}, Dword(0)}, {{SystemResponsiveness, u""}, Dword(20)}},
       {},
       false},
      {"record, both gone", true, {}, {}, false},
      // Only the recorded values count, not what the boxes say now.
      {"record, another value tuned",
       true,
       {{{NetworkThrottlingIndex, u""}, Dword(0xFFFFFFFF)}},
       AllFive(kA),
       false},
      {"no record, a checked value holds", false, {{{TcpAckFrequency, kA}, Dword(1)}}, AllFive(kA), true},
      {"no record, none holds",
       false,
       {{{TcpAckFrequency, kA}, Dword(2)}, {{NetworkThrottlingIndex, u""}, Dword(10)}},
       AllFive(kA),
       false},
      {"no record, the tuned value unchecked",
       false,
       {{{NetworkThrottlingIndex, u""}, Dword(0xFFFFFFFF)}},
       {{SystemResponsiveness, u""}},
       false},
      {"no record, no adapter known", false, {{{TcpAckFrequency, kA}, Dword(1)}}, AllFive(u""), false},
      {"no record, nothing checked", false, {{{SystemResponsiveness, u""}, Dword(10)}}, {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    registry = test::FakeRegistry();
    if (c.record) CaptureBeforeRun(registry, {{TcpNoDelay, u""}, {SystemResponsiveness, u""}});
    for (const auto& [t, data] : c.now) Put(t, reg::kDword, data);
    EXPECT_EQ(StillTuned(registry, c.checked), c.tuned);
  }
  // A value of another type or size never holds Run's data.
  registry = test::FakeRegistry();
  Put({TcpNoDelay, u""}, reg::kQword, {1, 0, 0, 0, 0, 0, 0, 0});
  Put({SystemResponsiveness, u""}, reg::kSz, {u8'1', 0, u8'0', 0, 0, 0});
  EXPECT_FALSE(StillTuned(registry, AllFive(kA)));
  // A refused read cannot tell.
  registry.fail_query = reg::kAccessDenied;
  EXPECT_TRUE(StillTuned(registry, AllFive(kA)));
}

TEST_F(RecordStore, AdaptersToRestartNameEachOnceThenTheActiveOne) {
  Snapshot s;
  s.values = {Saved(TcpAckFrequency, kA, false, 0, {}), Saved(TcpNoDelay, u"", false, 0, {}),
              Saved(TcpDelAckTicks, AsciiLowerCase(kA), false, 0, {}),
              Saved(TcpAckFrequency, kB, false, 0, {})};
  EXPECT_EQ(AdaptersToRestart(s, kB), (std::vector<std::u16string>{kA, kB}));
  EXPECT_EQ(AdaptersToRestart(s, u""), (std::vector<std::u16string>{kA, kB, u""}));
  EXPECT_EQ(AdaptersToRestart(Snapshot{}, kA), std::vector<std::u16string>{kA});
}

TEST_F(RecordStore, DroppingTheRecord) {
  EXPECT_TRUE(DropSnapshot(registry));  // none held
  EXPECT_FALSE(registry.KeyExists(reg::kLocalMachine, kSnapshotKey));
  CaptureBeforeRun(registry, {{TcpNoDelay, u""}});
  registry.fail_delete = reg::kAccessDenied;
  EXPECT_FALSE(DropSnapshot(registry));
  EXPECT_EQ(Held().values.size(), 1u);
  registry.fail_delete = 0;
  EXPECT_TRUE(DropSnapshot(registry));
  Snapshot s;
  EXPECT_EQ(ReadSnapshot(registry, &s), SnapshotState::None);
}

// The record in each state it can be found in, against Run's first step, Run again (and /restore, which
// gives back the same way) and the start. The machine holds Run's NetworkThrottlingIndex; the user's own was
// 20, recorded as "NetworkThrottlingIndex||4|14000000".
TEST_F(RecordStore, EachStateOfTheRecordAgainstRunRunAgainAndTheStart) {
  const std::u16string own = u"NetworkThrottlingIndex||4|14000000";
  struct Case {
    const char* what;
    std::function<void(test::FakeRegistry&)> store;  // null: no record
    SnapshotState state;
    CaptureRefusal run;
    std::uint32_t after_run_again;  // NetworkThrottlingIndex once Run again is over
    bool complete;
    bool running_at_start, stale;
  };
  auto lines = [](const std::vector<std::u16string>& l) {
    return [l](test::FakeRegistry& r) {
      std::u16string joined;
      for (const auto& line : l) joined += line + u'\0';
      r.PutString(reg::kLocalMachine, kSnapshotKey, kSnapshotValue, reg::kMultiSz, joined);
    };
  };
  auto with_created = [&lines](const std::vector<std::u16string>& l,
                               const std::vector<std::u16string>& keys) {
    return [record = lines(l), keys](test::FakeRegistry& r) {
      record(r);
      std::u16string joined;
      for (const auto& key : keys) joined += key + u'\0';
      r.PutString(reg::kLocalMachine, kSnapshotKey, kCreatedKeysValue, reg::kMultiSz, joined);
    };
  };
  const Case cases[] = {
      {"none: only Run's own data is reset", nullptr, SnapshotState::None, CaptureRefusal::None, 10, true,
       false, false},
      {"whole", lines({own}), SnapshotState::Held, CaptureRefusal::None, 20, true, true, false},
      {"whole, nothing of Run's left: stale", lines({u"TCPNoDelay||absent"}), SnapshotState::Held,
       CaptureRefusal::None, 0xFFFFFFFF, true, false, true},
      {"a line that does not parse", lines({own, u"TCPNoDelay||4|0"}), SnapshotState::Damaged,
       CaptureRefusal::RecordDamaged, 20, false, true, false},
      {"an unknown name", lines({own, u"TcpWindowSize||absent"}), SnapshotState::Damaged,
       CaptureRefusal::RecordDamaged, 20, false, true, false},
      {"a value named twice", lines({own, u"NetworkThrottlingIndex||absent"}), SnapshotState::Damaged,
       CaptureRefusal::RecordDamaged, 0xFFFFFFFF, false, true, false},
      {"a type no value has", lines({own, u"TCPNoDelay||99|00"}), SnapshotState::Damaged,
       CaptureRefusal::RecordDamaged, 20, false, true, false},
      {"a record of another type",
       [&own](test::FakeRegistry& r) {
         r.PutString(reg::kLocalMachine, kSnapshotKey, kSnapshotValue, reg::kSz, own);
       },
       SnapshotState::Damaged, CaptureRefusal::RecordDamaged, 0xFFFFFFFF, false, true, false},
      {"an odd number of bytes",
       [&own](test::FakeRegistry& r) {
         Bytes bytes;
         for (char16_t ch : own) bytes.insert(bytes.end(), {std::uint8_t(ch), std::uint8_t(ch >> 8)});
         bytes.insert(bytes.end(), {0, 0, 0, 0, 7});
         r.Put(reg::kLocalMachine, kSnapshotKey, kSnapshotValue, reg::kMultiSz, bytes);
       },
       SnapshotState::Damaged, CaptureRefusal::RecordDamaged, 20, false, true, false},
      {"oversized",
       [](test::FakeRegistry& r) {
         r.Put(reg::kLocalMachine, kSnapshotKey, kSnapshotValue, reg::kMultiSz,
               Bytes(kMaxSnapshotBytes + 2, 0));
       },
       SnapshotState::Damaged, CaptureRefusal::RecordDamaged, 0xFFFFFFFF, false, true, false},
      // The keys to remove with the record belong to it: each must be one a recorded value's write could
      // have created, its own key or one above it.
      {"created keys Run could have made",
       with_created({own}, {u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Multimedia\\SystemProfile",
                            u"software\\microsoft\\windows nt\\currentversion\\multimedia"}),
       SnapshotState::Held, CaptureRefusal::None, 20, true, true, false},
      {"a created key Run could not have made", with_created({own}, {u"SOFTWARE\\Victim"}),
       SnapshotState::Damaged, CaptureRefusal::RecordDamaged, 20, false, true, false},
      {"a created key below a value's key", with_created({own}, {std::u16string(kProfile) + u"\\Below"}),
       SnapshotState::Damaged, CaptureRefusal::RecordDamaged, 20, false, true, false},
      {"a created key named by a prefix that is no key",
       with_created({own}, {u"SOFTWARE\\Microsoft\\Windows NT\\Current"}), SnapshotState::Damaged,
       CaptureRefusal::RecordDamaged, 20, false, true, false},
      {"a created key of a value the record does not hold", with_created({own}, {kMsmq}),
       SnapshotState::Damaged, CaptureRefusal::RecordDamaged, 20, false, true, false},
      {"created keys of another type",
       [&own](test::FakeRegistry& r) {
         r.PutString(reg::kLocalMachine, kSnapshotKey, kSnapshotValue, reg::kMultiSz, own + u'\0');
         r.PutString(reg::kLocalMachine, kSnapshotKey, kCreatedKeysValue, reg::kSz, kProfile);
       },
       SnapshotState::Damaged, CaptureRefusal::RecordDamaged, 20, false, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto arrange = [&] {
      registry = test::FakeRegistry();
      Put({NetworkThrottlingIndex, u""}, reg::kDword, Dword(0xFFFFFFFF));
      if (c.store) c.store(registry);
    };
    arrange();
    const std::optional<test::RegValue> record =
        registry.Get(reg::kLocalMachine, kSnapshotKey, kSnapshotValue);
    const StartState start = TunedAtStart(registry, false, {{NetworkThrottlingIndex, u""}});
    EXPECT_EQ(start.running, c.running_at_start);
    EXPECT_EQ(start.stale, c.stale);

    const Capture capture = CaptureBeforeRun(registry, {{NetworkThrottlingIndex, u""}});
    EXPECT_EQ(capture.refused, c.run);
    if (c.run != CaptureRefusal::None) {
      EXPECT_TRUE(capture.writable.empty());
      // Never replaced, rewritten or dropped.
      const auto now = registry.Get(reg::kLocalMachine, kSnapshotKey, kSnapshotValue);
      ASSERT_TRUE(now && record);
      EXPECT_EQ(now->data, record->data);
      EXPECT_EQ(now->type, record->type);
    }

    arrange();
    const Reverted r = RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn);
    EXPECT_EQ(r.record, c.state);
    EXPECT_EQ(r.complete, c.complete);
    const auto nti = Value({NetworkThrottlingIndex, u""});
    ASSERT_TRUE(nti);
    EXPECT_EQ(nti->data, Dword(c.after_run_again));
    const auto kept = registry.Get(reg::kLocalMachine, kSnapshotKey, kSnapshotValue);
    EXPECT_EQ(kept.has_value(), record.has_value());
    if (kept && record) {
      EXPECT_EQ(kept->data, record->data);
    }
  }
}

TEST_F(RecordStore, TheRecordKeyIsForAdministratorsOnly) {
  CaptureBeforeRun(registry, {{NetworkThrottlingIndex, u""}});
  EXPECT_TRUE(registry.AdminOnly(reg::kLocalMachine, kSnapshotKey));
  ASSERT_FALSE(registry.CallsOf("CreateAdminKey").empty());
  for (const auto& c : registry.CallsOf("CreateAdminKey")) {
    EXPECT_EQ(c.access & reg::kKeyWow64_64, reg::kKeyWow64_64);
  }
}

// A list of created keys that names a key Run could not have created makes the record untrusted: the values
// that can be read go back, but no key is removed and the record stays.
TEST_F(RecordStore, AKeyRunCouldNotHaveCreatedIsNeverRemoved) {
  Put({NetworkThrottlingIndex, u""}, reg::kDword, Dword(20));
  RunWrites(CaptureBeforeRun(registry, {{NetworkThrottlingIndex, u""}}).writable);
  RegistryKey::Create(registry, reg::kLocalMachine, u"SOFTWARE\\Victim", reg::kReadWrite64);  // empty
  ASSERT_TRUE(registry.KeyExists(reg::kLocalMachine, u"SOFTWARE\\Victim"));
  registry.PutString(reg::kLocalMachine, kSnapshotKey, kCreatedKeysValue, reg::kMultiSz,
                     std::u16string(u"SOFTWARE\\Victim") + u'\0');
  const Reverted r = RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn);
  EXPECT_EQ(r.record, SnapshotState::Damaged);
  EXPECT_FALSE(r.complete);
  ExpectValue({NetworkThrottlingIndex, u""}, test::RegValue{reg::kDword, Dword(20)});
  EXPECT_TRUE(registry.KeyExists(reg::kLocalMachine, u"SOFTWARE\\Victim"));
  EXPECT_TRUE(registry.CallsOf("DeleteEmptyKey").empty());
  EXPECT_TRUE(registry.Get(reg::kLocalMachine, kSnapshotKey, kSnapshotValue));
}

// A key Run had to create only to hold a value goes again once the record is given back whole, and only while
// nothing else has come to live in it.
TEST_F(RecordStore, KeysRunCreatedGoWhenGivingBackLeavesThemEmpty) {
  struct Case {
    const char* what;
    bool other_value;  // something else was written into MSMQ\Parameters meanwhile
    bool msmq_left, parameters_left;
  };
  const Case cases[] = {{"left empty", false, false, false}, {"another value came", true, true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    registry = test::FakeRegistry();
    registry.PutDword(reg::kLocalMachine, u"SOFTWARE\\Microsoft", u"Other", 1);
    RunWrites(CaptureBeforeRun(registry, {{TcpNoDelay, u""}}).writable);
    ASSERT_TRUE(registry.KeyExists(reg::kLocalMachine, kMsmq));
    if (c.other_value) registry.PutDword(reg::kLocalMachine, kMsmq, u"Other", 1);
    const Reverted r = RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(registry.KeyExists(reg::kLocalMachine, u"SOFTWARE\\Microsoft\\MSMQ"), c.msmq_left);
    EXPECT_EQ(registry.KeyExists(reg::kLocalMachine, kMsmq), c.parameters_left);
    EXPECT_TRUE(registry.KeyExists(reg::kLocalMachine, u"SOFTWARE\\Microsoft"));  // it was there before
    EXPECT_TRUE(DropSnapshot(registry));
    EXPECT_FALSE(registry.Get(reg::kLocalMachine, kSnapshotKey, kCreatedKeysValue));
  }
  // A key that existed before Run stays, empty or not.
  registry = test::FakeRegistry();
  registry.PutDword(reg::kLocalMachine, kMsmq, u"TCPNoDelay", 0);
  registry.calls.clear();
  RunWrites(CaptureBeforeRun(registry, {{TcpNoDelay, u""}}).writable);
  EXPECT_TRUE(RevertTuning(registry, kA, WithoutRecord::ResetRunsOwn).complete);
  EXPECT_TRUE(registry.CallsOf("DeleteEmptyKey").empty());
}

}  // namespace
}  // namespace tw
