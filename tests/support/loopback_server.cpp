#include "support/loopback_server.h"

#include <algorithm>
#include <chrono>

namespace lirra::test {

namespace {

// Winsock must be started once in the process before any socket is made.
const bool g_socketsStarted = SocketsStartup();

constexpr unsigned kPollMs = 50;

std::string ReadRequest(Socket& client) {
  std::string request;
  char c;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (request.size() < 65536 && std::chrono::steady_clock::now() < deadline) {
    if (!client.WaitReadable(kPollMs)) continue;
    if (client.Receive(&c, 1) <= 0) break;
    request += c;
    if (request.size() >= 4 && request.compare(request.size() - 4, 4, "\r\n\r\n") == 0) break;
  }
  return request;
}

}  // namespace

std::string Response(const std::string& status, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

LoopbackServer::LoopbackServer(Handler handler, int port) : handler_(std::move(handler)) {
  (void)g_socketsStarted;
  if (listener_.Listen("127.0.0.1", port)) port_ = listener_.LocalPort();
  thread_ = std::thread([this] { Run(); });
}

LoopbackServer::LoopbackServer(std::vector<Answer> answers, int port)
    : LoopbackServer(
          [answers, next = size_t{0}](const std::string&) mutable {
            Answer a = answers[next < answers.size() ? next : answers.size() - 1];
            ++next;
            return a;
          },
          port) {}

LoopbackServer::~LoopbackServer() {
  stop_ = true;
  thread_.join();
}

std::string LoopbackServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> LoopbackServer::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void LoopbackServer::Run() {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLifetimeMs);
  while (!stop_ && connections_ < kMaxConnections && std::chrono::steady_clock::now() < end) {
    Socket client = listener_.Accept(kPollMs);
    if (!client.IsOpen()) continue;
    ++connections_;
    Serve(client);
  }
}

void LoopbackServer::Serve(Socket& client) {
  std::string request = ReadRequest(client);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
  }
  Answer answer = handler_(request);
  bool open = answer.bytes.empty() || client.SendAll(answer.bytes.data(), static_cast<int>(answer.bytes.size()));
  const size_t chunk = answer.dripChunk > 0 ? answer.dripChunk : 1;
  for (size_t i = 0; open && !stop_ && i < answer.drip.size(); i += chunk) {
    std::this_thread::sleep_for(std::chrono::milliseconds(answer.dripMs));
    open = client.SendAll(&answer.drip[i], static_cast<int>(std::min(chunk, answer.drip.size() - i)));
  }
  if (answer.then == Answer::Then::Stall) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(answer.stallMs);
    while (!stop_ && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
  // The client closes first (it holds the connection until its request object goes), so
  // nothing it has not read is lost to a reset.
  client.ShutdownSend();
  char sink[4096];
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!stop_ && std::chrono::steady_clock::now() < deadline) {
    if (client.WaitReadable(kPollMs) && client.Receive(sink, sizeof sink) <= 0) break;
  }
}

int UnusedPort() {
  (void)g_socketsStarted;
  Socket probe;
  if (!probe.Listen("127.0.0.1", 0)) return 0;
  return probe.LocalPort();  // closed when probe goes
}

}  // namespace lirra::test
