// lirractl manifest FILE --os NAME --bits 32|64 [--dir DIR] [--base URL]: a manifest applied
// to a fresh package table as that Windows would apply it; with a manifest key built in, only
// when FILE.sig beside it verifies. The SHA-256 digest is the last column (empty: none).
#include <cstdio>
#include <string>

#include "command.h"
#include "net/package_table.h"
#include "pc/system_probe.h"
#include "platform/platform.h"
#include "store/support_log.h"

namespace {

constexpr int kExitNotLoaded = 2;

int RunManifest(const lirractl::Args& args) {
  if (args.empty() || args.size() % 2 == 0) return lirractl::Usage();
  std::string os, bits, dir, base;
  bool haveDir = false, haveBase = false;
  for (size_t i = 1; i + 1 < args.size(); i += 2) {
    const std::string& value = args[i + 1];
    if (args[i] == "--os") {
      os = value;
    } else if (args[i] == "--bits") {
      bits = value;
    } else if (args[i] == "--dir") {
      dir = value;
      haveDir = true;
    } else if (args[i] == "--base") {
      base = value;
      haveBase = true;
    } else {
      return lirractl::Usage();
    }
  }
  if (os.empty() || (bits != "32" && bits != "64")) return lirractl::Usage();

  lirra::Platform& platform = lirra::OS();
  lirra::PackageTable table = lirra::PackageTable::Create(
      haveDir ? platform.AnsiToWide(dir) : lirra::CSystemProbe::GetModuleDir(),
      haveBase ? platform.AnsiToWide(base) : lirra::DefaultBaseUrl(), platform.AnsiToWide(os), std::stoi(bits));
  table.m_strManifestPath = platform.AnsiToWide(args[0]);
  table.m_ManifestKey = lirra::ManifestKey::BuiltIn();

  lirra::SetTraceStream(stderr);  // stdout carries the table
  if (!lirra::LoadManifest(table)) {
    std::fprintf(stderr, "lirractl: cannot load %s\n", args[0].c_str());
    return kExitNotLoaded;
  }
  for (int i = 0; i < lirra::PackageTable::kRecordCount; ++i) {
    const lirra::PackageRecord& r = table.Record(i);
    std::printf("%s\t%s\t%s\t%s\t%s\t%d\t%s\n", lirra::PackageTable::RecordKey(i),
                platform.WideToAnsi(r.m_strRemoteUrl).c_str(), platform.WideToAnsi(r.m_strLocalPath).c_str(),
                platform.WideToAnsi(r.m_strFileName).c_str(), platform.WideToAnsi(r.m_strExpectedMd5).c_str(),
                r.m_bAvailable ? 1 : 0, platform.WideToAnsi(r.m_strExpectedSha256).c_str());
  }
  return 0;
}

}  // namespace

LIRRACTL_COMMAND("manifest", "FILE --os NAME --bits 32|64 [--dir DIR] [--base URL]", RunManifest);
