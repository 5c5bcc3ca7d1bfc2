// GDI+ for the process, picture loading and the few drawing helpers the skinned windows share.
// The owners of GDI objects and DCs are in platform/win32/scoped.h with the other owners.
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

#include "platform/win32/scoped.h"

namespace lirra::win {

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

// A copy of a picture at `width` x `height`. Nearest-neighbour keeps every pixel's exact colour
// (so a background's key colour stays the key colour); otherwise it is smoothed. Null on failure.
std::unique_ptr<Gdiplus::Bitmap> ScalePicture(Gdiplus::Bitmap& picture, int width, int height, bool nearestNeighbour);

// A skin picture named by its 96-DPI path at its size for `dpi`: the picture drawn for the
// nearest larger screen when the skin has one (res\name@1.5x.png, res\name@2x.png), otherwise
// the 96-DPI one, scaled to fit when needed (see ScalePicture for `nearestNeighbour`). Null when
// no picture of the name can be decoded.
std::unique_ptr<Gdiplus::Bitmap> LoadSkinPicture(const std::wstring& path, int dpi, bool nearestNeighbour);

// LoadSkinPicture as a 32-bit GDI bitmap (nearest-neighbour); null when it can't be decoded.
HBITMAP LoadPictureBitmap(const std::wstring& path, int dpi);

// Pattern brush from a picture file, scaled to `dpi`; null when it can't be decoded.
HBRUSH LoadPatternBrush(const std::wstring& path, int dpi = 96);

// A font from a size in tenths of a point and a face, for the screen's resolution.
HFONT CreatePointFont(int tenths, const wchar_t* face);

// The height of one line of `font` as `window` draws it (tmHeight); 0 when it can't be measured.
int TextLineHeight(HWND window, HFONT font);

}  // namespace lirra::win
