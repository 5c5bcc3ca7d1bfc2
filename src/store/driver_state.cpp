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
  // The new file is built beside the old one and moved over it at the end, so a save
  // cut short leaves the previous state whole.
  // config.new: as long as config.ini's path, so the store takes it whenever it takes the target.
  std::string fresh = path.substr(0, path.size() - std::strlen(".ini")) + ".new";
  auto lock = LockIniStore();
  if (std::FILE* f = std::fopen(fresh.c_str(), "wb")) std::fclose(f);
  IniLoadFile(fresh.c_str());
  bool complete = true;
  for (Vendor vendor : kVendorsInStateOrder) {
    char value[16];
    std::snprintf(value, sizeof value, "%d", flags.Installed(vendor) ? 1 : 0);
    complete = IniWriteString(VendorOf(vendor).key, "value", value) == 1 && complete;
  }
  IniFreeFile();
  if (complete) {
    CommitFile(fresh, path);
  } else {
    std::remove(fresh.c_str());
  }
  IniLoadFile(path.c_str());  // the store names config.ini afterwards, as callers expect
  IniFreeFile();
  return 0;
}

}  // namespace lirra
