// The restart marker: before a connection is switched off for a restart it is named in one REG_MULTI_SZ value
// beside the record (HKEY_LOCAL_MACHINE\SOFTWARE\Tempowave, "Restarting", one GUID text per line), and its
// name goes once it is back on. A name still there at the next start, or in /restore, is a connection that
// this program switched off and that an interruption (a kill, a logoff, a crash) left off.
#pragma once

#include <string>
#include <vector>

#include "platform/registry.h"

namespace tw {

inline constexpr char16_t kRestartingValue[] = u"Restarting";
// The GUID texts named; anything else in the value is not this program's and is passed over.
std::vector<std::u16string> RestartMarks(IRegistry& registry);
// Adds or removes one GUID text (letter case ignored); true when the marker says so afterwards. The value
// goes with its last name.
bool MarkRestarting(IRegistry& registry, const std::u16string& guid);
bool UnmarkRestarting(IRegistry& registry, const std::u16string& guid);

}  // namespace tw
