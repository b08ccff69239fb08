#include <gtest/gtest.h>

#include "ui/rich_text.h"

namespace tw {
namespace {

const TColor kGray{128, 128, 128};
const TColor kRed{255, 0, 0};

RichRun R(std::u16string text, bool bold = false, std::optional<TColor> color = std::nullopt) {
  return RichRun{std::move(text), bold, color};
}
RichLine L(bool centered, std::vector<RichRun> runs) {
  return RichLine{centered, std::move(runs)};
}

TEST(RichText, SloganMarkup) {
  const auto lines = ParseRichText(u"<C><FC:clGray>Easily improve <B>game responsiveness</B>.</FC></C>");
  const std::vector<RichLine> expected = {L(
      true,
      {R(u"Easily improve ", false, kGray), R(u"game responsiveness", true, kGray), R(u".", false, kGray)})};
  EXPECT_EQ(lines, expected);
}

TEST(RichText, Cases) {
  struct Case {
    std::u16string markup;
    std::vector<RichLine> lines;
  };
  const Case cases[] = {
      {u"", {L(false, {})}},
      {u"plain", {L(false, {R(u"plain")})}},
      // Tags in any letter case; a closing tag without its opening one is ignored.
      {u"<b>a</B></b>b", {L(false, {R(u"a", true), R(u"b")})}},
      // Unknown tags, unknown colours and a lone '<' stay text.
      {u"a<X>b", {L(false, {R(u"a<X>b")})}},
      {u"<FC:clNoSuch>x</FC>", {L(false, {R(u"<FC:clNoSuch>x")})}},
      {u"1 < 2", {L(false, {R(u"1 < 2")})}},
      {u"<B", {L(false, {R(u"<B")})}},
      // Lines; only the centred one is centred; CRLF is one break.
      {u"top\r\n<C>mid</C>\nend", {L(false, {R(u"top")}), L(true, {R(u"mid")}), L(false, {R(u"end")})}},
      // Nested colours restore the outer one.
      {u"<FC:clRed>r<FC:clGray>g</FC>r</FC>",
       {L(false, {R(u"r", false, kRed), R(u"g", false, kGray), R(u"r", false, kRed)})}},
      // Adjacent runs with the same look merge.
      {u"<B>a</B><B>b</B>", {L(false, {R(u"ab", true)})}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseRichText(c.markup), c.lines) << std::string(c.markup.begin(), c.markup.end());
  }
}

TEST(RichText, PlainTextDropsTagsOnly) {
  EXPECT_EQ(RichPlainText(u"<C><FC:clGray><B>\uAC8C\uC784</B> ok</FC></C>"), u"\uAC8C\uC784 ok");
  EXPECT_EQ(RichPlainText(u"a<X>b\nc"), u"a<X>b\r\nc");
  EXPECT_EQ(RichPlainText(u""), u"");
}

TEST(RichText, NamedColours) {
  EXPECT_EQ(NamedColor(u"clGray"), kGray);
  EXPECT_EQ(NamedColor(u"CLGRAY"), kGray);
  EXPECT_EQ(NamedColor(u"gray"), std::nullopt);
}

}  // namespace
}  // namespace tw
