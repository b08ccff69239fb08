// The record's text: the machine's own values from before Run (a Snapshot) as the lines stored in the
// registry, and back. Pure: no registry here, so that what the program reads from the machine can be checked
// alone. One line per value:
//   <value name>|<adapter GUID, empty for the machine-wide keys>|absent
//   <value name>|<adapter GUID>|<registry type, decimal>|<data, two hex digits per byte>
// A line that does not parse, two lines for one value, a type no registry value can have, or more than
// kMaxSnapshotEntries lines make a record that is not whole (record_store.h says what that means).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tuning/tweaks.h"

namespace tw {

inline constexpr std::size_t kMaxSnapshotEntries = 64;     // 2 per adapter and 3 machine-wide: 30 adapters
inline constexpr std::uint32_t kMaxSavedBytes = 2048;      // one value's data; a larger value is not recorded
inline constexpr std::uint32_t kMaxSnapshotBytes = 65536;  // the whole REG_MULTI_SZ

struct SavedValue {
  TweakTarget target;
  bool existed = false;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

struct Snapshot {
  std::vector<SavedValue> values;
  // The entry for that value (adapter GUIDs compared without regard to letter case), or null.
  const SavedValue* Find(const TweakTarget& target) const;
};

// The stored lines and back. Lines that do not parse are left out, and so is every entry for a value named
// twice (neither can be trusted); `whole`, when given, says whether nothing had to be left out.
std::vector<std::u16string> SnapshotLines(const Snapshot& snapshot);
Snapshot ParseSnapshotLines(const std::vector<std::u16string>& lines, bool* whole = nullptr);
// A braced GUID text as adapter discovery yields it: the only adapter names a record accepts.
bool IsGuidText(const std::u16string& text);
// REG_NONE to REG_QWORD: the types a registry value can have, and so the only ones a record keeps.
bool IsValueType(std::uint32_t type);
// A target that a record can hold: a per-interface tweak with an adapter's GUID text, a machine-wide one
// without an adapter.
bool Recordable(const TweakTarget& target);

// REG_MULTI_SZ, UTF-16LE: each line with its NUL, then one more NUL. Decoding drops empty lines and reads a
// last line without its NUL; an odd last byte is ignored.
std::vector<std::uint8_t> EncodeMultiSz(const std::vector<std::u16string>& lines);
std::vector<std::u16string> DecodeMultiSz(const std::vector<std::uint8_t>& bytes);

}  // namespace tw
