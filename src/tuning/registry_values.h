// The registry helpers of the tuning, in one place. Each name says whether a missing key is created:
// "CreateKeyAnd..." creates it (with missing parents), "...IfKeyExists" and the reads never do. Every failure
// is absorbed; the result only says whether the change was made, for callers that must know (the run path
// ignores it). Every key is opened in the native 64-bit view, so that a 32-bit build writes where the system
// reads rather than into the redirected Wow6432Node copy.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace tw {

// By full key path such as "HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\MSMQ\Parameters", as the tweak table names
// them. The path is split at its first backslash; one more leading backslash of the rest is dropped.

// The predefined handle for one of the seven root names (exact, case-sensitive); 0 for any other text.
RegKey RootKeyFromName(const std::u16string& name);

// Sets the value as a little-endian REG_DWORD. True when written.
bool CreateKeyAndWriteDword(IRegistry& registry, const std::u16string& path, const std::u16string& value_name,
                            std::int32_t value);

// Opens the key like the writer (so a missing key is created, empty) and removes the value. True when the
// value is gone, also when it was never there.
bool CreateKeyAndDeleteValue(IRegistry& registry, const std::u16string& path,
                             const std::u16string& value_name);

// Below HKEY_LOCAL_MACHINE, by subkey: the machine's own values as the record keeps them, of any type.

enum class ValueRead { Found, Absent, Failed, TooLarge };
// One value's type and data, up to `limit` bytes (a larger value is TooLarge). Absent also when its key is.
ValueRead ReadMachineValue(IRegistry& registry, const std::u16string& subkey, const std::u16string& name,
                           std::uint32_t limit, std::uint32_t* type, std::vector<std::uint8_t>* data);
// True only when the key is seen not to be there (a refused open is not).
bool MachineKeyMissing(IRegistry& registry, const std::u16string& subkey);

bool CreateKeyAndSetMachineValue(IRegistry& registry, const std::u16string& subkey,
                                 const std::u16string& name, std::uint32_t type,
                                 const std::vector<std::uint8_t>& data);
// The key is created with (or given) an access list for Administrators and SYSTEM only.
bool CreateAdminKeyAndSetMachineValue(IRegistry& registry, const std::u16string& subkey,
                                      const std::u16string& name, std::uint32_t type,
                                      const std::vector<std::uint8_t>& data);

// True when the value is gone: also when it was never there, or its key is not (a key that is not there holds
// no value to remove).
bool DeleteMachineValueIfKeyExists(IRegistry& registry, const std::u16string& subkey,
                                   const std::u16string& name);
// Deletes the key only while it holds no value and no subkey.
void DeleteMachineKeyIfEmpty(IRegistry& registry, const std::u16string& subkey);

}  // namespace tw
