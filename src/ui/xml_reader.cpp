#include "ui/xml_reader.h"

#include "platform/text.h"

namespace tw {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The code point of a character reference's body ("#65", "#x41"); 0 when it is not a valid one.
unsigned long CharacterReference(std::string_view name) {
  if (name.size() < 2 || name[0] != '#') return 0;
  const bool hex = name[1] == 'x' || name[1] == 'X';
  if (name.size() <= (hex ? 2u : 1u)) return 0;
  unsigned long cp = 0;
  for (size_t k = hex ? 2 : 1; k < name.size(); ++k) {
    const int d = AsciiHexDigit(static_cast<unsigned char>(name[k]));
    if (d < 0 || (!hex && d > 9) || cp > 0x10FFFF) return 0;
    cp = cp * (hex ? 16 : 10) + static_cast<unsigned long>(d);
  }
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return cp;
}

}  // namespace

std::u16string DecodeXmlEntities(std::string_view raw) {
  std::string out;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '&') {
      out.push_back(raw[i]);
      continue;
    }
    const size_t semi = raw.find(';', i);
    if (semi == std::string_view::npos || semi - i > 10) {
      out.push_back('&');
      continue;
    }
    const std::string_view name = raw.substr(i + 1, semi - i - 1);
    static const std::map<std::string_view, char> kNamed = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    if (auto it = kNamed.find(name); it != kNamed.end()) {
      out.push_back(it->second);
    } else if (const unsigned long cp = CharacterReference(name); cp != 0) {
      std::u16string one;
      if (cp >= 0x10000) {
        one.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
        one.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
      } else {
        one.push_back(static_cast<char16_t>(cp));
      }
      out += EncodeUtf8(one);
    } else {
      out.append(raw.substr(i, semi - i + 1));
    }
    i = semi;
  }
  return DecodeUtf8(out);
}

XmlReader::Token XmlReader::Next() {
  Token t;
  while (pos_ < s_.size()) {
    if (s_[pos_] != '<') {
      const size_t lt = s_.find('<', pos_);
      t.kind = Kind::Text;
      t.text = s_.substr(pos_, lt == std::string_view::npos ? std::string_view::npos : lt - pos_);
      pos_ = lt == std::string_view::npos ? s_.size() : lt;
      return t;
    }
    if (Skip("<!--", "-->") || Skip("<?", "?>") || Skip("<![CDATA[", "]]>") || Skip("<!", ">")) continue;
    const bool end = pos_ + 1 < s_.size() && s_[pos_ + 1] == '/';
    pos_ += end ? 2 : 1;
    t.name = ReadName();
    if (t.name.empty()) return Token{};
    if (end) {
      const size_t gt = s_.find('>', pos_);
      pos_ = gt == std::string_view::npos ? s_.size() : gt + 1;
      t.kind = Kind::End;
      return t;
    }
    t.kind = Kind::Start;
    while (true) {
      SkipSpaces();
      if (pos_ >= s_.size()) return Token{};
      if (s_[pos_] == '>') {
        ++pos_;
        return t;
      }
      if (s_.substr(pos_, 2) == "/>") {
        pos_ += 2;
        t.self_closing = true;
        return t;
      }
      std::string name = ReadName();
      if (name.empty()) return Token{};
      SkipSpaces();
      if (pos_ >= s_.size() || s_[pos_] != '=') return Token{};
      ++pos_;
      SkipSpaces();
      if (pos_ >= s_.size() || (s_[pos_] != '"' && s_[pos_] != '\'')) return Token{};
      const char quote = s_[pos_++];
      const size_t close = s_.find(quote, pos_);
      if (close == std::string_view::npos) return Token{};
      t.attrs[Lower(name)] = EncodeUtf8(DecodeXmlEntities(s_.substr(pos_, close - pos_)));
      pos_ = close + 1;
    }
  }
  return t;
}

bool XmlReader::Skip(std::string_view open, std::string_view close) {
  if (s_.substr(pos_, open.size()) != open) return false;
  const size_t end = s_.find(close, pos_ + open.size());
  pos_ = end == std::string_view::npos ? s_.size() : end + close.size();
  return true;
}

std::string XmlReader::ReadName() {
  const size_t start = pos_;
  while (pos_ < s_.size() && !IsSpace(s_[pos_]) && s_[pos_] != '>' && s_[pos_] != '/' && s_[pos_] != '=') {
    ++pos_;
  }
  return std::string(s_.substr(start, pos_ - start));
}

void XmlReader::SkipSpaces() {
  while (pos_ < s_.size() && IsSpace(s_[pos_])) ++pos_;
}

}  // namespace tw
