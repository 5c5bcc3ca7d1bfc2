// An HTTP server on 127.0.0.1 (any free port) inside the test process, answering each
// connection with exact bytes: a fixed script or a handler of the request. It counts the
// connections and keeps the requests it received. Same code natively and under Wine. It is
// bounded: it serves at most kMaxConnections connections and stops accepting after
// kLifetimeMs, so a test that goes wrong can't keep it busy.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/socket.h"

namespace lirra::test {

struct Answer {
  enum class Then { Close, Stall };
  // Not explicit: tests write answers as {bytes, then, stallMs}.
  Answer(std::string b = {}, Then t = Then::Close, unsigned stall = 0)  // NOLINT(google-explicit-constructor)
      : bytes(std::move(b)), then(t), stallMs(stall) {}
  std::string bytes;  // sent once the request header has arrived
  Then then = Then::Close;
  unsigned stallMs = 0;  // how long a stall keeps the connection open, silent
  std::string drip;      // sent after bytes, dripChunk bytes every dripMs (a slow or hostile line)
  unsigned dripMs = 0;
  size_t dripChunk = 1;
};

// A whole response: status line, Content-Length and body.
std::string Response(const std::string& status, const std::string& body);

class LoopbackServer {
 public:
  using Handler = std::function<Answer(const std::string& request)>;
  static constexpr int kMaxConnections = 64;
  static constexpr unsigned kLifetimeMs = 120000;

  // Listens on the port (0: any free port); port() is 0 when it can't.
  explicit LoopbackServer(Handler handler, int port = 0);
  // Answers connection n with answers[n]; the last answer serves every further connection.
  explicit LoopbackServer(std::vector<Answer> answers, int port = 0);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:PORT" followed by path.
  std::string Url(const std::string& path) const;
  int connections() const { return connections_; }
  std::vector<std::string> requests() const;

 private:
  void Run();
  void Serve(Socket& client);

  Handler handler_;
  Socket listener_;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens (a connection there is refused).
int UnusedPort();

}  // namespace lirra::test
