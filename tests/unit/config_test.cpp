#include <gtest/gtest.h>

#include <optional>
#include <variant>

#include "fakes/fake_registry.h"
#include "platform/error.h"
#include "platform/text.h"
#include "settings/config.h"

namespace tw {
namespace {

using test::FakeRegistry;
using Bytes = std::vector<std::uint8_t>;

const std::u16string kKey = u"Software\\Tempowave";

Bytes Utf16z(const std::u16string& text) {
  Bytes b;
  for (char16_t c : text) b.insert(b.end(), {std::uint8_t(c), std::uint8_t(c >> 8)});
  b.insert(b.end(), {0, 0});
  return b;
}

std::string Utf8(const std::u16string& s) {
  return EncodeUtf8(s);
}

TEST(TConfig, CreateOpensOrCreatesTheKeyWithAllAccess) {
  FakeRegistry registry;
  {
    TConfig config(registry, u"Tempowave");
    EXPECT_TRUE(registry.KeyExists(reg::kCurrentUser, kKey));
    EXPECT_EQ(registry.ValueCount(reg::kCurrentUser, kKey), 0u);
    const auto create = registry.CallsOf("CreateKey").at(0);
    EXPECT_EQ(create.key, reg::kCurrentUser);
    EXPECT_EQ(create.subkey, kKey);
    EXPECT_EQ(create.options, reg::kOptionNonVolatile);
    EXPECT_EQ(create.access, 0xF003Fu);  // no 64-bit view flag: HKCU is not redirected
    EXPECT_EQ(registry.OpenHandles(), 1u);
  }
  EXPECT_EQ(registry.OpenHandles(), 0u);

  TConfig deeper(registry, u"Vantorel\\Sub");
  EXPECT_TRUE(registry.KeyExists(reg::kCurrentUser, u"Software\\Vantorel\\Sub"));
}

TEST(TConfig, WritesStoreTheDocumentedLayoutAndReturnTheirValue) {
  FakeRegistry registry;
  TConfig config(registry, u"Tempowave");
  EXPECT_EQ(config.WriteInteger(u"i", -1), -1);
  EXPECT_EQ(config.WriteInteger(u"big", 0x01020304), 0x01020304);
  EXPECT_TRUE(config.WriteBoolean(u"t", true));
  EXPECT_FALSE(config.WriteBoolean(u"f", false));
  EXPECT_EQ(config.WriteString(u"s", u"\uC801\uC6A9 ok"), u"\uC801\uC6A9 ok");
  EXPECT_EQ(config.WriteString(u"empty", u""), u"");

  const struct {
    std::u16string name;
    std::uint32_t type;
    Bytes data;
  } expected[] = {
      {u"i", reg::kDword, {0xFF, 0xFF, 0xFF, 0xFF}},
      {u"big", reg::kDword, {4, 3, 2, 1}},
      {u"t", reg::kDword, {1, 0, 0, 0}},
      {u"f", reg::kDword, {0, 0, 0, 0}},
      {u"s", reg::kSz, {0x01, 0xC8, 0xA9, 0xC6, ' ', 0, 'o', 0, 'k', 0, 0, 0}},
      {u"empty", reg::kSz, {0, 0}},
  };
  for (const auto& e : expected) {
    const auto v = registry.Get(reg::kCurrentUser, kKey, e.name);
    ASSERT_TRUE(v) << Utf8(e.name);
    EXPECT_EQ(v->type, e.type) << Utf8(e.name);
    EXPECT_EQ(v->data, e.data) << Utf8(e.name);
  }
  EXPECT_EQ(config.ReadInteger(u"i", 0), -1);
  EXPECT_EQ(config.ReadString(u"s", u"d"), u"\uC801\uC6A9 ok");
}

// What each read makes of a value stored by hand: a result, or the exact error message.
TEST(TConfig, ReadAcceptsOnlyTheTypesThatFit) {
  enum Read { kInteger, kBoolean, kString };
  using Result = std::variant<std::int32_t, bool, std::u16string>;
  const std::u16string invalid = u"Invalid data type for 'v'";
  const std::u16string failed = u"Failed to get data for 'v'";
  const struct {
    const char* what;
    std::uint32_t type;
    Bytes data;
    Read read;
    std::optional<Result> result;  // nullopt: the error below
    std::u16string error;
  } cases[] = {
      {"dword", reg::kDword, {0x2A, 0, 0, 0}, kInteger, Result(std::int32_t(42)), u""},
      {"dword -1", reg::kDword, {0xFF, 0xFF, 0xFF, 0xFF}, kInteger, Result(std::int32_t(-1)), u""},
      {"big-endian dword not swapped",
       reg::kDwordBigEndian,
       {1, 0, 0, 0},
       kInteger,
       Result(std::int32_t(1)),
       u""},
      {"short dword zero-filled", reg::kDword, {5}, kInteger, Result(std::int32_t(5)), u""},
      {"dword 2 as boolean", reg::kDword, {2, 0, 0, 0}, kBoolean, Result(true), u""},
      {"dword -1 as boolean", reg::kDword, {0xFF, 0xFF, 0xFF, 0xFF}, kBoolean, Result(true), u""},
      {"dword 0 as boolean", reg::kDword, {0, 0, 0, 0}, kBoolean, Result(false), u""},
      {"sz \"1\" as boolean", reg::kSz, Utf16z(u"1"), kBoolean, std::nullopt, invalid},
      {"sz \"1\" as integer", reg::kSz, Utf16z(u"1"), kInteger, std::nullopt, invalid},
      {"sz of two characters as boolean", reg::kSz, Utf16z(u"10"), kBoolean, std::nullopt, failed},
      {"qword as integer", reg::kQword, {1, 0, 0, 0, 0, 0, 0, 0}, kInteger, std::nullopt, failed},
      {"binary of 4 bytes as integer", reg::kBinary, {1, 0, 0, 0}, kInteger, std::nullopt, invalid},
      {"sz", reg::kSz, Utf16z(u"hello"), kString, Result(u"hello"), u""},
      {"expand-sz unexpanded", reg::kExpandSz, Utf16z(u"%TEMP%\\x"), kString, Result(u"%TEMP%\\x"), u""},
      {"sz up to the first NUL", reg::kSz, {'a', 0, 0, 0, 'b', 0, 0, 0}, kString, Result(u"a"), u""},
      {"sz without terminator", reg::kSz, {'a', 0, 'b', 0}, kString, Result(u"ab"), u""},
      {"no data at all", reg::kSz, {}, kString, Result(u""), u""},
      {"no data, any type", reg::kBinary, {}, kString, Result(u""), u""},
      {"dword as string", reg::kDword, {1, 0, 0, 0}, kString, std::nullopt, invalid},
      {"multi-sz as string", reg::kMultiSz, {'a', 0, 0, 0, 0, 0}, kString, std::nullopt, invalid},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeRegistry registry;
    registry.Put(reg::kCurrentUser, kKey, u"v", c.type, c.data);
    TConfig config(registry, u"Tempowave");
    auto read = [&]() -> Result {
      switch (c.read) {
        case kInteger:
          return config.ReadInteger(u"v", 99);
        case kBoolean:
          return config.ReadBoolean(u"v", false);
        case kString:
          return config.ReadString(u"v", u"default");
      }
      return 0;
    };
    if (c.result) {
      EXPECT_EQ(read(), *c.result);
    } else {
      try {
        read();
        ADD_FAILURE() << "no error raised";
      } catch (const Error& e) {
        EXPECT_EQ(e.message(), c.error);
      }
      // The store stays usable after the error.
      EXPECT_EQ(config.ReadInteger(u"missing", 3), 3);
      EXPECT_EQ(config.WriteInteger(u"after", 4), 4);
      EXPECT_EQ(config.ReadInteger(u"after", 0), 4);
    }
    EXPECT_EQ(registry.Get(reg::kCurrentUser, kKey, u"v")->data, c.data);  // a read never writes
  }
}

TEST(TConfig, ErrorNamesTheValue) {
  FakeRegistry registry;
  registry.PutString(reg::kCurrentUser, kKey, u"TcpNoDelay", reg::kSz, u"1");
  TConfig config(registry, u"Tempowave");
  try {
    config.ReadBoolean(u"TcpNoDelay", true);
    ADD_FAILURE() << "no error raised";
  } catch (const Error& e) {
    EXPECT_EQ(e.message(), u"Invalid data type for 'TcpNoDelay'");
    EXPECT_STREQ(e.what(), "Invalid data type for 'TcpNoDelay'");
  }
}

TEST(TConfig, MissingValuesGiveDefaultsAndWriteNothing) {
  FakeRegistry registry;
  TConfig config(registry, u"Tempowave");
  EXPECT_TRUE(config.ReadBoolean(u"TcpNoDelay", true));
  EXPECT_FALSE(config.ReadBoolean(u"TcpNoDelay", false));
  EXPECT_EQ(config.ReadInteger(u"status", -7), -7);
  EXPECT_EQ(config.ReadString(u"name", u"dflt"), u"dflt");
  EXPECT_EQ(registry.ValueCount(reg::kCurrentUser, kKey), 0u);
  EXPECT_TRUE(registry.CallsOf("SetValue").empty());
}

TEST(TConfig, UnavailableKeyGivesDefaultsAndSilentWrites) {
  FakeRegistry registry;
  registry.fail_create = reg::kAccessDenied;
  {
    TConfig config(registry, u"Tempowave");
    EXPECT_EQ(config.ReadInteger(u"status", 5), 5);
    EXPECT_TRUE(config.ReadBoolean(u"x", true));
    EXPECT_EQ(config.ReadString(u"s", u"d"), u"d");
    EXPECT_EQ(config.WriteInteger(u"status", 1), 1);
    EXPECT_TRUE(config.WriteBoolean(u"x", true));
    EXPECT_EQ(config.WriteString(u"s", u"v"), u"v");
  }
  EXPECT_FALSE(registry.KeyExists(reg::kCurrentUser, kKey));
  EXPECT_TRUE(registry.CallsOf("CloseKey").empty());
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST(TConfig, RefusedWritesAreDroppedSilently) {
  FakeRegistry registry;
  registry.PutDword(reg::kCurrentUser, kKey, u"status", 0);
  registry.fail_set = reg::kAccessDenied;
  TConfig config(registry, u"Tempowave");
  EXPECT_EQ(config.WriteInteger(u"status", 1), 1);
  EXPECT_TRUE(config.WriteBoolean(u"b", true));
  EXPECT_EQ(config.WriteString(u"s", u"x"), u"x");
  EXPECT_EQ(config.ReadInteger(u"status", 9), 0);
  EXPECT_EQ(registry.ValueCount(reg::kCurrentUser, kKey), 1u);
}

TEST(TConfig, InstancesShareTheKeyAndCacheNothing) {
  FakeRegistry registry;
  TConfig a(registry, u"Tempowave");
  TConfig b(registry, u"Tempowave");
  EXPECT_EQ(a.ReadInteger(u"status", 0), 0);
  b.WriteInteger(u"status", 1);
  EXPECT_EQ(a.ReadInteger(u"status", 0), 1);
  EXPECT_EQ(registry.OpenHandles(), 2u);
}

}  // namespace
}  // namespace tw
