#include "platform/win32/registry_win32.h"

#include <windows.h>

#include <sddl.h>

#include "platform/win32/wstr.h"

namespace tw::win {
namespace {

// The predefined roots are 32-bit values sign-extended into a pointer: on x64 HKEY_LOCAL_MACHINE is
// 0xFFFFFFFF80000002, and the zero-extended 0x80000002 would be refused as an unknown handle.
HKEY ToHkey(RegKey key) {
  if (key >= reg::kClassesRoot && key <= 0x800000FFu) {
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(static_cast<std::uint32_t>(key))));
  }
  return reinterpret_cast<HKEY>(key);
}

RegKey FromHkey(HKEY key) {
  return reinterpret_cast<RegKey>(key);
}

}  // namespace

RegStatus WinRegistry::CreateKey(RegKey root, const std::u16string& subkey, std::uint32_t options,
                                 std::uint32_t access, RegKey* key) {
  HKEY out = nullptr;
  const LSTATUS status =
      RegCreateKeyExW(ToHkey(root), W(subkey), 0, nullptr, options, access, nullptr, &out, nullptr);
  if (status == ERROR_SUCCESS) *key = FromHkey(out);
  return status;
}

RegStatus WinRegistry::CreateAdminKey(RegKey root, const std::u16string& subkey, std::uint32_t access,
                                      RegKey* key) {
  // Protected: nothing is inherited from SOFTWARE, where users may hold rights of their own.
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;KA;;;BA)(A;OICI;KA;;;SY)",
                                                            SDDL_REVISION_1, &descriptor, nullptr)) {
    return static_cast<RegStatus>(GetLastError());
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  HKEY out = nullptr;
  LSTATUS status = RegCreateKeyExW(ToHkey(root), W(subkey), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   access | WRITE_DAC | READ_CONTROL, &attributes, &out, nullptr);
  // Set again in every case: a key made earlier (by a version without the list, or by someone else) gets
  // it now, and so does a new key where the system did not take it from the creation (Wine).
  if (status == ERROR_SUCCESS) {
    status = RegSetKeySecurity(out, DACL_SECURITY_INFORMATION, descriptor);
    if (status != ERROR_SUCCESS) {
      RegCloseKey(out);
      out = nullptr;
    }
  }
  LocalFree(descriptor);
  if (status == ERROR_SUCCESS) *key = FromHkey(out);
  return status;
}

RegStatus WinRegistry::OpenKey(RegKey root, const std::u16string& subkey, std::uint32_t access, RegKey* key) {
  HKEY out = nullptr;
  const LSTATUS status = RegOpenKeyExW(ToHkey(root), W(subkey), 0, access, &out);
  if (status == ERROR_SUCCESS) *key = FromHkey(out);
  return status;
}

RegStatus WinRegistry::QueryValue(RegKey key, const std::u16string& name, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* size) {
  DWORD t = 0;
  DWORD n = size ? *size : 0;
  const LSTATUS status = RegQueryValueExW(ToHkey(key), W(name), nullptr, &t, data, size ? &n : nullptr);
  if (type) *type = t;
  if (size) *size = n;
  return status;
}

RegStatus WinRegistry::SetValue(RegKey key, const std::u16string& name, std::uint32_t type,
                                const std::uint8_t* data, std::uint32_t size) {
  return RegSetValueExW(ToHkey(key), W(name), 0, type, data, size);
}

RegStatus WinRegistry::DeleteValue(RegKey key, const std::u16string& name) {
  return RegDeleteValueW(ToHkey(key), W(name));
}

RegStatus WinRegistry::DeleteEmptyKey(RegKey root, const std::u16string& subkey, std::uint32_t access) {
  const REGSAM view = access & (KEY_WOW64_64KEY | KEY_WOW64_32KEY);
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyExW(ToHkey(root), W(subkey), 0, KEY_QUERY_VALUE | view, &key);
  if (status != ERROR_SUCCESS) return status;
  DWORD subkeys = 0, values = 0;
  status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                            nullptr, nullptr, nullptr);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return status;
  if (subkeys || values) return ERROR_DIR_NOT_EMPTY;
  return RegDeleteKeyExW(ToHkey(root), W(subkey), view, 0);
}

RegStatus WinRegistry::CloseKey(RegKey key) {
  return RegCloseKey(ToHkey(key));
}

}  // namespace tw::win
