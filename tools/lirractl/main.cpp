// lirractl: the client's own operations for support staff and scripts.
#include <cstdio>
#include <cstring>
#include <string>

#include "command.h"
#include "platform/platform.h"
#ifdef _WIN32
#include "platform/win32/system_folder.h"
#endif

namespace {

int Dispatch(const lirractl::Args& words) {
  if (words.empty()) return lirractl::Usage();
  for (const lirractl::Command& c : lirractl::Commands()) {
    if (words[0] == c.name) return c.run(lirractl::Args(words.begin() + 1, words.end()));
  }
  return lirractl::Usage();
}

}  // namespace

#ifdef _WIN32
// Arguments arrive as UTF-16 and are handed on in the ANSI code page, as the client's operations take them.
int wmain(int argc, wchar_t** argv) {
  lirra::win::RestrictDllSearch();
  lirractl::Args words;
  for (int i = 1; i < argc; ++i) words.push_back(lirra::OS().WideToAnsi(argv[i]));
  return Dispatch(words);
}
#else
int main(int argc, char** argv) { return Dispatch(lirractl::Args(argv + 1, argv + argc)); }
#endif
