#include "tuning/record_format.h"

#include <gtest/gtest.h>

#include "fakes/saved_values.h"

#include "platform/registry.h"
#include "platform/text.h"

namespace tw {
namespace {

using enum TweakId;

constexpr char16_t kA[] = u"{0000000A-0000-0000-0000-4E6574446576}";

using test::Bytes;
using test::Dword;
using test::Saved;

std::string Text(const std::u16string& s) {
  return EncodeUtf8(s);
}

TEST(RecordFormat, LinesRoundTripAndReadAsDocumented) {
  Snapshot s;
  s.values = {
      Saved(TcpAckFrequency, kA, false, 0, {}),
      Saved(TcpDelAckTicks, kA, true, reg::kDword, Dword(0)),
      Saved(TcpNoDelay, u"", true, reg::kSz, {u8'1', 0, 0, 0}),
      Saved(NetworkThrottlingIndex, u"", true, reg::kDword, Dword(0xFFFFFFFF)),
      Saved(SystemResponsiveness, u"", true, reg::kBinary, {}),
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
  // Every type a value can have, up to REG_QWORD, is kept as it was.
  bool whole = false;
  EXPECT_EQ(ParseSnapshotLines({u"TCPNoDelay||11|AB"}, &whole).values.at(0).type, reg::kQword);
  EXPECT_TRUE(whole);
}

TEST(RecordFormat, LinesThatDoNotParseAreLeftOut) {
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
      u"TCPNoDelay||12|00",  // no registry value has a type beyond REG_QWORD
      u"TCPNoDelay||4294967295|AB",
  };
  for (const char16_t* line : bad) {
    bool whole = true;
    EXPECT_TRUE(ParseSnapshotLines({line}, &whole).values.empty()) << Text(line);
    EXPECT_FALSE(whole) << Text(line);
  }
  // Data beyond what one value may hold.
  bool whole = true;
  EXPECT_TRUE(ParseSnapshotLines(
                  {u"TCPNoDelay||3|" + std::u16string(2 * std::size_t{kMaxSavedBytes + 1}, u'0')}, &whole)
                  .values.empty());
  EXPECT_FALSE(whole);
  // A value named twice cannot be trusted in either line: both are left out, the rest is read. GUIDs match
  // without regard to case.
  const Snapshot s = ParseSnapshotLines(
      {u"TCPNoDelay||4|01000000", u"TCPNoDelay||absent", u"TcpAckFrequency|" + a + u"|absent",
       u"TcpAckFrequency|" + AsciiLowerCase(a) + u"|4|01000000", u"SystemResponsiveness||4|14000000"},
      &whole);
  EXPECT_FALSE(whole);
  ASSERT_EQ(s.values.size(), 1u);
  EXPECT_EQ(s.values[0].target.tweak, SystemResponsiveness);
  EXPECT_EQ(s.Find({TcpAckFrequency, AsciiLowerCase(a)}), nullptr);
  // More lines than any Run writes: damaged, the first kMaxSnapshotEntries read.
  std::vector<std::u16string> many;
  for (size_t i = 0; i <= kMaxSnapshotEntries; ++i) {
    std::u16string guid = u"{00000000-0000-0000-0000-000000000000}";
    guid[8] = static_cast<char16_t>(u'0' + i % 10);
    guid[7] = static_cast<char16_t>(u'0' + i / 10);
    many.push_back(u"TcpAckFrequency|" + guid + u"|absent");
  }
  EXPECT_EQ(ParseSnapshotLines(many, &whole).values.size(), kMaxSnapshotEntries);
  EXPECT_FALSE(whole);
  many.pop_back();
  EXPECT_EQ(ParseSnapshotLines(many, &whole).values.size(), kMaxSnapshotEntries);
  EXPECT_TRUE(whole);
}

// The REG_MULTI_SZ the record and the values beside it are stored in: each line with its NUL, one more NUL
// at the end; read back, empty lines fall away and a last line without its NUL still counts.
TEST(RecordFormat, MultiSzBytesAndBack) {
  const struct {
    const char* what;
    Bytes bytes;
    std::vector<std::u16string> lines;
  } read[] = {
      {"nothing", {}, {}},
      {"only the final NUL", {0, 0}, {}},
      {"two lines", {'a', 0, 0, 0, 0xB0, 0xAC, 0, 0, 0, 0}, {u"a", u"\uACB0"}},
      {"an empty line between", {'a', 0, 0, 0, 0, 0, 'b', 0, 0, 0, 0, 0}, {u"a", u"b"}},
      {"no NUL at all", {'a', 0, 'b', 0}, {u"ab"}},
      {"an odd byte at the end", {'a', 0, 0, 0, 0, 0, 7}, {u"a"}},
  };
  for (const auto& c : read) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(DecodeMultiSz(c.bytes), c.lines);
  }
  EXPECT_EQ(EncodeMultiSz({}), (Bytes{0, 0}));
  EXPECT_EQ(EncodeMultiSz({u"a", u"\uACB0"}), (Bytes{'a', 0, 0, 0, 0xB0, 0xAC, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace tw
