// Start timer for scripts/bench-start.sh: starts a program and prints the milliseconds from just
// before CreateProcess until a visible top-level window of that process first holds a child
// window of the given class (the WebBrowser control's host, for the client and the bare host
// alike), then ends the program. Never shipped.
//   start_timer.exe CHILD_CLASS PROGRAM [ARGUMENTS]
// The program starts in its own folder. Exit code 0 with the time on standard output; 1 when
// the program ends or shows no such window within 60 s.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr DWORD kGiveUpMs = 60000;
constexpr DWORD kPollMs = 2;

struct Search {
  DWORD processId;
  const wchar_t* childClass;
  bool found;
};

BOOL CALLBACK IsChildOfClass(HWND child, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  wchar_t name[64] = L"";
  GetClassNameW(child, name, 64);
  if (lstrcmpW(name, search->childClass) != 0) return TRUE;
  search->found = true;
  return FALSE;
}

BOOL CALLBACK IsShownWindowOfProcess(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  EnumChildWindows(window, IsChildOfClass, lParam);  // the children's children too
  return search->found ? FALSE : TRUE;
}

// The command line after the first two arguments (this program and the class), as written.
const wchar_t* ProgramCommandLine(const wchar_t* line) {
  for (int skipped = 0; skipped < 2; ++skipped) {
    bool quoted = false;
    while (*line && (quoted || (*line != L' ' && *line != L'\t'))) {
      if (*line == L'"') quoted = !quoted;
      ++line;
    }
    while (*line == L' ' || *line == L'\t') ++line;
  }
  return line;
}

std::wstring FolderOf(const wchar_t* path) {
  std::wstring folder = path;
  std::wstring::size_type slash = folder.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring(L".") : folder.substr(0, slash);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: start_timer.exe CHILD_CLASS PROGRAM [ARGUMENTS]\n");
    return 2;
  }
  std::wstring commandLine = ProgramCommandLine(GetCommandLineW());
  std::wstring folder = FolderOf(argv[2]);
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                      &process)) {
    std::fprintf(stderr, "start_timer: cannot start the program (error %lu)\n", GetLastError());
    return 1;
  }
  Search search = {process.dwProcessId, argv[1], false};
  double elapsedMs = 0;
  while (!search.found && elapsedMs < kGiveUpMs && WaitForSingleObject(process.hProcess, kPollMs) == WAIT_TIMEOUT) {
    EnumWindows(IsShownWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    QueryPerformanceCounter(&now);
    elapsedMs = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  }
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (!search.found) {
    std::fprintf(stderr, "start_timer: no visible window holding a %ls child\n", argv[1]);
    return 1;
  }
  std::printf("%.1f\n", elapsedMs);
  return 0;
}
