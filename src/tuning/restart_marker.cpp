#include "tuning/restart_marker.h"

#include "platform/text.h"
#include "tuning/record_format.h"
#include "tuning/record_store.h"

namespace tw {
namespace {

bool StoreMarks(IRegistry& registry, const std::vector<std::u16string>& marks) {
  if (marks.empty()) return DropLinesBesideRecord(registry, kRestartingValue);
  return StoreLinesBesideRecord(registry, kRestartingValue, marks);
}

}  // namespace

std::vector<std::u16string> RestartMarks(IRegistry& registry) {
  std::vector<std::u16string> marks;
  for (auto& line : ReadLinesBesideRecord(registry, kRestartingValue)) {
    if (IsGuidText(line)) marks.push_back(std::move(line));  // only what this program writes is acted on
  }
  return marks;
}

bool MarkRestarting(IRegistry& registry, const std::u16string& guid) {
  std::vector<std::u16string> marks = RestartMarks(registry);
  for (const auto& mark : marks) {
    if (AsciiEqualsIgnoreCase(mark, guid)) return true;
  }
  marks.push_back(guid);
  return StoreMarks(registry, marks);
}

bool UnmarkRestarting(IRegistry& registry, const std::u16string& guid) {
  std::vector<std::u16string> marks = RestartMarks(registry);
  const auto size = marks.size();
  std::erase_if(marks, [&guid](const std::u16string& mark) { return AsciiEqualsIgnoreCase(mark, guid); });
  return marks.size() == size || StoreMarks(registry, marks);
}

}  // namespace tw
