// config.ini beside the executable: which card-reader drivers are installed, across runs.
#pragma once

#include <string>

#include "pc/run_flags.h"

namespace lirra {

// What the file is reset to when HID is not recorded as installed: every section with
// "value=0", CRLF line ends (83 bytes for the five vendors).
std::string DefaultDriverState();

// The full path of config.ini in the ANSI code page.
std::string DriverStatePath();

// Reads the driver flags. -1: the file can't be loaded (nothing changes); 0: HID is not
// installed (the file is reset to the default form, the vendor flags keep their values);
// 1: all five flags read.
int LoadDriverState(CRunFlags& flags);

// Rebuilds the file from the five flags: 0 when saved, -1 when the file could not be
// replaced (it then keeps its previous content).
int SaveDriverState(const CRunFlags& flags);

}  // namespace lirra
