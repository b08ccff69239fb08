// Cutting values out of the update service's answer. The answer is JSON-like text that is never parsed as
// JSON: values are taken between fixed markers and their backslash escapes resolved afterwards.
// Positions count UTF-16 code units from 1; 0 means nothing was found.
#pragma once

#include <string>
#include <string_view>

namespace tw {

// The text after the first `start_marker` at or after *position and before the next `end_marker`. Markers
// match without regard to the case of ASCII letters; an escaped quote does not end a quoted value. On return
// *position is where a following search may begin, or 0 when nothing was found. Empty markers stand for the
// beginning and the end of the source.
std::u16string ExtractBetweenAt(std::u16string_view source, std::u16string_view start_marker,
                                std::u16string_view end_marker, int* position);

// ExtractBetweenAt from position 1. With KeepMarkers, a result that is not blank comes back wrapped in the
// two markers as passed.
std::u16string ExtractBetween(std::u16string_view source, std::u16string_view start_marker,
                              std::u16string_view end_marker, bool KeepMarkers = false);

// Resolves JSON-style backslash escapes; unknown escapes vanish. Raises tw::Error for a \u escape whose
// digits are missing or not hexadecimal.
std::u16string JsonUnescape(std::u16string_view text);

}  // namespace tw
