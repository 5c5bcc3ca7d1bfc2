// A child the Windows tests start, so that a probe runs in a fresh process (Wine reads its
// version setting at process start) or under another file name.
//   win32_probe_helper os <file>        writes the Windows version name to the file
//   win32_probe_helper engine-settings  makes the browser window's registry writes
//   win32_probe_helper swap <how> <file> <replacement>
//                                       overwrites the file with the replacement, renames it
//                                       away, moves the replacement over it or deletes it (how:
//                                       overwrite, rename, replace, delete), as another program
//                                       would between a check and a launch; exits with the
//                                       attempt's error code, 0 when it worked
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "browser/engine_settings.h"
#include "pc/system_probe.h"

namespace {

DWORD Swap(const std::wstring& how, const std::wstring& file, const std::wstring& replacement) {
  BOOL done = FALSE;
  if (how == L"overwrite") {
    done = CopyFileW(replacement.c_str(), file.c_str(), FALSE);
  } else if (how == L"rename") {
    done = MoveFileExW(file.c_str(), (file + L".old").c_str(), 0);
  } else if (how == L"replace") {
    done = MoveFileExW(replacement.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
  } else if (how == L"delete") {
    done = DeleteFileW(file.c_str());
  } else {
    return ERROR_INVALID_PARAMETER;
  }
  return done ? 0 : GetLastError();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 5 && std::wcscmp(argv[1], L"swap") == 0) return static_cast<int>(Swap(argv[2], argv[3], argv[4]));
  if (argc == 3 && std::wcscmp(argv[1], L"os") == 0) {
    FILE* out = _wfopen(argv[2], L"wb");
    if (!out) return 2;
    for (wchar_t c : lirra::CSystemProbe::GetOsVersionName()) std::fputc(static_cast<char>(c), out);
    std::fclose(out);
    return 0;
  }
  if (argc == 2 && std::wcscmp(argv[1], L"engine-settings") == 0) {
    lirra::CEngineSettings::ApplyBrowserSettings();
    return 0;
  }
  return 1;
}
