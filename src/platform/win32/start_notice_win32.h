// The notice of a program that will not start, shown before the C++ runtime has started and before anything
// side-by-side may be loaded. It looks like a message box (a dialog with the text, an error icon and an OK
// button) but takes none of its classes from the common controls: under the manifest's activation context
// user32 would load those for a message box, through the very side-by-side redirection being refused. It runs
// under the empty activation context as well, so that nothing user32 loads for it is redirected.
#pragma once

namespace tw::win {

// Shows `text` with the caption "Tempowave" until it is dismissed (OK, Enter, Escape or the close box).
// System calls only; the text must be shorter than 2,000 characters.
void ShowStartNotice(const wchar_t* text);

}  // namespace tw::win
