#include "store/win32/crash_writer.h"

#include <dbghelp.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/system_folder.h"
#include "store/support_log.h"

namespace lirra::win {

namespace {

// How long the report waits for the support log that another thread holds.
constexpr unsigned kLogWaitMs = 1000;

struct CrashJob {
  EXCEPTION_POINTERS* info;
  DWORD threadId;
};

// Set once by InstallCrashReports, before any fault can reach the filter.
std::wstring* g_clientFolder = nullptr;
std::string* g_supportLogPath = nullptr;
volatile LONG g_reporting = 0;
volatile DWORD g_reporterThreadId = 0;

DWORD ExitCodeOf(const EXCEPTION_POINTERS* info) {
  const DWORD code = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0;
  return code != 0 ? code : 1;
}

std::string FaultLine(const EXCEPTION_POINTERS* info, DWORD threadId) {
  const EXCEPTION_RECORD* record = info ? info->ExceptionRecord : nullptr;
  char text[128];
  std::snprintf(text, sizeof text, "crash: exception 0x%08lX at %p on thread %lu",
                record ? static_cast<unsigned long>(record->ExceptionCode) : 0ul,
                record ? record->ExceptionAddress : nullptr, static_cast<unsigned long>(threadId));
  return text;
}

CrashStamp LocalStamp() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// MiniDumpNormal holds what support reads first: the module list, every thread's stack and, with
// the exception information, the faulting thread and its context. Anything more (memory, handles)
// makes the file large and some flags are unknown to Windows XP's dbghelp.
DWORD WriteMinidump(HANDLE file, EXCEPTION_POINTERS* info, DWORD threadId) {
  using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                            PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);
  HMODULE dbghelp = LoadSystemLibrary(L"dbghelp.dll");
  if (!dbghelp) return GetLastError();
  auto write =
      reinterpret_cast<MiniDumpWriteDumpFn>(reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpWriteDump")));
  if (!write) return GetLastError();
  MINIDUMP_EXCEPTION_INFORMATION exception{threadId, info, FALSE};
  if (!write(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, info ? &exception : nullptr, nullptr,
             nullptr)) {
    const DWORD error = GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
  }
  return 0;
}

bool WriteNewFile(const std::wstring& path, const std::string& bytes) {
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size() && FlushFileBuffers(file.Get());
}

std::vector<std::string> PlainFileNames(const std::wstring& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    // Report names are ASCII; any other name is never one and never pruned.
    std::string name;
    for (const wchar_t* c = found.cFileName; *c; ++c) name += *c < 0x80 ? static_cast<char>(*c) : '?';
    names.push_back(name);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return names;
}

void PruneCrashFolder(const std::wstring& folder) {
  for (const std::string& name : CrashFilesToPrune(PlainFileNames(folder), kCrashReportsKept)) {
    DeleteFileW((folder + L"\\" + std::wstring(name.begin(), name.end())).c_str());
  }
}

DWORD WINAPI ReportThread(void* argument) {
  const CrashJob* job = static_cast<const CrashJob*>(argument);
  WriteCrashReport(*g_clientFolder, *g_supportLogPath, job->info, job->threadId);
  return 0;
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* info) {
  const DWORD exitCode = ExitCodeOf(info);
  if (InterlockedCompareExchange(&g_reporting, 1, 0) != 0) {
    // One report per process. The reporter itself faulted: give the waiting thread its end now.
    if (GetCurrentThreadId() == g_reporterThreadId) ExitThread(exitCode);
    // Another thread is reporting; the process ends when it is done (or its wait is over).
    Sleep(kCrashReportWaitMs + 1000);
    TerminateProcess(GetCurrentProcess(), exitCode);
    return EXCEPTION_EXECUTE_HANDLER;
  }
  CrashJob job{info, GetCurrentThreadId()};
  DWORD reporter = 0;
  HANDLE thread = CreateThread(nullptr, 0, &ReportThread, &job, 0, &reporter);
  if (thread) {
    g_reporterThreadId = reporter;
    WaitForSingleObject(thread, kCrashReportWaitMs);
    CloseHandle(thread);
  }
  // Not ExitProcess: DLL detach code and static destructors would run in a broken process.
  TerminateProcess(GetCurrentProcess(), exitCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

// A C++ exception that nothing caught ends up here, on the thread that threw it; as a Windows
// exception it reaches the same report.
[[noreturn]] void OnTerminate() {
  RaiseException(kUncaughtCppExceptionCode, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  std::abort();
}

// 64-bit Windows 7 and later swallow an exception that passes through a call back from the
// system into a window procedure (a sent WM_SHOWWINDOW, a hook), so the process goes on broken
// instead of reporting; where Windows lets us (7 SP1 and later), such an exception goes on to
// the filter. Looked up at run time: older Windows and Wine have no such calls.
void LetCallbackExceptionsThrough() {
  using GetPolicyFn = BOOL(WINAPI*)(LPDWORD);
  using SetPolicyFn = BOOL(WINAPI*)(DWORD);
  constexpr DWORD kCallbackFilterEnabled = 0x1;  // PROCESS_CALLBACK_FILTER_ENABLED
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return;
  auto getPolicy = reinterpret_cast<GetPolicyFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "GetProcessUserModeExceptionPolicy")));
  auto setPolicy = reinterpret_cast<SetPolicyFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetProcessUserModeExceptionPolicy")));
  DWORD flags = 0;
  if (getPolicy && setPolicy && getPolicy(&flags)) setPolicy(flags & ~kCallbackFilterEnabled);
}

}  // namespace

void FaultOnPurpose() {
  // A page of our own that no one may touch: Wine maps page zero in some processes, so a
  // null pointer is not sure to fault there.
  void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
  // Through a volatile pointer, so the compiler neither drops the store nor turns it into a trap.
  int* volatile target = static_cast<int*>(page);
  *target = 1;
}

bool ClaimCrashReport(const std::wstring& folder, const CrashStamp& stamp, ClaimedCrashReport& claimed) {
  for (int sequence = 1; sequence <= kCrashSequenceLimit; ++sequence) {
    const std::string name = CrashReportName(stamp, sequence);
    const std::wstring base = folder + L"\\" + std::wstring(name.begin(), name.end());
    const std::wstring dumpPath = base + L".dmp";
    const std::wstring logPath = base + L".log";
    if (FileExists(logPath)) continue;
    // CREATE_NEW: of two reports in one second, the second finds the name taken.
    ScopedHandle dump(
        CreateFileW(dumpPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!dump) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return false;
    }
    claimed.name = name;
    claimed.dumpPath = dumpPath;
    claimed.logPath = logPath;
    claimed.dump = std::move(dump);
    return true;
  }
  return false;
}

bool WriteCrashReport(const std::wstring& clientFolder, const std::string& supportLogPath, EXCEPTION_POINTERS* info,
                      DWORD threadId) {
  // First into the support log, so that the excerpt ends with the fault.
  const std::string fault = FaultLine(info, threadId);
  TryWriteSupportLog(fault, kLogWaitMs);

  const std::wstring folder = clientFolder + L"\\" + kCrashFolderName;
  CreateDirectoryW(folder.c_str(), nullptr);
  ClaimedCrashReport report;
  if (!ClaimCrashReport(folder, LocalStamp(), report)) return false;
  const DWORD dumpError = WriteMinidump(report.dump.Get(), info, threadId);
  report.dump.Reset();
  if (dumpError != 0) DeleteFileW(report.dumpPath.c_str());

  char dumpLine[96];
  if (dumpError == 0) {
    std::snprintf(dumpLine, sizeof dumpLine, "dump: %s%s", report.name.c_str(), kCrashDumpExtension);
  } else {
    std::snprintf(dumpLine, sizeof dumpLine, "dump: not written (error %lu)", static_cast<unsigned long>(dumpError));
  }
  const std::string version = OS().WideToAnsi(OS().ProductVersion());
  const std::vector<std::string> heading = {"lirra " + (version.empty() ? "(no version)" : version), fault, dumpLine,
                                            "support log, last lines:"};
  const bool logWritten = WriteNewFile(report.logPath, CrashLogExcerpt(heading, supportLogPath));
  PruneCrashFolder(folder);
  return dumpError == 0 || logWritten;
}

void InstallCrashReports() {
  const std::wstring module = OS().ModulePath();
  const std::size_t slash = module.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return;
  // Kept for the whole process: the filter may run on any thread until the very end.
  g_clientFolder = new std::wstring(module.substr(0, slash));
  g_supportLogPath = new std::string(OS().WideToAnsi(*g_clientFolder + L"\\" + kSupportLogName));
  SetUnhandledExceptionFilter(&OnUnhandledException);
  std::set_terminate(&OnTerminate);
  LetCallbackExceptionsThrough();
}

}  // namespace lirra::win
