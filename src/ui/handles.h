#pragma once
// Owners for the Win32 handles the program holds. Child windows are not here: their parent window
// destroys them.
#include <windows.h>

#include <utility>

namespace ui {

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

private:
  H h_ = Invalid();
};

template <typename H, typename CloseFn> struct NullIsInvalid {
  static H Invalid() { return nullptr; }
  static void Close(H h) { CloseFn{}(h); }
};
struct CloseKernelHandle {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
struct FileTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct DeleteGdiObject {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct DestroyWindowHandle {
  void operator()(HWND h) const { DestroyWindow(h); }
};
struct DeleteDcHandle {
  void operator()(HDC h) const { DeleteDC(h); }
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
// A memory device context, deleted with DeleteDC.
using MemoryDc = UniqueHandleT<HDC, NullIsInvalid<HDC, DeleteDcHandle>>;

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

} // namespace ui
