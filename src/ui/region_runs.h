// The outline of a skinned window: the horizontal runs of a picture's pixels that are not the key colour.
#pragma once

#include <cstdint>
#include <vector>

namespace lirra::ui {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
};

// Pixels of exactly this colour are cut out of a skinned window.
inline constexpr Rgb kCutColour{166, 166, 166};

// One row's stretch of kept pixels, [left, right) on row y.
struct RegionRun {
  int y = 0;
  int left = 0;
  int right = 0;
  bool operator==(const RegionRun& other) const { return y == other.y && left == other.left && right == other.right; }
};

// Scans 32-bit pixels stored blue, green, red, alpha (top-down rows, `stride` bytes apart) and
// returns the runs of pixels whose colour differs from kCutColour, row by row, left to right.
// The alpha byte is not consulted.
std::vector<RegionRun> FindRegionRuns(const std::uint8_t* pixels, int width, int height, int stride);

}  // namespace lirra::ui
