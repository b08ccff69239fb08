// Loaded into the program under test by the inspector for a moment: counts the program's own GDI objects,
// which only the process itself can see under Wine. The inspector starts CountGdiObjectsThread as a remote
// thread with an object type (OBJ_BRUSH, ...) or 0 for all as its argument; the count is the exit code.
#include <windows.h>

#include "gui_objects.h"

extern "C" __declspec(dllexport) DWORD WINAPI CountGdiObjectsThread(LPVOID type) {
  return tw::test::CountGdiObjects(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(type)));
}
