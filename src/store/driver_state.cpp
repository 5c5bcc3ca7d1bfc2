#include "store/driver_state.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/system_probe.h"
#include "platform/platform.h"
#include "store/atomic_file.h"
#include "store/ini_store.h"

namespace lirra {

const char kDefaultDriverState[] =
    "[HID]\r\nvalue=0\r\n[NJYS]\r\nvalue=0\r\n[SDSS]\r\nvalue=0\r\n[WHJL]\r\nvalue=0\r\n[YSB]\r\nvalue=0\r\n";

namespace {

struct Section {
  const char* name;
  bool CRunFlags::*flag;
};

// The order in which the sections are read and written.
constexpr Section kSections[] = {
    {"HID", &CRunFlags::m_bHID},   {"NJYS", &CRunFlags::m_bNJYS}, {"SDSS", &CRunFlags::m_bSDSS},
    {"WHJL", &CRunFlags::m_bWHJL}, {"YSB", &CRunFlags::m_bYSB},
};

bool ReadInstalled(const char* section) {
  char value[64];
  if (!IniReadString(section, "value", value, sizeof value, nullptr)) return false;
  return std::strtol(value, nullptr, 0) != 0;
}

}  // namespace

std::string DriverStatePath() { return OS().WideToAnsi(CSystemProbe::GetModuleDir() + kPathSep + L"config.ini"); }

int LoadDriverState(CRunFlags& flags) {
  std::printf("load file %s\n\n", "config.ini");
  std::string path = DriverStatePath();
  auto lock = LockIniStore();
  if (IniLoadFile(path.c_str()) == -1) return -1;

  flags.m_bHID = ReadInstalled("HID");
  if (!flags.m_bHID) {
    // Forgets the vendor state, as the default form always has; a file that can't be
    // rewritten is left as it is.
    ReplaceFileContents(path, std::string(kDefaultDriverState, sizeof kDefaultDriverState - 1));
    return 0;
  }
  for (const Section& s : kSections) flags.*s.flag = ReadInstalled(s.name);
  IniFreeFile();
  return 1;
}

int SaveDriverState(const CRunFlags& flags) {
  std::string path = DriverStatePath();
  // The bytes that the store's append rule gives five sections on an empty file, written to
  // a temporary file and moved over config.ini in one step: a save cut short, or one that
  // meets a file it may not replace, leaves the previous state whole.
  std::string bytes;
  for (const Section& s : kSections) {
    char line[64];
    std::snprintf(line, sizeof line, "\n[%s]\n%s = %d\n", s.name, "value", flags.*s.flag ? 1 : 0);
    bytes += line;
  }
  auto lock = LockIniStore();
  bool saved = path.size() <= static_cast<size_t>(kIniMaxPath) && ReplaceFileContents(path, bytes);
  IniLoadFile(path.c_str());  // the store names config.ini afterwards, as callers expect
  IniFreeFile();
  if (!saved) std::printf("save file %s failed\n", "config.ini");
  return saved ? 0 : -1;
}

}  // namespace lirra
