#include "net/download_progress.h"

#include <climits>

namespace lirra {

int DownloadPercent(long long received, long long total) {
  if (total <= 0) return -1;
  if (received <= 0) return 0;
  if (received >= total) return 100;
  // Large totals are divided first, so the product can't overflow; 100 means all of it.
  const long long percent = total <= LLONG_MAX / 100 ? received * 100 / total : received / (total / 100);
  return static_cast<int>(percent > 99 ? 99 : percent);
}

void ProgressGate::operator()(long long received, long long total) {
  const int percent = DownloadPercent(received, total);
  if (percent < 0 || percent == shown_) return;
  shown_ = percent;
  if (show_) show_(percent);
}

}  // namespace lirra
