// Resources embedded in a module.
#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

namespace tw::win {

// The bytes of the RCDATA resource `name` (matched without regard to case) in `module` (nullptr: the
// program's own executable); nullopt when there is none. The bytes stay valid while the module is loaded.
std::optional<std::string_view> RcData(HMODULE module, const wchar_t* name);

}  // namespace tw::win
