#include "store/driver_state.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "pc/system_probe.h"
#include "pc/vendors.h"
#include "platform/platform.h"
#include "store/atomic_file.h"
#include "store/ini_store.h"
#include "store/support_log.h"

namespace lirra {

std::string DefaultDriverState() {
  std::string text;
  for (Vendor vendor : kVendorsInStateOrder) text += std::string("[") + VendorOf(vendor).key + "]\r\nvalue=0\r\n";
  return text;
}

namespace {

bool ReadInstalled(const char* section) {
  char value[64];
  if (!IniReadString(section, "value", value, sizeof value, nullptr)) return false;
  return std::strtol(value, nullptr, 0) != 0;
}

}  // namespace

std::string DriverStatePath() { return OS().WideToAnsi(CSystemProbe::GetModuleDir() + kPathSep + L"config.ini"); }

int LoadDriverState(CRunFlags& flags) {
  SupportTrace("load file %s\n\n", "config.ini");
  std::string path = DriverStatePath();
  auto lock = LockIniStore();
  if (IniLoadFile(path.c_str()) == -1) return -1;

  flags.m_bHID = ReadInstalled("HID");
  if (!flags.m_bHID) {
    // Forgets the vendor state, as the default form always has; a file that can't be
    // rewritten is left as it is.
    ReplaceFileContents(path, DefaultDriverState());
    return 0;
  }
  for (Vendor vendor : kVendorsInStateOrder) flags.Installed(vendor) = ReadInstalled(VendorOf(vendor).key);
  IniFreeFile();
  return 1;
}

int SaveDriverState(const CRunFlags& flags) {
  std::string path = DriverStatePath();
  // The bytes that the store's append rule gives the vendor sections on an empty file, written
  // to a temporary file and moved over config.ini in one step: a save cut short, or one that
  // meets a file it may not replace, leaves the previous state whole.
  std::string bytes;
  for (Vendor vendor : kVendorsInStateOrder) {
    char line[64];
    std::snprintf(line, sizeof line, "\n[%s]\n%s = %d\n", VendorOf(vendor).key, "value",
                  flags.Installed(vendor) ? 1 : 0);
    bytes += line;
  }
  auto lock = LockIniStore();
  bool saved = path.size() <= static_cast<size_t>(kIniMaxPath) && ReplaceFileContents(path, bytes);
  IniLoadFile(path.c_str());  // the store names config.ini afterwards, as callers expect
  IniFreeFile();
  if (!saved) SupportTrace("save file %s failed\n", "config.ini");
  return saved ? 0 : -1;
}

}  // namespace lirra
