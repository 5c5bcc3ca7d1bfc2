// Crash reports on Windows. InstallCrashReports makes the process's unhandled-exception filter
// (and the C++ terminate handler) report every fault that nothing caught, on any thread: the
// faulting thread hands its EXCEPTION_POINTERS to a reporting thread of its own and waits for it
// at most kCrashReportWaitMs, so a report that hangs (a lock held by the faulted thread, a slow
// disk) never keeps the process alive; then the process ends with the fault's code.
//
// The report is the minidump of dbghelp.dll (looked up at run time, loaded by its full system
// path) and an excerpt of the support log, under one name in the "crash" folder beside the
// executable (store/crash_reports.h); only the newest are kept. A fresh thread is used, not the
// faulting one: its stack may be what overflowed, and MiniDumpWriteDump records the calling
// thread's own state poorly.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/scoped.h"
#include "store/crash_reports.h"

namespace lirra::win {

inline constexpr DWORD kCrashReportWaitMs = 10000;
// The exception (and exit) code of a C++ exception that nothing caught; the customer bit set.
inline constexpr DWORD kUncaughtCppExceptionCode = 0xE04C4331;

// Reports the faults of this process into <executable's folder>\crash from now on.
void InstallCrashReports();

// Faults with an access violation (the crash test of debug builds, and the tests).
void FaultOnPurpose();

// A report's files under the first free name of `stamp` in `folder`: the dump file created
// (exclusively, so two reports never share a name) and held open; the log file's path.
struct ClaimedCrashReport {
  std::string name;
  std::wstring dumpPath;
  std::wstring logPath;
  ScopedHandle dump;
};
bool ClaimCrashReport(const std::wstring& folder, const CrashStamp& stamp, ClaimedCrashReport& claimed);

// Writes one report of the fault `info` on thread `threadId` into `clientFolder`\crash now, on
// the calling thread, and prunes the folder to the newest kCrashReportsKept; the support log
// excerpt comes from `supportLogPath` (ANSI code page). False when no file could be written.
bool WriteCrashReport(const std::wstring& clientFolder, const std::string& supportLogPath, EXCEPTION_POINTERS* info,
                      DWORD threadId);

}  // namespace lirra::win
