// Arbitrary bytes as the stored REG_MULTI_SZ of a record: the parser must never read outside its input or
// raise, may keep only entries a record can hold, and what it keeps must come back unchanged through the
// record's own lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tuning/record_format.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool SameEntries(const tw::Snapshot& a, const tw::Snapshot& b) {
  if (a.values.size() != b.values.size()) return false;
  for (std::size_t i = 0; i < a.values.size(); ++i) {
    const tw::SavedValue &x = a.values[i], &y = b.values[i];
    if (x.target.tweak != y.target.tweak || x.target.adapter != y.target.adapter || x.existed != y.existed ||
        x.type != y.type || x.data != y.data) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  const std::vector<std::u16string> lines = tw::DecodeMultiSz(bytes);
  for (const auto& line : lines) Check(!line.empty() && line.find(u'\0') == std::u16string::npos);
  Check(tw::DecodeMultiSz(tw::EncodeMultiSz(lines)) == lines);

  bool whole = false;
  const tw::Snapshot parsed = tw::ParseSnapshotLines(lines, &whole);
  Check(parsed.values.size() <= tw::kMaxSnapshotEntries && parsed.values.size() <= lines.size());
  Check(!whole || parsed.values.size() == lines.size());
  for (const auto& saved : parsed.values) {
    Check(tw::Recordable(saved.target));
    Check(parsed.Find(saved.target) == &saved);  // each value once
    Check(saved.existed ? tw::IsValueType(saved.type) && saved.data.size() <= tw::kMaxSavedBytes
                        : saved.type == 0 && saved.data.empty());
  }

  // What was kept is written as lines that read back whole, to the same entries and the same lines.
  const std::vector<std::u16string> written = tw::SnapshotLines(parsed);
  bool again_whole = false;
  const tw::Snapshot again =
      tw::ParseSnapshotLines(tw::DecodeMultiSz(tw::EncodeMultiSz(written)), &again_whole);
  Check(again_whole);
  Check(SameEntries(parsed, again));
  Check(tw::SnapshotLines(again) == written);
  return 0;
}
