// lirractl md5 FILE
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "command.h"
#include "net/md5.h"

namespace {

int RunMd5(const lirractl::Args& args) {
  if (args.size() != 1) return lirractl::Usage();
  char text[lirra::kMd5TextSize];
  errno = 0;
  if (!lirra::GetFileMd5(args[0].c_str(), text)) {
    std::fprintf(stderr, "lirractl: cannot open %s: %s\n", args[0].c_str(),
                 errno ? std::strerror(errno) : "unknown error");
    return 1;
  }
  std::printf("%s\n", text);
  return 0;
}

}  // namespace

LIRRACTL_COMMAND("md5", "FILE", RunMd5);
