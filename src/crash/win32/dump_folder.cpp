#include "crash/win32/dump_folder.h"

#include <initializer_list>

namespace tw::win {
namespace {

// Appends `text` after the first `length` characters of `buffer`; false, and nothing written, when the result
// and its terminator would not fit.
bool Append(wchar_t* buffer, size_t capacity, size_t& length, const wchar_t* text) {
  const size_t n = static_cast<size_t>(lstrlenW(text));
  if (length + n + 1 > capacity) return false;
  CopyMemory(buffer + length, text, n * sizeof(wchar_t));
  length += n;
  buffer[length] = L'\0';
  return true;
}

bool MakeSid(WELL_KNOWN_SID_TYPE type, BYTE* sid) {
  DWORD size = SECURITY_MAX_SID_SIZE;
  return CreateWellKnownSid(type, nullptr, sid, &size) != FALSE;
}

}  // namespace

bool AdminOnlySecurity::Make() {
  if (!MakeSid(WinBuiltinAdministratorsSid, admins_) || !MakeSid(WinLocalSystemSid, system_)) return false;
  auto* acl = reinterpret_cast<PACL>(acl_);
  if (!InitializeAcl(acl, sizeof acl_, ACL_REVISION)) return false;
  for (BYTE* sid : {admins_, system_}) {
    if (!AddAccessAllowedAceEx(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, FILE_ALL_ACCESS,
                               sid))
      return false;
  }
  if (!InitializeSecurityDescriptor(&sd_, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorOwner(&sd_, admins_, FALSE) ||
      !SetSecurityDescriptorDacl(&sd_, TRUE, acl, FALSE) ||
      !SetSecurityDescriptorControl(&sd_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
    return false;
  }
  attributes_ = {sizeof attributes_, &sd_, FALSE};
  return true;
}

bool CrashDumpParent(wchar_t* folder, size_t capacity) {
  const UINT n = GetSystemWindowsDirectoryW(folder, static_cast<UINT>(capacity));
  // Too small a buffer gives the length needed, and nothing written.
  if (n == 0 || n >= capacity) return false;
  size_t length = n;
  return Append(folder, capacity, length, L"\\Temp");
}

HANDLE CreateDumpFile(const wchar_t* parent, const wchar_t* stamp, wchar_t* path, size_t capacity) {
  AdminOnlySecurity security;
  size_t length = 0;
  if (!security.Make() || !Append(path, capacity, length, parent) ||
      !Append(path, capacity, length, L"\\Tempowave-crash-") || !Append(path, capacity, length, stamp)) {
    return INVALID_HANDLE_VALUE;
  }
  const size_t folder_length = length;
  if (!Append(path, capacity, length, L"\\Tempowave-crash-") || !Append(path, capacity, length, stamp) ||
      !Append(path, capacity, length, L".dmp")) {
    return INVALID_HANDLE_VALUE;
  }
  // A folder of our own, made now: this fails for any name that exists, a link planted there included, so
  // nothing someone else prepared is ever written through. The parent lets standard users add folders but not
  // remove or rename those of others.
  path[folder_length] = L'\0';
  if (!CreateDirectoryW(path, security.attributes())) return INVALID_HANDLE_VALUE;
  path[folder_length] = L'\\';
  return CreateFileW(path, GENERIC_WRITE, 0, security.attributes(), CREATE_NEW,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

}  // namespace tw::win
