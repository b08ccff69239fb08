// The installation identifier sent with every update request.
#pragma once

#include <string>

namespace tw {

class IClock;
class IRandom;
class IRegistry;

// A new installation identifier: 8 hex digits, yymmdd, 4 hex digits, hhnnss, 8 hex digits.
std::u16string NewClientId(IRandom& random, IClock& clock);
// The identifier stored as "VUID" under HKCU\Software\Vantorel, created on first use and never replaced;
// empty when the registry cannot be used.
std::u16string ClientId(IRegistry& registry, IRandom& random, IClock& clock);

}  // namespace tw
