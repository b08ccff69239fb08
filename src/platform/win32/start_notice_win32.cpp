#include "platform/win32/start_notice_win32.h"

#include <windows.h>

#include <cstddef>
#include <initializer_list>

namespace tw::win {
namespace {

// Window classes of the program's own: a text and a push button that draw themselves. The dialog itself is
// user32's "#32770", which no manifest redirects.
constexpr wchar_t kTextClass[] = L"TempowaveNoticeText";
constexpr wchar_t kButtonClass[] = L"TempowaveNoticeButton";
constexpr int kTextId = 100;

HFONT FontOf(HWND window) {
  return reinterpret_cast<HFONT>(GetWindowLongPtrW(window, 0));
}

// The font the dialog hands each control (WM_SETFONT), kept in the window's extra bytes.
bool KeepFont(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (message == WM_SETFONT) {
    SetWindowLongPtrW(window, 0, static_cast<LONG_PTR>(wparam));
    if (LOWORD(lparam)) InvalidateRect(window, nullptr, TRUE);
    result = 0;
    return true;
  }
  if (message == WM_GETFONT) {
    result = GetWindowLongPtrW(window, 0);
    return true;
  }
  return false;
}

void DrawOwnText(HWND window, HDC dc, RECT area, UINT format) {
  static wchar_t text[2048];
  const int length = GetWindowTextW(window, text, sizeof text / sizeof text[0]);
  HGDIOBJ previous = SelectObject(dc, FontOf(window));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawTextW(dc, text, length, &area, format | DT_NOPREFIX);
  SelectObject(dc, previous);
}

LRESULT CALLBACK TextProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (KeepFont(window, message, wparam, lparam, result)) return result;
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT area;
      GetClientRect(window, &area);
      DrawOwnText(window, dc, area, DT_WORDBREAK);
      EndPaint(window, &paint);
      return 0;
    }
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

void Press(HWND button) {
  SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (KeepFont(window, message, wparam, lparam, result)) return result;
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    case BM_CLICK:
    case WM_LBUTTONUP:
      Press(window);
      return 0;
    case WM_KEYUP:
      if (wparam == VK_SPACE) Press(window);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT area;
      GetClientRect(window, &area);
      DrawFrameControl(dc, &area, DFC_BUTTON, DFCS_BUTTONPUSH);
      DrawOwnText(window, dc, area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      if (GetFocus() == window) {
        InflateRect(&area, -4, -4);
        DrawFocusRect(dc, &area);
      }
      EndPaint(window, &paint);
      return 0;
    }
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

INT_PTR CALLBACK NoticeProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetForegroundWindow(dialog);
      return TRUE;  // the focus goes to the button, the first tab stop
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) EndDialog(dialog, LOWORD(wparam));
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(dialog, &paint);
      RECT at{10, 10, 0, 0};
      MapDialogRect(dialog, &at);
      DrawIconEx(dc, at.left, at.top, LoadIconW(nullptr, IDI_ERROR), 0, 0, 0, nullptr,
                 DI_NORMAL | DI_DEFAULTSIZE);
      EndPaint(dialog, &paint);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

// An in-memory dialog template (DLGTEMPLATE and its items), written into a static buffer.
class TemplateWriter {
 public:
  WORD* Begin() { return words_; }
  bool Fits() const { return at_ <= kWords; }
  void Word(WORD value) {
    if (at_ < kWords) words_[at_] = value;
    ++at_;
  }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Text(const wchar_t* text) {
    do {
      Word(static_cast<WORD>(*text));
    } while (*text++ != L'\0');
  }
  void Box(short x, short y, short cx, short cy) {
    for (short value : {x, y, cx, cy}) Word(static_cast<WORD>(value));
  }
  void AlignToDword() {
    if (at_ % 2 != 0) Word(0);
  }

 private:
  static constexpr std::size_t kWords = 4096;
  alignas(4) static inline WORD words_[kWords];
  std::size_t at_ = 0;
};

void AddItem(TemplateWriter& writer, DWORD style, short x, short y, short cx, short cy, WORD id,
             const wchar_t* window_class, const wchar_t* text) {
  writer.AlignToDword();
  writer.Dword(WS_CHILD | WS_VISIBLE | style);
  writer.Dword(0);
  writer.Box(x, y, cx, cy);
  writer.Word(id);
  writer.Text(window_class);
  writer.Text(text);
  writer.Word(0);  // no creation data
}

}  // namespace

void ShowStartNotice(const wchar_t* text) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW window_class{};
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.cbWndExtra = sizeof(LONG_PTR);
  window_class.lpfnWndProc = TextProc;
  window_class.lpszClassName = kTextClass;
  RegisterClassW(&window_class);
  window_class.lpfnWndProc = ButtonProc;
  window_class.lpszClassName = kButtonClass;
  RegisterClassW(&window_class);

  // Dialog units: the text wraps in a column beside the icon, the button sits below it on the right.
  TemplateWriter writer;
  writer.Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT);
  writer.Dword(WS_EX_TOPMOST);
  writer.Word(2);
  writer.Box(0, 0, 270, 142);
  writer.Word(0);  // no menu
  writer.Word(0);  // the dialog class
  writer.Text(L"Tempowave");
  writer.Word(9);
  writer.Text(L"Segoe UI");
  AddItem(writer, 0, 38, 10, 222, 100, kTextId, kTextClass, text);
  AddItem(writer, WS_TABSTOP, 210, 120, 50, 14, IDOK, kButtonClass, L"OK");
  if (writer.Fits()) {
    DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(writer.Begin()), nullptr, NoticeProc,
                            0);
  }
}

}  // namespace tw::win
