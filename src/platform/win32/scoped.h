// Owners of Windows resources, all in one place: each releases what it holds when it goes.
// A handle with a close function of its own is a ScopedOwner named below; the few resources
// that take more than the handle to give back (a window's DC, a selection, a library started
// for the thread or process) have a small class each. COM values (BSTR, VARIANT, interface
// pointers) stay with the browser's COM helpers (browser/win32/com.h), their only users.
#pragma once

#include <windows.h>

namespace lirra::win {

// How each kind of handle is closed, and told from a failed call's result, as plain functions
// whose addresses can be template arguments (the API's own are imported from DLLs and have no
// address at compile time).
namespace closers {
template <typename H>
bool IsNotNull(H handle) {
  return handle != nullptr;
}
inline bool IsKernelHandle(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
inline void KernelHandle(HANDLE h) { CloseHandle(h); }
inline void ServiceHandle(SC_HANDLE h) { CloseServiceHandle(h); }
inline void Key(HKEY key) { RegCloseKey(key); }
template <typename T>
void GdiObject(T object) {
  DeleteObject(object);
}
inline void MemoryDc(HDC dc) { DeleteDC(dc); }
inline void Hook(HHOOK hook) { UnhookWindowsHookEx(hook); }
inline void Menu(HMENU menu) { DestroyMenu(menu); }
}  // namespace closers

// One handle of type H, given back with Close when the owner goes or is reset. IsSet says
// whether a value is a handle at all (a failed call returns null, or INVALID_HANDLE_VALUE).
template <typename H, void (*Close)(H), bool (*IsSet)(H) = &closers::IsNotNull<H>>
class ScopedOwner {
 public:
  ScopedOwner() = default;
  explicit ScopedOwner(H handle) : handle_(handle) {}
  ~ScopedOwner() { Reset(); }
  ScopedOwner(const ScopedOwner&) = delete;
  ScopedOwner& operator=(const ScopedOwner&) = delete;
  ScopedOwner(ScopedOwner&& other) noexcept : handle_(other.Release()) {}
  ScopedOwner& operator=(ScopedOwner&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  H Get() const { return handle_; }
  bool Valid() const { return IsSet(handle_); }
  explicit operator bool() const { return Valid(); }
  void Reset(H handle = nullptr) {
    if (IsSet(handle_)) Close(handle_);
    handle_ = handle;
  }
  // Gives the handle up without closing it.
  H Release() {
    H handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  // For out-parameters: closes what it held first.
  H* Receive() {
    Reset();
    return &handle_;
  }

 private:
  H handle_ = nullptr;
};

// A kernel handle (process, thread, file, event, snapshot...) closed with CloseHandle.
using ScopedHandle = ScopedOwner<HANDLE, &closers::KernelHandle, &closers::IsKernelHandle>;
// A service or service-manager handle closed with CloseServiceHandle.
using ScopedServiceHandle = ScopedOwner<SC_HANDLE, &closers::ServiceHandle>;
// An open registry key closed with RegCloseKey.
using ScopedKey = ScopedOwner<HKEY, &closers::Key>;
// GDI objects deleted with DeleteObject.
using ScopedBitmap = ScopedOwner<HBITMAP, &closers::GdiObject<HBITMAP>>;
using ScopedBrush = ScopedOwner<HBRUSH, &closers::GdiObject<HBRUSH>>;
using ScopedFont = ScopedOwner<HFONT, &closers::GdiObject<HFONT>>;
using ScopedRegion = ScopedOwner<HRGN, &closers::GdiObject<HRGN>>;
// A memory device context compatible with `reference`, deleted with DeleteDC. It makes its own
// DC so that a DC in use elsewhere can never be handed to it by mistake.
class ScopedMemoryDc : public ScopedOwner<HDC, &closers::MemoryDc> {
 public:
  explicit ScopedMemoryDc(HDC reference) : ScopedOwner(CreateCompatibleDC(reference)) {}
};
// A windows hook of this thread, removed with UnhookWindowsHookEx.
using ScopedHook = ScopedOwner<HHOOK, &closers::Hook>;
// A menu loaded from the resources, destroyed with DestroyMenu.
using ScopedMenu = ScopedOwner<HMENU, &closers::Menu>;

// A window's device context from GetDC, released with ReleaseDC.
class ScopedWindowDc {
 public:
  explicit ScopedWindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~ScopedWindowDc() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  ScopedWindowDc(const ScopedWindowDc&) = delete;
  ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~ScopedSelect() {
    if (previous_) SelectObject(dc_, previous_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// OLE (and so COM, apartment-threaded) for this thread, so its windows can host ActiveX
// controls; uninitialised when it goes if it started.
class ScopedOleInit {
 public:
  ScopedOleInit();
  ~ScopedOleInit();
  ScopedOleInit(const ScopedOleInit&) = delete;
  ScopedOleInit& operator=(const ScopedOleInit&) = delete;
  bool Ok() const { return ok_; }

 private:
  bool ok_;
};

// Winsock for the process, cleaned up when it goes if it started.
class ScopedWinsock {
 public:
  explicit ScopedWinsock(WORD version);
  ~ScopedWinsock() { Cleanup(); }
  ScopedWinsock(const ScopedWinsock&) = delete;
  ScopedWinsock& operator=(const ScopedWinsock&) = delete;
  bool Ok() const { return ok_; }
  // The version the library agreed to; known only when it started.
  BYTE MajorVersion() const { return LOBYTE(version_); }
  void Cleanup();

 private:
  WORD version_ = 0;
  bool ok_ = false;
};

}  // namespace lirra::win
