// The services the program's logic reaches, in one bag built once by the composition root (app/win32) and
// handed down; tests fill it with doubles (tests/fakes/fake_services.h). Each interface lives in its own
// header under platform/.
#pragma once

#include <functional>
#include <string>

namespace tw {

class IRegistry;
class IShell;
class IUiDispatcher;
class IClock;
class IRandom;
class ISecureRandom;
class IHttp;
class IAdapterFacts;
class INetConnections;
class IVersionInfo;
class IUpdatePrompts;
class IThreads;
class ICom;
class IMachineLock;

struct Services {
  // Required: always there, used without a check.
  IRegistry& registry;
  IUiDispatcher& dispatcher;
  IClock& clock;
  IHttp& http;
  // Optional: null where a test leaves them out; every use checks and skips what needs the missing one.
  IShell* shell = nullptr;
  IRandom* random = nullptr;               // null: the first slogan
  ISecureRandom* secure_random = nullptr;  // null: no installation identifier sent
  IAdapterFacts* adapters = nullptr;
  INetConnections* connections = nullptr;
  IVersionInfo* version = nullptr;    // null: version "0.0.0.0"
  IUpdatePrompts* prompts = nullptr;  // the update offer and the notice strip (update/win32 in the program)
  IThreads* threads = nullptr;        // null: SystemThreads()
  ICom* com = nullptr;                // null: no COM apartment is entered (the portable builds)
  IMachineLock* machine_lock = nullptr;  // null: no other copy is ever met (tests that do not look at it)
  // The two-letter code of the user's language, read when an update check starts.
  std::function<std::u16string()> language = nullptr;  // null: CurrentLanguage
  // Probe attempts of the wait after an adapter restart; 0: the standard schedule. Only the loopback test
  // build's program shortens it (TEMPOWAVE_PROBE_ATTEMPTS).
  int probe_attempts = 0;
};

}  // namespace tw
