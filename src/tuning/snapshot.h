// The machine's own values from before Run, kept so that Run again gives back exactly what was there.
//
// The record is machine-wide, like the values it describes, and lives in one REG_MULTI_SZ value so that it is
// written in one step: HKEY_LOCAL_MACHINE\SOFTWARE\Tempowave, value "Snapshot". It is always reached in the
// native 64-bit view: a 32-bit build would otherwise land in the redirected WOW6432Node copy of SOFTWARE,
// which the 64-bit build cannot see, while the values it describes are written in the native view. One line
// per value:
//   <value name>|<adapter GUID, empty for the machine-wide keys>|absent
//   <value name>|<adapter GUID>|<registry type, decimal>|<data, two hex digits per byte>
// An empty record (Run changed nothing) is still a record: Run again then changes nothing either. The key is
// created with an access list for Administrators and SYSTEM only.
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
#include "tuning/tweaks.h"

namespace tw {

inline constexpr char16_t kSnapshotKey[] = u"SOFTWARE\\Tempowave";  // under HKEY_LOCAL_MACHINE
inline constexpr char16_t kSnapshotValue[] = u"Snapshot";
// Beside the record: the keys Run had to create to hold a value (MSMQ\Parameters where Message Queuing is
// not installed), one subkey of HKEY_LOCAL_MACHINE per line. Giving the record back whole removes each of
// them again when it is left empty.
inline constexpr char16_t kCreatedKeysValue[] = u"CreatedKeys";
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

// A value's name as the user sees it in messages ("TcpAckFrequency", "TCPNoDelay", ...).
std::u16string TargetNames(const std::vector<TweakTarget>& targets);

// The restart marker: before a connection is switched off for a restart it is named in one REG_MULTI_SZ value
// beside the record (HKEY_LOCAL_MACHINE\SOFTWARE\Tempowave, "Restarting", one GUID text per line), and its
// name goes once it is back on. A name still there at the next start, or in /restore, is a connection that
// this program switched off and that an interruption (a kill, a logoff, a crash) left off.
inline constexpr char16_t kRestartingValue[] = u"Restarting";
std::vector<std::u16string> RestartMarks(IRegistry& registry);
// Adds or removes one GUID text (letter case ignored); true when the marker says so afterwards.
bool MarkRestarting(IRegistry& registry, const std::u16string& guid);
bool UnmarkRestarting(IRegistry& registry, const std::u16string& guid);

}  // namespace tw
