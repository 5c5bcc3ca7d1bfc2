// The whole percentages a download reports, and the gate that passes on only new ones.
#include "net/download_progress.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace lirra {
namespace {

struct PercentCase {
  long long received;
  long long total;
  int percent;
};

TEST(DownloadPercent, RoundsDownAndKnowsNoLength) {
  const PercentCase cases[] = {
      {0, 0, -1},
      {10, 0, -1},
      {10, -4, -1},  // no length announced
      {0, 400, 0},
      {-5, 400, 0},
      {3, 400, 0},
      {4, 400, 1},
      {399, 400, 99},
      {400, 400, 100},
      {401, 400, 100},  // never more than all
      {1, 3, 33},
      {2, 3, 66},
      {29, 100, 29},
      {256LL << 20, 256LL << 20, 100},
      {(256LL << 20) - 1, 256LL << 20, 99},
      {LLONG_MAX / 2, LLONG_MAX, 50},
      {LLONG_MAX - 1, LLONG_MAX, 99},  // no overflow
  };
  for (const PercentCase& c : cases) {
    EXPECT_EQ(c.percent, DownloadPercent(c.received, c.total)) << c.received << " of " << c.total;
  }
}

TEST(ProgressGate, PassesOnEachNewPercentOnce) {
  std::vector<int> shown;
  ProgressGate gate([&](int percent) { shown.push_back(percent); });
  const PercentCase blocks[] = {{0, 0, 0},      {0, 1000, 0},   {4, 1000, 0},    {10, 1000, 0},  {15, 1000, 0},
                                {500, 1000, 0}, {999, 1000, 0}, {1000, 1000, 0}, {1000, 1000, 0}};
  for (const PercentCase& b : blocks) gate(b.received, b.total);
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 50, 99, 100}));
}

}  // namespace
}  // namespace lirra
