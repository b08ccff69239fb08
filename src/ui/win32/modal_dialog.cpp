#include "ui/win32/modal_dialog.h"

#include <vector>

namespace tw::win {

INT_PTR RunEmptyDialog(HWND owner, DLGPROC proc, LPARAM state) {
  // The header, then menu, class and title: three empty words.
  std::vector<WORD> tmpl(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
  auto* d = reinterpret_cast<DLGTEMPLATE*>(tmpl.data());
  d->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  d->dwExtendedStyle = WS_EX_DLGMODALFRAME;
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), d, owner, proc, state);
}

void CentreInWorkArea(HWND dlg, int width, int height) {
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  GetMonitorInfoW(MonitorFromWindow(dlg, MONITOR_DEFAULTTOPRIMARY), &mi);
  const RECT& wa = mi.rcWork;
  SetWindowPos(dlg, nullptr, wa.left + (wa.right - wa.left - width) / 2,
               wa.top + (wa.bottom - wa.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tw::win
