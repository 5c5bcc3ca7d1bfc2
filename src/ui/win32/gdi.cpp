#include "ui/win32/gdi.h"

namespace lirra::win {

GdiplusSession::GdiplusSession() { ok_ = Gdiplus::GdiplusStartup(&token_, &input_, nullptr) == Gdiplus::Ok; }

GdiplusSession::~GdiplusSession() {
  if (ok_) Gdiplus::GdiplusShutdown(token_);
}

std::unique_ptr<Gdiplus::Bitmap> LoadPicture(const std::wstring& path) {
  std::unique_ptr<Gdiplus::Bitmap> picture(Gdiplus::Bitmap::FromFile(path.c_str()));
  if (!picture || picture->GetLastStatus() != Gdiplus::Ok || picture->GetWidth() == 0) return nullptr;
  return picture;
}

HBITMAP LoadPictureBitmap(const std::wstring& path) {
  std::unique_ptr<Gdiplus::Bitmap> picture = LoadPicture(path);
  if (!picture) return nullptr;
  HBITMAP bitmap = nullptr;
  if (picture->GetHBITMAP(Gdiplus::Color(255, 255, 255, 255), &bitmap) != Gdiplus::Ok) return nullptr;
  return bitmap;
}

HBRUSH LoadPatternBrush(const std::wstring& path) {
  ScopedBitmap bitmap(LoadPictureBitmap(path));
  if (!bitmap) return nullptr;
  // The brush keeps its own copy of the pattern, so the bitmap can go.
  return CreatePatternBrush(bitmap.Get());
}

HFONT CreatePointFont(int tenths, const wchar_t* face) {
  ScopedWindowDc screen(nullptr);
  LOGFONTW font = {};
  font.lfHeight = -MulDiv(tenths, GetDeviceCaps(screen.Get(), LOGPIXELSY), 720);
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

}  // namespace lirra::win
