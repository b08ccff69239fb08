// The operating-system services the program's logic reaches, injected at start-up (Win32 implementations in
// the program, doubles in the tests). Each interface lives in its own header under platform/.
#pragma once

namespace tw {

class IRegistry;
class IShell;
class IUiDispatcher;
class IClock;
class IRandom;
class IHttp;
class IAdapterFacts;
class INetConnections;
class ILocale;
class IVersionInfo;
class IUpdatePrompts;
class IThreads;
class ICom;
class AdapterDiscovery;

struct Services {
  IRegistry* registry = nullptr;
  IShell* shell = nullptr;
  IUiDispatcher* dispatcher = nullptr;
  IClock* clock = nullptr;
  IRandom* random = nullptr;
  IHttp* http = nullptr;
  IAdapterFacts* adapters = nullptr;
  INetConnections* connections = nullptr;
  ILocale* locale = nullptr;
  IVersionInfo* version = nullptr;
  IUpdatePrompts* prompts = nullptr;  // the update offer and the notice strip (update/win32 in the program)
  IThreads* threads = nullptr;        // null: SystemThreads()
  ICom* com = nullptr;                // null: no COM apartment is entered
  AdapterDiscovery* discovery = nullptr;  // started at process start; null: discovery runs at the load step
};

}  // namespace tw
