// Process entry: module initialisation, the single-instance test, the main window and its message loop.
#include <windows.h>

#include "app/startup.h"
#include "app/win32/main_window.h"
#include "app/win32/services_win32.h"
#include "crash/win32/crash_handler.h"
#include "i18n/translate.h"
#include "platform/win32/locale_win32.h"
#include "platform/win32/resources_win32.h"
#include "platform/win32/random_win32.h"
#include "theme/vantorel_button_styles.h"
#include "ui/win32/gdiplus_session.h"

namespace {
constexpr wchar_t kMutexName[] = L"TempowaveMutex";
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  tw::win::WinLocale locale;
  tw::StartupSequence modules;
  // The translation table is loaded and the language chosen before any window exists.
  modules.Add(
      u"V.Translate", [&locale] { tw::TranslateModuleStart(tw::win::RcData(nullptr, L"translate"), locale); },
      tw::TranslateModuleStop);
  modules.Add(u"button family", tw::StartVantorelButtonStyles);
  modules.Add(u"GDI+", tw::win::StartGdiplus, tw::win::StopGdiplus);
  modules.Add(u"random generator", [] { tw::win::ProcessRandom::Instance().Randomize(); });
  modules.Add(u"crash handler", tw::win::InstallCrashHandler);
  modules.Initialize();

  // A copy is already running in this logon session: end silently. The handle is deliberately not closed;
  // the process ends right away.
  if (OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kMutexName)) {
    modules.Finalize();
    return 0;
  }
  // Held, never released, for the whole life of the process; the system frees it however the process ends.
  CreateMutexW(nullptr, TRUE, kMutexName);

  // WMI can take long, right after boot most of all: discovery runs while the window is being built, and the
  // window's load step collects it.
  tw::AdapterDiscovery discovery = tw::win::StartAdapterDiscovery();
  tw::win::RunMainWindow(instance, show, &discovery);
  modules.Finalize();
  return 0;
}
