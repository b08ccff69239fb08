// The process's entry point, ahead of the C and C++ runtime: the exe runs as administrator from wherever it
// was saved, so the library search is restricted to the system folder before anything else can load a
// library. Static constructors, the runtime's own start and every delay-loaded import come after this.
// The import table holds only libraries that Windows always takes from the system folder (KnownDLLs).
#include <windows.h>

#include "platform/win32/library_search_win32.h"
#include "platform/win32/local_redirection_win32.h"

// MinGW's start-up code for a GUI program (crt2u.o); it initialises the runtime and calls wWinMain.
extern "C" int WinMainCRTStartup();

extern "C" int TempowaveStart() {
  // Without the restriction the exe's folder would be searched: better not to start than to run as
  // administrator with that. A loader that lacks default directories altogether (Windows 7 or Vista without
  // the 2011 loader update) gets a message that says what to install.
  if (!tw::win::RestrictLibrarySearchToSystem()) {
    tw::win::ShowLoaderUpdateNeeded();
    ExitProcess(1);
  }
  // A "Tempowave.exe.local" entry, or common controls bound from outside the Windows folder, would redirect
  // the side-by-side libraries of the manifest, which the search restriction does not cover: refused before
  // any side-by-side library is loaded, and told without one.
  if (tw::win::RefuseLocalRedirection()) ExitProcess(1);
  return WinMainCRTStartup();
}
