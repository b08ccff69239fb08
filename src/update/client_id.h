// The installation identifier sent with every update request.
#pragma once

#include <string>
#include <string_view>

namespace tw {

class IClock;
class ISecureRandom;
class IRegistry;

// A new installation identifier: 8 hex digits, yymmdd, 4 hex digits, hhnnss, 8 hex digits. The 80 bits of hex
// digits come from the system's cryptographic generator; empty when it fails (no guessable stand-in).
std::u16string NewClientId(ISecureRandom& random, IClock& clock);
// The identifier stored as "VUID" under HKCU\Software\Vantorel, created on first use and never replaced;
// empty when the registry or the generator cannot be used (nothing is stored then).
std::u16string ClientId(IRegistry& registry, ISecureRandom& random, IClock& clock);
// The identifier as sent: a stored value that is not exactly 32 hexadecimal digits goes out empty (and stays
// as stored), so that a damaged value cannot break or shape the requests.
std::u16string ClientIdToSend(std::u16string_view id);

}  // namespace tw
