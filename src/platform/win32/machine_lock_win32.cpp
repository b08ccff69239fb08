#include "platform/win32/machine_lock_win32.h"

#include <aclapi.h>
#include <sddl.h>

namespace tw::win {
namespace {

// A mutex of that name owned by Administrators or SYSTEM: one this program (elevated) made. Anything else (an
// event squatting the name, a mutex a user made first) is never taken as the lock.
bool OwnedByAdministrators(HANDLE mutex) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(mutex, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                      &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const bool ours = owner && (IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                              IsWellKnownSid(owner, WinLocalSystemSid));
  LocalFree(descriptor);
  return ours;
}

HANDLE OpenOrCreate(const wchar_t* name) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAD:P(A;;GA;;;BA)(A;;GA;;;SY)",
                                                            SDDL_REVISION_1, &descriptor, nullptr)) {
    return nullptr;
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  HANDLE mutex = CreateMutexW(&attributes, FALSE, name);
  LocalFree(descriptor);
  if (mutex && !OwnedByAdministrators(mutex)) {
    CloseHandle(mutex);
    return nullptr;
  }
  return mutex;
}

}  // namespace

MachineLock::~MachineLock() {
  if (mutex_) CloseHandle(mutex_);
}

LockTaken MachineLock::TryAcquire() {
  if (!mutex_) mutex_ = OpenOrCreate(name_);
  if (!mutex_) return LockTaken::Busy;
  const DWORD waited = WaitForSingleObject(mutex_, 0);
  // Abandoned: the copy that held it ended part-way; what it left is for the new holder to put right.
  return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED ? LockTaken::Held : LockTaken::Busy;
}

void MachineLock::Release() {
  if (mutex_) ReleaseMutex(mutex_);
}

}  // namespace tw::win
