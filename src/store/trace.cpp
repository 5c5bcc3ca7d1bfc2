#include "store/trace.h"

#include <atomic>
#include <cstdarg>

#include "store/support_log.h"

namespace lirra {

namespace {
// Standard output unless a tool has chosen otherwise; read on every trace, so no lock.
std::atomic<std::FILE*> g_stream{nullptr};
std::atomic<bool> g_chosen{false};
}  // namespace

void SetNetTraceStream(std::FILE* stream) {
  g_stream = stream;
  g_chosen = true;
}

void NetTrace(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  WriteSupportLog(text);
  std::FILE* stream = g_chosen ? g_stream.load() : stdout;
  if (stream) std::fputs(text, stream);
}

}  // namespace lirra
