// A scriptable platform for tests: every answer is a public field; calls are recorded.
// Installed for the life of the object (FakePlatformScope restores the previous one).
#pragma once

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/platform.h"

namespace lirra::test {

class FakePlatform : public Platform {
 public:
  FakePlatform();
  ~FakePlatform() override;

  // Scripted answers.
  std::wstring modulePath;  // tests point it into a TempDir
  std::wstring productVersion = L"1.0.0.2";
  std::wstring systemDirectory = L"C:\\Windows\\system32";
  OsVersion osVersion{6, 1};
  bool is64Bit = false;
  std::map<std::wstring, std::wstring> fileVersions;  // FileProductVersion by path; others have none
  std::map<std::wstring, ServiceState> services;      // missing names answer Missing
  std::vector<ProcessEntry> processes;
  std::map<std::wstring, int> shellResults;              // by file; others answer 42
  std::set<std::wstring> registryKeys;                   // "HKLM\\path" (case as written), view ignored
  std::set<std::wstring> deniedKeys;                     // keys that exist but refuse access
  std::map<std::wstring, std::wstring> registryStrings;  // "HKLM\\key\\value" -> data
  std::map<std::wstring, std::uint32_t> registryDwords;
  std::set<std::string> refusedMoves;  // targets MoveFileOver fails for (a file held by another program)
  // What OpenHeld of these paths reads instead of the disk; a path that is not on disk is held
  // with no content when heldWithoutDisk is set (workers whose downloads are scripted).
  std::map<std::wstring, std::string> heldContents;
  bool heldWithoutDisk = false;
  // Programs that ShellOpen starts and that then run for a while, by their file name: how long
  // each runs in test time (see sleptMs), or kRunsForever (a hung installer). Others never
  // show in the process list.
  std::map<std::wstring, unsigned> runTimes;
  static constexpr unsigned kRunsForever = ~0u;

  // What the code under test did.
  std::vector<std::wstring> startedServices;
  std::vector<std::uint32_t> killedPids;
  std::vector<std::pair<std::wstring, std::wstring>> shellOpened;  // file, parameters
  std::vector<std::string> commandLines;
  std::vector<std::wstring> heldOpened;  // every OpenHeld that gave a file, in order
  // Whether a file opened by OpenHeld is held right now.
  bool IsHeld(const std::wstring& path) const { return held_.count(path) != 0; }
  unsigned sleptMs = 0;  // also the clock: time passes only while the code under test sleeps
  // The programs started through ShellOpen that still run (see runTimes).
  std::vector<std::wstring> LaunchedStillRunning() const;

  std::wstring ModulePath() override { return modulePath; }
  std::wstring ProductVersion() override { return productVersion; }
  std::wstring FileProductVersion(const std::wstring& path) override;
  std::wstring SystemDirectory() override { return systemDirectory; }
  OsVersion GetOsVersion() override { return osVersion; }
  bool Is64BitOs() override { return is64Bit; }
  std::string WideToAnsi(const std::wstring& text) override;
  std::wstring AnsiToWide(const std::string& text) override;
  bool IsDirectory(const std::wstring& path) override;
  bool MakeDirectory(const std::wstring& path) override;
  bool MoveFileOver(const std::string& from, const std::string& to) override;
  HeldFilePtr OpenHeld(const std::wstring& path) override;
  bool StartServiceByName(const std::wstring& name) override;
  ServiceState QueryService(const std::wstring& name) override;
  std::vector<ProcessEntry> ListProcesses() override;
  bool KillProcess(std::uint32_t pid) override;
  int ShellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory = {}) override;
  int RunCommandLine(const std::string& commandLine) override;
  KeyStatus OpenKeyStatus(RegHive hive, const std::wstring& key, RegView view) override;
  std::optional<std::wstring> ReadString(RegHive hive, const std::wstring& key, const std::wstring& value,
                                         std::uint32_t maxBytes) override;
  bool WriteString(RegHive hive, const std::wstring& key, const std::wstring& value, const std::wstring& data) override;
  bool WriteDword(RegHive hive, const std::wstring& key, const std::wstring& value, std::uint32_t data) override;
  void SleepMs(unsigned milliseconds) override;
  std::uint64_t TickMs() override { return sleptMs; }

  // "HKLM\\key" / "HKCU\\key" as the registry maps above spell them.
  static std::wstring KeyName(RegHive hive, const std::wstring& key);

 private:
  class TrackedHeld;
  Platform* previous_;
  std::multiset<std::wstring> held_;
  struct Launched {
    ProcessEntry entry;
    std::uint64_t endMs;
  };
  std::vector<Launched> launched_;
};

}  // namespace lirra::test
