// Fuzzes the HTTP client's response handling: a loopback server in this process answers each
// request with the input bytes and closes. The memory request (into a 1460-byte buffer with a
// guard zone behind it, as the update check uses it) and, for odd first bytes, the file
// request read the header, status and length; the memory text then goes through the update
// check's document handling. Checked: the result is one of the five codes, the buffer stays
// terminated and nothing is written past it, the file never outgrows the announced length.
// When the first byte has bit 1 set, the rest of the input is the body of a well-formed "200 OK"
// answer with its exact Content-Length: both requests must then deliver it byte for byte.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/update_check.h"
#include "net/http_client.h"
#include "support/loopback_server.h"

namespace {

constexpr std::size_t kCapacity = 1460;
constexpr std::size_t kGuard = 64;

std::mutex g_mutex;
std::string g_answer;

// A test server takes a bounded number of connections over a bounded time; an input makes at
// most two, so a fresh server takes over well before the old one stops answering.
lirra::test::LoopbackServer& Server() {
  using lirra::test::LoopbackServer;
  using Clock = std::chrono::steady_clock;
  static std::unique_ptr<LoopbackServer> server;
  static Clock::time_point started;
  const bool worn = server && (server->connections() > LoopbackServer::kMaxConnections - 4 ||
                               Clock::now() - started > std::chrono::milliseconds(LoopbackServer::kLifetimeMs / 2));
  if (!server || worn) {
    server.reset();
    server = std::make_unique<LoopbackServer>([](const std::string&) {
      std::lock_guard<std::mutex> lock(g_mutex);
      return lirra::test::Answer{g_answer};
    });
    started = Clock::now();
  }
  return *server;
}

const std::string& WorkFile() {
  static const std::string path = [] {
    char pattern[] = "/tmp/lirra-fuzz-http-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) std::abort();
    return std::string(dir) + "/body.bin";
  }();
  return path;
}

bool IsResultCode(int r) {
  return r == lirra::kHttpOk || r == lirra::kHttpNotFound || r == lirra::kHttpIncomplete ||
         r == lirra::kHttpWriteFailed || r == lirra::kHttpNoResponse;
}

long FileSize(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return -1;
  std::fseek(f, 0, SEEK_END);
  long size = std::ftell(f);
  std::fclose(f);
  return size;
}

std::string FileBytes(const std::string& path) {
  std::string bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  char block[4096];
  for (std::size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;) bytes.append(block, n);
  std::fclose(f);
  return bytes;
}

// A well-formed answer carries its body whole: into memory up to the buffer's room (a longer
// one is cut and said to be incomplete), into a file exactly (an empty body is never committed).
void CheckWellFormedInMemory(const std::string& url, const std::string& body) {
  std::vector<char> memory(kCapacity + kGuard, '\x5A');
  std::memset(memory.data(), 0, kCapacity);
  lirra::CDownFile memoryRequest;
  int result = memoryRequest.HttpGetToMemory(url.c_str(), memory.data(), kCapacity);
  std::size_t fits = std::min(body.size(), kCapacity - 1);
  // A stated length of 0 says nothing about the body, so only a non-empty one must succeed.
  if (!body.empty() && result != (body.size() <= kCapacity - 1 ? lirra::kHttpOk : lirra::kHttpIncomplete)) std::abort();
  if (memoryRequest.BodyLength() != fits) std::abort();
  if (std::memcmp(memory.data(), body.data(), fits) != 0 || memory[fits] != '\0') std::abort();
  for (std::size_t i = kCapacity; i < memory.size(); ++i) {
    if (memory[i] != '\x5A') std::abort();
  }
}

void CheckWellFormed(const std::string& url, const std::string& body) {
  // The memory request's connection closes with its object, before the file request: the
  // server answers one connection at a time and waits for the client to hang up.
  CheckWellFormedInMemory(url, body);

  std::remove(WorkFile().c_str());
  lirra::CDownFile fileRequest;
  const int result = fileRequest.HttpGetToFile(url.c_str(), WorkFile().c_str());
  if (body.empty()) {
    if (fileRequest.Committed() || FileSize(WorkFile()) != -1) std::abort();
  } else {
    if (result != lirra::kHttpOk || !fileRequest.Committed() || FileBytes(WorkFile()) != body) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 0 && (data[0] & 2)) {
    std::string body(reinterpret_cast<const char*>(data) + 1, size - 1);
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      g_answer = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    }
    CheckWellFormed(Server().Url("/files/body.bin"), body);
    return 0;
  }
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_answer.assign(reinterpret_cast<const char*>(data), size);
  }
  const std::string url = Server().Url("/backend/plugin/version/get");

  std::vector<char> memory(kCapacity + kGuard, '\x5A');
  std::memset(memory.data(), 0, kCapacity);
  int result = lirra::CDownFile().HttpGetToMemory(url.c_str(), memory.data(), kCapacity);
  if (!IsResultCode(result)) std::abort();
  if (std::memchr(memory.data(), '\0', kCapacity) == nullptr) std::abort();
  for (std::size_t i = kCapacity; i < memory.size(); ++i) {
    if (memory[i] != '\x5A') std::abort();
  }

  lirra::UpdateInfo info{};
  info.nCode = -1;
  std::strcpy(info.szLocalVersion, "1.0.0.2");
  int ret = lirra::ApplyVersionDocument(memory.data(), &info);
  if (ret != 0 && ret != -1) std::abort();
  if (ret == 0 && info.nCode != 0) std::abort();

  if (size > 0 && (data[0] & 1)) {
    std::remove(WorkFile().c_str());
    result = lirra::CDownFile().HttpGetToFile(url.c_str(), WorkFile().c_str());
    if (!IsResultCode(result)) std::abort();
    // Never more body than the input carried.
    if (FileSize(WorkFile()) > static_cast<long>(size)) std::abort();
  }
  return 0;
}
