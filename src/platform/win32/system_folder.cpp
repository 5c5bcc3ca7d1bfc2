#include "platform/win32/system_folder.h"

namespace lirra::win {

std::wstring SystemFilePath(const wchar_t* fileName) {
  wchar_t folder[MAX_PATH] = {};
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  std::wstring path(folder, n);
  if (path.back() != L'\\') path += L'\\';
  return path + fileName;
}

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
  const std::wstring path = SystemFilePath(fileName);
  return path.empty() ? nullptr : LoadLibraryW(path.c_str());
}

void RestrictDllSearch() {
  SetDllDirectoryW(L"");
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  // Looked up at run time: Windows XP has no such export, and the client must start there.
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                                 reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                           : nullptr;
  if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace lirra::win
