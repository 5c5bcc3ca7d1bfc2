// The report of lirractl doctor, gathered once (win32/cmd_doctor.cpp) and written in either of
// its two forms from the same record, so the plain lines and the JSON object can't tell
// different stories. Texts are in the ANSI code page, as the probes return them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lirractl {

struct DoctorCrashReport {
  std::string name;  // lirra-YYYYMMDD-HHMMSS[-N]
  std::string dump;  // file name in the crash folder, empty when missing
  std::uint64_t dumpBytes = 0;
  std::string log;  // file name in the crash folder, empty when missing
};

struct DoctorReport {
  using Texts = std::vector<std::pair<std::string, std::string>>;
  using Flags = std::vector<std::pair<std::string, bool>>;

  std::string os;
  int bits = 0;
  int ie = 0;
  Texts services;  // name, state ("running", "stopped", ..., "missing")
  Flags plugins;   // vendor key, registered
  bool omnikey = false;
  std::string version;  // of the client in the folder; empty when it has none
  Texts config;         // section, value ("unset" or "missing" when there is none)
  Texts packages;       // record key, "ok", "missing" or "digest mismatch"
  bool platformAnswers = false;
  bool downloadAnswers = false;
  std::vector<DoctorCrashReport> crashReports;  // newest first
  std::vector<std::string> log;                 // the support log's newest lines, oldest first
};

// "name: value" lines, each ended by "\n".
std::string DoctorPlainText(const DoctorReport& report);
// One JSON object (UTF-8) with the members os, bits, ie, services, plugins, omnikey, version,
// config, packages, platform, download, crashReports and log.
std::string DoctorJson(const DoctorReport& report);

}  // namespace lirractl
