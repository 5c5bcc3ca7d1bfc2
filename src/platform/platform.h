// The one interface through which portable code reaches the operating system.
// win32/ implements it on Windows, posix/ implements what Linux has, and tests
// install a scriptable fake with SetPlatform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lirra {

// The separator of paths that the client builds ("\\" on Windows), and every character that
// separates a path's parts (Windows takes "/" too).
#ifdef _WIN32
inline constexpr wchar_t kPathSep = L'\\';
inline bool IsPathSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
#else
inline constexpr wchar_t kPathSep = L'/';
inline bool IsPathSeparator(wchar_t c) { return c == L'/'; }
#endif

// How long MoveFileOver keeps retrying a file that another process holds open.
inline constexpr unsigned kMoveFileRetryMs = 5000;

enum class RegHive { LocalMachine, CurrentUser };

// Which registry view a key is opened in; Default is the process's own.
enum class RegView { Default, Wow64_32, Wow64_64 };

enum class KeyStatus { Present, NotFound, OtherError };

enum class ServiceState { Running, Stopped, Pending, Paused, Missing, Unknown };

struct OsVersion {
  unsigned major = 0;
  unsigned minor = 0;
};

struct ProcessEntry {
  std::uint32_t pid = 0;
  std::wstring imageName;  // file name without folder, as the process list reports it
};

// A file opened for reading that, while it stays open, others may read but neither write,
// rename nor delete (on Windows: read sharing only). What was read through it is therefore what
// a program started from its path runs. Closed when destroyed.
class HeldFile {
 public:
  virtual ~HeldFile() = default;
  virtual const std::wstring& Path() const = 0;
  // Reads the next bytes: how many, 0 at the end, -1 on a read error.
  virtual long long Read(void* buffer, std::size_t size) = 0;
};
using HeldFilePtr = std::unique_ptr<HeldFile>;

class Platform {
 public:
  virtual ~Platform() = default;

  // The running executable.
  virtual std::wstring ModulePath() = 0;      // full path, empty when unknown
  virtual std::wstring ProductVersion() = 0;  // "1.0.0.2" from the version resource or the build
  // The "ProductVersion" of another program's version resource, in its first translation; empty
  // when it has none or the system can't read one (POSIX).
  virtual std::wstring FileProductVersion(const std::wstring& path) = 0;

  // The system folder (GetSystemDirectory, C:\Windows\system32, which WOW64 redirects for
  // a 32-bit process), where system programs are started from by full path; empty when unknown.
  virtual std::wstring SystemDirectory() = 0;

  // The machine.
  virtual OsVersion GetOsVersion() = 0;
  virtual bool Is64BitOs() = 0;

  // Text: the system ANSI code page on Windows, UTF-8 elsewhere.
  virtual std::string WideToAnsi(const std::wstring& text) = 0;
  virtual std::wstring AnsiToWide(const std::string& text) = 0;

  // Files and folders (wide paths).
  virtual bool IsDirectory(const std::wstring& path) = 0;
  virtual bool MakeDirectory(const std::wstring& path) = 0;
  // Moves a file over another in one step (paths in the ANSI code page): the target is
  // either the old file or the new one, never a mix. False at once for a target that can't be
  // written (read-only); a target or source that another process holds open (a virus scanner,
  // the indexer) is retried for at most kMoveFileRetryMs.
  virtual bool MoveFileOver(const std::string& from, const std::string& to) = 0;
  // Opens a file held (HeldFile); nullptr when it can't be: missing, not a plain file, or
  // open for writing elsewhere.
  virtual HeldFilePtr OpenHeld(const std::wstring& path) = 0;

  // Services: start one by name and wait (bounded) until it runs.
  virtual bool StartServiceByName(const std::wstring& name) = 0;
  virtual ServiceState QueryService(const std::wstring& name) = 0;

  // Processes: the list in snapshot order (the idle process first on Windows).
  virtual std::vector<ProcessEntry> ListProcesses() = 0;
  virtual bool KillProcess(std::uint32_t pid) = 0;

  // Opens a file through the shell ("open"), in a working directory when one is given;
  // returns the shell's code (> 32 on success, 2 for a missing file, 0 when refused).
  virtual int ShellOpen(const std::wstring& file, const std::wstring& parameters,
                        const std::wstring& directory = {}) = 0;
  // Runs a command line without waiting, its window maximised (a browser on a page);
  // returns the launcher's code (> 31 on success).
  virtual int RunCommandLine(const std::string& commandLine) = 0;

  // Registry.
  virtual KeyStatus OpenKeyStatus(RegHive hive, const std::wstring& key, RegView view) = 0;
  virtual std::optional<std::wstring> ReadString(RegHive hive, const std::wstring& key, const std::wstring& value,
                                                 std::uint32_t maxBytes) = 0;
  virtual bool WriteString(RegHive hive, const std::wstring& key, const std::wstring& value,
                           const std::wstring& data) = 0;
  virtual bool WriteDword(RegHive hive, const std::wstring& key, const std::wstring& value, std::uint32_t data) = 0;

  virtual void SleepMs(unsigned milliseconds) = 0;
  // Milliseconds on a clock that only moves forward, from an unspecified start.
  virtual std::uint64_t TickMs() = 0;
};

// The process-wide platform: the real one unless a test has installed another.
Platform& OS();
// Installs a platform (tests); nullptr restores the real one. Returns the previous override.
Platform* SetPlatform(Platform* platform);

// The real implementation of this build (win32/ or posix/).
Platform& NativePlatform();

}  // namespace lirra
