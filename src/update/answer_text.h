// Texts taken from the service's answer end up on the screen of an elevated process: they are bounded in
// length and rid of the characters that reorder, hide or break what is shown. A caption is cleaned; an
// address is refused rather than rewritten, since a rewritten address leads somewhere else.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tw {

// UTF-16 code units: a check-box caption or a link's text; a web address (what browsers reliably take).
inline constexpr std::size_t kShownTextMax = 256;
inline constexpr std::size_t kAddressMax = 2048;

// Code points never shown from the network: controls (Cc), format characters (Cf: bidirectional marks,
// embeddings, overrides and isolates, zero-width characters, the byte-order mark, tags), the line and
// paragraph separators and the noncharacters.
bool IsControlOrFormat(char32_t c);

// `text` without those code points and without unpaired surrogates, line breaks and tabs turned into spaces,
// then cut to at most `max_units` code units without splitting a surrogate pair.
std::u16string ShownText(std::u16string_view text, std::size_t max_units = kShownTextMax);

// True when `text` holds none of the code points ShownText removes, no unpaired surrogate, and at most
// `max_units` code units.
bool IsCleanText(std::u16string_view text, std::size_t max_units);

}  // namespace tw
