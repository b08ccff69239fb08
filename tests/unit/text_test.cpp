#include <gtest/gtest.h>

#include "platform/text.h"

namespace tw {
namespace {

TEST(Utf8, RoundTripsAcrossPlanes) {
  const std::u16string text = u"a\u00e9\ud15c\U0001F600";
  EXPECT_EQ(DecodeUtf8(EncodeUtf8(text)), text);
  EXPECT_EQ(DecodeUtf8Strict(EncodeUtf8(text)), text);
}

TEST(Utf8, MalformedInput) {
  struct Case {
    std::string bytes;
    std::u16string lenient;
  };
  const Case cases[] = {
      {"\xff", u"\uFFFD"},              // not a lead byte
      {"a\xc3", u"a\uFFFD"},            // truncated sequence
      {"\xc0\xaf", u"\uFFFD"},          // overlong encoding of '/'
      {"\xed\xa0\x80", u"\uFFFD"},      // encoded surrogate
      {"\xf4\x90\x80\x80", u"\uFFFD"},  // beyond U+10FFFF
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeUtf8(c.bytes), c.lenient);
    EXPECT_FALSE(DecodeUtf8Strict(c.bytes).has_value());
  }
}

TEST(AsciiCase, FoldsOnlyAsciiLetters) {
  EXPECT_EQ(AsciiUpperCase(u"abc\u00e9z"), u"ABC\u00e9Z");
  EXPECT_TRUE(AsciiEqualsIgnoreCase(u"ImgLogo", u"imglogo"));
  EXPECT_FALSE(AsciiEqualsIgnoreCase(u"\u00c9", u"\u00e9"));
  EXPECT_FALSE(AsciiEqualsIgnoreCase(u"abc", u"abcd"));
}

}  // namespace
}  // namespace tw
