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

// The desktop view's application object, reached from the shell windows' desktop entry.
com_ptr<IShellDispatch2> DesktopShellDispatch() {
  com_ptr<IShellDispatch2> none;
  com_ptr<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                              windows.put_void()))) {
    return none;
  }
  VARIANT location;
  VariantInit(&location);
  location.vt = VT_I4;
  location.lVal = CSIDL_DESKTOP;
  VARIANT root;
  VariantInit(&root);
  long hwnd = 0;
  com_ptr<IDispatch> desktop;
  // S_FALSE: no desktop window is registered.
  if (windows->FindWindowSW(&location, &root, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH, desktop.put()) != S_OK ||
      !desktop) {
    return none;
  }
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

Shell::Shell(Opener desktop, ShowAddress show) : desktop_(std::move(desktop)), show_(std::move(show)) {}

void Shell::Open(const std::u16string& target) {
  if (desktop_ && desktop_(target)) return;
  if (show_) show_(target);
}

}  // namespace tw::win
