#include <gtest/gtest.h>

#include "platform/error.h"
#include "update/strings.h"

namespace tw {
namespace {

TEST(ExtractBetweenAt, Table) {
  struct Case {
    const char* name;
    std::u16string source, start, end;
    int position_in;
    std::u16string value;
    int position_out;
  };
  const Case cases[] = {
      {"plain value", u"{\"update\":\"http://a\"}", u"\"update\":\"", u"\"", 1, u"http://a", 21},
      {"escaped quote kept whole", u"{\"t\":\"a\\\"b\",\"x\":1}", u"\"t\":\"", u"\"", 1, u"a\\\"b", 12},
      {"upper-case marker finds lower-case key", u"{\"update\":\"x\"}", u"\"UPDATE\":\"", u"\"", 1, u"x", 14},
      {"mixed case in the source", u"{\"UpDaTe\":\"x\"}", u"\"update\":\"", u"\"", 1, u"x", 14},
      {"value keeps its own letter case", u"[AbC]", u"[", u"]", 1, u"AbC", 6},
      {"non-ASCII letters are not folded", u"<\u00e9>v</\u00e9>", u"<\u00c9>", u"<", 1, u"", 0},
      {"non-ASCII marker matching exactly", u"<\u00e9>v</\u00e9>", u"<\u00e9>", u"<", 1, u"v", 6},
      {"start marker missing", u"{\"notify\":\"x\"}", u"\"update\":\"", u"\"", 1, u"", 0},
      {"end marker missing: not the rest", u"{\"update\":\"abc", u"\"update\":\"", u"\"", 1, u"", 0},
      {"empty start marker", u"abc]def", u"", u"]", 1, u"abc", 5},
      {"empty start marker ignores the position", u"abc]def", u"", u"]", 0, u"abc", 5},
      {"both markers empty: whole source", u"abc", u"", u"", 1, u"abc", 5},
      {"empty end marker runs to the end", u"k=value", u"=", u"", 1, u"value", 9},
      {"position 0", u"[a]", u"[", u"]", 0, u"", 0},
      {"negative position", u"[a]", u"[", u"]", -3, u"", 0},
      {"position past the end", u"[a]", u"[", u"]", 9, u"", 0},
      {"position skips the first occurrence", u"[a][b]", u"[", u"]", 2, u"b", 7},
      // The masking turns \\" into \\\\, so the closing quote of a value ending in an escaped backslash is
      // not seen and the value runs on to the next quote.
      {"escaped backslash before the quote", u"\"a\":\"x\\\\\",\"b\":\"y\"", u"\"a\":\"", u"\"", 1,
       u"x\\\\\",", 12},
      {"single-quote end marker is masked too", u"['a\\'b']", u"['", u"'", 1, u"a\\'b", 8},
      {"other end markers are not masked", u"(a\\)b)", u"(", u")", 1, u"a\\", 5},
      {"marker at the very end", u"abc[", u"[", u"]", 1, u"", 0},
      {"empty value", u"\"k\":\"\"", u"\"k\":\"", u"\"", 1, u"", 7},
      {"empty source", u"", u"[", u"]", 1, u"", 0},
  };
  for (const auto& c : cases) {
    int position = c.position_in;
    EXPECT_EQ(ExtractBetweenAt(c.source, c.start, c.end, &position), c.value) << c.name;
    EXPECT_EQ(position, c.position_out) << c.name;
  }
}

TEST(ExtractBetweenAt, WalksSuccessiveValues) {
  const std::u16string source = u"<a>1</a><a>22</a><a>333</a>";
  int position = 1;
  std::vector<std::u16string> found;
  for (;;) {
    std::u16string v = ExtractBetweenAt(source, u"<A>", u"</A>", &position);
    if (position == 0) break;
    found.push_back(v);
  }
  EXPECT_EQ(found, (std::vector<std::u16string>{u"1", u"22", u"333"}));
}

TEST(ExtractBetween, KeepMarkers) {
  struct Case {
    std::u16string source, start, end;
    bool keep;
    std::u16string expected;
  };
  const Case cases[] = {
      {u"x[a]y", u"[", u"]", false, u"a"},
      {u"x[a]y", u"[", u"]", true, u"[a]"},
      {u"x[   ]y", u"[", u"]", true, u"   "},        // blank value: no markers
      {u"x[\t\r\n]y", u"[", u"]", true, u"\t\r\n"},  // control characters count as blank
      {u"x[ a ]y", u"[", u"]", true, u"[ a ]"},      // untrimmed inside the markers
      {u"x[]y", u"[", u"]", true, u""},
      {u"x<B>a</b>y", u"<b>", u"</B>", true, u"<b>a</B>"},  // markers as passed, not as found
      {u"xy", u"[", u"]", true, u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractBetween(c.source, c.start, c.end, c.keep), c.expected) << "case index " << (&c - cases);
  }
}

TEST(JsonUnescape, Table) {
  struct Case {
    std::u16string in, out;
  };
  const Case cases[] = {
      {u"plain", u"plain"},
      {u"", u""},
      {u"a\\\"b", u"a\"b"},
      {u"\\'\\/\\\\", u"'/\\"},
      {u"\\b\\f\\n\\r\\t", u"\b\f\n\r\t"},
      {u"caf\\u00e9", u"caf\u00e9"},
      {u"\\u00C9", u"\u00c9"},
      {u"\\ud83d\\ude00", u"\U0001F600"},  // a surrogate pair arrives as two escapes
      {u"\\u0041BC", u"ABC"},              // only four digits are taken
      {u"x\\qy", u"xy"},                   // unknown escape: both vanish
      {u"x\\N1", u"x1"},                   // escape letters are case-sensitive
      {u"\\U00e9", u"00e9"},
      {u"end\\", u"end"},
      {u"\\u41", u"A"},  // short \u at the end
      {u"\\u4", u"\u0004"},
      {u"\\\\u0041", u"\\u0041"},  // an escaped backslash is not the start of an escape
  };
  for (const auto& c : cases) EXPECT_EQ(JsonUnescape(c.in), c.out) << "case index " << (&c - cases);
}

TEST(JsonUnescape, MalformedUnicodeEscapeRaises) {
  const std::u16string cases[] = {u"\\uzzzz", u"\\u12g4", u"a\\u", u"\\u 123", u"\\u-123", u"\\u+1"};
  for (const auto& c : cases) EXPECT_THROW(JsonUnescape(c), Error) << "case index " << (&c - cases);
}

TEST(ExtractBetweenThenUnescape, EscapedQuoteBecomesPlainQuote) {
  const std::u16string answer = u"{\"info\":{\"text\":\"say \\\"hi\\\"\"}}";
  EXPECT_EQ(JsonUnescape(ExtractBetween(answer, u"\"text\":\"", u"\"")), u"say \"hi\"");
}

}  // namespace
}  // namespace tw
