// Module V.Translate: the seven-language translation table, the current language and the lookup that turns
// any known phrase into the current or a given language. The user-interface texts are written in Korean and
// pass through Translate; a phrase in any of the table's languages finds its block.
// The table and CurrentLanguage are process-wide: written at module start (before any window exists) and by
// TranslateComponent, read on the UI thread, without locks.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/locale.h"

namespace tw {

// Splits at CR LF, LF or CR. A break after the last line adds no empty line.
std::vector<std::u16string> SplitLines(std::u16string_view text);
// Skips a leading UTF-8 byte-order mark, decodes strictly and splits into lines; empty when undecodable.
std::vector<std::u16string> ParseTranslationTable(std::string_view bytes);

const std::vector<std::u16string>& TranslationTable();

const std::u16string& CurrentLanguage();
void SetCurrentLanguage(const std::u16string& language);

// The phrase in `language` (empty: CurrentLanguage), else in English, else `text` itself; "\n" escapes become
// one carriage return each. Never fails.
std::u16string Translate(const std::u16string& text, const std::u16string& language = {});

// The ISO 639 name of the user's default locale, or "en" when it cannot be read.
std::u16string SystemLanguage(ILocale& locale);

// Module start: loads the table from the resource's bytes (nullopt: no resource, the table stays empty) and
// sets CurrentLanguage to the first two characters of SystemLanguage.
void TranslateModuleStart(std::optional<std::string_view> resource, ILocale& locale);
// Module stop: releases the table and clears CurrentLanguage.
void TranslateModuleStop();

}  // namespace tw
