#include "platform/win32/com_apartment.h"

#include <windows.h>
#include <objbase.h>

namespace tw::win {
namespace {
bool g_entered = false;  // only the UI thread enters and leaves
}  // namespace

bool EnterUiApartment() {
  if (g_entered) return true;
  g_entered = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  return g_entered;
}

void LeaveUiApartment() {
  if (!g_entered) return;
  g_entered = false;
  CoUninitialize();
}

}  // namespace tw::win
