// The support log: the client's trace lines kept in lirra.log in the client's folder, where a
// support person finds what a windowed program without a console printed. Each line carries
// the local time and the thread. The file stays within its bound: when a line would pass it,
// the file becomes lirra.log.1 (replacing the older copy) and a new one starts. A folder that
// can't be written costs the lines, never the client: no failure leaves this file.
//
// Only the client opens the process-wide log (at start); tools and tests write nowhere unless
// they open one. Trace lines carry nothing secret: no password, cookie, session or signed query.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace lirra {

inline constexpr std::uint64_t kSupportLogBound = 1024 * 1024;
inline constexpr wchar_t kSupportLogName[] = L"lirra.log";

class SupportLog {
 public:
  // `path` in the ANSI code page; the older copy is `path` + ".1". Opens (appends to) the file.
  explicit SupportLog(std::string path, std::uint64_t bound = kSupportLogBound);
  ~SupportLog();
  SupportLog(const SupportLog&) = delete;
  SupportLog& operator=(const SupportLog&) = delete;

  // One stamped line per line of `text`; blank lines are left out.
  void Write(std::string_view text);
  // Write, unless another thread holds the log for longer than `waitMs` (one that faulted while
  // writing holds it for ever); false then, and nothing is written.
  bool TryWrite(std::string_view text, unsigned waitMs);
  // Whether lines are being kept (false once the file could not be opened or written).
  bool IsOpen() const;

 private:
  void WriteLocked(std::string_view text);
  void WriteLineLocked(std::string_view line);
  void RollOverLocked();
  void CloseLocked();

  mutable std::timed_mutex mutex_;
  const std::string path_;
  const std::uint64_t bound_;
  std::FILE* file_ = nullptr;
  std::uint64_t size_ = 0;
};

// The last `count` lines of the log at `path`, the older copy's first when the current file
// holds fewer; empty when there is neither.
std::vector<std::string> ReadSupportLogTail(const std::string& path, std::size_t count);

// Opens the process-wide log in the folder of the running executable and writes a start line;
// false when nothing can be kept there (the client goes on all the same).
bool OpenSupportLog();
// Writes to the process-wide log when one is open.
void WriteSupportLog(std::string_view text);
// The same, waiting at most `waitMs` for the log (SupportLog::TryWrite); false when nothing was
// written.
bool TryWriteSupportLog(std::string_view text, unsigned waitMs);

// Where SupportTrace prints besides the log (standard output until chosen); nullptr prints nothing.
void SetTraceStream(std::FILE* stream);

// A trace line as the client has always written it (standard output, or the stream a tool chose),
// also kept in the log.
void SupportTrace(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace lirra
