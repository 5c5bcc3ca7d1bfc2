#include "ui/region_runs.h"

namespace lirra::ui {
namespace {

bool IsCut(const std::uint8_t* bgra) {
  return bgra[0] == kCutColour.b && bgra[1] == kCutColour.g && bgra[2] == kCutColour.r;
}

}  // namespace

std::vector<RegionRun> FindRegionRuns(const std::uint8_t* pixels, int width, int height, int stride) {
  std::vector<RegionRun> runs;
  if (!pixels || width <= 0 || height <= 0) return runs;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = pixels + static_cast<std::ptrdiff_t>(y) * stride;
    int x = 0;
    while (x < width) {
      while (x < width && IsCut(row + 4 * x)) ++x;
      if (x == width) break;
      const int left = x;
      while (x < width && !IsCut(row + 4 * x)) ++x;
      runs.push_back({y, left, x});
    }
  }
  return runs;
}

}  // namespace lirra::ui
