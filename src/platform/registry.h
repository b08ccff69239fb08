// The registry operations the program calls. The Win32 implementation passes these arguments straight to the
// wide-character registry API; tests use an in-memory double with fault injection.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tw {

using RegKey = std::uintptr_t;  // an open key handle, or one of the predefined roots below
using RegStatus = long;         // 0 is success, anything else a Windows error code

namespace reg {
inline constexpr RegKey kClassesRoot = 0x80000000u;
inline constexpr RegKey kCurrentUser = 0x80000001u;
inline constexpr RegKey kLocalMachine = 0x80000002u;
inline constexpr RegKey kUsers = 0x80000003u;
inline constexpr RegKey kPerformanceData = 0x80000004u;
inline constexpr RegKey kCurrentConfig = 0x80000005u;
inline constexpr RegKey kDynData = 0x80000006u;

inline constexpr std::uint32_t kOptionNonVolatile = 0;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyWow64_64 = 0x100;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
inline constexpr std::uint32_t kReadWrite64 = kKeyRead | kKeyWrite | kKeyWow64_64;  // 0x2011F
inline constexpr std::uint32_t kReadWrite = kKeyRead | kKeyWrite;                   // 0x2001F

inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kSz = 1;
inline constexpr std::uint32_t kExpandSz = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kDwordBigEndian = 5;
inline constexpr std::uint32_t kMultiSz = 7;
inline constexpr std::uint32_t kQword = 11;

inline constexpr RegStatus kSuccess = 0;
inline constexpr RegStatus kFileNotFound = 2;
inline constexpr RegStatus kAccessDenied = 5;
inline constexpr RegStatus kInvalidHandle = 6;
inline constexpr RegStatus kDirNotEmpty = 145;
inline constexpr RegStatus kMoreData = 234;
}  // namespace reg

class IRegistry {
 public:
  virtual ~IRegistry() = default;
  // RegCreateKeyExW(root, subkey, 0, no class, options, access, no security): opens or creates with parents.
  virtual RegStatus CreateKey(RegKey root, const std::u16string& subkey, std::uint32_t options,
                              std::uint32_t access, RegKey* key) = 0;
  // RegCreateKeyExW with an access list that grants Administrators and SYSTEM full control and no one else
  // anything (inherited by its subkeys); an existing key is given that list too. For machine-wide state that
  // only an elevated copy of the program may change.
  virtual RegStatus CreateAdminKey(RegKey root, const std::u16string& subkey, std::uint32_t access,
                                   RegKey* key) = 0;
  // RegOpenKeyExW(root, subkey, 0, access).
  virtual RegStatus OpenKey(RegKey root, const std::u16string& subkey, std::uint32_t access, RegKey* key) = 0;
  // RegQueryValueExW. With data == nullptr only the type and size are reported; otherwise *size is the
  // buffer size on entry and the data size on return; data longer than the buffer fails (kMoreData).
  virtual RegStatus QueryValue(RegKey key, const std::u16string& name, std::uint32_t* type,
                               std::uint8_t* data, std::uint32_t* size) = 0;
  // RegSetValueExW(key, name, 0, type, data, size).
  virtual RegStatus SetValue(RegKey key, const std::u16string& name, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) = 0;
  // RegDeleteValueW.
  virtual RegStatus DeleteValue(RegKey key, const std::u16string& name) = 0;
  // Deletes the key (RegDeleteKeyExW, `access` carrying the registry view) only when it holds no value and
  // no subkey: kDirNotEmpty otherwise, kFileNotFound when it is not there.
  virtual RegStatus DeleteEmptyKey(RegKey root, const std::u16string& subkey, std::uint32_t access) = 0;
  // RegCloseKey (no flush).
  virtual RegStatus CloseKey(RegKey key) = 0;
};

}  // namespace tw
