// lirractl verify PUBLIC_KEY_BASE64 FILE: checks FILE.sig against FILE as the client checks
// file.ini.sig, serial included (a signed list whose "[manifest] serial" is not a decimal
// number is refused). Exit 0: good; 1: bad or missing signature, or a bad serial; 2: FILE
// unreadable.
#include <cstdio>
#include <optional>
#include <string>

#include "command.h"
#include "net/manifest_commit.h"
#include "net/manifest_trust.h"
#include "store/atomic_file.h"

namespace {

constexpr int kExitBadSignature = 1;
constexpr int kExitUnreadable = 2;

int RunVerify(const lirractl::Args& args) {
  if (args.size() != 2) return lirractl::Usage();
  lirra::ManifestKey key = lirra::ManifestKey::FromBase64(args[0]);
  if (key.m_strKey.empty()) {
    std::fprintf(stderr, "lirractl: %s is not the base64 of a 32-byte public key\n", args[0].c_str());
    return lirractl::kExitUsage;
  }
  std::optional<std::string> message = lirra::ReadFileBytes(args[1], lirra::kMaxManifestBytes);
  if (!message) {
    std::fprintf(stderr, "lirractl: cannot read %s, or it is larger than 1 MiB\n", args[1].c_str());
    return kExitUnreadable;
  }
  std::optional<std::string> signature = lirra::ReadFileBytes(args[1] + ".sig", lirra::kMaxSignatureFileBytes);
  lirra::ManifestCheck check = lirra::CheckManifestSignature(key, {*message, signature});
  if (check != lirra::ManifestCheck::kAccepted) {
    std::printf("bad: %s\n", lirra::DescribeManifestCheck(check));
    return kExitBadSignature;
  }
  std::printf("good\n");
  return 0;
}

}  // namespace

LIRRACTL_COMMAND("verify", "PUBLIC_KEY_BASE64 FILE", RunVerify);
