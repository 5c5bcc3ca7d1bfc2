// System DLLs and programs by their full path, and a DLL search without the current folder, so
// that nothing planted in the current or the client's folder is loaded in their place.
#pragma once

#include <windows.h>

#include <string>

namespace lirra::win {

// The full path of a file in the system folder ("C:\Windows\system32\atl.dll"). A 32-bit
// process on 64-bit Windows opens it through WOW64's redirection, so it gets its own copy.
std::wstring SystemFilePath(const wchar_t* fileName);

// LoadLibrary of a system DLL by its full path; nullptr when it can't be loaded.
HMODULE LoadSystemLibrary(const wchar_t* fileName);

// Takes the current folder out of the DLL search and, where Windows has it (Windows 8, and 7 or
// Vista with KB2533623), limits the search to the system folder. Called first in each program.
void RestrictDllSearch();

}  // namespace lirra::win
