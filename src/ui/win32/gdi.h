// Owners of GDI and GDI+ objects and the few drawing helpers the skinned windows share.
#pragma once

#include <windows.h>
// Lean windows.h leaves out the COM types GDI+ needs.
#include <objidl.h>

#include <algorithm>
#include <memory>
#include <string>

// GDI+ headers expect min and max, which NOMINMAX removes.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

namespace lirra::win {

// A GDI object (bitmap, brush, font, region) deleted with DeleteObject.
template <typename T>
class ScopedGdiObject {
 public:
  explicit ScopedGdiObject(T object = nullptr) : object_(object) {}
  ~ScopedGdiObject() { Reset(); }
  ScopedGdiObject(const ScopedGdiObject&) = delete;
  ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
  T Get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  void Reset(T object = nullptr) {
    if (object_) DeleteObject(object_);
    object_ = object;
  }
  T Release() {
    T object = object_;
    object_ = nullptr;
    return object;
  }

 private:
  T object_;
};

using ScopedBitmap = ScopedGdiObject<HBITMAP>;
using ScopedBrush = ScopedGdiObject<HBRUSH>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedRegion = ScopedGdiObject<HRGN>;

// A memory device context deleted with DeleteDC.
class ScopedMemoryDc {
 public:
  explicit ScopedMemoryDc(HDC reference) : dc_(CreateCompatibleDC(reference)) {}
  ~ScopedMemoryDc() {
    if (dc_) DeleteDC(dc_);
  }
  ScopedMemoryDc(const ScopedMemoryDc&) = delete;
  ScopedMemoryDc& operator=(const ScopedMemoryDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

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

// GDI+ for the process, shut down when it goes.
class GdiplusSession {
 public:
  GdiplusSession();
  ~GdiplusSession();
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  bool Ok() const { return ok_; }

 private:
  Gdiplus::GdiplusStartupInput input_;
  ULONG_PTR token_ = 0;
  bool ok_ = false;
};

// Decodes a picture file; null when it can't be read or decoded.
std::unique_ptr<Gdiplus::Bitmap> LoadPicture(const std::wstring& path);

// Decodes a picture into a 32-bit GDI bitmap; null when it can't be decoded.
HBITMAP LoadPictureBitmap(const std::wstring& path);

// The screen's DPI (LOGPIXELSY of the screen DC: the system DPI on every Windows since XP); 96
// when it can't be read.
int ScreenDpi();

// A copy of a 96-DPI picture at `dpi`. Nearest-neighbour keeps every pixel's exact colour (so a
// background's key colour stays the key colour); otherwise it is smoothed. Null on failure.
std::unique_ptr<Gdiplus::Bitmap> ScalePicture(Gdiplus::Bitmap& picture, int dpi, bool nearestNeighbour);

// Decodes a picture drawn for 96 DPI into a 32-bit GDI bitmap of its size at `dpi`
// (nearest-neighbour); null when it can't be decoded.
HBITMAP LoadPictureBitmap(const std::wstring& path, int dpi);

// Pattern brush from a picture file, scaled to `dpi`; null when it can't be decoded.
HBRUSH LoadPatternBrush(const std::wstring& path, int dpi = 96);

// A font from a size in tenths of a point and a face, for the screen's resolution.
HFONT CreatePointFont(int tenths, const wchar_t* face);

}  // namespace lirra::win
