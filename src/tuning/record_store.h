// The machine's own values from before Run, kept so that Run again gives back exactly what was there.
//
// The record is machine-wide, like the values it describes, and lives in one REG_MULTI_SZ value so that it is
// written in one step: HKEY_LOCAL_MACHINE\SOFTWARE\Tempowave, value "Snapshot", in the text of
// record_format.h. It is always reached in the native 64-bit view: a 32-bit build would otherwise land in the
// redirected WOW6432Node copy of SOFTWARE, which the 64-bit build cannot see, while the values it describes
// are written in the native view. An empty record (Run changed nothing) is still a record: Run again then
// changes nothing either. The key is created with an access list for Administrators and SYSTEM only.
//
// A record is trusted only whole. A line that does not parse, two lines for one value, a type no registry
// value can have, more than kMaxSnapshotEntries lines, more than kMaxSnapshotBytes, or a value of another
// registry type make it damaged: it is then never replaced, rewritten or dropped by the program. Run refuses
// to write over it; Run again and /restore give back each entry that can be read, keep the record and say so.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "tuning/record_format.h"
#include "tuning/tweaks.h"

namespace tw {

inline constexpr char16_t kSnapshotKey[] = u"SOFTWARE\\Tempowave";  // under HKEY_LOCAL_MACHINE
inline constexpr char16_t kSnapshotValue[] = u"Snapshot";
// Beside the record: the keys Run had to create to hold a value (MSMQ\Parameters where Message Queuing is
// not installed), one subkey of HKEY_LOCAL_MACHINE per line. Giving the record back whole removes each of
// them again when it is left empty.
inline constexpr char16_t kCreatedKeysValue[] = u"CreatedKeys";

// The lines of one of the program's REG_MULTI_SZ values beside the record (the record's own included), read
// up to kMaxSnapshotBytes: none when it is absent, unreadable or of another type.
std::vector<std::u16string> ReadLinesBesideRecord(IRegistry& registry, const char16_t* name);
// Stores them in one write into the record's key, which is created for Administrators and SYSTEM only.
bool StoreLinesBesideRecord(IRegistry& registry, const char16_t* name,
                            const std::vector<std::u16string>& lines);
// True when the value is gone (or was never there); never creates the key.
bool DropLinesBesideRecord(IRegistry& registry, const char16_t* name);

// Held: read whole. Damaged: read, but not whole; `snapshot` holds the entries that could be read (none for a
// record of another registry type or one too large to read). Unreadable: the read itself failed.
enum class SnapshotState { None, Held, Damaged, Unreadable };
SnapshotState ReadSnapshot(IRegistry& registry, Snapshot* snapshot);
bool WriteSnapshot(IRegistry& registry, const Snapshot& snapshot);
// Removes the record and the list of created keys; true when the record is gone (or was never there).
bool DropSnapshot(IRegistry& registry);

// Run's first step, before any value is written: records the present state of every target that the held
// record does not know yet, and stores the record. Entries already held are never replaced, so a second Run
// keeps the values from before the first. `writable` are the targets whose earlier state is on record: the
// only ones Run may change. A value whose state cannot be read or recorded is left alone and named in
// `left_alone`. Over a damaged or unreadable record, or when the record cannot be stored, nothing is
// writable and `refused` says why.
enum class CaptureRefusal { None, RecordDamaged, RecordNotStored };
struct Capture {
  CaptureRefusal refused = CaptureRefusal::None;
  std::vector<TweakTarget> writable;
  std::vector<TweakTarget> left_alone;
};
Capture CaptureBeforeRun(IRegistry& registry, const std::vector<TweakTarget>& targets);

// Gives every recorded value back: one that was absent is deleted, one that existed gets its old type and
// data. Goes on after a failure; true only when every value was given back. The record itself stays.
bool GiveBack(IRegistry& registry, const Snapshot& snapshot);

// Gives back what Run changed. With a record: the record. Without one: for Run again and /restore (a state
// left by an earlier version, or a record dropped by another copy) only the values of the active adapter and
// the machine that hold exactly the data a Run writes (or wrote in earlier versions) are deleted or reset as
// Run again does; every other value is the machine's own and is left alone, and a value whose data cannot be
// read is left alone and not counted as given back. For the way back after Run (whose record could not be
// stored, so it changed nothing) nothing is done. With a record that cannot be read: nothing is changed and
// nothing counts as given back. With a damaged record: every entry that can be read is given back, and the
// result is never complete (the record stays).
enum class WithoutRecord { ResetRunsOwn, ChangeNothing };
struct Reverted {
  SnapshotState record = SnapshotState::None;
  bool complete = false;                 // every value was given back (or reset)
  std::size_t reset = 0;                 // values reset without a record
  std::vector<std::u16string> adapters;  // connections to restart
  // Without a record and without an active adapter: the per-interface values that could not be looked at,
  // though they may hold Run's data. Not counted against `complete`.
  std::vector<TweakTarget> unchecked;
};
Reverted RevertTuning(IRegistry& registry, const std::u16string& active_adapter, WithoutRecord without);

// The connections to restart after giving a record back: each adapter it names, then the active one.
std::vector<std::u16string> AdaptersToRestart(const Snapshot& snapshot, const std::u16string& active_adapter);

// Whether the values Run wrote still hold Run's data: those named by the held record, or without one the
// given targets. True when at least one does, or when that cannot be told (a refused read, a damaged or
// unreadable record): only a machine seen to be untuned counts as untuned.
bool StillTuned(IRegistry& registry, const std::vector<TweakTarget>& without_snapshot);

// The state at start. With a record, the record decides: running while at least one recorded value still
// holds Run's data (or that cannot be told); `stale` when none does, so that the record can be dropped and
// the next Run records afresh. Without a record the stored per-user state decides, and only while one of
// `checked` still holds Run's data.
struct StartState {
  bool running = false;
  bool stale = false;     // a whole record of which no value holds Run's data any more
  bool recorded = false;  // a record is there, whole or not
};
StartState TunedAtStart(IRegistry& registry, bool stored_running, const std::vector<TweakTarget>& checked);

}  // namespace tw
