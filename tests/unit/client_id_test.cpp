#include <gtest/gtest.h>

#include "fakes/fake_clock.h"
#include "fakes/fake_random.h"
#include "fakes/fake_registry.h"
#include "update/client_id.h"
#include "update/update.h"

namespace tw {
namespace {

constexpr char16_t kKey[] = u"Software\\Vantorel";

std::vector<std::uint8_t> Utf16Bytes(const std::u16string& s) {
  std::vector<std::uint8_t> out;
  for (char16_t c : s) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return out;
}

class ClientIdTest : public ::testing::Test {
 protected:
  ClientIdTest() { random.bytes = {0x12, 0x34, 0xAB, 0xCD, 0xBE, 0xEF, 0x00, 0x00, 0x00, 0x0F}; }
  std::u16string Get() { return ClientId(registry, random, clock); }
  test::FakeRegistry registry;
  test::FakeSecureRandom random;
  test::FakeClock clock;
};

TEST_F(ClientIdTest, CreatedOnFirstUseAndReusedAfterwards) {
  const std::u16string first = Get();
  EXPECT_EQ(first, u"1234ABCD240309BEEF1405070000000F");
  const auto create = registry.CallsOf("CreateKey");
  ASSERT_EQ(create.size(), 1u);
  EXPECT_EQ(create[0].key, reg::kCurrentUser);
  EXPECT_EQ(create[0].subkey, kKey);
  EXPECT_EQ(create[0].access, 0x2001Fu);
  const auto stored = registry.Get(reg::kCurrentUser, kKey, u"VUID");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->type, reg::kSz);
  auto expected = Utf16Bytes(first + u'\0');
  EXPECT_EQ(stored->data, expected);

  random.bytes = {1, 2, 3};
  EXPECT_EQ(Get(), first);
  EXPECT_EQ(random.draws, 1) << "a stored identifier draws nothing";
  EXPECT_EQ(registry.CallsOf("SetValue").size(), 1u);
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST_F(ClientIdTest, StoredValuesAreNeverReplaced) {
  struct Case {
    const char* name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
    std::u16string expected;
  };
  const Case cases[] = {
      {"empty text", reg::kSz, Utf16Bytes(std::u16string(1, u'\0')), u""},
      {"no bytes at all", reg::kSz, {}, u""},
      {"text without its NUL", reg::kSz, Utf16Bytes(u"ABC"), u"ABC"},
      {"old identifier", reg::kSz, Utf16Bytes(std::u16string(u"0000000119991231FFFF2359590000000A") + u'\0'),
       u"0000000119991231FFFF2359590000000A"},
      {"another type", reg::kDword, {1, 0, 0, 0}, u""},
  };
  for (const auto& c : cases) {
    test::FakeRegistry fresh;
    fresh.Put(reg::kCurrentUser, kKey, u"VUID", c.type, c.data);
    EXPECT_EQ(ClientId(fresh, random, clock), c.expected) << c.name;
    EXPECT_TRUE(fresh.CallsOf("SetValue").empty()) << c.name;
    EXPECT_EQ(fresh.OpenHandles(), 0u) << c.name;
  }
}

TEST_F(ClientIdTest, RegistryFailuresGiveTheEmptyIdentifier) {
  {
    test::FakeRegistry r;
    r.fail_create = reg::kAccessDenied;
    EXPECT_EQ(ClientId(r, random, clock), u"");
    EXPECT_EQ(r.calls.size(), 1u);
  }
  {
    test::FakeRegistry r;
    r.fail_set = reg::kAccessDenied;
    EXPECT_EQ(ClientId(r, random, clock), u"");
    EXPECT_EQ(r.OpenHandles(), 0u);
  }
  {
    // Without the system's generator no identifier is made up: nothing is stored, a later run tries again.
    test::FakeRegistry r;
    test::FakeSecureRandom broken;
    broken.fail = true;
    EXPECT_EQ(ClientId(r, broken, clock), u"");
    EXPECT_TRUE(r.CallsOf("SetValue").empty());
    EXPECT_EQ(r.OpenHandles(), 0u);
  }
  {
    // A value that cannot be read is not taken for a missing one: it is left alone.
    test::FakeRegistry r;
    r.Put(reg::kCurrentUser, kKey, u"VUID", reg::kSz, Utf16Bytes(std::u16string(u"KEEP") + u'\0'));
    r.fail_query = reg::kAccessDenied;
    EXPECT_EQ(ClientId(r, random, clock), u"");
    EXPECT_TRUE(r.CallsOf("SetValue").empty());
    EXPECT_EQ(r.OpenHandles(), 0u);
  }
}

TEST(ClientIdToSend, OnlyThirtyTwoHexadecimalDigitsAreSent) {
  struct Case {
    const char* what;
    std::u16string stored;
    bool sent;
  };
  const Case cases[] = {
      {"a new identifier", u"1234ABCD240309BEEF1405070000000F", true},
      {"lower-case digits", u"1234abcd240309beef1405070000000f", true},
      {"empty", u"", false},
      {"one digit short", u"1234ABCD240309BEEF1405070000000", false},
      {"one digit more", u"1234ABCD240309BEEF1405070000000F0", false},
      {"34 digits", u"0000000119991231FFFF2359590000000A", false},
      {"a letter past F", u"1234ABCD240309BEEF1405070000000G", false},
      {"a space", u"1234ABCD240309BEEF140507 000000F", false},
      {"a line break", u"1234ABCD240309BEEF14050700000\r\nF", false},
      {"full-width digits", u"\uFF11234ABCD240309BEEF1405070000000F", false},
      {"a NUL inside", std::u16string(u"1234ABCD240309BE\0F1405070000000F", 32), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClientIdToSend(c.stored), c.sent ? c.stored : u"") << c.what;
  }
}

}  // namespace
}  // namespace tw
