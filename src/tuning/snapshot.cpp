#include "tuning/snapshot.h"

#include <algorithm>
#include <optional>

#include "platform/registry_key.h"
#include "platform/text.h"

namespace tw {
namespace {

constexpr std::uint32_t kRead64 = reg::kKeyRead | reg::kKeyWow64_64;
constexpr char16_t kAbsent[] = u"absent";
constexpr char16_t kHex[] = u"0123456789abcdef";

enum class Read { Found, Absent, Failed, TooLarge };

// One value's type and data, up to `limit` bytes. A value that grows between the size query and the read is
// asked for again.
Read ReadValue(IRegistry& registry, const std::u16string& subkey, const std::u16string& name,
               std::uint32_t* type, std::vector<std::uint8_t>* data, std::uint32_t limit) {
  RegistryKey key = RegistryKey::Open(registry, reg::kLocalMachine, subkey, kRead64);
  if (key.status() == reg::kFileNotFound) return Read::Absent;
  if (!key) return Read::Failed;
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::uint32_t size = 0;
    RegStatus status = key.QuerySize(name, type, &size);
    if (status == reg::kFileNotFound) return Read::Absent;
    if (status != reg::kSuccess) return Read::Failed;
    if (size > limit) return Read::TooLarge;
    data->assign(size, 0);
    if (size == 0) return Read::Found;
    status = registry.QueryValue(key.get(), name, type, data->data(), &size);
    if (status == reg::kSuccess) {
      data->resize(size);
      return Read::Found;
    }
    if (status == reg::kFileNotFound) return Read::Absent;
    if (status != reg::kMoreData) return Read::Failed;
  }
  return Read::Failed;
}

bool SetValue(IRegistry& registry, const std::u16string& subkey, const std::u16string& name,
              std::uint32_t type, const std::vector<std::uint8_t>& data) {
  RegistryKey key = RegistryKey::Create(registry, reg::kLocalMachine, subkey, reg::kReadWrite64);
  if (!key) return false;
  return registry.SetValue(key.get(), name, type, data.empty() ? nullptr : data.data(),
                           static_cast<std::uint32_t>(data.size())) == reg::kSuccess;
}

// Deletes a value without creating its key: a key that is not there holds no value to give back.
bool RemoveValue(IRegistry& registry, const std::u16string& subkey, const std::u16string& name) {
  RegistryKey key = RegistryKey::Open(registry, reg::kLocalMachine, subkey, reg::kReadWrite64);
  if (key.status() == reg::kFileNotFound) return true;
  if (!key) return false;
  const RegStatus status = key.DeleteValue(name);
  return status == reg::kSuccess || status == reg::kFileNotFound;
}

std::u16string SubkeyOf(const TweakTarget& target) {
  return TweakSubkey(kTweaks[target.tweak], target.adapter);
}

// The types a registry value can have, REG_NONE to REG_QWORD.
bool ValueType(std::uint32_t type) {
  return type <= reg::kQword;
}

// A target that a record can hold: a row of the table, with an adapter exactly for the per-interface rows.
bool Recordable(const TweakTarget& target) {
  if (target.tweak >= kTweaks.size()) return false;
  return PerInterface(kTweaks[target.tweak]) ? IsGuidText(target.adapter) : target.adapter.empty();
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
  SavedValue saved;
  saved.target.tweak = kTweaks.size();
  for (size_t i = 0; i < kTweaks.size(); ++i) {
    if (fields[0] == kTweaks[i].value) saved.target.tweak = i;
  }
  saved.target.adapter = fields[1];
  if (!Recordable(saved.target)) return std::nullopt;
  if (fields.size() == 3) {
    if (fields[2] != kAbsent) return std::nullopt;
    return saved;
  }
  const auto type = ParseType(fields[2]);
  auto data = ParseHex(fields[3]);
  if (!type || !data || !ValueType(*type) || data->size() > kMaxSavedBytes) return std::nullopt;
  saved.existed = true;
  saved.type = *type;
  saved.data = std::move(*data);
  return saved;
}

// REG_MULTI_SZ: each string with its NUL, then one more NUL.
std::vector<std::uint8_t> MultiSz(const std::vector<std::u16string>& lines) {
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

std::vector<std::u16string> FromMultiSz(const std::vector<std::uint8_t>& bytes) {
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

// One of the program's REG_MULTI_SZ values beside the record, in its Administrators-only key.
bool StoreMultiSz(IRegistry& registry, const char16_t* name, const std::vector<std::uint8_t>& bytes) {
  RegKey key = 0;
  if (registry.CreateAdminKey(reg::kLocalMachine, kSnapshotKey, reg::kReadWrite64, &key) != reg::kSuccess) {
    return false;
  }
  const RegStatus status =
      registry.SetValue(key, name, reg::kMultiSz, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  registry.CloseKey(key);
  return status == reg::kSuccess;
}

// The lines of one of those values; none when it is absent, unreadable or of another type.
std::vector<std::u16string> ReadLines(IRegistry& registry, const char16_t* name) {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  if (ReadValue(registry, kSnapshotKey, name, &type, &data, kMaxSnapshotBytes) != Read::Found ||
      type != reg::kMultiSz) {
    return {};
  }
  return FromMultiSz(data);
}

// A key that recording one of the snapshot's values could have had to create: the value's own key or one of
// the keys above it, named exactly (letter case aside).
bool CreatableKey(const Snapshot& snapshot, const std::u16string& key) {
  for (const auto& saved : snapshot.values) {
    const std::u16string path = SubkeyOf(saved.target);
    if (key.size() > path.size()) continue;
    if (key.size() < path.size() && path[key.size()] != u'\\') continue;
    if (!key.empty() && AsciiEqualsIgnoreCase(path.substr(0, key.size()), key)) return true;
  }
  return false;
}

bool HoldsRunData(IRegistry& registry, const TweakTarget& target, bool* unknown) {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  switch (ReadValue(registry, SubkeyOf(target), kTweaks[target.tweak].value, &type, &data, kMaxSavedBytes)) {
    case Read::Absent:
    case Read::TooLarge:  // not a DWORD
      return false;
    case Read::Failed:
      *unknown = true;
      return false;
    case Read::Found:
      break;
  }
  if (type != reg::kDword || data.size() != 4) return false;
  const std::uint32_t held = data[0] | data[1] << 8 | data[2] << 16 | std::uint32_t(data[3]) << 24;
  const Tweak& tweak = kTweaks[target.tweak];
  return held == static_cast<std::uint32_t>(tweak.run) ||
         (tweak.earlier_run && held == static_cast<std::uint32_t>(*tweak.earlier_run));
}

}  // namespace

const SavedValue* Snapshot::Find(const TweakTarget& target) const {
  for (const auto& saved : values) {
    if (saved.target.tweak == target.tweak && AsciiEqualsIgnoreCase(saved.target.adapter, target.adapter)) {
      return &saved;
    }
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

std::vector<std::u16string> SnapshotLines(const Snapshot& snapshot) {
  std::vector<std::u16string> lines;
  for (const auto& saved : snapshot.values) {
    std::u16string line = kTweaks[saved.target.tweak].value;
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
    for (const auto& target : twice) {
      doubled = doubled || (target.tweak == saved.target.tweak &&
                            AsciiEqualsIgnoreCase(target.adapter, saved.target.adapter));
    }
    if (!doubled) snapshot.values.push_back(std::move(saved));
  }
  if (whole) *whole = all;
  return snapshot;
}

SnapshotState ReadSnapshot(IRegistry& registry, Snapshot* snapshot) {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  *snapshot = {};
  switch (ReadValue(registry, kSnapshotKey, kSnapshotValue, &type, &data, kMaxSnapshotBytes)) {
    case Read::Absent:
      return SnapshotState::None;
    case Read::Failed:
      return SnapshotState::Unreadable;
    case Read::TooLarge:
      return SnapshotState::Damaged;
    case Read::Found:
      break;
  }
  if (type != reg::kMultiSz) return SnapshotState::Damaged;
  bool whole = false;
  *snapshot = ParseSnapshotLines(FromMultiSz(data), &whole);
  if (!whole || data.size() % 2 != 0) return SnapshotState::Damaged;
  // The keys to remove with the record are part of it: a list that cannot be read, or that names a key Run
  // could not have created, is not acted on, and the record is not trusted either.
  switch (ReadValue(registry, kSnapshotKey, kCreatedKeysValue, &type, &data, kMaxSnapshotBytes)) {
    case Read::Absent:
      return SnapshotState::Held;
    case Read::Failed:
    case Read::TooLarge:
      return SnapshotState::Damaged;
    case Read::Found:
      break;
  }
  if (type != reg::kMultiSz || data.size() % 2 != 0) return SnapshotState::Damaged;
  for (const auto& key : FromMultiSz(data)) {
    if (!CreatableKey(*snapshot, key)) return SnapshotState::Damaged;
  }
  return SnapshotState::Held;
}

bool WriteSnapshot(IRegistry& registry, const Snapshot& snapshot) {
  const std::vector<std::uint8_t> bytes = MultiSz(SnapshotLines(snapshot));
  // A record that could not be read back whole is not stored.
  if (snapshot.values.size() > kMaxSnapshotEntries || bytes.size() > kMaxSnapshotBytes) return false;
  return StoreMultiSz(registry, kSnapshotValue, bytes);
}

bool DropSnapshot(IRegistry& registry) {
  RemoveValue(registry, kSnapshotKey, kCreatedKeysValue);
  return RemoveValue(registry, kSnapshotKey, kSnapshotValue);
}

namespace {

// The keys on the way to `subkey`, itself included, that do not exist yet: what writing a value there
// creates. Walked from the value's own key upwards, so a key that is there (the common case) costs one open.
void AddMissingKeys(IRegistry& registry, std::u16string path, std::vector<std::u16string>* missing) {
  while (!path.empty()) {
    if (RegistryKey::Open(registry, reg::kLocalMachine, path, kRead64).status() != reg::kFileNotFound) return;
    if (std::find(missing->begin(), missing->end(), path) == missing->end()) missing->push_back(path);
    const std::size_t parent = path.find_last_of(u'\\');
    path.resize(parent == std::u16string::npos ? 0 : parent);
  }
}

// Removes the keys Run created, deepest first, each only while it is empty.
void RemoveCreatedKeys(IRegistry& registry) {
  std::vector<std::u16string> keys = ReadLines(registry, kCreatedKeysValue);
  std::sort(keys.begin(), keys.end(),
            [](const std::u16string& a, const std::u16string& b) { return a.size() > b.size(); });
  for (const auto& key : keys) registry.DeleteEmptyKey(reg::kLocalMachine, key, reg::kKeyWow64_64);
}

}  // namespace

Capture CaptureBeforeRun(IRegistry& registry, const std::vector<TweakTarget>& targets) {
  Capture capture;
  Snapshot held;
  const SnapshotState state = ReadSnapshot(registry, &held);
  // A record that is not whole must not be replaced by one that knows less, nor be added to.
  if (state == SnapshotState::Damaged || state == SnapshotState::Unreadable) {
    capture.refused = CaptureRefusal::RecordDamaged;
    return capture;
  }

  Snapshot merged = held;
  for (const auto& target : targets) {
    if (!Recordable(target) || merged.Find(target)) continue;
    SavedValue saved;
    saved.target = target;
    bool recordable = merged.values.size() < kMaxSnapshotEntries;
    switch (ReadValue(registry, SubkeyOf(target), kTweaks[target.tweak].value, &saved.type, &saved.data,
                      kMaxSavedBytes)) {
      case Read::Found:
        saved.existed = true;
        recordable = recordable && ValueType(saved.type);
        break;
      case Read::Absent:
        saved.type = 0;
        saved.data.clear();
        break;
      case Read::Failed:
      case Read::TooLarge:
        recordable = false;
        break;
    }
    // Its state could not be given back, so it is not changed.
    if (recordable) merged.values.push_back(std::move(saved));
  }
  const bool changed = state == SnapshotState::None || merged.values.size() != held.values.size();
  // Looked at before the record is stored: the record's own key is not one of Run's values' keys.
  std::vector<std::u16string> created =
      state == SnapshotState::Held ? ReadLines(registry, kCreatedKeysValue) : std::vector<std::u16string>{};
  const std::size_t known = created.size();
  for (std::size_t i = held.values.size(); i < merged.values.size(); ++i) {
    AddMissingKeys(registry, SubkeyOf(merged.values[i].target), &created);
  }
  if (changed && !WriteSnapshot(registry, merged)) {
    capture.refused = CaptureRefusal::RecordNotStored;
    return capture;
  }
  // Not stored: the keys stay behind after Run again, which is all that is lost.
  if (created.size() != known) StoreMultiSz(registry, kCreatedKeysValue, MultiSz(created));
  for (const auto& target : targets) {
    (Recordable(target) && merged.Find(target) ? capture.writable : capture.left_alone).push_back(target);
  }
  return capture;
}

bool GiveBack(IRegistry& registry, const Snapshot& snapshot) {
  bool complete = true;
  for (const auto& saved : snapshot.values) {
    const std::u16string subkey = SubkeyOf(saved.target);
    const std::u16string name = kTweaks[saved.target.tweak].value;
    const bool given = saved.existed ? SetValue(registry, subkey, name, saved.type, saved.data)
                                     : RemoveValue(registry, subkey, name);
    complete = complete && given;
  }
  return complete;
}

std::vector<std::u16string> AdaptersToRestart(const Snapshot& snapshot,
                                              const std::u16string& active_adapter) {
  std::vector<std::u16string> adapters;
  auto add = [&adapters](const std::u16string& adapter) {
    for (const auto& known : adapters) {
      if (AsciiEqualsIgnoreCase(known, adapter)) return;
    }
    adapters.push_back(adapter);
  };
  for (const auto& saved : snapshot.values) {
    if (!saved.target.adapter.empty()) add(saved.target.adapter);
  }
  add(active_adapter);
  return adapters;
}

Reverted RevertTuning(IRegistry& registry, const std::u16string& active_adapter, WithoutRecord without) {
  Reverted reverted;
  Snapshot snapshot;
  reverted.record = ReadSnapshot(registry, &snapshot);
  reverted.adapters = {active_adapter};
  switch (reverted.record) {
    case SnapshotState::Held:
      reverted.complete = GiveBack(registry, snapshot);
      if (reverted.complete) RemoveCreatedKeys(registry);
      reverted.adapters = AdaptersToRestart(snapshot, active_adapter);
      return reverted;
    case SnapshotState::Damaged:
      // What can be read goes back; the record stays, so the rest can still be looked up by hand.
      GiveBack(registry, snapshot);
      reverted.adapters = AdaptersToRestart(snapshot, active_adapter);
      return reverted;
    case SnapshotState::Unreadable:
      return reverted;
    case SnapshotState::None:
      break;
  }
  reverted.complete = true;
  if (without == WithoutRecord::ChangeNothing) return reverted;
  for (std::size_t i = 0; i < kTweaks.size(); ++i) {
    const TweakTarget target{i, PerInterface(kTweaks[i]) ? active_adapter : u""};
    if (!Recordable(target)) {  // no adapter known: no interface key to look at
      reverted.unchecked.push_back(target);
      continue;
    }
    bool unknown = false;
    if (!HoldsRunData(registry, target, &unknown)) {
      if (unknown) reverted.complete = false;  // cannot tell whose it is: left alone, not given back
      continue;
    }
    reverted.complete = RevertTweak(registry, kTweaks[i], active_adapter) && reverted.complete;
    ++reverted.reset;
  }
  return reverted;
}

bool StillTuned(IRegistry& registry, const std::vector<TweakTarget>& without_snapshot) {
  Snapshot snapshot;
  std::vector<TweakTarget> targets;
  switch (ReadSnapshot(registry, &snapshot)) {
    case SnapshotState::Damaged:
    case SnapshotState::Unreadable:
      return true;
    case SnapshotState::Held:
      for (const auto& saved : snapshot.values) targets.push_back(saved.target);
      break;
    case SnapshotState::None:
      targets = without_snapshot;
      break;
  }
  bool unknown = false;
  for (const auto& target : targets) {
    if (!Recordable(target)) continue;  // no adapter known: no interface key to look at
    if (HoldsRunData(registry, target, &unknown)) return true;
  }
  return unknown;
}

StartState TunedAtStart(IRegistry& registry, bool stored_running, const std::vector<TweakTarget>& checked) {
  StartState start;
  Snapshot snapshot;
  const SnapshotState state = ReadSnapshot(registry, &snapshot);
  start.recorded = state != SnapshotState::None;
  switch (state) {
    case SnapshotState::Damaged:
    case SnapshotState::Unreadable:
      // What it holds cannot be told: running, so that Run again gives back what it can and says why not
      // the rest.
      start.running = true;
      return start;
    case SnapshotState::None:
      start.running = stored_running && StillTuned(registry, checked);
      return start;
    case SnapshotState::Held:
      break;
  }
  bool unknown = false;
  for (const auto& saved : snapshot.values) {
    if (HoldsRunData(registry, saved.target, &unknown)) start.running = true;
  }
  start.running = start.running || unknown;
  start.stale = !start.running;
  return start;
}

std::u16string TargetNames(const std::vector<TweakTarget>& targets) {
  // Each row once (two adapters' TcpAckFrequency is one name), in the table's order.
  std::u16string names;
  for (std::size_t i = 0; i < kTweaks.size(); ++i) {
    const bool named = std::any_of(targets.begin(), targets.end(),
                                   [i](const TweakTarget& target) { return target.tweak == i; });
    if (!named) continue;
    if (!names.empty()) names += u", ";
    names += kTweaks[i].value;
  }
  return names;
}

std::vector<std::u16string> RestartMarks(IRegistry& registry) {
  std::vector<std::u16string> marks;
  for (auto& line : ReadLines(registry, kRestartingValue)) {
    if (IsGuidText(line)) marks.push_back(std::move(line));  // only what this program writes is acted on
  }
  return marks;
}

namespace {

bool StoreMarks(IRegistry& registry, const std::vector<std::u16string>& marks) {
  if (marks.empty()) return RemoveValue(registry, kSnapshotKey, kRestartingValue);
  return StoreMultiSz(registry, kRestartingValue, MultiSz(marks));
}

}  // namespace

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
