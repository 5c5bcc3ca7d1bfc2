// lirractl fetch --dir DIR [--base URL] [--os NAME --bits 32|64] [KEY...]: pre-loads a shop
// PC's folder as the client would. It refreshes DIR/file.ini from the base URL by the client's
// rule, applies it, then makes each named package (HID, YSB, NJYS, WHJL, SDSS, IE8; by default
// those the client installs on this Windows: HID as the client decides it) present and
// verified in DIR. One line per step on stdout. Exit 0:
// the manifest was replaced or already current and every package is verified; 1: a package
// failed; 2: the manifest could not be refreshed (the local one was kept and used).
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "net/package_table.h"
#include "pc/system_probe.h"
#include "platform/platform.h"
#include "platform/socket.h"
#include "store/support_log.h"

namespace {

constexpr int kExitPackageFailed = 1;
constexpr int kExitManifestKept = 2;

int RecordIndex(const std::string& key) {
  for (int i = 0; i < lirra::PackageTable::kRecordCount; ++i) {
    if (key == lirra::PackageTable::RecordKey(i)) return i;
  }
  return -1;
}

// Why the client would not install the HID package here; nullptr when it would.
const char* WhyNoHid(const lirra::PackageTable& table) {
  if (lirra::ClientInstallsHidPackage(table)) return nullptr;
  return table.m_HID.m_bAvailable ? "the client installs no HID package on this Windows"
                                  : "the manifest names no HID package for this Windows";
}

// The packages the client itself installs on this Windows: HID as the client decides it, the
// four vendors, and IE8 on XP.
std::vector<int> DefaultRecords(const lirra::PackageTable& table) {
  std::vector<int> records;
  for (int i = 0; i < lirra::PackageTable::kRecordCount; ++i) {
    std::string key = lirra::PackageTable::RecordKey(i);
    if (key == "HID" && WhyNoHid(table)) continue;
    if (key == "IE8" && table.m_strOsName != L"XP") continue;
    records.push_back(i);
  }
  return records;
}

int RunFetch(const lirractl::Args& args) {
  std::string dir, base, os, bits;
  bool haveDir = false, haveBase = false;
  std::vector<int> records;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word == "--dir" || word == "--base" || word == "--os" || word == "--bits") {
      if (i + 1 >= args.size()) return lirractl::Usage();
      const std::string& value = args[++i];
      if (word == "--dir") {
        dir = value;
        haveDir = true;
      } else if (word == "--base") {
        base = value;
        haveBase = true;
      } else if (word == "--os") {
        os = value;
      } else {
        bits = value;
      }
    } else if (int index = RecordIndex(word); index >= 0) {
      records.push_back(index);
    } else {
      return lirractl::Usage();
    }
  }
  if (!haveDir || dir.empty() || os.empty() != bits.empty()) return lirractl::Usage();
  if (!bits.empty() && bits != "32" && bits != "64") return lirractl::Usage();

  lirra::Platform& platform = lirra::OS();
  std::wstring osName = os.empty() ? lirra::CSystemProbe::GetOsVersionName() : platform.AnsiToWide(os);
  int bitCount = bits.empty() ? (platform.Is64BitOs() ? 64 : 32) : std::stoi(bits);
  lirra::PackageTable table = lirra::PackageTable::Create(
      platform.AnsiToWide(dir), haveBase ? platform.AnsiToWide(base) : lirra::DefaultBaseUrl(), osName, bitCount);

  lirra::SetTraceStream(stderr);  // stdout carries the steps
  if (!lirra::SocketsStartup()) {
    std::fprintf(stderr, "lirractl: sockets unavailable\n");
    return kExitManifestKept;
  }
  // The client's own rule, signatures included when this build carries a manifest key.
  table.m_ManifestKey = lirra::ManifestKey::BuiltIn();
  lirra::ManifestOutcome manifest = lirra::RefreshTableManifest(table);
  switch (manifest.state) {
    case lirra::ManifestRefresh::kReplaced:
      std::printf("manifest: replaced\n");
      break;
    case lirra::ManifestRefresh::kCurrent:
      std::printf("manifest: kept (already current)\n");
      break;
    case lirra::ManifestRefresh::kKept:
      std::printf("manifest: kept (%s)\n", manifest.reason.c_str());
      break;
  }
  std::fflush(stdout);
  lirra::LoadManifest(table);

  if (records.empty()) records = DefaultRecords(table);
  bool failed = false;
  for (int index : records) {
    const char* key = lirra::PackageTable::RecordKey(index);
    const lirra::PackageRecord& record = table.Record(index);
    std::string reason;
    lirra::PackageState state = lirra::PackageState::kFailed;
    if (std::string(key) == "HID" && WhyNoHid(table)) {
      reason = WhyNoHid(table);
    } else {
      state = lirra::ObtainPackage(record, &reason);
    }
    if (state == lirra::PackageState::kPresent) {
      std::printf("%s: present\n", key);
    } else if (state == lirra::PackageState::kDownloaded) {
      std::printf("%s: downloaded\n", key);
    } else {
      std::printf("%s: failed (%s)\n", key, reason.c_str());
      failed = true;
    }
    std::fflush(stdout);
  }
  lirra::SocketsCleanup();
  if (manifest.state == lirra::ManifestRefresh::kKept) return kExitManifestKept;
  return failed ? kExitPackageFailed : 0;
}

}  // namespace

LIRRACTL_COMMAND("fetch", "--dir DIR [--base URL] [--os NAME --bits 32|64] [KEY...]", RunFetch);
