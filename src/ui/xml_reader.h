// A minimal XML reader for the vector image's documents: elements, attributes and character data, read as a
// flat stream of tokens; comments, processing instructions, CDATA sections and declarations are skipped.
// It keeps no stack of open elements (matching end tags is the caller's business), so a deep nesting costs
// nothing here. It never fails: where the markup stops making sense the stream ends, and the caller keeps
// what it has read, the way browsers render up to the first error.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace tw {

// Attribute names lower-cased, values with their references decoded, as UTF-8.
using XmlAttributes = std::map<std::string, std::string>;

// Decodes the references of character data or an attribute value: the five predefined entities, and
// &#n; / &#xh; for a code point other than zero and the surrogates. Any other '&' is kept as written, as is
// a reference whose ';' is missing or further than ten characters on. Malformed UTF-8 becomes U+FFFD.
std::u16string DecodeXmlEntities(std::string_view raw);

class XmlReader {
 public:
  explicit XmlReader(std::string_view utf8) : s_(utf8) {}

  enum class Kind { Start, End, Text, Done };
  struct Token {
    Kind kind = Kind::Done;
    std::string name;  // Start and End, as written
    XmlAttributes attrs;
    bool self_closing = false;
    std::string_view text;  // Text: the raw character data, references not yet decoded
  };

  // The next token; Done at the end of the input and at markup that cannot be read (a tag cut off, an
  // attribute without a quoted value, a '<' with no name after it). The caller stops at Done.
  Token Next();

 private:
  // Skips a construct from `open` to `close` (or to the end of the input) when it starts here.
  bool Skip(std::string_view open, std::string_view close);
  std::string ReadName();
  void SkipSpaces();

  std::string_view s_;
  size_t pos_ = 0;
};

}  // namespace tw
