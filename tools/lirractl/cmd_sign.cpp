// lirractl sign SECRET_FILE FILE: writes FILE.sig, the standard base64 of the Ed25519
// signature of FILE's exact bytes and a line break, as the client expects beside file.ini and
// beside the setup package of an update in place.
#include <cstdio>
#include <optional>
#include <string>

#include "app/self_update.h"
#include "command.h"
#include "net/crypto.h"
#include "net/manifest_commit.h"
#include "store/atomic_file.h"

namespace {

constexpr int kExitBadKey = 1;
constexpr int kExitUnreadable = 2;
constexpr int kExitNotWritten = 3;

int RunSign(const lirractl::Args& args) {
  if (args.size() != 2) return lirractl::Usage();
  std::optional<std::string> secretText = lirra::ReadFileBytes(args[0], lirra::kMaxSignatureFileBytes);
  std::string secretKey;
  if (!secretText || !lirra::DecodeBase64(*secretText, &secretKey)) {
    std::fprintf(stderr, "lirractl: %s is not a base64 secret key file\n", args[0].c_str());
    return kExitBadKey;
  }
  // A setup package is the largest file the client verifies.
  std::optional<std::string> message = lirra::ReadFileBytes(args[1], static_cast<std::size_t>(lirra::kSetupCap));
  if (!message) {
    std::fprintf(stderr, "lirractl: cannot read %s, or it is larger than 64 MiB\n", args[1].c_str());
    return kExitUnreadable;
  }
  std::optional<std::string> signature = lirra::SignEd25519(secretKey, *message);
  if (!signature) {
    std::fprintf(stderr, "lirractl: %s holds no Ed25519 secret key (32-byte seed or 64 bytes)\n", args[0].c_str());
    return kExitBadKey;
  }
  std::string target = args[1] + ".sig";
  if (!lirra::ReplaceFileContents(target, lirra::EncodeBase64(*signature) + "\n")) {
    std::fprintf(stderr, "lirractl: cannot write %s\n", target.c_str());
    return kExitNotWritten;
  }
  return 0;
}

}  // namespace

LIRRACTL_COMMAND("sign", "SECRET_FILE FILE", RunSign);
