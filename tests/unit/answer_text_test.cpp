#include <gtest/gtest.h>

#include "platform/text.h"
#include "update/answer_text.h"

namespace tw {
namespace {

TEST(IsControlOrFormat, ControlsFormatCharactersSeparatorsAndNoncharacters) {
  struct Case {
    char32_t c;
    bool hidden;
  };
  const Case cases[] = {
      {0x0000, true},   {0x0009, true},  {0x001F, true},  {0x0020, false}, {0x007E, false}, {0x007F, true},
      {0x0085, true},   {0x009F, true},  {0x00A0, false}, {0x00AD, true},  {0x00E9, false}, {0x0600, true},
      {0x0605, true},   {0x0606, false}, {0x061C, true},  {0x06DD, true},  {0x070F, true},  {0x180E, true},
      {0x200A, false},  {0x200B, true},  {0x200E, true},  {0x200F, true},  {0x2010, false}, {0x2028, true},
      {0x2029, true},   {0x202A, true},  {0x202E, true},  {0x202F, false}, {0x2060, true},  {0x2065, false},
      {0x2066, true},   {0x2069, true},  {0x206F, true},  {0xAC00, false}, {0xFDD0, true},  {0xFDEF, true},
      {0xFDF0, false},  {0xFEFF, true},  {0xFFF9, true},  {0xFFFB, true},  {0xFFFC, false}, {0xFFFD, false},
      {0xFFFE, true},   {0xFFFF, true},  {0x110BD, true}, {0x13430, true}, {0x1BCA0, true}, {0x1D173, true},
      {0x1F600, false}, {0x1FFFE, true}, {0xE0001, true}, {0xE0020, true}, {0xE007F, true}, {0xE0080, false},
      {0x10FFFF, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsControlOrFormat(c.c), c.hidden) << std::hex << static_cast<unsigned>(c.c);
  }
}

TEST(ShownText, CleansAndBounds) {
  struct Case {
    const char* what;
    std::u16string text;
    size_t max;
    std::u16string shown;
  };
  const Case cases[] = {
      {"plain", u"Don't ask again", 256, u"Don't ask again"},
      {"empty", u"", 256, u""},
      {"Hangul and emoji kept", u"\uB2E4\uC2DC \U0001F600", 256, u"\uB2E4\uC2DC \U0001F600"},
      {"right-to-left override", u"abc\u202Etxt.exe", 256, u"abctxt.exe"},
      {"isolates and marks", u"\u2067a\u2069\u200Eb\u200F\u061C", 256, u"ab"},
      {"zero-width and byte-order mark", u"a\u200Bb\uFEFFc\u2060", 256, u"abc"},
      {"tag characters", u"a\U000E0041\U000E007F", 256, u"a"},
      {"breaks and tabs become spaces", u"a\r\nb\tc\u2028d\u0085e", 256, u"a  b c d e"},
      {"other controls go", u"a\x01\x1B[31mb\x7F\x9B", 256, u"a[31mb"},
      {"unpaired surrogates go",
       u"a\xD800"
       u"b\xDC00"
       u"c",
       256, u"abc"},
      {"cut at the bound", u"abcdef", 4, u"abcd"},
      {"removed characters do not count", u"\u202Ea\u202Eb\u202Ec", 2, u"ab"},
      {"a pair is never split", u"ab\U0001F600", 3, u"ab"},
      {"a pair that fits is kept", u"ab\U0001F600", 4, u"ab\U0001F600"},
      {"bound zero", u"abc", 0, u""},
  };
  for (const auto& c : cases) EXPECT_EQ(ShownText(c.text, c.max), c.shown) << c.what;
}

TEST(ShownText, MegabyteOfHostileTextStaysWithinTheBound) {
  std::u16string text;
  while (text.size() < (1u << 20)) text += u"\u202E\x07\u0645\u200F\U0001F600\r\n";
  const std::u16string shown = ShownText(text);
  EXPECT_LE(shown.size(), kShownTextMax);
  EXPECT_TRUE(IsCleanText(shown, kShownTextMax)) << EncodeUtf8(shown);
  EXPECT_EQ(shown.substr(0, 5), u"\u0645\U0001F600  ");
}

TEST(IsCleanText, RefusesWhatShownTextWouldChange) {
  struct Case {
    std::u16string text;
    size_t max;
    bool clean;
  };
  const Case cases[] = {
      {u"https://a/\u00E9", 64, true},
      {u"", 0, true},
      {u"abcd", 4, true},
      {u"abcde", 4, false},
      {u"a\u202Eb", 64, false},
      {u"a\tb", 64, false},
      {u"a\xDBFF", 64, false},
      {u"\U0001F600", 64, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsCleanText(c.text, c.max), c.clean) << EncodeUtf8(c.text);
    if (c.clean) {
      EXPECT_EQ(ShownText(c.text, c.max), c.text) << EncodeUtf8(c.text);
    }
  }
}

}  // namespace
}  // namespace tw
