// The program's services bag for tests: doubles for the four required services, the optional ones left out.
// A test sets the optional services it reaches on the bag it gets, or builds its own bag from doubles it
// keeps elsewhere (a queued hand-over, a real registry).
#pragma once

#include "fakes/fake_clock.h"
#include "fakes/fake_dispatcher.h"
#include "fakes/fake_http.h"
#include "platform/registry.h"
#include "platform/services.h"

namespace tw::test {

// A registry that refuses everything, as one the program may not use: nothing is read or stored.
class RefusingRegistry : public IRegistry {
 public:
  RegStatus CreateKey(RegKey, const std::u16string&, std::uint32_t, std::uint32_t, RegKey*) override {
    return reg::kAccessDenied;
  }
  RegStatus CreateAdminKey(RegKey, const std::u16string&, std::uint32_t, RegKey*) override {
    return reg::kAccessDenied;
  }
  RegStatus OpenKey(RegKey, const std::u16string&, std::uint32_t, RegKey*) override {
    return reg::kAccessDenied;
  }
  RegStatus QueryValue(RegKey, const std::u16string&, std::uint32_t*, std::uint8_t*,
                       std::uint32_t*) override {
    return reg::kInvalidHandle;
  }
  RegStatus SetValue(RegKey, const std::u16string&, std::uint32_t, const std::uint8_t*,
                     std::uint32_t) override {
    return reg::kInvalidHandle;
  }
  RegStatus DeleteValue(RegKey, const std::u16string&) override { return reg::kInvalidHandle; }
  RegStatus DeleteEmptyKey(RegKey, const std::u16string&, std::uint32_t) override {
    return reg::kAccessDenied;
  }
  RegStatus CloseKey(RegKey) override { return reg::kInvalidHandle; }
};

struct FakeServices {
  RefusingRegistry registry;
  FakeDispatcher dispatcher;
  FakeClock clock;
  FakeHttp http;  // every request fails unless a test scripts an answer

  Services Bag() {
    return Services{.registry = registry, .dispatcher = dispatcher, .clock = clock, .http = http};
  }
};

}  // namespace tw::test
