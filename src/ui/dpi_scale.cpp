#include "ui/dpi_scale.h"

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
