#include "store/support_log.h"

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <ctime>

#include "platform/file_io.h"
#include "platform/platform.h"
#include "platform/thread_id.h"

namespace lirra {

namespace {

// Room for the stamp, the thread and the line end, so even the smallest bound holds a line.
constexpr std::uint64_t kSmallestBound = 256;

std::string Stamp() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
#ifdef _WIN32
  // The C runtime's localtime keeps its result per thread; localtime_s is newer than XP's msvcrt.
  if (const std::tm* t = std::localtime(&seconds)) local = *t;
#else
  localtime_r(&seconds, &local);
#endif
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d [%u] ", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(millis),
                static_cast<unsigned>(CurrentThreadId()));
  return text;
}

std::string ReadTailBytes(const std::string& path, std::uint64_t most) {
  std::string bytes;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return bytes;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    const long size = std::ftell(file);
    if (size > 0) {
      const long from = static_cast<std::uint64_t>(size) > most ? size - static_cast<long>(most) : 0;
      if (std::fseek(file, from, SEEK_SET) == 0) {
        bytes.resize(static_cast<std::size_t>(size - from));
        bytes.resize(std::fread(&bytes[0], 1, bytes.size(), file));
      }
    }
  }
  std::fclose(file);
  return bytes;
}

void AppendLines(const std::string& bytes, std::vector<std::string>& lines) {
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(std::move(line));
    start = end + 1;
  }
}

std::atomic<SupportLog*> g_processLog{nullptr};

}  // namespace

SupportLog::SupportLog(std::string path, std::uint64_t bound)
    : path_(std::move(path)), bound_(bound < kSmallestBound ? kSmallestBound : bound) {
  // Never through a link: another program could point lirra.log at a file of the user's.
  file_ = OpenOwnFileToAppend(path_, false);
  if (!file_) return;
  if (std::fseek(file_, 0, SEEK_END) != 0) {
    CloseLocked();
    return;
  }
  const long size = std::ftell(file_);
  size_ = size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

SupportLog::~SupportLog() {
  std::lock_guard<std::timed_mutex> lock(mutex_);
  CloseLocked();
}

bool SupportLog::IsOpen() const {
  std::lock_guard<std::timed_mutex> lock(mutex_);
  return file_ != nullptr;
}

void SupportLog::Write(std::string_view text) {
  std::lock_guard<std::timed_mutex> lock(mutex_);
  WriteLocked(text);
}

bool SupportLog::TryWrite(std::string_view text, unsigned waitMs) {
  std::unique_lock<std::timed_mutex> lock(mutex_, std::chrono::milliseconds(waitMs));
  if (!lock.owns_lock()) return false;
  WriteLocked(text);
  return file_ != nullptr;
}

void SupportLog::WriteLocked(std::string_view text) {
  std::size_t start = 0;
  while (file_ && start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (!line.empty()) WriteLineLocked(line);
    start = end + 1;
  }
}

void SupportLog::WriteLineLocked(std::string_view line) {
  std::string out = Stamp();
  out.append(line.data(), line.size());
  // A carriage return inside a line would let it pass for two in an editor.
  for (char& c : out) {
    if (c == '\r') c = ' ';
  }
  if (out.size() + 2 > bound_) out.resize(static_cast<std::size_t>(bound_ - 2));
  out += "\r\n";
  if (size_ > 0 && size_ + out.size() > bound_) RollOverLocked();
  if (!file_) return;
  // Flushed line by line: the lines before a crash are the ones support needs.
  if (std::fwrite(out.data(), 1, out.size(), file_) != out.size() || std::fflush(file_) != 0) {
    CloseLocked();  // a full disk or a lost folder: the client goes on without the log
    return;
  }
  size_ += out.size();
}

void SupportLog::RollOverLocked() {
  CloseLocked();
  // When the older copy can't be replaced (a reader holds it), the current file starts over,
  // so the bound holds either way.
  OS().MoveFileOver(path_, path_ + ".1");
  file_ = OpenOwnFileToAppend(path_, true);
  size_ = 0;
}

void SupportLog::CloseLocked() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

std::vector<std::string> ReadSupportLogTail(const std::string& path, std::size_t count) {
  std::vector<std::string> lines;
  AppendLines(ReadTailBytes(path, kSupportLogBound), lines);
  if (lines.size() < count) {
    std::vector<std::string> older;
    AppendLines(ReadTailBytes(path + ".1", kSupportLogBound), older);
    lines.insert(lines.begin(), older.begin(), older.end());
  }
  if (lines.size() > count) lines.erase(lines.begin(), lines.end() - static_cast<std::ptrdiff_t>(count));
  return lines;
}

bool OpenSupportLog() {
  if (SupportLog* open = g_processLog.load()) return open->IsOpen();
  const std::wstring module = OS().ModulePath();
  const std::size_t slash = module.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return false;
  const std::wstring path = module.substr(0, slash + 1) + kSupportLogName;
  // Process-wide and never freed: trace lines may come from any thread until the very end.
  auto* log = new SupportLog(OS().WideToAnsi(path));
  SupportLog* expected = nullptr;
  if (!g_processLog.compare_exchange_strong(expected, log)) {
    delete log;
    return expected->IsOpen();
  }
  log->Write("start " + OS().WideToAnsi(module) + " " + OS().WideToAnsi(OS().ProductVersion()));
  return log->IsOpen();
}

void WriteSupportLog(std::string_view text) {
  if (SupportLog* log = g_processLog.load()) log->Write(text);
}

bool TryWriteSupportLog(std::string_view text, unsigned waitMs) {
  SupportLog* log = g_processLog.load();
  return log && log->TryWrite(text, waitMs);
}

namespace {
// Standard output unless a tool has chosen otherwise; read on every trace, so no lock.
std::atomic<std::FILE*> g_traceStream{nullptr};
std::atomic<bool> g_traceStreamChosen{false};
}  // namespace

void SetTraceStream(std::FILE* stream) {
  g_traceStream = stream;
  g_traceStreamChosen = true;
}

void SupportTrace(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  WriteSupportLog(text);
  std::FILE* stream = g_traceStreamChosen ? g_traceStream.load() : stdout;
  if (stream) std::fputs(text, stream);
}

}  // namespace lirra
