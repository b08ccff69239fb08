// Drives a running program from outside, the way assistive technology sees it: finds its top-level window,
// lists its controls, clicks, types, reads pixels. Runs as its own process under the program's wineserver.
//   inspector.exe [--class NAME] [--title TEXT] [--timeout MS] COMMAND [ARGS...]
// The target is the first visible top-level window whose class equals NAME and whose caption contains TEXT
// (either may be left out); commands that need it wait up to MS (default 10000) for it to appear.
// Output: one JSON object per line, UTF-8. Exit code 0 done, 1 failed (not found, timed out), 2 usage.
#include <windows.h>
#include <winhttp.h>
#include <tlhelp32.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "gui_objects.h"

namespace {

// ---- output
// ------------------------------------------------------------------------------------------------

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string Hex(const void* p) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "\"0x%llx\"",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
  return buf;
}

std::string Rect4(const RECT& r) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "[%ld,%ld,%ld,%ld]", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return buf;
}

// Builds one JSON object; Line() prints it.
class Json {
 public:
  Json& Add(const char* key, const std::string& raw) {
    if (!body_.empty()) body_.push_back(',');
    body_.append(Quote(key)).push_back(':');
    body_.append(raw);
    return *this;
  }
  Json& Str(const char* key, const std::wstring& v) { return Add(key, Quote(Utf8(v))); }
  Json& Int(const char* key, long long v) { return Add(key, std::to_string(v)); }
  Json& Bool(const char* key, bool v) { return Add(key, v ? "true" : "false"); }
  std::string Text() const { return "{" + body_ + "}"; }
  void Line() const {
    std::string s = Text() + "\n";
    std::fwrite(s.data(), 1, s.size(), stdout);
    std::fflush(stdout);
  }

 private:
  std::string body_;
};

int Fail(const std::string& why) {
  Json().Add("error", Quote(why)).Line();
  return 1;
}

// ---- finding windows
// ---------------------------------------------------------------------------------------

struct Options {
  std::wstring cls, title;
  DWORD timeout = 10000;
};

std::wstring ClassOf(HWND h) {
  wchar_t buf[256] = {};
  GetClassNameW(h, buf, 256);
  return buf;
}

// The text a screen reader gets: WM_GETTEXT, answered by the control itself.
std::wstring TextOf(HWND h) {
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &len)) return {};
  std::wstring buf(len + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG, 2000,
                      &got);
  buf.resize(got);
  return buf;
}

bool Matches(HWND h, const Options& o) {
  if (!o.cls.empty() && _wcsicmp(ClassOf(h).c_str(), o.cls.c_str()) != 0) return false;
  if (!o.title.empty() && TextOf(h).find(o.title) == std::wstring::npos) return false;
  return true;
}

BOOL CALLBACK Collect(HWND h, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
  return TRUE;
}

// Top-level windows in Z order (topmost first).
std::vector<HWND> TopLevels() {
  std::vector<HWND> all;
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
  return all;
}

HWND FindTop(const Options& o) {
  for (HWND h : TopLevels())
    if (IsWindowVisible(h) && Matches(h, o)) return h;
  return nullptr;
}

HWND WaitTop(const Options& o) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND h = FindTop(o)) return h;
    if (GetTickCount() - start >= o.timeout) return nullptr;
    Sleep(50);
  }
}

std::vector<HWND> Descendants(HWND top) {
  std::vector<HWND> all;
  EnumChildWindows(top, Collect, reinterpret_cast<LPARAM>(&all));
  return all;
}

RECT ScreenRect(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

// A rectangle in screen coordinates mapped into a window's client coordinates.
RECT ToClient(HWND h, RECT r) {
  MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int Depth(HWND h, HWND top) {
  int d = 0;
  for (HWND p = GetParent(h); p && p != top; p = GetParent(p)) ++d;
  return d + 1;
}

Json DescribeTop(HWND h) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  RECT client{};
  GetClientRect(h, &client);
  POINT origin{0, 0};
  ClientToScreen(h, &origin);
  Json j;
  j.Add("hwnd", Hex(h)).Int("pid", pid).Str("class", ClassOf(h)).Str("text", TextOf(h));
  j.Add("rect", Rect4(client)).Add("screen", Rect4(ScreenRect(h)));
  char at[40];
  std::snprintf(at, sizeof at, "[%ld,%ld]", origin.x, origin.y);
  j.Add("client_origin", at);
  std::snprintf(at, sizeof at, "[%d,%d]", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  j.Add("desktop", at);
  j.Bool("visible", IsWindowVisible(h)).Bool("enabled", IsWindowEnabled(h)).Bool("iconic", IsIconic(h));
  j.Bool("foreground", GetForegroundWindow() == h);
  int z = 0;
  for (HWND t : TopLevels()) {
    if (t == h) break;
    ++z;
  }
  return j.Int("zorder", z).Add("style", Hex(reinterpret_cast<void*>(GetWindowLongPtrW(h, GWL_STYLE))));
}

Json DescribeChild(HWND h, HWND top) {
  HWND parent = GetParent(h);
  const RECT screen = ScreenRect(h);
  DWORD_PTR check = 0;
  SendMessageTimeoutW(h, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &check);
  Json j;
  j.Add("hwnd", Hex(h)).Add("parent", Hex(parent)).Int("depth", Depth(h, top)).Int("id", GetDlgCtrlID(h));
  j.Str("class", ClassOf(h)).Str("text", TextOf(h));
  j.Add("rect", Rect4(ToClient(top, screen))).Add("local", Rect4(ToClient(parent, screen)));
  j.Add("screen", Rect4(screen));
  j.Bool("visible", IsWindowVisible(h)).Bool("shown", GetWindowLongPtrW(h, GWL_STYLE) & WS_VISIBLE);
  j.Bool("enabled", IsWindowEnabled(h)).Int("check", static_cast<long long>(check));
  return j.Add("style", Hex(reinterpret_cast<void*>(GetWindowLongPtrW(h, GWL_STYLE))));
}

// A child by "hwnd=0x..", "id=N" or "text=..." (a bare argument is a text).
HWND FindChild(HWND top, const std::wstring& sel) {
  if (sel.rfind(L"hwnd=", 0) == 0) {
    HWND h = reinterpret_cast<HWND>(static_cast<uintptr_t>(wcstoull(sel.c_str() + 5, nullptr, 0)));
    return IsWindow(h) && IsChild(top, h) ? h : nullptr;
  }
  const bool by_id = sel.rfind(L"id=", 0) == 0;
  const std::wstring text = sel.rfind(L"text=", 0) == 0 ? sel.substr(5) : sel;
  for (HWND h : Descendants(top)) {
    if (by_id ? GetDlgCtrlID(h) == _wtoi(sel.c_str() + 3) : TextOf(h) == text) return h;
  }
  return nullptr;
}

// ---- input
// -------------------------------------------------------------------------------------------------

// Input goes to the foreground window's thread; the switch is not immediate.
void Activate(HWND top) {
  SetForegroundWindow(top);
  for (int i = 0; i < 20 && GetForegroundWindow() != top; ++i) Sleep(25);
  Sleep(100);
}

void MouseClickAt(HWND top, POINT screen) {
  Activate(top);
  SetCursorPos(screen.x, screen.y);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

struct KeyName {
  const wchar_t* name;
  WORD vk;
};
constexpr KeyName kKeys[] = {
    {L"enter", VK_RETURN}, {L"escape", VK_ESCAPE}, {L"tab", VK_TAB},      {L"space", VK_SPACE},
    {L"left", VK_LEFT},    {L"right", VK_RIGHT},   {L"up", VK_UP},        {L"down", VK_DOWN},
    {L"alt", VK_MENU},     {L"shift", VK_SHIFT},   {L"ctrl", VK_CONTROL}, {L"f4", VK_F4},
};

// "tab", "a", "7", "0x41"; 0 when unknown.
WORD VirtualKey(const std::wstring& name) {
  for (const KeyName& k : kKeys)
    if (_wcsicmp(k.name, name.c_str()) == 0) return k.vk;
  if (name.size() == 1 && iswalnum(name[0])) return static_cast<WORD>(towupper(name[0]));
  if (name.rfind(L"0x", 0) == 0) return static_cast<WORD>(wcstoul(name.c_str(), nullptr, 16));
  return 0;
}

// Presses a chord such as "alt+f4": keys down in order, up in reverse.
bool SendChord(const std::wstring& chord) {
  std::vector<WORD> vks;
  size_t start = 0;
  for (;;) {
    size_t plus = chord.find(L'+', start);
    WORD vk = VirtualKey(chord.substr(start, plus == std::wstring::npos ? std::wstring::npos : plus - start));
    if (!vk) return false;
    vks.push_back(vk);
    if (plus == std::wstring::npos) break;
    start = plus + 1;
  }
  std::vector<INPUT> in;
  for (WORD vk : vks) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    in.push_back(i);
  }
  for (auto it = vks.rbegin(); it != vks.rend(); ++it) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = *it;
    i.ki.dwFlags = KEYEVENTF_KEYUP;
    in.push_back(i);
  }
  return SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT)) == in.size();
}

// ---- pixels
// ------------------------------------------------------------------------------------------------

// Writes a bottom-up 24-bit BMP of the window as the screen shows it. PrintWindow is no use here: across
// processes Wine hands back a black bitmap.
// The screen's pixels in `r` as a bottom-up 24-bit DIB; false when they could not be read.
bool ScreenPixels(const RECT& r, BITMAPINFOHEADER* info, std::vector<unsigned char>* pixels) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  const bool drawn = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  *info = BITMAPINFOHEADER{};
  info->biSize = sizeof(*info);
  info->biWidth = w;
  info->biHeight = h;
  info->biPlanes = 1;
  info->biBitCount = 24;
  info->biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
  pixels->assign(static_cast<size_t>(stride) * static_cast<size_t>(h), 0);
  const bool read = drawn && GetDIBits(mem, bmp, 0, static_cast<UINT>(h), pixels->data(),
                                       reinterpret_cast<BITMAPINFO*>(info), DIB_RGB_COLORS) == h;
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return read;
}

bool Capture(HWND top, const std::wstring& path) {
  BITMAPINFOHEADER info;
  std::vector<unsigned char> pixels;
  if (!ScreenPixels(ScreenRect(top), &info, &pixels)) return false;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return false;
  bool ok = std::fwrite(&file, sizeof(file), 1, f) == 1 && std::fwrite(&info, sizeof(info), 1, f) == 1 &&
            std::fwrite(pixels.data(), 1, pixels.size(), f) == pixels.size();
  return std::fclose(f) == 0 && ok;
}

// ---- commands
// ----------------------------------------------------------------------------------------------

struct Context {
  Options opt;
  HWND top = nullptr;
  std::vector<std::wstring> args;
};

int CmdWait(Context& c) {
  DescribeTop(c.top).Line();
  return 0;
}

int CmdWindows(Context& c) {
  for (HWND h : TopLevels())
    if (Matches(h, c.opt)) DescribeTop(h).Line();
  return 0;
}

int CmdGone(Context& c) {
  const DWORD start = GetTickCount();
  while (FindTop(c.opt)) {
    if (GetTickCount() - start >= c.opt.timeout) return Fail("window still there");
    Sleep(50);
  }
  return 0;
}

int CmdList(Context& c) {
  DescribeTop(c.top).Line();
  for (HWND h : Descendants(c.top)) DescribeChild(h, c.top).Line();
  return 0;
}

int CmdCaption(Context& c) {
  Json().Str("text", TextOf(c.top)).Line();
  return 0;
}

int CmdClick(Context& c) {
  HWND h = FindChild(c.top, c.args[0]);
  if (!h) return Fail("control not found");
  const std::wstring how = c.args.size() > 1 ? c.args[1] : L"send";
  if (how == L"mouse") {
    const RECT r = ScreenRect(h);
    MouseClickAt(c.top, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  } else if (how == L"post") {
    PostMessageW(h, BM_CLICK, 0, 0);
  } else if (how == L"send") {
    DWORD_PTR res = 0;
    if (!SendMessageTimeoutW(h, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &res)) return Fail("no answer");
  } else {
    return Fail("how is send, post or mouse");
  }
  DescribeChild(h, c.top).Line();
  return 0;
}

int CmdKeys(Context& c) {
  Activate(c.top);
  for (const std::wstring& chord : c.args)
    if (!SendChord(chord)) return Fail("unknown key or input refused: " + Utf8(chord));
  return 0;
}

int CmdClose(Context& c) {
  PostMessageW(c.top, WM_CLOSE, 0, 0);
  const DWORD start = GetTickCount();
  while (IsWindow(c.top)) {
    if (GetTickCount() - start >= c.opt.timeout) return Fail("window still there");
    Sleep(20);
  }
  return 0;
}

// The exit of the process behind the window, as Windows has it. Wine's server gives a process that has ended
// on the Windows side a moment to finish its Unix exit and kills it after that, so the Unix exit status can
// differ from what the program itself ended with. `before_wait` runs once the process is open (the close, or
// a line that says the watch has begun).
int WaitForExit(Context& c, const std::function<void(DWORD pid)>& before_wait) {
  DWORD pid = 0;
  GetWindowThreadProcessId(c.top, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return Fail("cannot open the window's process");
  before_wait(pid);
  const DWORD waited = WaitForSingleObject(process, c.opt.timeout);
  DWORD code = STILL_ACTIVE;
  const bool ended = waited == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code);
  CloseHandle(process);
  if (!ended) return Fail("process still running");
  Json().Int("pid", pid).Int("exit_code", code).Line();
  return 0;
}

// WM_CLOSE, then the exit code once the process has ended.
int CmdQuit(Context& c) {
  return WaitForExit(c, [&](DWORD) { PostMessageW(c.top, WM_CLOSE, 0, 0); });
}

// The exit code of a program that ends by itself or by keys, where `quit` does not fit; says when it watches.
int CmdWatch(Context& c) {
  return WaitForExit(c, [](DWORD pid) { Json().Int("pid", pid).Bool("watching", true).Line(); });
}

// Makes the program fault as a real crash would: a thread started in it at an address where no code is (the
// first page is never mapped). Its unhandled-exception filter runs as for a fault of its own.
int CmdCrash(Context& c) {
  DWORD pid = 0;
  GetWindowThreadProcessId(c.top, &pid);
  HANDLE p = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                             PROCESS_VM_READ | PROCESS_VM_WRITE,
                         FALSE, pid);
  if (!p) return Fail("cannot open the window's process");
  HANDLE t = CreateRemoteThread(p, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(uintptr_t{0x10}),
                                nullptr, 0, nullptr);
  CloseHandle(p);
  if (!t) return Fail("cannot start a thread in the window's process");
  CloseHandle(t);
  Json().Int("pid", pid).Bool("crashing", true).Line();
  return 0;
}

struct ShowName {
  const wchar_t* name;
  int cmd;
};
constexpr ShowName kShows[] = {{L"minimize", SW_MINIMIZE}, {L"restore", SW_RESTORE}, {L"hide", SW_HIDE}};

int CmdShow(Context& c) {
  for (const ShowName& s : kShows) {
    if (c.args[0] == s.name) {
      ShowWindow(c.top, s.cmd);
      DescribeTop(c.top).Line();
      return 0;
    }
  }
  return Fail("show minimize, restore or hide");
}

int CmdForeground(Context&) {
  HWND h = GetForegroundWindow();
  Json().Add("hwnd", Hex(h)).Str("class", h ? ClassOf(h) : L"").Line();
  return 0;
}

int CmdCapture(Context& c) {
  if (!Capture(c.top, c.args[0])) return Fail("capture failed");
  Json().Str("file", c.args[0]).Add("screen", Rect4(ScreenRect(c.top))).Line();
  return 0;
}

int CmdPixel(Context& c) {
  POINT p{_wtoi(c.args[0].c_str()), _wtoi(c.args[1].c_str())};
  ClientToScreen(c.top, &p);
  HDC screen = GetDC(nullptr);
  const COLORREF rgb = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  if (rgb == CLR_INVALID) return Fail("pixel outside the screen");
  char buf[16];
  std::snprintf(buf, sizeof buf, "\"#%02X%02X%02X\"", GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
  Json().Int("x", _wtoi(c.args[0].c_str())).Int("y", _wtoi(c.args[1].c_str())).Add("rgb", buf).Line();
  return 0;
}

// Runs FUNCTION(ARG) on a new thread of process P and returns the thread's exit code, or `failed`.
DWORD RunRemote(HANDLE p, const void* function, const void* arg, DWORD failed) {
  HANDLE t =
      CreateRemoteThread(p, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(const_cast<void*>(function)),
                         const_cast<void*>(arg), 0, nullptr);
  if (!t) return failed;
  DWORD code = failed;
  if (WaitForSingleObject(t, 10000) != WAIT_OBJECT_0 || !GetExitCodeThread(t, &code)) code = failed;
  CloseHandle(t);
  return code;
}

// Where process PID has loaded the module NAME, or null. A remote LoadLibraryW tells it only through its
// thread's 32-bit exit code, which holds no 64-bit address.
const char* RemoteModule(DWORD pid, const wchar_t* name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  const char* base = nullptr;
  for (BOOL more = Module32FirstW(snapshot, &entry); more && !base; more = Module32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szModule, name) == 0) base = reinterpret_cast<const char*>(entry.modBaseAddr);
  }
  CloseHandle(snapshot);
  return base;
}

// GDI objects of process PID. Windows counts them from outside; under Wine only the process can, so the
// probe library next to this program is loaded there, asked, and unloaded again. Both programs are built for
// the same machine and share kernel32's address, so LoadLibraryW and FreeLibrary can be started there by
// their address here.
long long RemoteGdiObjects(DWORD pid, std::vector<long long>* by_type) {
  constexpr DWORD kAccess = PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                            PROCESS_VM_READ | PROCESS_VM_WRITE;
  HANDLE p = OpenProcess(kAccess, FALSE, pid);
  if (!p) return -1;
  long long count = GetGuiResources(p, GR_GDIOBJECTS);
  if (count != 0) {
    CloseHandle(p);
    return count;
  }
  count = -1;
  wchar_t path[MAX_PATH];
  const DWORD len = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dll(path, len);
  dll = dll.substr(0, dll.find_last_of(L"\\/") + 1) + L"object_probe.dll";
  HMODULE local = LoadLibraryW(dll.c_str());
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto load = reinterpret_cast<void*>(GetProcAddress(kernel, "LoadLibraryW"));
  const auto unload = reinterpret_cast<void*>(GetProcAddress(kernel, "FreeLibrary"));
  const auto probe =
      local ? reinterpret_cast<char*>(GetProcAddress(local, "CountGdiObjectsThread")) : nullptr;
  const size_t bytes = (dll.size() + 1) * sizeof(wchar_t);
  void* remote_path = VirtualAllocEx(p, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (probe && remote_path && WriteProcessMemory(p, remote_path, dll.c_str(), bytes, nullptr)) {
    const char* base = RunRemote(p, load, remote_path, 0) ? RemoteModule(pid, L"object_probe.dll") : nullptr;
    if (base) {
      const char* remote_probe = base + (probe - reinterpret_cast<char*>(local));
      if (by_type) {
        // Every object has one of these types, so their sum is the whole count.
        count = 0;
        for (DWORD type = OBJ_PEN; type <= OBJ_COLORSPACE && count >= 0; ++type) {
          const DWORD of_type = RunRemote(p, remote_probe, reinterpret_cast<void*>(type), STILL_ACTIVE);
          by_type->push_back(of_type);
          count = of_type == STILL_ACTIVE ? -1 : count + of_type;
        }
      } else {
        const DWORD n = RunRemote(p, remote_probe, nullptr, STILL_ACTIVE);
        if (n != STILL_ACTIVE) count = n;
      }
      RunRemote(p, unload, base, 0);
    }
  }
  if (remote_path) VirtualFreeEx(p, remote_path, 0, MEM_RELEASE);
  if (local) FreeLibrary(local);
  CloseHandle(p);
  return count;
}

// USER objects of process PID: Windows counts them; under Wine its windows are counted, top-level,
// message-only and child.
long long UserObjects(DWORD pid) {
  if (HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid)) {
    const DWORD counted = GetGuiResources(p, GR_USEROBJECTS);
    CloseHandle(p);
    if (counted != 0) return counted;
  }
  struct Walk {
    DWORD pid;
    long long n = 0;
    static BOOL CALLBACK Child(HWND, LPARAM lp) {
      ++reinterpret_cast<Walk*>(lp)->n;
      return TRUE;
    }
    void Top(HWND h) {
      DWORD owner = 0;
      GetWindowThreadProcessId(h, &owner);
      if (owner != pid) return;
      ++n;
      EnumChildWindows(h, Child, reinterpret_cast<LPARAM>(this));
    }
  } walk{pid};
  for (HWND h : TopLevels()) walk.Top(h);
  for (HWND h = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); h;
       h = FindWindowExW(HWND_MESSAGE, h, nullptr, nullptr))
    walk.Top(h);
  return walk.n;
}

// GDI object types in the order of their OBJ_ values, from OBJ_PEN (1) to OBJ_COLORSPACE (14).
constexpr const char* kGdiTypes[] = {"pen",
                                     "brush",
                                     "dc",
                                     "metafile dc",
                                     "palette",
                                     "font",
                                     "bitmap",
                                     "region",
                                     "metafile",
                                     "memory dc",
                                     "extended pen",
                                     "enhanced metafile dc",
                                     "enhanced metafile",
                                     "colour space"};

struct ObjectCounts {
  long long handles = 0, user = 0, gdi = 0;
  std::vector<long long> gdi_by_type;
  bool operator==(const ObjectCounts&) const = default;
};

ObjectCounts ReadObjectCounts(DWORD pid, bool by_type) {
  ObjectCounts n;
  // Handles first: the probe's visit starts a thread there.
  n.handles = tw::test::CountProcessHandles(pid);
  n.user = UserObjects(pid);
  n.gdi = RemoteGdiObjects(pid, by_type ? &n.gdi_by_type : nullptr);
  return n;
}

// The counts once two readings 200 ms apart agree: a worker that has just handed over may still be on its way
// out of the process.
int CmdResources(Context& c) {
  DWORD pid = 0;
  GetWindowThreadProcessId(c.top, &pid);
  const bool types = !c.args.empty() && c.args[0] == L"types";
  ObjectCounts last = ReadObjectCounts(pid, types);
  bool settled = false;
  for (int i = 0; i < 10 && !settled; ++i) {
    Sleep(200);
    const ObjectCounts now = ReadObjectCounts(pid, types);
    settled = now == last;
    last = now;
  }
  if (!settled) return Fail("the counts did not settle");
  Json j;
  j.Int("pid", pid).Int("gdi", last.gdi).Int("user", last.user).Int("handles", last.handles);
  if (types) {
    Json by_type;
    for (size_t i = 0; i < last.gdi_by_type.size(); ++i) by_type.Int(kGdiTypes[i], last.gdi_by_type[i]);
    j.Add("gdi_by_type", by_type.Text());
  }
  j.Line();
  return 0;
}

double Ms(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER freq;
  QueryPerformanceFrequency(&freq);
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

// Clicks the button and waits until it is enabled again with CHECKED as its state: the busy phase is over.
// Returns the milliseconds from just before the click, or -1 after TIMEOUT ms.
double ClickUntil(HWND button, LRESULT checked, DWORD timeout) {
  LARGE_INTEGER t0, now;
  QueryPerformanceCounter(&t0);
  DWORD_PTR res = 0;
  if (!SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &res)) return -1;
  for (;;) {
    DWORD_PTR state = 0;
    if (IsWindowEnabled(button) &&
        SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state) &&
        static_cast<LRESULT>(state) == checked) {
      QueryPerformanceCounter(&now);
      return Ms(t0, now);
    }
    QueryPerformanceCounter(&now);
    if (Ms(t0, now) > timeout) return -1;
    Sleep(1);
  }
}

// Run and Run again N times through the button SEL: each Run timed from the click until the running look
// (enabled and down), each Run again until the idle look. Prints one line per cycle.
int CmdCycles(Context& c) {
  HWND button = FindChild(c.top, c.args[0]);
  if (!button) return Fail("control not found");
  const int cycles = _wtoi(c.args[1].c_str());
  for (int i = 0; i < cycles; ++i) {
    const double run = ClickUntil(button, BST_CHECKED, c.opt.timeout);
    if (run < 0) return Fail("no running look after Run in cycle " + std::to_string(i));
    const double stop = ClickUntil(button, BST_UNCHECKED, c.opt.timeout);
    if (stop < 0) return Fail("no idle look after Run again in cycle " + std::to_string(i));
    Json()
        .Int("cycle", i)
        .Int("run_us", static_cast<long long>(run * 1000))
        .Int("stop_us", static_cast<long long>(stop * 1000))
        .Line();
  }
  return 0;
}

// N HEAD requests to URL through WinHTTP, as the program's probe makes them: one line per request with its
// round-trip, or the error.
int CmdHead(Context& c) {
  const std::wstring& url = c.args[0];
  const int count = _wtoi(c.args[1].c_str());
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  wchar_t host[256] = {}, path[1024] = {};
  parts.lpszHostName = host;
  parts.dwHostNameLength = 256;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = 1024;
  if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return Fail("bad URL");
  HINTERNET session = WinHttpOpen(L"inspector", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                  WINHTTP_NO_PROXY_BYPASS, 0);
  if (!session) return Fail("WinHttpOpen failed");
  for (int i = 0; i < count; ++i) {
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    HINTERNET connect = WinHttpConnect(session, host, parts.nPort, 0);
    HINTERNET request = connect ? WinHttpOpenRequest(connect, L"HEAD", path[0] ? path : L"/", nullptr,
                                                     WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0)
                                : nullptr;
    const bool ok = request &&
                    WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, nullptr, 0, 0, 0) &&
                    WinHttpReceiveResponse(request, nullptr);
    QueryPerformanceCounter(&t1);
    if (request) WinHttpCloseHandle(request);
    if (connect) WinHttpCloseHandle(connect);
    Json j;
    j.Int("request", i).Int("us", static_cast<long long>(Ms(t0, t1) * 1000));
    if (!ok) j.Int("error", static_cast<long long>(GetLastError()));
    j.Line();
  }
  WinHttpCloseHandle(session);
  return 0;
}

// A fingerprint (FNV-1a) of the control's pixels on screen; 0 when they could not be read.
unsigned long long PixelPrint(HWND control) {
  BITMAPINFOHEADER info;
  std::vector<unsigned char> pixels;
  if (!ScreenPixels(ScreenRect(control), &info, &pixels)) return 0;
  unsigned long long print = 1469598103934665603ull;
  for (unsigned char b : pixels) print = (print ^ b) * 1099511628211ull;
  return print;
}

// Samples how fast the window's thread answers: WM_NULL sent every INTERVAL ms for MS ms, each given up to
// 2 s. Prints the number of samples, the worst and the mean round-trip, and how many went unanswered. With
// SEL, also how often that control's pixels on screen changed from one sample to the next (a spinner that
// the window's thread keeps repainting).
int CmdPing(Context& c) {
  const DWORD total = static_cast<DWORD>(_wtoi(c.args[0].c_str()));
  const DWORD interval = c.args.size() > 1 ? static_cast<DWORD>(_wtoi(c.args[1].c_str())) : 10;
  HWND watched = nullptr;
  if (c.args.size() > 2 && !(watched = FindChild(c.top, c.args[2]))) return Fail("control not found");
  unsigned long long print = watched ? PixelPrint(watched) : 0;
  long long changes = 0;
  LARGE_INTEGER freq, start, t0, t1;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&start);
  long long samples = 0, unanswered = 0;
  double worst = 0, sum = 0;
  bool gone = false;
  for (;;) {
    QueryPerformanceCounter(&t0);
    if (static_cast<double>(t0.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart) >=
        total)
      break;
    if (!IsWindow(c.top)) {
      gone = true;
      break;
    }
    DWORD_PTR result = 0;
    const LRESULT ok = SendMessageTimeoutW(c.top, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result);
    QueryPerformanceCounter(&t1);
    const double ms =
        static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
    ++samples;
    if (!ok) ++unanswered;
    if (ms > worst) worst = ms;
    sum += ms;
    if (watched) {
      const unsigned long long now = PixelPrint(watched);
      changes += now != print;
      print = now;
    }
    Sleep(interval);
  }
  Json j;
  j.Int("samples", samples)
      .Int("worst_us", static_cast<long long>(worst * 1000))
      .Int("mean_us", samples ? static_cast<long long>(sum * 1000 / static_cast<double>(samples)) : 0)
      .Int("unanswered", unanswered)
      .Bool("gone", gone);
  if (watched) j.Int("pixel_changes", changes);
  j.Line();
  return 0;
}

// A window of our own that takes the front for a while, so that a test can see whether another program
// activates itself. Prints its handle once it is shown.
int CmdDecoy(Context& c) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  wc.lpszClassName = L"TwInspectorDecoy";
  RegisterClassW(&wc);
  HWND h = CreateWindowExW(0, wc.lpszClassName, c.args[0].c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                           320, 200, nullptr, nullptr, wc.hInstance, nullptr);
  if (!h) return Fail("cannot create the window");
  SetForegroundWindow(h);
  SetTimer(h, 1, static_cast<UINT>(_wtoi(c.args[1].c_str())), nullptr);
  DescribeTop(h).Line();
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    if (m.message == WM_TIMER && m.hwnd == h) break;
    DispatchMessageW(&m);
  }
  DestroyWindow(h);
  return 0;
}

struct Command {
  const wchar_t* name;
  size_t min_args;
  bool needs_window;
  int (*run)(Context&);
  const char* usage;
};

constexpr Command kCommands[] = {
    {L"wait", 0, true, CmdWait, "wait                      the target window, once it is shown"},
    {L"windows", 0, false, CmdWindows,
     "windows                   every matching top-level window, hidden ones too"},
    {L"gone", 0, false, CmdGone, "gone                      wait until no matching window is shown"},
    {L"list", 0, true, CmdList, "list                      the window and all its descendants"},
    {L"caption", 0, true, CmdCaption, "caption                   the window's caption"},
    {L"click", 1, true, CmdClick,
     "click SEL [send|post|mouse]  BM_CLICK sent or posted, or a real mouse click"},
    {L"keys", 1, true, CmdKeys, "keys CHORD...             real key presses (tab, enter, alt+f4, a, 0x41)"},
    {L"close", 0, true, CmdClose, "close                     WM_CLOSE, then wait until the window is gone"},
    {L"quit", 0, true, CmdQuit,
     "quit                      WM_CLOSE, then wait until its process ends: exit code"},
    {L"watch", 0, true, CmdWatch,
     "watch                     wait until the window's process ends: exit code"},
    {L"crash", 0, true, CmdCrash, "crash                     a thread of its process faults"},
    {L"show", 1, true, CmdShow, "show minimize|restore|hide"},
    {L"foreground", 0, false, CmdForeground, "foreground                the foreground window"},
    {L"capture", 1, true, CmdCapture, "capture FILE.bmp          the window's pixels, from the screen"},
    {L"pixel", 2, true, CmdPixel, "pixel X Y                 a pixel at client coordinates, from the screen"},
    {L"resources", 0, true, CmdResources,
     "resources [types]         GDI and USER objects and kernel handles of its process, once settled"},
    {L"cycles", 2, true, CmdCycles,
     "cycles SEL N              Run and Run again N times: ms until the running and the idle look"},
    {L"head", 2, false, CmdHead, "head URL N                N HEAD requests through WinHTTP, each timed"},
    {L"ping", 1, true, CmdPing,
     "ping MS [INTERVAL] [SEL]  WM_NULL round-trips for MS ms: worst, mean, unanswered; SEL's pixel changes"},
    {L"decoy", 2, false, CmdDecoy, "decoy TITLE MS            show a window of our own in front for MS ms"},
};

int Usage() {
  std::fputs("inspector [--class NAME] [--title TEXT] [--timeout MS] COMMAND ...\n", stderr);
  for (const Command& c : kCommands) std::fprintf(stderr, "  %s\n", c.usage);
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  Context c;
  int i = 1;
  for (; i + 1 < argc && argv[i][0] == L'-'; i += 2) {
    const std::wstring opt = argv[i];
    if (opt == L"--class")
      c.opt.cls = argv[i + 1];
    else if (opt == L"--title")
      c.opt.title = argv[i + 1];
    else if (opt == L"--timeout")
      c.opt.timeout = static_cast<DWORD>(_wtoi(argv[i + 1]));
    else
      return Usage();
  }
  if (i >= argc) return Usage();
  const std::wstring name = argv[i];
  c.args.assign(argv + i + 1, argv + argc);
  for (const Command& cmd : kCommands) {
    if (name != cmd.name) continue;
    if (c.args.size() < cmd.min_args) return Usage();
    if (cmd.needs_window && !(c.top = WaitTop(c.opt))) return Fail("window not found");
    return cmd.run(c);
  }
  return Usage();
}
