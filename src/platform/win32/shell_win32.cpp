#include "platform/win32/shell_win32.h"

#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "platform/win32/handles.h"
#include "platform/win32/wstr.h"

namespace tw::win {
namespace {

class Bstr {
 public:
  explicit Bstr(const std::u16string& s) : b_(SysAllocStringLen(W(s), static_cast<UINT>(s.size()))) {}
  ~Bstr() { SysFreeString(b_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return b_; }

 private:
  BSTR b_;
};

// A nested level on the caller's apartment, so that the call also works on a thread that has none yet.
class ApartmentLevel {
 public:
  ApartmentLevel()
      : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ~ApartmentLevel() {
    if (ok_) CoUninitialize();
  }
  ApartmentLevel(const ApartmentLevel&) = delete;
  ApartmentLevel& operator=(const ApartmentLevel&) = delete;

 private:
  bool ok_;
};

// The shell windows' desktop entry: its window, and its dispatch object when `dispatch` is given. False when
// no desktop is registered.
bool FindDesktop(long* hwnd, com_ptr<IDispatch>* dispatch) {
  com_ptr<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                              windows.put_void()))) {
    return false;
  }
  VARIANT location;
  VariantInit(&location);
  location.vt = VT_I4;
  location.lVal = CSIDL_DESKTOP;
  VARIANT root;
  VariantInit(&root);
  // S_FALSE: no desktop window is registered.
  com_ptr<IDispatch> unused;
  if (windows->FindWindowSW(&location, &root, SWC_DESKTOP, hwnd, dispatch ? SWFO_NEEDDISPATCH : 0,
                            dispatch ? dispatch->put() : unused.put()) != S_OK) {
    return false;
  }
  return !dispatch || *dispatch;
}

// The desktop view's application object, reached from the shell windows' desktop entry.
com_ptr<IShellDispatch2> DesktopShellDispatch() {
  com_ptr<IShellDispatch2> none;
  long hwnd = 0;
  com_ptr<IDispatch> desktop;
  if (!FindDesktop(&hwnd, &desktop)) return none;
  com_ptr<IServiceProvider> services;
  com_ptr<IShellBrowser> browser;
  com_ptr<IShellView> view;
  com_ptr<IDispatch> background;
  com_ptr<IShellFolderViewDual> folder_view;
  com_ptr<IDispatch> application;
  com_ptr<IShellDispatch2> shell;
  if (FAILED(desktop->QueryInterface(IID_IServiceProvider, services.put_void())) ||
      FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.put_void())) ||
      FAILED(browser->QueryActiveShellView(view.put())) || !view ||
      FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.put_void())) ||
      FAILED(background->QueryInterface(IID_IShellFolderViewDual, folder_view.put_void())) ||
      FAILED(folder_view->get_Application(application.put())) || !application ||
      FAILED(application->QueryInterface(IID_IShellDispatch2, shell.put_void()))) {
    return none;
  }
  return shell;
}

}  // namespace

bool OpenThroughDesktopShell(const std::u16string& target) {
  ApartmentLevel apartment;
  com_ptr<IShellDispatch2> shell = DesktopShellDispatch();
  if (!shell) return false;
  const Bstr file(target);
  const Bstr verb(u"open");
  VARIANT none;
  VariantInit(&none);
  VARIANT operation;
  VariantInit(&operation);
  operation.vt = VT_BSTR;
  operation.bstrVal = verb.get();
  VARIANT show;
  VariantInit(&show);
  show.vt = VT_I4;
  show.lVal = SW_SHOWNORMAL;
  return SUCCEEDED(shell->ShellExecute(file.get(), none, none, operation, show));
}

Elevation ProcessElevation(DWORD process_id) {
  unique_handle_t process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id));
  if (!process) return Elevation::kUnknown;
  HANDLE raw_token = nullptr;
  if (!OpenProcessToken(process.get(), TOKEN_QUERY, &raw_token)) return Elevation::kUnknown;
  unique_handle_t token(raw_token);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size) ||
      size != sizeof(elevation)) {
    return Elevation::kUnknown;
  }
  return elevation.TokenIsElevated ? Elevation::kElevated : Elevation::kNotElevated;
}

Elevation DesktopShellElevation() {
  // The shell window where the shell has set one (explorer's Progman), else the window of the shell windows'
  // desktop entry, whose process is the one that takes the request (Wine's explorer sets no shell window).
  HWND window = GetShellWindow();
  if (!window) {
    ApartmentLevel apartment;
    long hwnd = 0;
    if (!FindDesktop(&hwnd, nullptr)) return Elevation::kUnknown;
    window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(hwnd));
  }
  DWORD process_id = 0;
  if (!window || !GetWindowThreadProcessId(window, &process_id) || process_id == 0)
    return Elevation::kUnknown;
  return ProcessElevation(process_id);
}

Shell::Shell(Opener desktop, ShowAddress show, ElevationQuery shell_elevation)
    : desktop_(std::move(desktop)), show_(std::move(show)), shell_elevation_(std::move(shell_elevation)) {}

void Shell::Open(const std::u16string& target) {
  // An elevated shell would start the browser as administrator: the address is shown instead, and so it is
  // when the shell's elevation cannot be told.
  const bool shell_at_user_level = shell_elevation_ && shell_elevation_() == Elevation::kNotElevated;
  if (shell_at_user_level && desktop_ && desktop_(target)) return;
  if (show_) show_(target);
}

}  // namespace tw::win
