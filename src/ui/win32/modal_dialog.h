// The pieces the program's two modal dialogs share: a dialog made from an empty template (every control is
// made at run time in pixels of the dialog's own DPI), a procedure that keeps every exception inside it, the
// making and measuring of its controls and text, and its frame sized for its own DPI and centred on the work
// area of its monitor.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/handles.h"

namespace tw::win {

using DialogHandler = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// The dialog procedure around `Handle`: nothing it throws crosses into the system's dialog code.
template <DialogHandler Handle>
INT_PTR CALLBACK GuardedDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    return Handle(dlg, msg, wp, lp);
  } catch (...) {
    return FALSE;
  }
}

// Runs a modal dialog with a caption, a system menu and a modal frame, and no controls of its own; `state`
// arrives as WM_INITDIALOG's lParam. Returns what EndDialog was given (or -1 when it could not be made).
INT_PTR RunEmptyDialog(HWND owner, DLGPROC proc, LPARAM state);

// Gives the dialog this outer size and moves it to the centre of its monitor's work area.
void CentreInWorkArea(HWND dlg, int width, int height);

// Sizes the dialog's frame around a client area of this size at `dpi` (its own), then centres it.
void FitClientAndCentre(HWND dlg, int client_width, int client_height, int dpi);

// The dialogs' text font: the system's message face at 9 points for `dpi`.
unique_hfont DialogFont(int dpi, bool underline = false);

// A visible child control at a position in the dialog's pixels, with `font` unless null.
HWND AddChild(HWND dlg, const wchar_t* window_class, const std::u16string& text, DWORD style, DWORD ex_style,
              int id, int x, int y, int width, int height, HFONT font);

// The size of `text` in `font`, wrapped at word breaks to at most `max_width`.
SIZE MeasureText(HWND dlg, HFONT font, const std::u16string& text, int max_width);

}  // namespace tw::win
