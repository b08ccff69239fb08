// The notice of a program that will not start, shown before the C++ runtime has started and before anything
// side-by-side may be loaded. It looks like a message box (a dialog with the text, an error icon and an OK
// button) but takes none of its classes from the common controls: under the manifest's activation context
// user32 would load those for a message box, through the very side-by-side redirection being refused. (Not
// the empty activation context, ACTCTX_EMPTY, instead: Wine ignores it and still binds the manifest's
// classes, and its 32-bit side reads the handle behind a page-fault guard that does not hold under qemu-i386,
// where the 32-bit tests run. With no class of the common controls asked for, the manifest's context has
// nothing to redirect.)
#pragma once

namespace tw::win {

// Shows `text` with the caption "Tempowave" until it is dismissed (OK, Enter, Escape or the close box).
// System calls only; the text must be shorter than 2,000 characters.
void ShowStartNotice(const wchar_t* text);

}  // namespace tw::win
