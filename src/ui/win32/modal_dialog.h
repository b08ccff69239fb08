// The pieces the program's two modal dialogs share: a dialog made from an empty template (every control is
// made at run time in pixels of the dialog's own DPI), a procedure that keeps every exception inside it, and
// centring on the work area of the dialog's monitor.
#pragma once

#include <windows.h>

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

}  // namespace tw::win
