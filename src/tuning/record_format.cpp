#include "tuning/record_format.h"

#include <optional>

#include "platform/registry.h"
#include "platform/text.h"

namespace tw {
namespace {

constexpr char16_t kAbsent[] = u"absent";
constexpr char16_t kHex[] = u"0123456789abcdef";

bool SameTarget(const TweakTarget& a, const TweakTarget& b) {
  return a.tweak == b.tweak && AsciiEqualsIgnoreCase(a.adapter, b.adapter);
}

std::vector<std::u16string> Split(const std::u16string& line, char16_t separator) {
  std::vector<std::u16string> fields;
  size_t start = 0;
  for (size_t at = line.find(separator); at != std::u16string::npos; at = line.find(separator, start)) {
    fields.push_back(line.substr(start, at - start));
    start = at + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

std::optional<std::uint32_t> ParseType(const std::u16string& text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  std::uint64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - u'0');
  }
  if (value > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::optional<std::vector<std::uint8_t>> ParseHex(const std::u16string& text) {
  if (text.size() % 2) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() / 2);
  for (size_t i = 0; i < text.size(); i += 2) {
    const int high = AsciiHexDigit(text[i]), low = AsciiHexDigit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
  }
  return bytes;
}

std::optional<SavedValue> ParseLine(const std::u16string& line) {
  const std::vector<std::u16string> fields = Split(line, u'|');
  if (fields.size() != 3 && fields.size() != 4) return std::nullopt;
  const std::optional<TweakId> tweak = TweakNamed(fields[0]);
  if (!tweak) return std::nullopt;
  SavedValue saved;
  saved.target = {*tweak, fields[1]};
  if (!Recordable(saved.target)) return std::nullopt;
  if (fields.size() == 3) {
    if (fields[2] != kAbsent) return std::nullopt;
    return saved;
  }
  const auto type = ParseType(fields[2]);
  auto data = ParseHex(fields[3]);
  if (!type || !data || !IsValueType(*type) || data->size() > kMaxSavedBytes) return std::nullopt;
  saved.existed = true;
  saved.type = *type;
  saved.data = std::move(*data);
  return saved;
}

}  // namespace

const SavedValue* Snapshot::Find(const TweakTarget& target) const {
  for (const auto& saved : values) {
    if (SameTarget(saved.target, target)) return &saved;
  }
  return nullptr;
}

bool IsGuidText(const std::u16string& text) {
  if (text.size() != 38 || text.front() != u'{' || text.back() != u'}') return false;
  for (size_t i = 1; i < 37; ++i) {
    const bool hyphen = i == 9 || i == 14 || i == 19 || i == 24;
    if (hyphen ? text[i] != u'-' : AsciiHexDigit(text[i]) < 0) return false;
  }
  return true;
}

bool IsValueType(std::uint32_t type) {
  return type <= reg::kQword;
}

bool Recordable(const TweakTarget& target) {
  return PerInterface(TweakOf(target.tweak)) ? IsGuidText(target.adapter) : target.adapter.empty();
}

std::vector<std::u16string> SnapshotLines(const Snapshot& snapshot) {
  std::vector<std::u16string> lines;
  for (const auto& saved : snapshot.values) {
    std::u16string line = TweakOf(saved.target.tweak).value;
    line += u'|';
    line += saved.target.adapter;
    line += u'|';
    if (!saved.existed) {
      line += kAbsent;
    } else {
      line += ToText(saved.type);
      line += u'|';
      for (std::uint8_t byte : saved.data) {
        line += kHex[byte >> 4];
        line += kHex[byte & 15];
      }
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

Snapshot ParseSnapshotLines(const std::vector<std::u16string>& lines, bool* whole) {
  Snapshot parsed;
  std::vector<TweakTarget> twice;
  bool all = lines.size() <= kMaxSnapshotEntries;
  for (std::size_t i = 0; i < lines.size() && i < kMaxSnapshotEntries; ++i) {
    auto saved = ParseLine(lines[i]);
    if (!saved) {
      all = false;
    } else if (parsed.Find(saved->target)) {
      all = false;
      twice.push_back(saved->target);
    } else {
      parsed.values.push_back(std::move(*saved));
    }
  }
  Snapshot snapshot;
  for (auto& saved : parsed.values) {
    bool doubled = false;
    for (const auto& target : twice) doubled = doubled || SameTarget(target, saved.target);
    if (!doubled) snapshot.values.push_back(std::move(saved));
  }
  if (whole) *whole = all;
  return snapshot;
}

std::vector<std::uint8_t> EncodeMultiSz(const std::vector<std::u16string>& lines) {
  std::vector<std::uint8_t> bytes;
  auto put = [&bytes](char16_t c) {
    bytes.push_back(static_cast<std::uint8_t>(c));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  };
  for (const auto& line : lines) {
    for (char16_t c : line) put(c);
    put(0);
  }
  put(0);
  return bytes;
}

std::vector<std::u16string> DecodeMultiSz(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::u16string> lines;
  std::u16string line;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto c = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
    if (c) {
      line += c;
    } else if (!line.empty()) {
      lines.push_back(std::move(line));
      line.clear();
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

}  // namespace tw
