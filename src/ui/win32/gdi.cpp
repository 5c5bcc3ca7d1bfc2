#include "ui/win32/gdi.h"

#include "ui/dpi_scale.h"

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

int ScreenDpi() {
  ScopedWindowDc screen(nullptr);
  return ui::SaneDpi(screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : ui::kDesignDpi);
}

std::unique_ptr<Gdiplus::Bitmap> ScalePicture(Gdiplus::Bitmap& picture, int width, int height, bool nearestNeighbour) {
  if (width <= 0 || height <= 0) return nullptr;
  auto scaled = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
  if (scaled->GetLastStatus() != Gdiplus::Ok) return nullptr;
  Gdiplus::Graphics graphics(scaled.get());
  graphics.SetInterpolationMode(nearestNeighbour ? Gdiplus::InterpolationModeNearestNeighbor
                                                 : Gdiplus::InterpolationModeHighQualityBicubic);
  graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  // Edge pixels repeat outward instead of fading into transparency.
  Gdiplus::ImageAttributes edges;
  edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
  const Gdiplus::Status drawn =
      graphics.DrawImage(&picture, Gdiplus::Rect(0, 0, width, height), 0, 0, static_cast<INT>(picture.GetWidth()),
                         static_cast<INT>(picture.GetHeight()), Gdiplus::UnitPixel, &edges);
  if (drawn != Gdiplus::Ok) return nullptr;
  return scaled;
}

std::unique_ptr<Gdiplus::Bitmap> LoadSkinPicture(const std::wstring& path, int dpi, bool nearestNeighbour) {
  for (const ui::PictureVariant& variant : ui::PictureVariants(path, dpi)) {
    std::unique_ptr<Gdiplus::Bitmap> picture = LoadPicture(variant.path);
    if (!picture) continue;
    const int width = static_cast<int>(picture->GetWidth());
    const int height = static_cast<int>(picture->GetHeight());
    const int wanted = ui::ScaleLength(ui::DesignLength(width, variant.percent), dpi);
    const int wantedHeight = ui::ScaleLength(ui::DesignLength(height, variant.percent), dpi);
    if (wanted == width && wantedHeight == height) return picture;
    return ScalePicture(*picture, wanted, wantedHeight, nearestNeighbour);
  }
  return nullptr;
}

HBITMAP LoadPictureBitmap(const std::wstring& path, int dpi) {
  std::unique_ptr<Gdiplus::Bitmap> picture = LoadSkinPicture(path, dpi, true);
  HBITMAP bitmap = nullptr;
  if (!picture || picture->GetHBITMAP(Gdiplus::Color(255, 255, 255, 255), &bitmap) != Gdiplus::Ok) return nullptr;
  return bitmap;
}

HBRUSH LoadPatternBrush(const std::wstring& path, int dpi) {
  ScopedBitmap bitmap(LoadPictureBitmap(path, dpi));
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

int TextLineHeight(HWND window, HFONT font) {
  ScopedWindowDc dc(window);
  if (!dc.Get()) return 0;
  ScopedSelect selected(dc.Get(), font);
  TEXTMETRICW metrics = {};
  return GetTextMetricsW(dc.Get(), &metrics) ? metrics.tmHeight : 0;
}

}  // namespace lirra::win
