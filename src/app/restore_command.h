// `Tempowave.exe /restore`: Run again without a window, for support and for a machine whose window cannot
// be used. The only command line the program knows; it ends with one of the exit codes below.
#pragma once

#include <string>
#include <string_view>

namespace tw {

class IRegistry;
class IClock;
class IAdapterFacts;
class INetConnections;
class IMachineLock;

inline constexpr int kRestoreDone = 0;       // every value given back, every connection back on
inline constexpr int kRestoreKeptBack = 1;   // a value could not be given back or looked at, or the record
                                             // is damaged; the record is kept
inline constexpr int kRestoreStayedOff = 2;  // a connection switched off for the restart stayed off
inline constexpr int kRestoreOtherCopy = 3;  // a copy of the program runs, or another copy (in any logon
                                             // session) is changing the machine: nothing was changed
inline constexpr int kRestoreNotAdministrator = 4;  // not run as administrator: nothing was changed

// True when the command line (without the program's name) is "/restore", letter case ignored, alone.
bool IsRestoreCommand(std::u16string_view command_line);

// Takes the machine-wide lock (held elsewhere: kRestoreOtherCopy; out of this copy's rights:
// kRestoreNotAdministrator), switches back on a connection an interrupted restart
// left off, gives the record back (without one: resets what plainly holds Run's data, as Run again does;
// with a damaged one: what can be read), restarts the connections concerned, and once everything is back
// drops the record and stores the idle state for this user. Without a record and without an active adapter
// the per-adapter values cannot be looked at: kRestoreKeptBack, and `report` (English, one line each, for
// standard output) names them. Returns the exit code. Call only while holding
// the single-instance guard. Without a lock service there is no other copy to meet.
int RunRestoreCommand(IRegistry& registry, IClock& clock, IAdapterFacts* adapters,
                      INetConnections* connections, IMachineLock* machine_lock = nullptr,
                      std::u16string* report = nullptr);

}  // namespace tw
