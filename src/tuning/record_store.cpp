#include "tuning/record_store.h"

#include <algorithm>

#include "platform/text.h"
#include "tuning/registry_values.h"

namespace tw {
namespace {

std::u16string SubkeyOf(const TweakTarget& target) {
  return TweakSubkey(TweakOf(target.tweak), target.adapter);
}

ValueRead ReadTarget(IRegistry& registry, const TweakTarget& target, std::uint32_t* type,
                     std::vector<std::uint8_t>* data) {
  return ReadMachineValue(registry, SubkeyOf(target), TweakOf(target.tweak).value, kMaxSavedBytes, type,
                          data);
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
  switch (ReadTarget(registry, target, &type, &data)) {
    case ValueRead::Absent:
    case ValueRead::TooLarge:  // not a DWORD
      return false;
    case ValueRead::Failed:
      *unknown = true;
      return false;
    case ValueRead::Found:
      break;
  }
  if (type != reg::kDword || data.size() != 4) return false;
  const std::uint32_t held = data[0] | data[1] << 8 | data[2] << 16 | std::uint32_t(data[3]) << 24;
  const Tweak& tweak = TweakOf(target.tweak);
  return held == static_cast<std::uint32_t>(tweak.run) ||
         (tweak.earlier_run && held == static_cast<std::uint32_t>(*tweak.earlier_run));
}

// The keys on the way to `subkey`, itself included, that do not exist yet: what writing a value there
// creates. Walked from the value's own key upwards, so a key that is there (the common case) costs one open.
void AddMissingKeys(IRegistry& registry, std::u16string path, std::vector<std::u16string>* missing) {
  while (!path.empty()) {
    if (!MachineKeyMissing(registry, path)) return;
    if (std::find(missing->begin(), missing->end(), path) == missing->end()) missing->push_back(path);
    const std::size_t parent = path.find_last_of(u'\\');
    path.resize(parent == std::u16string::npos ? 0 : parent);
  }
}

// Removes the keys Run created, deepest first, each only while it is empty.
void RemoveCreatedKeys(IRegistry& registry) {
  std::vector<std::u16string> keys = ReadLinesBesideRecord(registry, kCreatedKeysValue);
  std::sort(keys.begin(), keys.end(),
            [](const std::u16string& a, const std::u16string& b) { return a.size() > b.size(); });
  for (const auto& key : keys) DeleteMachineKeyIfEmpty(registry, key);
}

}  // namespace

std::vector<std::u16string> ReadLinesBesideRecord(IRegistry& registry, const char16_t* name) {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  if (ReadMachineValue(registry, kSnapshotKey, name, kMaxSnapshotBytes, &type, &data) != ValueRead::Found ||
      type != reg::kMultiSz) {
    return {};
  }
  return DecodeMultiSz(data);
}

bool StoreLinesBesideRecord(IRegistry& registry, const char16_t* name,
                            const std::vector<std::u16string>& lines) {
  return CreateAdminKeyAndSetMachineValue(registry, kSnapshotKey, name, reg::kMultiSz, EncodeMultiSz(lines));
}

bool DropLinesBesideRecord(IRegistry& registry, const char16_t* name) {
  return DeleteMachineValueIfKeyExists(registry, kSnapshotKey, name);
}

SnapshotState ReadSnapshot(IRegistry& registry, Snapshot* snapshot) {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  *snapshot = {};
  switch (ReadMachineValue(registry, kSnapshotKey, kSnapshotValue, kMaxSnapshotBytes, &type, &data)) {
    case ValueRead::Absent:
      return SnapshotState::None;
    case ValueRead::Failed:
      return SnapshotState::Unreadable;
    case ValueRead::TooLarge:
      return SnapshotState::Damaged;
    case ValueRead::Found:
      break;
  }
  if (type != reg::kMultiSz) return SnapshotState::Damaged;
  bool whole = false;
  *snapshot = ParseSnapshotLines(DecodeMultiSz(data), &whole);
  if (!whole || data.size() % 2 != 0) return SnapshotState::Damaged;
  // The keys to remove with the record are part of it: a list that cannot be read, or that names a key Run
  // could not have created, is not acted on, and the record is not trusted either.
  switch (ReadMachineValue(registry, kSnapshotKey, kCreatedKeysValue, kMaxSnapshotBytes, &type, &data)) {
    case ValueRead::Absent:
      return SnapshotState::Held;
    case ValueRead::Failed:
    case ValueRead::TooLarge:
      return SnapshotState::Damaged;
    case ValueRead::Found:
      break;
  }
  if (type != reg::kMultiSz || data.size() % 2 != 0) return SnapshotState::Damaged;
  for (const auto& key : DecodeMultiSz(data)) {
    if (!CreatableKey(*snapshot, key)) return SnapshotState::Damaged;
  }
  return SnapshotState::Held;
}

bool WriteSnapshot(IRegistry& registry, const Snapshot& snapshot) {
  const std::vector<std::u16string> lines = SnapshotLines(snapshot);
  const std::vector<std::uint8_t> bytes = EncodeMultiSz(lines);
  // A record that could not be read back whole is not stored.
  if (snapshot.values.size() > kMaxSnapshotEntries || bytes.size() > kMaxSnapshotBytes) return false;
  return CreateAdminKeyAndSetMachineValue(registry, kSnapshotKey, kSnapshotValue, reg::kMultiSz, bytes);
}

bool DropSnapshot(IRegistry& registry) {
  DropLinesBesideRecord(registry, kCreatedKeysValue);
  return DropLinesBesideRecord(registry, kSnapshotValue);
}

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
    switch (ReadTarget(registry, target, &saved.type, &saved.data)) {
      case ValueRead::Found:
        saved.existed = true;
        recordable = recordable && IsValueType(saved.type);
        break;
      case ValueRead::Absent:
        saved.type = 0;
        saved.data.clear();
        break;
      case ValueRead::Failed:
      case ValueRead::TooLarge:
        recordable = false;
        break;
    }
    // Its state could not be given back, so it is not changed.
    if (recordable) merged.values.push_back(std::move(saved));
  }
  const bool changed = state == SnapshotState::None || merged.values.size() != held.values.size();
  // Looked at before the record is stored: the record's own key is not one of Run's values' keys.
  std::vector<std::u16string> created = state == SnapshotState::Held
                                            ? ReadLinesBesideRecord(registry, kCreatedKeysValue)
                                            : std::vector<std::u16string>{};
  const std::size_t known = created.size();
  for (std::size_t i = held.values.size(); i < merged.values.size(); ++i) {
    AddMissingKeys(registry, SubkeyOf(merged.values[i].target), &created);
  }
  if (changed && !WriteSnapshot(registry, merged)) {
    capture.refused = CaptureRefusal::RecordNotStored;
    return capture;
  }
  // Not stored: the keys stay behind after Run again, which is all that is lost.
  if (created.size() != known) StoreLinesBesideRecord(registry, kCreatedKeysValue, created);
  for (const auto& target : targets) {
    (Recordable(target) && merged.Find(target) ? capture.writable : capture.left_alone).push_back(target);
  }
  return capture;
}

bool GiveBack(IRegistry& registry, const Snapshot& snapshot) {
  bool complete = true;
  for (const auto& saved : snapshot.values) {
    const std::u16string subkey = SubkeyOf(saved.target);
    const std::u16string name = TweakOf(saved.target.tweak).value;
    const bool given = saved.existed
                           ? CreateKeyAndSetMachineValue(registry, subkey, name, saved.type, saved.data)
                           : DeleteMachineValueIfKeyExists(registry, subkey, name);
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
  for (const Tweak& tweak : kTweaks) {
    const TweakTarget target{tweak.id, PerInterface(tweak) ? active_adapter : u""};
    if (!Recordable(target)) {  // no adapter known: no interface key to look at
      reverted.unchecked.push_back(target);
      continue;
    }
    bool unknown = false;
    if (!HoldsRunData(registry, target, &unknown)) {
      if (unknown) reverted.complete = false;  // cannot tell whose it is: left alone, not given back
      continue;
    }
    reverted.complete = RevertTweak(registry, tweak, active_adapter) && reverted.complete;
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

}  // namespace tw
