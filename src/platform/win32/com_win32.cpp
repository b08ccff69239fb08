#include "platform/win32/com_win32.h"

#include <windows.h>
#include <objbase.h>

namespace tw::win {

bool Win32Com::Enter() {
  // S_FALSE (already in an apartment of this kind) is a level too and is balanced the same way.
  return SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

void Win32Com::Leave() {
  CoUninitialize();
}

}  // namespace tw::win
