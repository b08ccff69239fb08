#include "app/win32/services_win32.h"

#include "build_config.h"
#include "platform/win32/adapters_win32.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/com_win32.h"
#include "platform/win32/dispatcher_win32.h"
#include "platform/win32/http_win32.h"
#include "platform/win32/machine_lock_win32.h"
#include "platform/win32/netcon_win32.h"
#include "platform/win32/random_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/shell_win32.h"
#include "platform/win32/threads_win32.h"
#include "platform/win32/version_win32.h"
#include "ui/win32/address_dialog.h"
#include "platform/win32/application.h"
#include "update/update.h"
#include "update/win32/update_prompts.h"

namespace tw::win {
namespace {

// Shared by discovery, which starts before the other services are made.
Win32AdapterFacts& AdapterFacts() {
  static Win32AdapterFacts& facts = *new Win32AdapterFacts;
  return facts;
}

Win32Threads& Threads() {
  static Win32Threads& threads = *new Win32Threads;
  return threads;
}

}  // namespace

AdapterDiscovery StartAdapterDiscovery() {
  return AdapterDiscovery(AdapterFacts(), Threads());
}

Services MakeServices() {
  // Process-lifetime objects, deliberately never destroyed: worker threads are not joined at exit and may
  // still be using them while the runtime runs its exit code.
  // Links open at the user's level through the desktop's shell; where that is not possible the user is shown
  // the address to copy, never a browser started by this elevated process.
  static Shell& shell = *new Shell(
      OpenThroughDesktopShell,
      [](const std::u16string& target) { ShowAddressToCopy(Application::MainWindow(), target); },
      DesktopShellElevation);
  static WinRegistry& registry = *new WinRegistry;
  static SystemClock& clock = *new SystemClock;
  static WinHttp& http = *new WinHttp;
  static VersionInfo& version = *new VersionInfo;
  static Win32NetConnections& connections = *new Win32NetConnections;
  static Win32Com& com = *new Win32Com;
  static MachineLock& machine_lock = *new MachineLock;
  static SystemRandom& secure_random = *new SystemRandom;
  Services s{.registry = registry,
             .dispatcher = UiDispatcher::Instance(),
             .clock = clock,
             .http = http,
             .shell = &shell,
             .random = &ProcessRandom::Instance(),
             .secure_random = &secure_random,
             .adapters = &AdapterFacts(),
             .connections = &connections,
             .version = &version,
             .threads = &Threads(),
             .com = &com,
             .machine_lock = &machine_lock,
             .probe_attempts = config::kConfiguredProbeAttempts};
  static UpdatePrompts& prompts = *new UpdatePrompts(s);
  s.prompts = &prompts;
  return s;
}

}  // namespace tw::win
