#pragma once
// The scope helpers of the program: an owner for every kind of Win32 handle it holds, a DC taken
// with GetDC, COM on a thread and a COM interface, a guard that runs a step on every way out of a
// scope. Child windows are not here:
// their parent window destroys them.
#include <windows.h>

#include <bcrypt.h>
#include <objbase.h>

#include <utility>

namespace base {

template <typename H, typename Traits> class UniqueHandleT {
  static H Invalid() { return Traits::Invalid(); }

public:
  UniqueHandleT() = default;
  explicit UniqueHandleT(H h) : h_(h) {}
  UniqueHandleT(const UniqueHandleT&) = delete;
  UniqueHandleT& operator=(const UniqueHandleT&) = delete;
  UniqueHandleT(UniqueHandleT&& o) noexcept : h_(std::exchange(o.h_, Invalid())) {}
  UniqueHandleT& operator=(UniqueHandleT&& o) noexcept {
    if (this != &o)
      reset(std::exchange(o.h_, Invalid()));
    return *this;
  }
  ~UniqueHandleT() { reset(); }

  H get() const { return h_; }
  bool valid() const { return h_ != Invalid(); }
  explicit operator bool() const { return valid(); }
  void reset(H h = Invalid()) {
    if (h_ != Invalid())
      Traits::Close(h_);
    h_ = h;
  }
  H release() { return std::exchange(h_, Invalid()); }
  // Closes now and tells whether the system accepted it: for a file, data still buffered may
  // fail to be written here, and that must not pass unnoticed.
  bool Close() {
    const H h = release();
    return h == Invalid() || Traits::Close(h);
  }

private:
  H h_ = Invalid();
};

template <typename H, typename CloseFn> struct NullIsInvalid {
  static H Invalid() { return nullptr; }
  static bool Close(H h) { return CloseFn{}(h); }
};
struct CloseKernelHandle {
  bool operator()(HANDLE h) const { return CloseHandle(h) != 0; }
};
struct FileTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Close(HANDLE h) { return CloseHandle(h) != 0; }
};
struct DeleteGdiObject {
  bool operator()(HGDIOBJ h) const { return DeleteObject(h) != 0; }
};
struct DestroyWindowHandle {
  bool operator()(HWND h) const { return DestroyWindow(h) != 0; }
};
struct DestroyIconHandle {
  bool operator()(HICON h) const { return DestroyIcon(h) != 0; }
};
struct DeleteDcHandle {
  bool operator()(HDC h) const { return DeleteDC(h) != 0; }
};

// Kernel objects whose failure value is INVALID_HANDLE_VALUE (files, ports) and those whose failure
// value is null (events, processes).
using UniqueFile = UniqueHandleT<HANDLE, FileTraits>;
using UniqueHandle = UniqueHandleT<HANDLE, NullIsInvalid<HANDLE, CloseKernelHandle>>;
using UniqueWindow = UniqueHandleT<HWND, NullIsInvalid<HWND, DestroyWindowHandle>>;

template <typename T> using GdiObject = UniqueHandleT<T, NullIsInvalid<T, DeleteGdiObject>>;
using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Bitmap = GdiObject<HBITMAP>;
using Icon = UniqueHandleT<HICON, NullIsInvalid<HICON, DestroyIconHandle>>;
// A memory device context, deleted with DeleteDC.
using MemoryDc = UniqueHandleT<HDC, NullIsInvalid<HDC, DeleteDcHandle>>;
// A printer's DC, as the print dialog hands it back: deleted as a memory DC is.
using PrinterDc = MemoryDc;
struct CloseRegistryKey {
  bool operator()(HKEY key) const { return RegCloseKey(key) == ERROR_SUCCESS; }
};
using RegistryKey = UniqueHandleT<HKEY, NullIsInvalid<HKEY, CloseRegistryKey>>;

// The cryptography of the system (CNG): an algorithm provider, a key, a hash in progress.
struct CloseCngAlgorithm {
  bool operator()(BCRYPT_ALG_HANDLE h) const { return BCryptCloseAlgorithmProvider(h, 0) >= 0; }
};
struct DestroyCngKey {
  bool operator()(BCRYPT_KEY_HANDLE h) const { return BCryptDestroyKey(h) >= 0; }
};
struct DestroyCngHash {
  bool operator()(BCRYPT_HASH_HANDLE h) const { return BCryptDestroyHash(h) >= 0; }
};
using CngAlgorithm = UniqueHandleT<BCRYPT_ALG_HANDLE, NullIsInvalid<void*, CloseCngAlgorithm>>;
using CngKey = UniqueHandleT<BCRYPT_KEY_HANDLE, NullIsInvalid<void*, DestroyCngKey>>;
using CngHash = UniqueHandleT<BCRYPT_HASH_HANDLE, NullIsInvalid<void*, DestroyCngHash>>;

// Selects an object into a DC for a scope and puts the old one back.
class SelectObjectScope {
public:
  SelectObjectScope(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~SelectObjectScope() { SelectObject(dc_, old_); }
  SelectObjectScope(const SelectObjectScope&) = delete;
  SelectObjectScope& operator=(const SelectObjectScope&) = delete;

private:
  HDC dc_;
  HGDIOBJ old_;
};

// A window's DC (or the screen's, for no window) taken with GetDC and given back with ReleaseDC.
class WindowDc {
public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_)
      ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

private:
  HWND window_;
  HDC dc_;
};

// A window's paint DC between BeginPaint and EndPaint, for one WM_PAINT.
class PaintDc {
public:
  explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &ps_)) {}
  ~PaintDc() { EndPaint(window_, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }
  // The area to paint.
  const RECT& area() const { return ps_.rcPaint; }

private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// A DC's state (clip region, selections, modes) saved for a scope and restored on every way out.
class SavedDcState {
public:
  explicit SavedDcState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~SavedDcState() {
    if (saved_)
      RestoreDC(dc_, saved_);
  }
  SavedDcState(const SavedDcState&) = delete;
  SavedDcState& operator=(const SavedDcState&) = delete;

private:
  HDC dc_;
  int saved_;
};

// COM on this thread for a scope (a picture coded, a system dialog shown); left as it was found.
class ComScope {
public:
  ComScope()
      : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComScope() {
    if (SUCCEEDED(result_))
      CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

private:
  HRESULT result_;
};

// Owns one COM interface pointer.
template <class T> class Com {
public:
  Com() = default;
  ~Com() {
    if (p_)
      p_->Release();
  }
  Com(Com&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  Com& operator=(Com&&) = delete;
  T** Put() { return &p_; }
  T* operator->() const { return p_; }
  T* get() const { return p_; }

private:
  T* p_ = nullptr;
};

// Runs a step on every way out of a scope, also while an exception passes; an exception of the
// step itself is dropped, since the one already on its way is the one to report.
template <typename F> class ScopeExit {
public:
  explicit ScopeExit(F f) : f_(std::move(f)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() {
    try {
      f_();
    } catch (...) {
    }
  }

private:
  F f_;
};
template <typename F> ScopeExit(F) -> ScopeExit<F>;

} // namespace base
