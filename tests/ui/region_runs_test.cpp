#include "ui/region_runs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lirra::ui {
namespace {

// A picture drawn as text: '#' a kept pixel, '.' the key colour, digits near-key colours.
std::vector<std::uint8_t> Picture(const std::vector<std::string>& rows, int stride) {
  std::vector<std::uint8_t> pixels(rows.size() * stride, 0xEE);  // padding a scan must not read as pixels
  for (size_t y = 0; y < rows.size(); ++y) {
    for (size_t x = 0; x < rows[y].size(); ++x) {
      Rgb colour{20, 40, 60};
      switch (rows[y][x]) {
        case '.':
          colour = {166, 166, 166};  // the skins' key colour
          break;
        case '1':
          colour = {166, 166, 167};
          break;
        case '2':
          colour = {165, 166, 166};
          break;
        case '3':
          colour = {166, 167, 166};
          break;
        default:
          break;
      }
      std::uint8_t* p = &pixels[y * stride + 4 * x];
      p[0] = colour.b;
      p[1] = colour.g;
      p[2] = colour.r;
      p[3] = rows[y][x] == '.' ? 0xFF : 0x00;  // alpha must not matter either way
    }
  }
  return pixels;
}

struct RunsCase {
  const char* name;
  std::vector<std::string> rows;
  std::vector<RegionRun> runs;
};

class RegionRuns : public testing::TestWithParam<RunsCase> {};

TEST_P(RegionRuns, KeptStretchesRowByRow) {
  const RunsCase& c = GetParam();
  const int width = static_cast<int>(c.rows[0].size());
  const int stride = width * 4 + 8;
  const std::vector<std::uint8_t> pixels = Picture(c.rows, stride);
  EXPECT_EQ(c.runs, FindRegionRuns(pixels.data(), width, static_cast<int>(c.rows.size()), stride));
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, RegionRuns,
    testing::Values(RunsCase{"no_key_pixel", {"####", "####"}, {{0, 0, 4}, {1, 0, 4}}},
                    RunsCase{"all_key_row_adds_nothing", {"####", "....", "####"}, {{0, 0, 4}, {2, 0, 4}}},
                    RunsCase{"several_stretches", {"##..#.###"}, {{0, 0, 2}, {0, 4, 5}, {0, 6, 9}}},
                    RunsCase{"rounded_corners", {".##.", "####", ".##."}, {{0, 1, 3}, {1, 0, 4}, {2, 1, 3}}},
                    RunsCase{"near_key_colours_are_kept", {".1.2.3."}, {{0, 1, 2}, {0, 3, 4}, {0, 5, 6}}},
                    RunsCase{"run_reaching_the_right_edge", {"..##"}, {{0, 2, 4}}},
                    RunsCase{"all_key_picture", {"...", "..."}, {}}),
    [](const testing::TestParamInfo<RunsCase>& info) { return std::string(info.param.name); });

TEST(RegionRunsEdges, EmptyOrMissingPictureHasNoRuns) {
  const std::vector<std::uint8_t> pixel(4, 0);
  EXPECT_TRUE(FindRegionRuns(nullptr, 4, 4, 16).empty());
  EXPECT_TRUE(FindRegionRuns(pixel.data(), 0, 1, 4).empty());
  EXPECT_TRUE(FindRegionRuns(pixel.data(), 1, 0, 4).empty());
}

}  // namespace
}  // namespace lirra::ui
