// lirractl http get URL [-o FILE]: one request of the client's HTTP client. Without -o the
// body goes to stdout byte for byte; with -o an existing FILE changes only when the whole
// body arrived.
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "command.h"
#include "net/http_client.h"
#include "platform/socket.h"
#include "store/support_log.h"

namespace {

constexpr std::size_t kMemoryCapacity = 64 * 1024;

int RunHttp(const lirractl::Args& args) {
  if (args.size() != 2 && !(args.size() == 4 && args[2] == "-o")) return lirractl::Usage();
  if (args[0] != "get") return lirractl::Usage();
  lirra::SetTraceStream(stderr);  // stdout carries the body
  if (!lirra::SocketsStartup()) {
    std::fprintf(stderr, "lirractl: sockets unavailable\n");
    return lirra::kHttpNoResponse;
  }
  lirra::CDownFile request;
  int result;
  if (args.size() == 4) {
    // A transfer for support staff: replaced whole or not at all, like any file the client
    // keeps, but not forced to the disk as the client's own files are.
    lirra::HttpLimits limits;
    limits.flushToDisk = false;
    request.SetLimits(limits);
    result = request.HttpGetToFile(args[1].c_str(), args[3].c_str());
  } else {
    std::vector<char> buffer(kMemoryCapacity, '\0');
    result = request.HttpGetToMemory(args[1].c_str(), buffer.data(), buffer.size());
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // the body's bytes as they came
#endif
    std::fwrite(buffer.data(), 1, request.BodyLength(), stdout);
    std::fflush(stdout);
  }
  if (!request.Reason().empty()) std::fprintf(stderr, "lirractl: %s\n", request.Reason().c_str());
  std::fprintf(stderr, "result %d\n", result);
  lirra::SocketsCleanup();
  return result;
}

}  // namespace

LIRRACTL_COMMAND("http", "get URL [-o FILE]", RunHttp);
