// lirractl ini get|set|del: the client's INI store on any file.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "command.h"
#include "store/ini_store.h"

namespace {

constexpr int kExitNotLoaded = 2;
constexpr int kValueSize = 4096;

// "-" names the unnamed section.
const char* SectionArg(const std::string& arg) { return arg == "-" ? nullptr : arg.c_str(); }

bool Load(const std::string& file) {
  errno = 0;
  int loaded = lirra::IniLoadFile(file.c_str());
  if (loaded == 1) return true;
  const char* reason = loaded == 0                                             ? "file too large to hold in memory"
                       : file.size() > static_cast<size_t>(lirra::kIniMaxPath) ? "path longer than 255 bytes"
                       : errno                                                 ? std::strerror(errno)
                                                                               : "cannot open";
  std::fprintf(stderr, "lirractl: cannot load %s: %s\n", file.c_str(), reason);
  return false;
}

int RunIniGet(const lirractl::Args& args) {
  if (args.size() < 4 || args.size() > 5) return lirractl::Usage();
  if (!Load(args[1])) return kExitNotLoaded;
  char value[kValueSize];
  int found = lirra::IniReadString(SectionArg(args[2]), args[3].c_str(), value, sizeof value,
                                   args.size() == 5 ? args[4].c_str() : nullptr);
  std::printf("%s\n", value);
  return found ? 0 : 1;
}

int RunIniWrite(const lirractl::Args& args, const char* value) {
  if (!Load(args[1])) return kExitNotLoaded;
  return lirra::IniWriteString(SectionArg(args[2]), args[3].c_str(), value) ? 0 : 1;
}

int RunIni(const lirractl::Args& args) {
  if (args.empty()) return lirractl::Usage();
  if (args[0] == "get") return RunIniGet(args);
  if (args[0] == "set" && args.size() == 5) return RunIniWrite(args, args[4].c_str());
  if (args[0] == "del" && args.size() == 4) return RunIniWrite(args, nullptr);
  return lirractl::Usage();
}

}  // namespace

LIRRACTL_COMMAND("ini", "get FILE SECTION KEY [DEFAULT] | set FILE SECTION KEY VALUE | del FILE SECTION KEY", RunIni);
