// A child the Windows tests start, so that a probe runs in a fresh process (Wine reads its
// version setting at process start) or under another file name.
//   win32_probe_helper os <file>        writes the Windows version name to the file
//   win32_probe_helper engine-settings  makes the browser window's registry writes
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "browser/engine_settings.h"
#include "pc/system_probe.h"

int wmain(int argc, wchar_t** argv) {
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
