// crash_probe MODE: a program with the client's crash reports that writes numbered lines to its
// support log ("entry 1" ... "entry 60"), names the thread that will fault ("faulting thread N")
// and then fails as MODE says: "main" (an access violation on the main thread), "beginthread"
// (on a thread of _beginthreadex, as the client's workers), "stdthread" (on a std::thread, as the
// name lookup), "throw" (a C++ exception that nothing catches, on a std::thread). Exit code 2 when
// it did not fail.
#include <process.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

#include "store/support_log.h"
#include "store/win32/crash_writer.h"

namespace {

void Fault() {
  lirra::WriteSupportLog("faulting thread " + std::to_string(GetCurrentThreadId()));
  lirra::win::FaultOnPurpose();
}

unsigned __stdcall FaultProc(void*) {
  Fault();
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 64;
  const std::wstring mode = argv[1];
  lirra::OpenSupportLog();
  lirra::win::InstallCrashReports();
  for (int i = 1; i <= 60; ++i) lirra::WriteSupportLog("entry " + std::to_string(i));
  if (mode == L"main") {
    Fault();
  } else if (mode == L"beginthread") {
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &FaultProc, nullptr, 0, nullptr));
    if (thread) WaitForSingleObject(thread, INFINITE);
  } else if (mode == L"stdthread") {
    std::thread(Fault).join();
  } else if (mode == L"throw") {
    std::thread([] {
      lirra::WriteSupportLog("faulting thread " + std::to_string(GetCurrentThreadId()));
      throw std::runtime_error("nothing catches this");
    }).join();
  }
  return 2;
}
