// Lines for the command-line forms of the program. The exe is a GUI program: its standard output is a file or
// a pipe when the caller redirected it, and otherwise nothing, so the text then goes to the console of the
// program that started it, when there is one.
#pragma once

#include <string>

namespace tw::win {

// Writes the text as UTF-8 to a file or pipe, or as UTF-16 to the parent's console; nothing happens without
// either.
void WriteStandardOutput(const std::u16string& text);

}  // namespace tw::win
