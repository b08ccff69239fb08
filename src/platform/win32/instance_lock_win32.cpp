#include "platform/win32/instance_lock_win32.h"

#include <windows.h>

namespace tw::win {

bool ClaimInstance(const wchar_t* name) {
  HANDLE mutex = CreateMutexW(nullptr, TRUE, name);
  const DWORD error = GetLastError();
  if (!mutex) {
    // It exists, made under rights that this process may not open: taken all the same. Any other failure
    // leaves the copy running without the lock.
    return error != ERROR_ACCESS_DENIED;
  }
  if (error == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return false;
  }
  return true;  // never closed: held until the process ends
}

}  // namespace tw::win
