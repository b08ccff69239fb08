// Module Registry: sets or removes one REG_DWORD value given a full key path such as
// "HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\MSMQ\Parameters". Nothing is reported: every failure is absorbed.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry.h"

namespace tw {

// The predefined handle for one of the seven root names (exact, case-sensitive); 0 for any other text.
RegKey RootKeyFromName(const std::u16string& name);

// Creates the key (with missing parents) and sets the value as a little-endian REG_DWORD.
void WriteRegistryDword(IRegistry& registry, const std::u16string& path, const std::u16string& value_name,
                        std::int32_t value);

// Opens the key like the writer (so a missing key is created, empty) and removes the value.
void DeleteRegistryValue(IRegistry& registry, const std::u16string& path, const std::u16string& value_name);

}  // namespace tw
