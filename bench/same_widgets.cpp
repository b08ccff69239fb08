// The second start-up baseline: a plain window that creates the same number and kinds of child windows as
// Tempowave's main window, with their parents, styles, places (at 96 DPI), captions and fonts, all of
// standard classes (the program's own widget classes become STATIC), and nothing else: no theme, no
// painting, no translation, no services. Built with the same toolchain, flags, static linking and manifest.
#include <windows.h>

namespace {

constexpr DWORD kPanel = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
constexpr DWORD kPlain = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr DWORD kLabel = kPlain | SS_NOPREFIX | SS_LEFTNOWORDWRAP;
constexpr DWORD kTitle = kPlain | SS_NOPREFIX | SS_CENTER;
constexpr DWORD kOwnerDraw = kPlain | BS_OWNERDRAW;
constexpr DWORD kGroup = kPlain | WS_CLIPCHILDREN | BS_GROUPBOX;
constexpr DWORD kCheck = kPlain | BS_AUTOCHECKBOX;

struct Child {
  int parent;  // index into kChildren, -1 for the window itself
  const wchar_t* cls;
  DWORD ex_style;
  DWORD style;
  int x, y, width, height;
  const wchar_t* caption;
};

// The main window's controls in their stored order.
constexpr Child kChildren[] = {
    {-1, L"STATIC", WS_EX_CONTROLPARENT, kPanel, 0, 50, 498, 376, L""},            // 0 PnlMain
    {0, L"STATIC", WS_EX_CONTROLPARENT, kPanel, 0, 0, 498, 376, L""},              // 1 Card1
    {1, L"STATIC", 0, kTitle, 8, 40, 484, 81, L"\uD15C\uD3EC\uC6E8\uC774\uBE0C"},  // 2 LblTitle
    {1, L"STATIC", 0, kPlain, 0, 188, 500, 33, L""},                               // 3 LblContent
    {1, L"BUTTON", 0, kOwnerDraw | WS_TABSTOP, 176, 264, 162, 68, L"\uC2E4\uD589\uD558\uAE30"},  // 4 BtnStart
    {1, L"STATIC", 0, kPlain, 241, 282, 32, 32, L""},                                 // 5 Indicator
    {0, L"STATIC", WS_EX_CONTROLPARENT, kPanel & ~WS_VISIBLE, 0, 0, 498, 376, L""},   // 6 Card2
    {6, L"STATIC", 0, kLabel, 15, 344, 100, 15, L"Version: 1.0.0.0"},                 // 7 LblVersion
    {6, L"BUTTON", WS_EX_CONTROLPARENT, kGroup, 15, 6, 474, 67, L"Network Adapter"},  // 8 GroupBox1
    {8, L"STATIC", 0, kLabel, 17, 32, 304, 15, L"eth0"},                              // 9 LblAdapter
    {8, L"STATIC", 0, kLabel, 344, 32, 109, 15, L"IP: 192.168.77.10"},                // 10 LblIPAddress
    {6, L"BUTTON", WS_EX_CONTROLPARENT, kGroup, 15, 87, 474, 98,
     L"Disable Nagle's algorithm"},                                   // 11 GroupBox2
    {11, L"BUTTON", 0, kCheck, 17, 64, 200, 17, L"TcpNoDelay"},       // 12
    {11, L"BUTTON", 0, kCheck, 17, 32, 200, 17, L"TcpAckFrequency"},  // 13
    {11, L"BUTTON", 0, kCheck, 243, 32, 200, 17, L"TcpDelAckTick"},   // 14
    {6, L"BUTTON", WS_EX_CONTROLPARENT, kGroup, 15, 199, 474, 66,
     L"Network Throttling Index"},                                               // 15 GroupBox3
    {15, L"BUTTON", 0, kCheck, 17, 32, 200, 17, L"NetworkThrottlingIndex"},      // 16
    {15, L"BUTTON", 0, kCheck, 243, 32, 200, 17, L"SystemResponsiveness"},       // 17
    {-1, L"STATIC", WS_EX_CONTROLPARENT, kPanel, 0, 0, 498, 50, L""},            // 18 PnlHead
    {18, L"STATIC", WS_EX_CONTROLPARENT, kPanel, 10, 10, 358, 30, L""},          // 19 BtnHead
    {19, L"BUTTON", 0, kOwnerDraw, 10, 0, 70, 30, L"\uCC98\uC74C\uD654\uBA74"},  // 20 BtnHome
    {19, L"BUTTON", 0, kOwnerDraw, 80, 0, 70, 30, L"\uD658\uACBD\uC124\uC815"},  // 21 BtnConfig
    {19, L"BUTTON", 0, kOwnerDraw & ~WS_VISIBLE, 150, 0, 70, 30,
     L"\uD6C4\uC6D0\uD558\uAE30"},                                       // 22 BtnDonate
    {18, L"STATIC", WS_EX_CONTROLPARENT, kPanel, 378, 0, 120, 50, L""},  // 23 PnlLogo
    {23, L"STATIC", 0, kPlain, 3, 0, 112, 50, L""},                      // 24 ImgLogo
};
constexpr int kCount = sizeof(kChildren) / sizeof(kChildren[0]);

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

HFONT Font(const wchar_t* face, int height) {
  LOGFONTW lf{};
  lf.lfHeight = -height;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = L"SameWidgets";
  RegisterClassExW(&wc);
  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
  RECT frame{0, 0, 498, 426};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  HWND hwnd = CreateWindowExW(kExStyle, wc.lpszClassName, L"\uD15C\uD3EC\uC6E8\uC774\uBE0C", kStyle,
                              CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  HFONT font = Font(L"Segoe UI", 12), title = Font(L"Tahoma", 59);
  HWND made[kCount] = {};
  for (int i = 0; i < kCount; ++i) {
    const Child& c = kChildren[i];
    made[i] = CreateWindowExW(c.ex_style, c.cls, c.caption, c.style, c.x, c.y, c.width, c.height,
                              c.parent < 0 ? hwnd : made[c.parent],
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)), instance, nullptr);
    SendMessageW(made[i], WM_SETFONT, reinterpret_cast<WPARAM>(i == 2 ? title : font), FALSE);
  }
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(hwnd, &m)) continue;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  DeleteObject(font);
  DeleteObject(title);
  return 0;
}
