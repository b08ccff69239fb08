// Loaded into the program under test by the inspector for a moment: counts the program's own GDI objects,
// which only the process itself can see under Wine. The inspector starts CountGdiObjectsThread as a remote
// thread; the count is the thread's exit code.
#include <windows.h>

#include "gui_objects.h"

extern "C" __declspec(dllexport) DWORD WINAPI CountGdiObjectsThread(LPVOID) {
  return tw::test::CountGdiObjects();
}
