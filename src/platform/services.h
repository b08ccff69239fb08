// The services the program's logic reaches, in one bag built once by the composition root (app/win32) and
// handed down; tests fill it with doubles. Each interface lives in its own header under platform/.
#pragma once

#include <functional>
#include <string>

namespace tw {

class IRegistry;
class IShell;
class IUiDispatcher;
class IClock;
class IRandom;
class IHttp;
class IAdapterFacts;
class INetConnections;
class IVersionInfo;
class IUpdatePrompts;
class IThreads;

struct Services {
  IRegistry* registry = nullptr;
  IShell* shell = nullptr;
  IUiDispatcher* dispatcher = nullptr;
  IClock* clock = nullptr;
  IRandom* random = nullptr;
  IHttp* http = nullptr;
  IAdapterFacts* adapters = nullptr;
  INetConnections* connections = nullptr;
  IVersionInfo* version = nullptr;
  IUpdatePrompts* prompts = nullptr;  // the update offer and the notice strip (update/win32 in the program)
  IThreads* threads = nullptr;        // null: SystemThreads()
  // The two-letter code of the user's language, read when an update check starts.
  std::function<std::u16string()> language = nullptr;  // null: CurrentLanguage
};

}  // namespace tw
