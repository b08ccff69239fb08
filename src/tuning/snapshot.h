// The machine's own values from before Run, kept so that Run again gives back exactly what was there.
//
// The record is machine-wide, like the values it describes, and lives in one REG_MULTI_SZ value so that it is
// written in one step: HKEY_LOCAL_MACHINE\SOFTWARE\Tempowave, value "Snapshot". It is always reached in the
// native 64-bit view: a 32-bit build would otherwise land in the redirected WOW6432Node copy of SOFTWARE,
// which the 64-bit build cannot see, while the values it describes are written in the native view. One line
// per value:
//   <value name>|<adapter GUID, empty for the machine-wide keys>|absent
//   <value name>|<adapter GUID>|<registry type, decimal>|<data, two hex digits per byte>
// An empty record (Run changed nothing) is still a record: Run again then changes nothing either.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "tuning/tweaks.h"

namespace tw {

inline constexpr char16_t kSnapshotKey[] = u"SOFTWARE\\Tempowave";  // under HKEY_LOCAL_MACHINE
inline constexpr char16_t kSnapshotValue[] = u"Snapshot";

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

// The stored lines and back. Lines that do not parse are left out, as is a second entry for the same value.
std::vector<std::u16string> SnapshotLines(const Snapshot& snapshot);
Snapshot ParseSnapshotLines(const std::vector<std::u16string>& lines);
// A braced GUID text as adapter discovery yields it: the only adapter names a record accepts.
bool IsGuidText(const std::u16string& text);

enum class SnapshotState { None, Held, Unreadable };
SnapshotState ReadSnapshot(IRegistry& registry, Snapshot* snapshot);
bool WriteSnapshot(IRegistry& registry, const Snapshot& snapshot);
// Removes the record; true when it is gone (or was never there).
bool DropSnapshot(IRegistry& registry);

// Run's first step, before any value is written: records the present state of every target that the held
// record does not know yet, and stores the record. Entries already held are never replaced, so a second Run
// keeps the values from before the first. Returns the targets whose earlier state is on record: the only
// ones Run may change. A value whose state cannot be read or recorded is left alone.
std::vector<TweakTarget> CaptureBeforeRun(IRegistry& registry, const std::vector<TweakTarget>& targets);

// Gives every recorded value back: one that was absent is deleted, one that existed gets its old type and
// data. Goes on after a failure; true only when every value was given back. The record itself stays.
bool GiveBack(IRegistry& registry, const Snapshot& snapshot);

// Gives back what Run changed. With a record: the record. Without one: for Run again and /restore (a state
// left by an earlier version, or a record dropped by another copy) only the values of the active adapter and
// the machine that hold exactly the data a Run writes (or wrote in earlier versions) are deleted or reset as
// Run again does; every other value is the machine's own and is left alone, and a value whose data cannot be
// read is left alone and not counted as given back. For the way back after Run (whose record could not be
// stored, so it changed nothing) nothing is done. With a record that cannot be read: nothing is changed and
// nothing counts as given back.
enum class WithoutRecord { ResetRunsOwn, ChangeNothing };
struct Reverted {
  SnapshotState record = SnapshotState::None;
  bool complete = false;                 // every value was given back (or reset)
  std::size_t reset = 0;                 // values reset without a record
  std::vector<std::u16string> adapters;  // connections to restart
};
Reverted RevertTuning(IRegistry& registry, const std::u16string& active_adapter, WithoutRecord without);

// The connections to restart after giving a record back: each adapter it names, then the active one.
std::vector<std::u16string> AdaptersToRestart(const Snapshot& snapshot, const std::u16string& active_adapter);

// Whether the values Run wrote still hold Run's data: those named by the held record, or without one the
// given targets. True when at least one does, or when that cannot be told (a refused read, an unreadable
// record): only a machine seen to be untuned counts as untuned.
bool StillTuned(IRegistry& registry, const std::vector<TweakTarget>& without_snapshot);

}  // namespace tw
