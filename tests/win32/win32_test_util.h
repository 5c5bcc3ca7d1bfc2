// Helpers of the Windows tests: paths of the fixtures built beside them, registry clean-up,
// and child processes owned by the test.
#pragma once

#include <windows.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "platform/win32/scoped.h"

namespace lirra::test {

// A Linux path of the build tree as the Wine prefix sees it (drive Z: is "/").
inline std::wstring WinePath(const char* unixPath) {
  std::wstring out = L"Z:";
  for (const char* p = unixPath; *p; ++p) out.push_back(*p == '/' ? L'\\' : static_cast<wchar_t>(*p));
  return out;
}

inline std::string WinePathA(const char* unixPath) {
  std::string out = "Z:";
  for (const char* p = unixPath; *p; ++p) out.push_back(*p == '/' ? '\\' : *p);
  return out;
}

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A file's bytes, or "<missing>".
inline std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Runs a program and waits; its exit code, or -1 when it could not start or did not end in time.
inline long RunAndWait(const std::wstring& commandLine, DWORD ms = 180000) {
  std::wstring line = commandLine;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  win::ScopedHandle process(pi.hProcess);
  win::ScopedHandle thread(pi.hThread);
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.Get(), ms) == WAIT_OBJECT_0) GetExitCodeProcess(process.Get(), &code);
  return static_cast<long>(code);
}

inline std::wstring Widen(const std::string& ansi) {
  std::wstring out;
  for (char c : ansi) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return out;
}

// Deletes a key with its subkeys; true when it is gone. `view` (KEY_WOW64_32KEY or
// KEY_WOW64_64KEY) picks a registry view of 64-bit Windows; 32-bit Windows ignores it.
inline bool DeleteTree(HKEY root, const std::wstring& path, REGSAM view = 0) {
  win::ScopedKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | KEY_WRITE | view, key.Receive()) == ERROR_SUCCESS) {
    wchar_t name[256];
    for (;;) {
      DWORD len = 256;
      if (RegEnumKeyExW(key.Get(), 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      if (!DeleteTree(root, path + L"\\" + name, view)) break;
    }
    key.Reset();
  }
  LONG rc = view ? RegDeleteKeyExW(root, path.c_str(), view, 0) : RegDeleteKeyW(root, path.c_str());
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

inline bool CreateKey(HKEY root, const std::wstring& path, REGSAM view = 0) {
  win::ScopedKey key;
  return RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, key.Receive(), nullptr) ==
         ERROR_SUCCESS;
}

inline bool SetString(HKEY root, const std::wstring& path, const wchar_t* value, const wchar_t* data) {
  win::ScopedKey key;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
    return false;
  LONG rc = data ? RegSetValueExW(key.Get(), value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                                  static_cast<DWORD>((lstrlenW(data) + 1) * sizeof(wchar_t)))
                 : RegDeleteValueW(key.Get(), value);
  return rc == ERROR_SUCCESS || (!data && rc == ERROR_FILE_NOT_FOUND);
}

inline bool SetDword(HKEY root, const std::wstring& path, const wchar_t* value, DWORD data) {
  win::ScopedKey key;
  return RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(), nullptr) ==
             ERROR_SUCCESS &&
         RegSetValueExW(key.Get(), value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
             ERROR_SUCCESS;
}

// The DWORD data of a value, or -1 when it is missing or of another type.
inline long long ReadDword(HKEY root, const std::wstring& path, const std::wstring& value) {
  DWORD data = 0, size = sizeof data, type = 0;
  win::ScopedKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return -1;
  LONG rc = RegQueryValueExW(key.Get(), value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  return rc == ERROR_SUCCESS && type == REG_DWORD ? static_cast<long long>(data) : -1;
}

// The REG_SZ data of a value, or nothing when it is missing or of another type.
inline std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, const std::wstring& value) {
  wchar_t data[1024] = {};
  DWORD size = sizeof data - sizeof(wchar_t), type = 0;
  win::ScopedKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return std::nullopt;
  LONG rc = RegQueryValueExW(key.Get(), value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  if (rc != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  return std::wstring(data);
}

// A process started by the test; terminated if still running when the object goes.
class ChildProcess {
 public:
  ChildProcess(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      CloseHandle(pi.hThread);
      process_.Reset(pi.hProcess);
      pid_ = pi.dwProcessId;
    }
  }
  ~ChildProcess() {
    if (Running()) TerminateProcess(process_.Get(), 1);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return process_.Valid(); }
  DWORD Pid() const { return pid_; }
  bool Running() const { return Started() && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT; }
  // Exit code once it ended within the time, else STILL_ACTIVE.
  DWORD WaitExit(DWORD ms) const {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process_.Get(), ms) == WAIT_OBJECT_0) GetExitCodeProcess(process_.Get(), &code);
    return code;
  }

 private:
  win::ScopedHandle process_;
  DWORD pid_ = 0;
};

// Runs a program with its standard output in a file and waits up to two minutes; returns its exit
// code (1000 when the file can't be made, 1001 when it did not start or end in time).
inline DWORD RunWithOutput(const std::wstring& exe, const std::wstring& arguments, const std::string& outFile) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  win::ScopedHandle out(CreateFileW(Widen(outFile).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out) return 1000;
  std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = out.Get();
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi{};
  DWORD code = 1001;
  if (CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    win::ScopedHandle process(pi.hProcess);
    win::ScopedHandle thread(pi.hThread);
    if (WaitForSingleObject(process.Get(), 120000) == WAIT_OBJECT_0) GetExitCodeProcess(process.Get(), &code);
  }
  return code;
}

}  // namespace lirra::test
