// lirractl keygen PUBLIC_FILE SECRET_FILE: a new Ed25519 key pair for signing manifests, each
// file the standard base64 of the key and a line break (the secret file holds the 32-byte
// seed). Existing files are never overwritten: a lost signing key can't be brought back.
#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

#include "command.h"
#include "net/crypto.h"

namespace {

constexpr int kExitNotWritten = 1;

// Creates path, which must not exist yet, and writes text to it; a secret is readable by its
// owner only where the system has such modes.
bool WriteNewFile(const std::string& path, const std::string& text, bool secret) {
#ifdef _WIN32
  (void)secret;
  int fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return false;
  bool ok = _write(fd, text.data(), static_cast<unsigned>(text.size())) == static_cast<int>(text.size());
  ok = _close(fd) == 0 && ok;
#else
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, secret ? 0600 : 0644);
  if (fd < 0) return false;
  bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ok = close(fd) == 0 && ok;
#endif
  if (!ok) std::remove(path.c_str());
  return ok;
}

int RunKeygen(const lirractl::Args& args) {
  if (args.size() != 2 || args[0] == args[1]) return lirractl::Usage();
  std::string publicKey, secretSeed;
  if (!lirra::MakeEd25519KeyPair(&publicKey, &secretSeed)) {
    std::fprintf(stderr, "lirractl: no random source for a key\n");
    return kExitNotWritten;
  }
  if (!WriteNewFile(args[1], lirra::EncodeBase64(secretSeed) + "\n", true)) {
    std::fprintf(stderr, "lirractl: cannot create %s: %s\n", args[1].c_str(), std::strerror(errno));
    return kExitNotWritten;
  }
  if (!WriteNewFile(args[0], lirra::EncodeBase64(publicKey) + "\n", false)) {
    std::fprintf(stderr, "lirractl: cannot create %s: %s\n", args[0].c_str(), std::strerror(errno));
    std::remove(args[1].c_str());  // a secret key without its public half is of no use
    return kExitNotWritten;
  }
  std::printf("%s\n", lirra::EncodeBase64(publicKey).c_str());
  return 0;
}

}  // namespace

LIRRACTL_COMMAND("keygen", "PUBLIC_FILE SECRET_FILE", RunKeygen);
