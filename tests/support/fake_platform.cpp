#include "support/fake_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace lirra::test {

namespace {

// How much test time a wait may take before the test is taken to hang.
constexpr unsigned kTestTimeLimitMs = 24u * 3600 * 1000;

}  // namespace

FakePlatform::FakePlatform() : previous_(SetPlatform(this)) {}

FakePlatform::~FakePlatform() { SetPlatform(previous_); }

std::wstring FakePlatform::FileProductVersion(const std::wstring& path) {
  auto it = fileVersions.find(path);
  return it == fileVersions.end() ? std::wstring() : it->second;
}

std::string FakePlatform::WideToAnsi(const std::wstring& text) { return NativePlatform().WideToAnsi(text); }
std::wstring FakePlatform::AnsiToWide(const std::string& text) { return NativePlatform().AnsiToWide(text); }
bool FakePlatform::IsDirectory(const std::wstring& path) { return NativePlatform().IsDirectory(path); }
bool FakePlatform::MakeDirectory(const std::wstring& path) { return NativePlatform().MakeDirectory(path); }
bool FakePlatform::MoveFileOver(const std::string& from, const std::string& to) {
  return refusedMoves.count(to) == 0 && NativePlatform().MoveFileOver(from, to);
}

// A held file that the fake counts as held while it lives; it reads the disk through the native
// platform's hold, or scripted bytes.
class FakePlatform::TrackedHeld final : public HeldFile {
 public:
  TrackedHeld(FakePlatform& owner, std::wstring path, HeldFilePtr disk, std::string bytes)
      : owner_(owner), path_(std::move(path)), disk_(std::move(disk)), bytes_(std::move(bytes)) {
    owner_.held_.insert(path_);
  }
  ~TrackedHeld() override { owner_.held_.erase(owner_.held_.find(path_)); }

  const std::wstring& Path() const override { return path_; }
  long long Read(void* buffer, std::size_t size) override {
    if (disk_) return disk_->Read(buffer, size);
    const std::size_t n = std::min(size, bytes_.size() - offset_);
    std::memcpy(buffer, bytes_.data() + offset_, n);
    offset_ += n;
    return static_cast<long long>(n);
  }

 private:
  FakePlatform& owner_;
  const std::wstring path_;
  HeldFilePtr disk_;
  const std::string bytes_;
  std::size_t offset_ = 0;
};

HeldFilePtr FakePlatform::OpenHeld(const std::wstring& path) {
  HeldFilePtr disk;
  std::string bytes;
  if (auto scripted = heldContents.find(path); scripted != heldContents.end()) {
    bytes = scripted->second;
  } else if (!(disk = NativePlatform().OpenHeld(path)) && !heldWithoutDisk) {
    return nullptr;
  }
  heldOpened.push_back(path);
  return std::make_unique<TrackedHeld>(*this, path, std::move(disk), std::move(bytes));
}

bool FakePlatform::StartServiceByName(const std::wstring& name) {
  startedServices.push_back(name);
  auto it = services.find(name);
  if (it == services.end()) return false;
  if (it->second == ServiceState::Stopped) it->second = ServiceState::Running;
  return it->second == ServiceState::Running || it->second == ServiceState::Pending ||
         it->second == ServiceState::Paused;
}

ServiceState FakePlatform::QueryService(const std::wstring& name) {
  auto it = services.find(name);
  return it == services.end() ? ServiceState::Missing : it->second;
}

std::vector<ProcessEntry> FakePlatform::ListProcesses() {
  std::vector<ProcessEntry> all = processes;
  for (const Launched& program : launched_) {
    if (program.endMs > sleptMs) all.push_back(program.entry);
  }
  return all;
}

std::vector<std::wstring> FakePlatform::LaunchedStillRunning() const {
  std::vector<std::wstring> running;
  for (const Launched& program : launched_) {
    if (program.endMs > sleptMs) running.push_back(program.entry.imageName);
  }
  return running;
}

bool FakePlatform::KillProcess(std::uint32_t pid) {
  killedPids.push_back(pid);
  auto it = std::find_if(processes.begin(), processes.end(), [&](const ProcessEntry& p) { return p.pid == pid; });
  if (it != processes.end()) {
    processes.erase(it);
    return true;
  }
  auto program =
      std::find_if(launched_.begin(), launched_.end(), [&](const Launched& l) { return l.entry.pid == pid; });
  if (program == launched_.end() || program->endMs <= sleptMs) return false;
  launched_.erase(program);
  return true;
}

int FakePlatform::ShellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring&) {
  shellOpened.emplace_back(file, parameters);
  auto it = shellResults.find(file);
  const int code = it == shellResults.end() ? 42 : it->second;
  const std::wstring name = file.substr(file.find_last_of(L"\\/") + 1);
  auto runs = runTimes.find(name);
  if (code > 32 && runs != runTimes.end()) {
    const std::uint64_t end = runs->second == kRunsForever ? UINT64_MAX : std::uint64_t{sleptMs} + runs->second;
    launched_.push_back({{static_cast<std::uint32_t>(1000 + launched_.size()), name}, end});
  }
  return code;
}

void FakePlatform::SleepMs(unsigned milliseconds) {
  sleptMs += milliseconds;
  if (sleptMs < kTestTimeLimitMs || launched_.empty()) return;
  ADD_FAILURE() << "still waiting after a day of test time";
  launched_.clear();
}

int FakePlatform::RunCommandLine(const std::string& commandLine) {
  commandLines.push_back(commandLine);
  return 33;
}

std::wstring FakePlatform::KeyName(RegHive hive, const std::wstring& key) {
  return (hive == RegHive::LocalMachine ? L"HKLM\\" : L"HKCU\\") + key;
}

KeyStatus FakePlatform::OpenKeyStatus(RegHive hive, const std::wstring& key, RegView) {
  std::wstring name = KeyName(hive, key);
  if (deniedKeys.count(name)) return KeyStatus::OtherError;
  return registryKeys.count(name) ? KeyStatus::Present : KeyStatus::NotFound;
}

std::optional<std::wstring> FakePlatform::ReadString(RegHive hive, const std::wstring& key, const std::wstring& value,
                                                     std::uint32_t maxBytes) {
  auto it = registryStrings.find(KeyName(hive, key) + L"\\" + value);
  if (it == registryStrings.end()) return std::nullopt;
  if ((it->second.size() + 1) * 2 > maxBytes) return std::nullopt;  // too long for the buffer
  return it->second;
}

bool FakePlatform::WriteString(RegHive hive, const std::wstring& key, const std::wstring& value,
                               const std::wstring& data) {
  registryKeys.insert(KeyName(hive, key));
  registryStrings[KeyName(hive, key) + L"\\" + value] = data;
  return true;
}

bool FakePlatform::WriteDword(RegHive hive, const std::wstring& key, const std::wstring& value, std::uint32_t data) {
  registryKeys.insert(KeyName(hive, key));
  registryDwords[KeyName(hive, key) + L"\\" + value] = data;
  return true;
}

}  // namespace lirra::test
