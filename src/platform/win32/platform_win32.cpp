// The Windows implementation of the platform seam.
#include <windows.h>
// after windows.h
#include <shellapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/scoped.h"

namespace lirra {
namespace {

using win::ScopedHandle;
using win::ScopedKey;
using win::ScopedServiceHandle;

std::string WideToCodePage(const std::wstring& text, UINT codePage) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::wstring CodePageToWide(const std::string& text, UINT codePage) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

// How long StartServiceByName waits for a started service to report that it runs.
constexpr DWORD kServiceStartLimitMs = 30000;

HKEY RootOf(RegHive hive) { return hive == RegHive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

REGSAM ViewFlag(RegView view) {
  switch (view) {
    case RegView::Wow64_32:
      return KEY_WOW64_32KEY;
    case RegView::Wow64_64:
      return KEY_WOW64_64KEY;  // ignored by 32-bit Windows
    default:
      return 0;
  }
}

const wchar_t* OrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

class Win32Platform final : public Platform {
 public:
  std::wstring ModulePath() override {
    wchar_t buf[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    return std::wstring(buf, n < MAX_PATH ? n : 0);
  }

  std::wstring ProductVersion() override;
  std::wstring FileProductVersion(const std::wstring& path) override;
  std::wstring SystemDirectory() override {
    wchar_t buf[MAX_PATH] = {};
    UINT n = GetSystemDirectoryW(buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(buf, n) : std::wstring();
  }

  OsVersion GetOsVersion() override {
    // The process environment block holds the version Windows reports to this process,
    // free of the compatibility shims that GetVersionEx applies.
    const auto* peb = reinterpret_cast<const unsigned char*>(NtCurrentTeb()->ProcessEnvironmentBlock);
#ifdef _WIN64
    constexpr size_t kMajorOffset = 0x118;  // OSMajorVersion, OSMinorVersion follows
#else
    constexpr size_t kMajorOffset = 0xA4;
#endif
    OsVersion v;
    v.major = *reinterpret_cast<const ULONG*>(peb + kMajorOffset);
    v.minor = *reinterpret_cast<const ULONG*>(peb + kMajorOffset + 4);
    return v;
  }

  bool Is64BitOs() override {
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
           info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
  }

  std::string WideToAnsi(const std::wstring& text) override { return WideToCodePage(text, CP_ACP); }
  std::wstring AnsiToWide(const std::string& text) override { return CodePageToWide(text, CP_ACP); }

  bool IsDirectory(const std::wstring& path) override {
    DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool MakeDirectory(const std::wstring& path) override { return CreateDirectoryW(path.c_str(), nullptr) != 0; }

  bool MoveFileOver(const std::string& from, const std::string& to) override;
  HeldFilePtr OpenHeld(const std::wstring& path) override;

  bool StartServiceByName(const std::wstring& name) override;
  ServiceState QueryService(const std::wstring& name) override;

  std::vector<ProcessEntry> ListProcesses() override;
  bool KillProcess(std::uint32_t pid) override;

  int ShellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory = {}) override {
    auto code = ShellExecuteW(nullptr, L"open", file.c_str(), OrNull(parameters), OrNull(directory), SW_SHOWNORMAL);
    return static_cast<int>(reinterpret_cast<INT_PTR>(code));
  }
  int RunCommandLine(const std::string& commandLine) override {
    // Its one use opens a web page, which the browser shows maximised.
    return static_cast<int>(WinExec(commandLine.c_str(), SW_SHOWMAXIMIZED));
  }

  KeyStatus OpenKeyStatus(RegHive hive, const std::wstring& key, RegView view) override;
  std::optional<std::wstring> ReadString(RegHive hive, const std::wstring& key, const std::wstring& value,
                                         std::uint32_t maxBytes) override;
  bool WriteString(RegHive hive, const std::wstring& key, const std::wstring& value, const std::wstring& data) override;
  bool WriteDword(RegHive hive, const std::wstring& key, const std::wstring& value, std::uint32_t data) override;

  void SleepMs(unsigned milliseconds) override { Sleep(milliseconds); }
  std::uint64_t TickMs() override {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
};

bool Win32Platform::MoveFileOver(const std::string& from, const std::string& to) {
  std::wstring source = AnsiToWide(from), target = AnsiToWide(to);
  DWORD attrs = GetFileAttributesW(target.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  // A scanner or the indexer that has just opened either file holds it for a moment; such a
  // hold shows as a sharing, lock or access error and is waited out, within a bound.
  const DWORD start = GetTickCount();
  DWORD pause = 20;
  for (;;) {
    if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DWORD error = GetLastError();
    bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
    DWORD elapsed = GetTickCount() - start;
    if (!held || elapsed >= kMoveFileRetryMs) return false;
    Sleep(std::min<DWORD>(pause, kMoveFileRetryMs - elapsed));
    pause = std::min<DWORD>(pause * 2, 250);
  }
}

class Win32HeldFile final : public HeldFile {
 public:
  Win32HeldFile(std::wstring path, ScopedHandle file) : path_(std::move(path)), file_(std::move(file)) {}

  const std::wstring& Path() const override { return path_; }
  long long Read(void* buffer, std::size_t size) override {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!ReadFile(file_.Get(), buffer, want, &got, nullptr)) return -1;
    return got;
  }

 private:
  const std::wstring path_;
  ScopedHandle file_;
};

HeldFilePtr Win32Platform::OpenHeld(const std::wstring& path) {
  // Read sharing only: while this handle is open, opening the file to write, rename or delete
  // it fails with a sharing violation, and a program started from the path runs these bytes.
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file || GetFileType(file.Get()) != FILE_TYPE_DISK) return nullptr;
  return std::make_unique<Win32HeldFile>(path, std::move(file));
}

bool Win32Platform::StartServiceByName(const std::wstring& name) {
  ScopedServiceHandle manager(OpenSCManagerW(nullptr, nullptr, GENERIC_EXECUTE));
  if (!manager) return false;
  ScopedServiceHandle service(
      OpenServiceW(manager.Get(), name.c_str(), SERVICE_QUERY_STATUS | SERVICE_START | SERVICE_STOP));
  if (!service) return false;
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(service.Get(), &status)) return false;
  if (status.dwCurrentState != SERVICE_STOPPED) return true;  // running, pending or paused: left alone
  if (!StartServiceW(service.Get(), 0, nullptr)) return false;
  // A service may stay pending or stop again; the wait is bounded and then says "not running".
  const DWORD started = GetTickCount();
  while (QueryServiceStatus(service.Get(), &status)) {
    if (status.dwCurrentState == SERVICE_RUNNING) return true;
    if (status.dwCurrentState == SERVICE_STOPPED) return false;
    if (GetTickCount() - started >= kServiceStartLimitMs) return false;
    DWORD hint = status.dwWaitHint;
    Sleep(hint < 50 ? 50 : hint > 1000 ? 1000 : hint);
  }
  return true;  // the start was accepted and its progress can no longer be read
}

ServiceState Win32Platform::QueryService(const std::wstring& name) {
  ScopedServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return ServiceState::Unknown;
  ScopedServiceHandle service(OpenServiceW(manager.Get(), name.c_str(), SERVICE_QUERY_STATUS));
  if (!service) {
    return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST ? ServiceState::Missing : ServiceState::Unknown;
  }
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(service.Get(), &status)) return ServiceState::Unknown;
  switch (status.dwCurrentState) {
    case SERVICE_RUNNING:
      return ServiceState::Running;
    case SERVICE_STOPPED:
      return ServiceState::Stopped;
    case SERVICE_PAUSED:
      return ServiceState::Paused;
    default:
      return ServiceState::Pending;
  }
}

std::vector<ProcessEntry> Win32Platform::ListProcesses() {
  std::vector<ProcessEntry> list;
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return list;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
    list.push_back({entry.th32ProcessID, entry.szExeFile});
  }
  return list;
}

bool Win32Platform::KillProcess(std::uint32_t pid) {
  ScopedHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
  return process && TerminateProcess(process.Get(), 0) != 0;
}

KeyStatus Win32Platform::OpenKeyStatus(RegHive hive, const std::wstring& key, RegView view) {
  ScopedKey opened;
  LONG rc = RegOpenKeyExW(RootOf(hive), key.c_str(), 0, KEY_READ | ViewFlag(view), opened.Receive());
  if (rc == ERROR_SUCCESS) return KeyStatus::Present;
  return rc == ERROR_FILE_NOT_FOUND ? KeyStatus::NotFound : KeyStatus::OtherError;
}

std::optional<std::wstring> Win32Platform::ReadString(RegHive hive, const std::wstring& key, const std::wstring& value,
                                                      std::uint32_t maxBytes) {
  ScopedKey opened;
  if (RegOpenKeyExW(RootOf(hive), key.c_str(), 0, KEY_QUERY_VALUE, opened.Receive()) != ERROR_SUCCESS)
    return std::nullopt;
  std::wstring buffer(maxBytes / sizeof(wchar_t) + 1, L'\0');
  DWORD type = 0, size = maxBytes;
  // A value longer than maxBytes fails with ERROR_MORE_DATA and reads as none.
  if (RegQueryValueExW(opened.Get(), value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&buffer[0]), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::nullopt;
  }
  buffer.resize(size / sizeof(wchar_t));
  size_t end = buffer.find(L'\0');
  if (end != std::wstring::npos) buffer.resize(end);
  return buffer;
}

bool Win32Platform::WriteString(RegHive hive, const std::wstring& key, const std::wstring& value,
                                const std::wstring& data) {
  ScopedKey opened;
  if (RegCreateKeyExW(RootOf(hive), key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, opened.Receive(), nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(opened.Get(), value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), bytes) ==
         ERROR_SUCCESS;
}

bool Win32Platform::WriteDword(RegHive hive, const std::wstring& key, const std::wstring& value, std::uint32_t data) {
  ScopedKey opened;
  if (RegCreateKeyExW(RootOf(hive), key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, opened.Receive(), nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  DWORD dword = data;
  return RegSetValueExW(opened.Get(), value.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword),
                        sizeof dword) == ERROR_SUCCESS;
}

// The "ProductVersion" string of a program's version resource, in its first translation; empty
// when it has none. Wide throughout, so a folder outside the ANSI code page is read too.
std::wstring Win32Platform::FileProductVersion(const std::wstring& path) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) return {};
  std::vector<char> block(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return {};
  struct Translation {
    WORD language;
    WORD codePage;
  }* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
      length < sizeof *translation) {
    return {};
  }
  wchar_t query[64];
  std::swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\ProductVersion", translation->language, translation->codePage);
  wchar_t* value = nullptr;
  if (!VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&value), &length) || length == 0 || !value)
    return {};
  return value;
}

std::wstring Win32Platform::ProductVersion() { return FileProductVersion(ModulePath()); }

}  // namespace

Platform& NativePlatform() {
  static Win32Platform platform;
  return platform;
}

}  // namespace lirra
