// Move-only owners for Windows handles: one template, one-line aliases per handle kind, and DC guards that
// remember their release call. Never copyable: a copied handle would be closed twice.
#pragma once

#include <windows.h>

#include <utility>

namespace tw::win {

// Traits: `type`, `invalid()` and `close(type)`.
template <typename Traits>
class unique_handle {
 public:
  using T = typename Traits::type;
  unique_handle() = default;
  explicit unique_handle(T h) : h_(h) {}
  unique_handle(const unique_handle&) = delete;
  unique_handle& operator=(const unique_handle&) = delete;
  unique_handle(unique_handle&& o) noexcept : h_(std::exchange(o.h_, Traits::invalid())) {}
  unique_handle& operator=(unique_handle&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, Traits::invalid()));
    return *this;
  }
  ~unique_handle() { reset(); }

  T get() const { return h_; }
  T* put() {
    reset();
    return &h_;
  }
  T release() { return std::exchange(h_, Traits::invalid()); }
  void reset(T h = Traits::invalid()) {
    if (h_ != Traits::invalid()) Traits::close(h_);
    h_ = h;
  }
  explicit operator bool() const { return h_ != Traits::invalid(); }

 private:
  T h_ = Traits::invalid();
};

template <typename H, void (*Close)(H)>
struct NullTraits {
  using type = H;
  static H invalid() { return nullptr; }
  static void close(H h) { Close(h); }
};

inline void CloseHandleFn(HANDLE h) {
  ::CloseHandle(h);
}
inline void RegCloseKeyFn(HKEY h) {
  ::RegCloseKey(h);
}
inline void FreeLibraryFn(HMODULE h) {
  ::FreeLibrary(h);
}
template <typename H>
void DeleteObjectFn(H h) {
  ::DeleteObject(h);
}
inline void DestroyIconFn(HICON h) {
  ::DestroyIcon(h);
}
inline void DestroyWindowFn(HWND h) {
  ::DestroyWindow(h);
}

struct FileTraits {
  using type = HANDLE;
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { ::CloseHandle(h); }
};

using unique_handle_t = unique_handle<NullTraits<HANDLE, CloseHandleFn>>;
using unique_file = unique_handle<FileTraits>;
using unique_hkey = unique_handle<NullTraits<HKEY, RegCloseKeyFn>>;
using unique_hmodule = unique_handle<NullTraits<HMODULE, FreeLibraryFn>>;
using unique_hfont = unique_handle<NullTraits<HFONT, DeleteObjectFn<HFONT>>>;
using unique_hbrush = unique_handle<NullTraits<HBRUSH, DeleteObjectFn<HBRUSH>>>;
using unique_hpen = unique_handle<NullTraits<HPEN, DeleteObjectFn<HPEN>>>;
using unique_hbitmap = unique_handle<NullTraits<HBITMAP, DeleteObjectFn<HBITMAP>>>;
using unique_hrgn = unique_handle<NullTraits<HRGN, DeleteObjectFn<HRGN>>>;
using unique_hicon = unique_handle<NullTraits<HICON, DestroyIconFn>>;
using unique_hwnd = unique_handle<NullTraits<HWND, DestroyWindowFn>>;

// A COM interface pointer that releases on destruction.
template <typename T>
class com_ptr {
 public:
  com_ptr() = default;
  com_ptr(const com_ptr&) = delete;
  com_ptr& operator=(const com_ptr&) = delete;
  com_ptr(com_ptr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  com_ptr& operator=(com_ptr&& o) noexcept {
    if (this != &o) reset(std::exchange(o.p_, nullptr));
    return *this;
  }
  ~com_ptr() { reset(); }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  void reset(T* p = nullptr) {
    if (p_) p_->Release();
    p_ = p;
  }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// GetDC/ReleaseDC.
class window_dc {
 public:
  explicit window_dc(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
  window_dc(const window_dc&) = delete;
  window_dc& operator=(const window_dc&) = delete;
  ~window_dc() {
    if (dc_) ::ReleaseDC(hwnd_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// BeginPaint/EndPaint.
class paint_dc {
 public:
  explicit paint_dc(HWND hwnd) : hwnd_(hwnd) { ::BeginPaint(hwnd_, &ps_); }
  paint_dc(const paint_dc&) = delete;
  paint_dc& operator=(const paint_dc&) = delete;
  ~paint_dc() { ::EndPaint(hwnd_, &ps_); }
  HDC get() const { return ps_.hdc; }
  const RECT& dirty() const { return ps_.rcPaint; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
};

// SelectObject that restores the previous object.
class select_object {
 public:
  select_object(HDC dc, HGDIOBJ obj) : dc_(dc), old_(::SelectObject(dc, obj)) {}
  select_object(const select_object&) = delete;
  select_object& operator=(const select_object&) = delete;
  ~select_object() { ::SelectObject(dc_, old_); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace tw::win
