#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ui/xml_reader.h"

namespace tw {
namespace {

// The tokens up to Done, each written out compactly: <name a="v"> or <name/> for a start, </name> for an
// end, "text" for character data.
std::vector<std::string> Tokens(std::string_view xml) {
  XmlReader reader(xml);
  std::vector<std::string> out;
  for (auto t = reader.Next(); t.kind != XmlReader::Kind::Done; t = reader.Next()) {
    std::string s;
    switch (t.kind) {
      case XmlReader::Kind::Start:
        s.append("<").append(t.name);
        for (const auto& [name, value] : t.attrs)
          s.append(" ").append(name).append("=\"").append(value).append("\"");
        s.append(t.self_closing ? "/>" : ">");
        break;
      case XmlReader::Kind::End:
        s.append("</").append(t.name).append(">");
        break;
      case XmlReader::Kind::Text:
        s.append("\"").append(t.text).append("\"");
        break;
      case XmlReader::Kind::Done:
        break;
    }
    out.push_back(std::move(s));
  }
  return out;
}

using Strings = std::vector<std::string>;

TEST(XmlReader, ElementsAttributesAndText) {
  struct Case {
    const char* xml;
    Strings tokens;
  };
  const Case cases[] = {
      {"<svg><g/>hi</svg>", {"<svg>", "<g/>", "\"hi\"", "</svg>"}},
      // Either quote, spaces around '=', names lower-cased, values decoded; element names as written.
      {"<Rect  X = '1' Fill=\"a&amp;b\" title='&#x41;\"'/>", {"<Rect fill=\"a&b\" title=\"A\"\" x=\"1\"/>"}},
      // Comments (even with markup inside), processing instructions, CDATA and declarations are skipped.
      {"<?xml version=\"1.0\"?><!DOCTYPE svg><!-- <rect/> --><svg><![CDATA[<g>]]></svg>",
       {"<svg>", "</svg>"}},
      // Character data is handed over raw: its references are the caller's to decode.
      {"<t> a &amp; b </t>", {"<t>", "\" a &amp; b \"", "</t>"}},
      {"no markup", {"\"no markup\""}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Tokens(c.xml), c.tokens) << c.xml;
}

TEST(XmlReader, MarkupThatCannotBeReadEndsTheStream) {
  struct Case {
    const char* xml;
    Strings tokens;
  };
  const Case cases[] = {
      {"<svg><rect width='5' hei", {"<svg>"}},  // a tag cut off
      {"<svg width='5", {}},                    // a value never closed
      {"<svg", {}},
      {"<svg a=5>", {}},  // a value without quotes
      {"<svg a>", {}},    // an attribute without a value
      {"<svg =\"1\">", {}},
      {"<><svg/>", {}},  // a '<' with no name after it
      {"text < more", {"\"text \""}},
      {"<svg></svg", {"<svg>", "</svg>"}},            // an end tag cut off still ends its element
      {"<svg><!-- never closed <rect/>", {"<svg>"}},  // a comment runs to the end
      {"<svg><?pi never closed <rect/>", {"<svg>"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Tokens(c.xml), c.tokens) << c.xml;
}

TEST(XmlReader, DeepNestingIsReadAsAFlatStream) {
  // Far deeper than any call stack would take, if the reader recursed.
  constexpr int kDepth = 200000;
  std::string xml;
  for (int i = 0; i < kDepth; ++i) xml += "<g>";
  for (int i = 0; i < kDepth; ++i) xml += "</g>";
  XmlReader reader(xml);
  int index = 0;
  for (auto t = reader.Next(); t.kind != XmlReader::Kind::Done; t = reader.Next(), ++index) {
    ASSERT_EQ(t.kind, index < kDepth ? XmlReader::Kind::Start : XmlReader::Kind::End) << index;
  }
  EXPECT_EQ(index, 2 * kDepth);
}

TEST(XmlEntities, ReferencesAreDecodedAndAnythingElseKeptAsWritten) {
  struct Case {
    const char* raw;
    std::u16string text;
  };
  const Case cases[] = {
      {"&amp;&lt;&gt;&quot;&apos;", u"&<>\"'"},
      {"&#65;&#x42;&#X43;&#xd55c;", u"ABC\uD55C"},
      {"&#x1F600;", u"\U0001F600"},  // beyond the BMP: a surrogate pair
      {"&#1114111;", u"\U0010FFFF"},
      // Malformed references stay as they were written, and so does a '&' that starts none.
      {"&bogus; &AMP;", u"&bogus; &AMP;"},
      {"a & b; c &amp;", u"a & b; c &"},
      {"&#; &#x; &#12a; &#xG;", u"&#; &#x; &#12a; &#xG;"},
      {"&#0; &#xD800; &#xDFFF; &#x110000; &#99999999;", u"&#0; &#xD800; &#xDFFF; &#x110000; &#99999999;"},
      // A '&' whose ';' is missing, or too far on to end a reference.
      {"AT&T", u"AT&T"},
      {"&amp", u"&amp"},
      {"&#x0000000041;", u"&#x0000000041;"},
      // The bytes around the references are UTF-8; what is not becomes U+FFFD.
      {"\xED\x85\x9C&amp;\xFF", u"\uD15C&\uFFFD"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeXmlEntities(c.raw), c.text) << c.raw;
}

}  // namespace
}  // namespace tw
