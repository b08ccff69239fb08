// Module Registry: sets or removes one REG_DWORD value given a full key path such as
// "HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\MSMQ\Parameters". Every failure is absorbed; the result only says
// whether the change was made, for callers that must know (the run path ignores it).
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry.h"

namespace tw {

// The predefined handle for one of the seven root names (exact, case-sensitive); 0 for any other text.
RegKey RootKeyFromName(const std::u16string& name);

// Creates the key (with missing parents) and sets the value as a little-endian REG_DWORD. True when written.
bool WriteRegistryDword(IRegistry& registry, const std::u16string& path, const std::u16string& value_name,
                        std::int32_t value);

// Opens the key like the writer (so a missing key is created, empty) and removes the value. True when the
// value is gone, also when it was never there.
bool DeleteRegistryValue(IRegistry& registry, const std::u16string& path, const std::u16string& value_name);

}  // namespace tw
