// The one socket wrapper: an IPv4 TCP socket, the same code over Winsock and BSD sockets.
// Blocking sockets; connecting and receiving take time limits.
#pragma once

#include <cstdint>

namespace lirra {

// Winsock needs starting once per process (the client does it at start-up itself); both are
// no-ops elsewhere. SocketsStartup returns false when the sockets library is unavailable.
bool SocketsStartup();
void SocketsCleanup();

// The system's name lookup (first IPv4 address, network byte order); tests put a slow one in
// its place to show that a lookup is waited for only so long. Returns the previous resolver;
// nullptr restores the system's.
using NameResolver = bool (*)(const char* host, std::uint32_t* address);
NameResolver SetNameResolver(NameResolver resolver);

class Socket {
 public:
  Socket() = default;
  ~Socket() { Close(); }
  Socket(Socket&& other) noexcept : handle_(other.handle_) { other.handle_ = kInvalid; }
  Socket& operator=(Socket&& other) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  // Creates an IPv4 stream socket for TCP; false when the system refuses.
  bool Open();
  bool IsOpen() const { return handle_ != kInvalid; }
  // Closes the socket; true when it was open and the close succeeded.
  bool Close();

  // Resolves host (a name or a dotted address; the first IPv4 address counts) and connects,
  // both within timeoutMs in all. The lookup runs on a thread of its own, so a resolver that
  // never answers is left behind at the limit. Opens the socket when needed.
  bool Connect(const char* host, int port, unsigned timeoutMs);
  // Sends all size bytes; false when the connection fails first.
  bool SendAll(const void* data, int size);
  // Bytes received (at most size), 0 when the peer has closed, -1 on an error or time limit.
  int Receive(void* buffer, int size);
  // The limit of each following Receive (0: none); false when the socket refuses it.
  bool SetReceiveTimeout(unsigned timeoutMs);
  // Waits until a Receive would not block; false on time limit or error.
  bool WaitReadable(unsigned timeoutMs);

  // Server side (tests and tools): listens on address:port (port 0: any free port).
  bool Listen(const char* address, int port, int backlog = 16);
  // The local port of a bound socket, or 0.
  int LocalPort() const;
  // Accepts one connection within timeoutMs; the result is not open on time limit or error.
  Socket Accept(unsigned timeoutMs);
  // Stops further sends (the peer sees the end of the stream) but keeps receiving.
  void ShutdownSend();

 private:
  static constexpr std::uintptr_t kInvalid = ~std::uintptr_t{0};
  explicit Socket(std::uintptr_t handle) : handle_(handle) {}
  std::uintptr_t handle_ = kInvalid;  // SOCKET on Windows, a file descriptor elsewhere
};

}  // namespace lirra
