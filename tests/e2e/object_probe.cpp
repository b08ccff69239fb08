// Loaded into the program under test by the inspector for a moment: counts the program's own GDI objects,
// which only the process itself can see under Wine. The inspector starts CountGdiObjectsThread as a remote
// thread with an object type (OBJ_BRUSH, ...) or 0 for all as its argument; the count is the exit code.
#include <windows.h>

#include "gui_objects.h"

extern "C" __declspec(dllexport) DWORD WINAPI CountGdiObjectsThread(LPVOID type) {
  const DWORD wanted = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(type));
  if (wanted == 0) return tw::test::CountGdiObjects();
  DWORD n = 0;
  for (ULONG_PTR index = 1; index < 0x10000; ++index)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) == wanted) ++n;
  return n;
}
