// Shows a web address that the program could not open at the user's level, for the user to copy into a
// browser: a short message in the user's language, the address in a read-only box (selected, so Ctrl+C takes
// it), Copy and Close.
#pragma once

#include <windows.h>

#include <string>

namespace tw::win {

// Control ids, for the tests that drive the dialog.
inline constexpr int kAddressMessageId = 0x5C01;
inline constexpr int kAddressEditId = 0x5C02;
inline constexpr int kAddressCopyId = 0x5C03;

// Modal on `owner` (may be null); returns when the user closes it.
void ShowAddressToCopy(HWND owner, const std::u16string& address);

}  // namespace tw::win
