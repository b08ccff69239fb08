// The fixed texts of the update offer, the notice strip and the Yes/No buttons, in seven languages.
#pragma once

#include <string>
#include <string_view>

namespace tw {

enum UpdateTextKind : int { utPrompt = 0, utStatus = 1, utYes = 2, utNo = 3 };

// The fixed texts of the offer, the strip and the buttons, by language code (exact match, English otherwise).
std::u16string UpdateText(int kind, std::u16string_view language);
// The same in CurrentLanguage.
std::u16string UpdateText(int kind);

}  // namespace tw
