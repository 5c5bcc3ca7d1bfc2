// How much of a download has arrived, in whole percent, and a gate that passes it on to a
// window only when that number changes (a file arrives in 10 KiB blocks; a window needs to hear
// of at most a hundred steps).
#pragma once

#include <functional>
#include <utility>

namespace lirra {

// 0 to 100, rounded down; -1 when the length is unknown (none announced, or not positive).
int DownloadPercent(long long received, long long total);

// An HttpProgress that calls `show` with each new whole percentage, in the order they come.
class ProgressGate {
 public:
  explicit ProgressGate(std::function<void(int percent)> show) : show_(std::move(show)) {}
  void operator()(long long received, long long total);

 private:
  std::function<void(int percent)> show_;
  int shown_ = -1;
};

}  // namespace lirra
