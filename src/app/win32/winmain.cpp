// Process entry: module initialisation, the single-instance test, the main window and its message loop.
#include <windows.h>

#include "app/restore_command.h"
#include "app/startup.h"
#include "app/win32/main_window.h"
#include "app/win32/restore_win32.h"
#include "app/win32/services_win32.h"
#include "crash/win32/crash_handler.h"
#include "i18n/translate.h"
#include "platform/win32/com_apartment.h"
#include "platform/win32/instance_lock_win32.h"
#include "platform/win32/locale_win32.h"
#include "platform/win32/resources_win32.h"
#include "platform/win32/random_win32.h"
#include "platform/win32/wstr.h"
#include "theme/vantorel_button_styles.h"
#include "ui/win32/gdiplus_session.h"

namespace {
constexpr wchar_t kMutexName[] = L"TempowaveMutex";
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int show) {
  tw::win::WinLocale locale;
  tw::StartupSequence modules;
  // The UI thread calls the shell to open links: it stays in its apartment until the program ends.
  modules.Add(
      u"COM apartment", [] { tw::win::EnterUiApartment(); }, tw::win::LeaveUiApartment);
  // The translation table is loaded and the language chosen before any window exists.
  modules.Add(
      u"V.Translate", [&locale] { tw::TranslateModuleStart(tw::win::RcData(nullptr, L"translate"), locale); },
      tw::TranslateModuleStop);
  modules.Add(u"button family", tw::StartVantorelButtonStyles);
  modules.Add(u"GDI+", tw::win::StartGdiplus, tw::win::StopGdiplus);
  modules.Add(u"random generator", [] { tw::win::ProcessRandom::Instance().Randomize(); });
  modules.Add(u"crash handler", tw::win::InstallCrashHandler);
  modules.Initialize();

  // A copy is already running in this logon session: end silently. `/restore` follows the same rule but says
  // so in its exit code.
  const bool restore = tw::IsRestoreCommand(tw::win::U(command_line));
  if (!tw::win::ClaimInstance(kMutexName)) {
    modules.Finalize();
    return restore ? tw::kRestoreOtherCopy : 0;
  }
  if (restore) {
    const int code = tw::win::RunRestore();
    modules.Finalize();
    return code;
  }

  tw::win::SwitchMarkedBackOnAtStart();
  // WMI can take long, right after boot most of all: discovery runs while the window is being built, and the
  // window's load step collects it.
  tw::AdapterDiscovery discovery = tw::win::StartAdapterDiscovery();
  tw::win::RunMainWindow(instance, show, &discovery);
  modules.Finalize();
  return 0;
}
