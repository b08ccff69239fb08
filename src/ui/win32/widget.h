// The base of every widget: binds the C++ object to its HWND, for windows of our own classes through one
// window-procedure thunk (bound at WM_NCCREATE, unbound at WM_NCDESTROY) and for standard controls through
// SetWindowSubclass (removed at WM_NCDESTROY). No exception leaves a window procedure: the thunks hand it to
// the crash handler.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/dpi.h"

namespace tw::win {

class Widget {
 public:
  Widget() = default;
  Widget(const Widget&) = delete;
  Widget& operator=(const Widget&) = delete;
  virtual ~Widget();

  HWND hwnd() const { return hwnd_; }
  // The widget bound to `hwnd`, or nullptr.
  static Widget* FromHwnd(HWND hwnd);

  // The DPI the widget draws at; set by whoever lays it out.
  int dpi() const { return dpi_; }
  virtual void SetDpi(int dpi);
  // Position and size in the parent's client area, already in device pixels.
  void SetBounds(const LayoutRect& r);
  virtual void SetVisible(bool visible);
  bool Visible() const;

  // A notification the parent received from this widget (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, WM_CTLCOLOR*),
  // handed back to it so that the widget handles its own events and drawing. True when handled.
  virtual bool OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  // A child's visibility changed (containers that lay out their children react).
  virtual void OnChildVisibilityChanged(Widget* child);

 protected:
  // Creates a window of a class registered with RegisterWidgetClass.
  bool CreateOwn(const wchar_t* cls, DWORD ex_style, DWORD style, HWND parent, int id,
                 const std::u16string& text);
  // Creates a standard control (BUTTON, STATIC, ...) and subclasses it.
  bool CreateStandard(const wchar_t* cls, DWORD ex_style, DWORD style, HWND parent, int id,
                      const std::u16string& text);

  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  // The handling the window would get without this widget.
  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);

  // Self-drawn widgets draw here: into a back buffer for WM_PAINT, into the caller's DC for WM_PRINTCLIENT.
  virtual void Paint(HDC dc, const RECT& rc);
  // Serves WM_ERASEBKGND, WM_PAINT (double-buffered, no flicker) and WM_PRINTCLIENT through Paint. True when
  // `msg` was one of them.
  bool HandlePaint(UINT msg, WPARAM wp, LRESULT& result);

  // For containers: hands notifications from a child widget to that child. True when handled.
  static bool ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

  HWND hwnd_ = nullptr;
  int dpi_ = kDefaultDpi;

 private:
  static LRESULT CALLBACK ThunkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR data);
  LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
  void Bind(HWND hwnd);
  void Unbind();

  bool subclassed_ = false;

  friend void RegisterWidgetClass(const wchar_t* name, UINT style, const wchar_t* cursor);
};

// Registers a window class whose procedure is the widget thunk (once per name). White background.
void RegisterWidgetClass(const wchar_t* name, UINT style = 0, const wchar_t* cursor = IDC_ARROW);

// The answer every container gives a child asking for its colours: the window's white.
LRESULT WhiteCtlColor(WPARAM dc);

}  // namespace tw::win
