// Test helper: holds a file open as a virus scanner or the indexer does (others may read it,
// not write, rename or delete it), says so by creating a marker file, and lets go after a
// while. usage: hold_file FILE MILLISECONDS MARKER
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  HANDLE held = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 3;
  HANDLE marker = CreateFileW(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (marker == INVALID_HANDLE_VALUE) return 4;
  CloseHandle(marker);
  Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
  CloseHandle(held);
  return 0;
}
