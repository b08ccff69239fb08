// The translation table's bytes compiled into the program (generated from resources/translate.txt), for
// builds that have no Windows resources. Windows builds read the RCDATA resource "TRANSLATE" instead.
#pragma once

#include <string_view>

namespace tw {

std::string_view EmbeddedTranslateTable();

}  // namespace tw
