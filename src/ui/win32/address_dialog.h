// Shows a web address that the program could not open at the user's level, for the user to copy into a
// browser: a short message in the user's language, the address in a read-only box (selected, so Ctrl+C takes
// it), Copy and Close.
#pragma once

#include <windows.h>

#include <string>

namespace tw::win {

// The message and the two button captions, as written in the program (Korean) and passed through Translate.
inline constexpr char16_t kAddressMessage[] =
    u"브라우저를 열 수 없습니다. 아래 주소를 복사하여 브라우저에서 여십시오.";
inline constexpr char16_t kAddressCopy[] = u"복사";
inline constexpr char16_t kAddressClose[] = u"닫기";

// Control ids, for the tests that drive the dialog.
inline constexpr int kAddressMessageId = 0x5C01;
inline constexpr int kAddressEditId = 0x5C02;
inline constexpr int kAddressCopyId = 0x5C03;

// Modal on `owner` (may be null); returns when the user closes it.
void ShowAddressToCopy(HWND owner, const std::u16string& address);

}  // namespace tw::win
