// What Linux can answer of the platform seam; Windows-only facilities say "not available".
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <utility>

#include "platform/platform.h"
#include "platform/utf8.h"

#ifndef LIRRA_PRODUCT_VERSION
#define LIRRA_PRODUCT_VERSION "0.0.0.0"
#endif

namespace lirra {
namespace {

class PosixPlatform final : public Platform {
 public:
  std::wstring ModulePath() override {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    return Utf8ToWide(std::string(buf, static_cast<size_t>(n)));
  }

  std::wstring ProductVersion() override { return Utf8ToWide(LIRRA_PRODUCT_VERSION); }
  std::wstring FileProductVersion(const std::wstring&) override { return {}; }
  std::wstring SystemDirectory() override { return {}; }

  OsVersion GetOsVersion() override { return {}; }
  bool Is64BitOs() override { return sizeof(void*) == 8; }

  std::string WideToAnsi(const std::wstring& text) override { return WideToUtf8(text); }
  std::wstring AnsiToWide(const std::string& text) override { return Utf8ToWide(text); }

  bool IsDirectory(const std::wstring& path) override {
    struct stat st {};
    return stat(WideToUtf8(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  bool MakeDirectory(const std::wstring& path) override { return mkdir(WideToUtf8(path).c_str(), 0777) == 0; }

  bool MoveFileOver(const std::string& from, const std::string& to) override {
    // rename() would replace a read-only file; Windows refuses, and so does this.
    if (access(to.c_str(), F_OK) == 0 && access(to.c_str(), W_OK) != 0) return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
  }

  HeldFilePtr OpenHeld(const std::wstring& path) override;

  bool StartServiceByName(const std::wstring&) override { return false; }
  ServiceState QueryService(const std::wstring&) override { return ServiceState::Missing; }

  std::vector<ProcessEntry> ListProcesses() override;
  bool KillProcess(std::uint32_t pid) override { return kill(static_cast<pid_t>(pid), SIGTERM) == 0; }

  int ShellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory = {}) override;
  int RunCommandLine(const std::string& commandLine) override;

  KeyStatus OpenKeyStatus(RegHive, const std::wstring&, RegView) override { return KeyStatus::NotFound; }
  std::optional<std::wstring> ReadString(RegHive, const std::wstring&, const std::wstring&, std::uint32_t) override {
    return std::nullopt;
  }
  bool WriteString(RegHive, const std::wstring&, const std::wstring&, const std::wstring&) override { return false; }
  bool WriteDword(RegHive, const std::wstring&, const std::wstring&, std::uint32_t) override { return false; }

  void SleepMs(unsigned milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
  std::uint64_t TickMs() override {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
};

// POSIX has no share modes: the open descriptor keeps what was read, not the path.
class PosixHeldFile final : public HeldFile {
 public:
  PosixHeldFile(std::wstring path, int fd) : path_(std::move(path)), fd_(fd) {}
  ~PosixHeldFile() override { close(fd_); }
  PosixHeldFile(const PosixHeldFile&) = delete;
  PosixHeldFile& operator=(const PosixHeldFile&) = delete;

  const std::wstring& Path() const override { return path_; }
  long long Read(void* buffer, std::size_t size) override {
    ssize_t n;
    do {
      n = read(fd_, buffer, size);
    } while (n < 0 && errno == EINTR);
    return n;
  }

 private:
  const std::wstring path_;
  const int fd_;
};

HeldFilePtr PosixPlatform::OpenHeld(const std::wstring& path) {
  // Non-blocking, so a FIFO in the file's place can't stall the open.
  int fd = open(WideToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return nullptr;
  }
  return std::make_unique<PosixHeldFile>(path, fd);
}

// The image name of a process: the file name of its executable when we may read the link
// (our own processes), else the kernel's short command name. Zombies and kernel threads
// have no image and are left out, as they are on Windows.
std::string ImageName(const std::string& pid) {
  const std::string dir = "/proc/" + pid;
  std::ifstream stat(dir + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return {};
  size_t close = line.rfind(')');
  if (close == std::string::npos || close + 2 >= line.size() || line[close + 2] == 'Z') return {};
  char target[PATH_MAX];
  ssize_t n = readlink((dir + "/exe").c_str(), target, sizeof target - 1);
  if (n > 0) {
    std::string path(target, static_cast<size_t>(n));
    const std::string deleted = " (deleted)";
    if (path.size() > deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0) {
      path.resize(path.size() - deleted.size());
    }
    return path.substr(path.rfind('/') + 1);
  }
  std::ifstream comm(dir + "/comm");
  std::string name;
  std::getline(comm, name);
  return name;
}

// Splits parameters on blanks; a pair of double quotes keeps blanks inside one argument.
std::vector<std::string> SplitParameters(const std::string& text) {
  std::vector<std::string> out;
  std::string current;
  bool quoted = false, any = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
      if (any) out.push_back(current);
      current.clear();
      any = false;
    } else {
      current.push_back(c);
      any = true;
    }
  }
  if (any) out.push_back(current);
  return out;
}

// The shell's codes for what exec reports.
int ShellCodeFor(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return 2;  // file not found
    case EACCES:
    case EPERM:
      return 5;  // access denied
    case ENOEXEC:
      return 11;  // bad format
    default:
      return 0;
  }
}

// Runs argv detached (the child is orphaned so it never lingers as our zombie); returns the
// errno of a failed exec, or 0 when the program started.
int SpawnDetached(const std::vector<std::string>& args, const std::string& directory) {
  // Everything the child needs is prepared before fork: after it, only exec-safe calls.
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return errno;
  pid_t middle = fork();
  if (middle < 0) {
    int error = errno;
    close(pipeFds[0]);
    close(pipeFds[1]);
    return error;
  }
  if (middle == 0) {
    close(pipeFds[0]);
    pid_t inner = fork();
    if (inner > 0) _exit(0);
    int error = 0;
    if (inner < 0) {
      error = errno;
    } else if (!directory.empty() && chdir(directory.c_str()) != 0) {
      error = errno;
    } else {
      execvp(argv[0], argv.data());
      error = errno;
    }
    ssize_t ignored = write(pipeFds[1], &error, sizeof error);
    (void)ignored;
    _exit(127);
  }
  close(pipeFds[1]);
  int status = 0;
  waitpid(middle, &status, 0);
  // The write end closes on a successful exec, so an empty read means the program runs.
  int error = 0;
  ssize_t n;
  do {
    n = read(pipeFds[0], &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  close(pipeFds[0]);
  return n == static_cast<ssize_t>(sizeof error) ? (error ? error : EIO) : 0;
}

std::vector<ProcessEntry> PosixPlatform::ListProcesses() {
  // Windows lists its idle process first; callers pass over the first entry, so it is kept.
  std::vector<ProcessEntry> list{{0, L"[System Process]"}};
  DIR* proc = opendir("/proc");
  if (!proc) return list;
  std::vector<std::uint32_t> pids;
  while (dirent* entry = readdir(proc)) {
    char* end = nullptr;
    unsigned long pid = std::strtoul(entry->d_name, &end, 10);
    if (end != entry->d_name && *end == '\0') pids.push_back(static_cast<std::uint32_t>(pid));
  }
  closedir(proc);
  std::sort(pids.begin(), pids.end());  // creation order, near enough
  for (std::uint32_t pid : pids) {
    std::string name = ImageName(std::to_string(pid));
    if (!name.empty()) list.push_back({pid, Utf8ToWide(name)});
  }
  return list;
}

int PosixPlatform::ShellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory) {
  if (file.empty()) return 2;
  std::vector<std::string> args{WideToUtf8(file)};
  for (std::string& a : SplitParameters(WideToUtf8(parameters))) args.push_back(std::move(a));
  int error = SpawnDetached(args, WideToUtf8(directory));
  // Any code above 32 means "started" to callers; 42 is what the fake answers too.
  return error == 0 ? 42 : ShellCodeFor(error);
}

int PosixPlatform::RunCommandLine(const std::string&) { return 0; }

}  // namespace

Platform& NativePlatform() {
  static PosixPlatform platform;
  return platform;
}

}  // namespace lirra
