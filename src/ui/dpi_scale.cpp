#include "ui/dpi_scale.h"

#include <iterator>

namespace lirra::ui {
namespace {

// Screens go up to 480 DPI (500 %); anything beyond is a broken setting.
constexpr int kHighestDpi = 480;

}  // namespace

int SaneDpi(int dpi) { return dpi > 0 && dpi <= kHighestDpi ? dpi : kDesignDpi; }

int ScaleLength(int pixels, int dpi) {
  dpi = SaneDpi(dpi);
  if (dpi == kDesignDpi) return pixels;
  const long long scaled = static_cast<long long>(pixels) * dpi;
  const long long half = kDesignDpi / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / kDesignDpi : -((-scaled + half) / kDesignDpi));
}

Size ScaleSize(Size size, int dpi) { return {ScaleLength(size.cx, dpi), ScaleLength(size.cy, dpi)}; }

Rect ScaleRect(const Rect& rect, int dpi) {
  const int left = ScaleLength(rect.x, dpi);
  const int top = ScaleLength(rect.y, dpi);
  return {left, top, ScaleLength(rect.x + rect.cx, dpi) - left, ScaleLength(rect.y + rect.cy, dpi) - top};
}

}  // namespace lirra::ui

namespace lirra::ui {
namespace {

constexpr int kVariantPercents[] = {150, 200};

std::wstring VariantPath(const std::wstring& path, int percent) {
  const std::wstring suffix = percent == 150 ? L"@1.5x" : L"@2x";
  const size_t dot = path.find_last_of(L'.');
  const size_t sep = path.find_last_of(L"\\/");
  if (dot == std::wstring::npos || (sep != std::wstring::npos && dot < sep)) return path + suffix;
  return path.substr(0, dot) + suffix + path.substr(dot);
}

}  // namespace

std::vector<PictureVariant> PictureVariants(const std::wstring& path, int dpi) {
  dpi = SaneDpi(dpi);
  std::vector<PictureVariant> variants;
  if (dpi > kDesignDpi) {
    const int needed = (dpi * 100 + kDesignDpi - 1) / kDesignDpi;
    for (int percent : kVariantPercents)
      if (percent >= needed) variants.push_back({VariantPath(path, percent), percent});
    for (auto it = std::rbegin(kVariantPercents); it != std::rend(kVariantPercents); ++it)
      if (*it < needed) variants.push_back({VariantPath(path, *it), *it});
  }
  variants.push_back({path, 100});
  return variants;
}

int DesignLength(int pixels, int percent) {
  if (percent <= 0) return pixels;
  return static_cast<int>((static_cast<long long>(pixels) * 100 + percent / 2) / percent);
}

}  // namespace lirra::ui
