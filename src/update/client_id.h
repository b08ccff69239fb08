// The installation identifier sent with every update request.
#pragma once

#include <string>
#include <string_view>

namespace tw {

class IClock;
class IRandom;
class IRegistry;

// A new installation identifier: 8 hex digits, yymmdd, 4 hex digits, hhnnss, 8 hex digits.
std::u16string NewClientId(IRandom& random, IClock& clock);
// The identifier stored as "VUID" under HKCU\Software\Vantorel, created on first use and never replaced;
// empty when the registry cannot be used.
std::u16string ClientId(IRegistry& registry, IRandom& random, IClock& clock);
// The identifier as sent: a stored value that is not exactly 32 hexadecimal digits goes out empty (and stays
// as stored), so that a damaged value cannot break or shape the requests.
std::u16string ClientIdToSend(std::u16string_view id);

}  // namespace tw
