// Winsock and BSD sockets differ in a handful of calls (closing, non-blocking mode, the type
// of SO_RCVTIMEO, the error of a connect in progress); they are mapped here and nowhere else.
#include "platform/socket.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

namespace lirra {

namespace {

#ifdef _WIN32
using Native = SOCKET;
constexpr int kSendFlags = 0;
#else
using Native = int;
// A peer that has gone must not end the process with SIGPIPE.
constexpr int kSendFlags = MSG_NOSIGNAL;
#endif

Native ToNative(std::uintptr_t handle) { return static_cast<Native>(handle); }

bool CloseNative(Native s) {
#ifdef _WIN32
  return closesocket(s) == 0;
#else
  return close(s) == 0;
#endif
}

bool SetNonBlocking(Native s, bool on) {
#ifdef _WIN32
  u_long mode = on ? 1 : 0;
  return ioctlsocket(s, FIONBIO, &mode) == 0;
#else
  int flags = fcntl(s, F_GETFL, 0);
  if (flags < 0) return false;
  flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
  return fcntl(s, F_SETFL, flags) == 0;
#endif
}

bool ConnectInProgress() {
#ifdef _WIN32
  return WSAGetLastError() == WSAEWOULDBLOCK;
#else
  return errno == EINPROGRESS;
#endif
}

// Waits for the socket to become readable (or writable); false on time limit or error.
bool WaitFor(Native s, bool write, unsigned timeoutMs) {
#ifdef _WIN32
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  fd_set errors;
  FD_ZERO(&errors);
  FD_SET(s, &errors);
  timeval tv{static_cast<long>(timeoutMs / 1000), static_cast<long>((timeoutMs % 1000) * 1000)};
  // A failed connect shows in the error set on Windows, not in the write set.
  int n = select(0, write ? nullptr : &set, write ? &set : nullptr, &errors, &tv);
  return n > 0 && FD_ISSET(s, &set);
#else
  pollfd p{s, static_cast<short>(write ? POLLOUT : POLLIN), 0};
  int n;
  do {
    n = poll(&p, 1, static_cast<int>(timeoutMs));
  } while (n < 0 && errno == EINTR);
  return n > 0 && (p.revents & (write ? POLLOUT : (POLLIN | POLLHUP | POLLERR)));
#endif
}

bool SystemResolve(const char* host, std::uint32_t* address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &list) != 0 || !list) return false;
  *address = reinterpret_cast<sockaddr_in*>(list->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(list);
  return true;
}

std::atomic<NameResolver> g_resolver{nullptr};

// One lookup, shared by the waiting caller and the thread that does it: whichever finishes
// last frees it.
struct Lookup {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  bool found = false;
  std::uint32_t address = 0;
};

bool ResolveIpv4(const char* host, in_addr* out, unsigned timeoutMs) {
  // A dotted address needs no lookup (inet_addr: Windows XP lacks inet_pton).
  unsigned long literal = inet_addr(host);
  if (literal != INADDR_NONE) {
    out->s_addr = static_cast<decltype(out->s_addr)>(literal);
    return true;
  }
  NameResolver resolve = g_resolver.load();
  if (!resolve) resolve = SystemResolve;
  auto lookup = std::make_shared<Lookup>();
  try {
    std::thread([lookup, resolve, name = std::string(host)] {
      std::uint32_t address = 0;
      bool found = resolve(name.c_str(), &address);
      std::lock_guard<std::mutex> lock(lookup->mutex);
      lookup->found = found;
      lookup->address = address;
      lookup->finished = true;
      lookup->done.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    return false;  // no thread to spare: no lookup without a bound
  }
  std::unique_lock<std::mutex> lock(lookup->mutex);
  if (!lookup->done.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return lookup->finished; }))
    return false;
  if (!lookup->found) return false;
  out->s_addr = static_cast<decltype(out->s_addr)>(lookup->address);
  return true;
}

}  // namespace

NameResolver SetNameResolver(NameResolver resolver) { return g_resolver.exchange(resolver); }

bool SocketsStartup() {
#ifdef _WIN32
  WSADATA data;
  return WSAStartup(MAKEWORD(2, 0), &data) == 0;
#else
  return true;
#endif
}

void SocketsCleanup() {
#ifdef _WIN32
  WSACleanup();
#endif
}

Socket& Socket::operator=(Socket&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = kInvalid;
  }
  return *this;
}

bool Socket::Open() {
  Close();
  Native s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
#ifdef _WIN32
  if (s == INVALID_SOCKET) return false;
#else
  if (s < 0) return false;
#endif
  handle_ = static_cast<std::uintptr_t>(s);
  return true;
}

bool Socket::Close() {
  if (!IsOpen()) return false;
  bool ok = CloseNative(ToNative(handle_));
  handle_ = kInvalid;
  return ok;
}

bool Socket::Connect(const char* host, int port, unsigned timeoutMs) {
  if (!host || port <= 0 || port > 65535) return false;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<unsigned short>(port));
  const auto start = std::chrono::steady_clock::now();
  if (!ResolveIpv4(host, &addr.sin_addr, timeoutMs)) return false;
  auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  if (spent >= static_cast<long long>(timeoutMs)) return false;
  timeoutMs -= static_cast<unsigned>(spent);
  if (!IsOpen() && !Open()) return false;

  Native s = ToNative(handle_);
  // Connect without blocking, so that an unanswered connection attempt ends at the limit.
  if (!SetNonBlocking(s, true)) return false;
  bool connected = connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
  if (!connected && ConnectInProgress() && WaitFor(s, true, timeoutMs)) {
    int error = 0;
    socklen_t len = sizeof error;
    connected = getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len) == 0 && error == 0;
  }
  if (!SetNonBlocking(s, false)) return false;
  if (connected) {
    int one = 1;  // the request goes out in one send; don't hold it back
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  }
  return connected;
}

bool Socket::SendAll(const void* data, int size) {
  if (!IsOpen()) return false;
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    int n = static_cast<int>(send(ToNative(handle_), p, size, kSendFlags));
    if (n <= 0) {
#ifndef _WIN32
      if (n < 0 && errno == EINTR) continue;
#endif
      return false;
    }
    p += n;
    size -= n;
  }
  return true;
}

int Socket::Receive(void* buffer, int size) {
  if (!IsOpen() || size <= 0) return -1;
  for (;;) {
    int n = static_cast<int>(recv(ToNative(handle_), static_cast<char*>(buffer), size, 0));
#ifndef _WIN32
    if (n < 0 && errno == EINTR) continue;
#endif
    return n < 0 ? -1 : n;
  }
}

bool Socket::SetReceiveTimeout(unsigned timeoutMs) {
  if (!IsOpen()) return false;
#ifdef _WIN32
  DWORD value = timeoutMs;
#else
  timeval value{static_cast<time_t>(timeoutMs / 1000), static_cast<suseconds_t>((timeoutMs % 1000) * 1000)};
#endif
  return setsockopt(ToNative(handle_), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&value), sizeof value) ==
         0;
}

bool Socket::WaitReadable(unsigned timeoutMs) { return IsOpen() && WaitFor(ToNative(handle_), false, timeoutMs); }

bool Socket::Listen(const char* address, int port, int backlog) {
  if (!Open()) return false;
  Native s = ToNative(handle_);
  int one = 1;
  setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&one), sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<unsigned short>(port));
  // inet_addr rather than inet_pton: Windows XP has only the former.
  addr.sin_addr.s_addr = inet_addr(address);
  if (addr.sin_addr.s_addr == INADDR_NONE || bind(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(s, backlog) != 0) {
    Close();
    return false;
  }
  return true;
}

int Socket::LocalPort() const {
  if (!IsOpen()) return 0;
  sockaddr_in addr{};
  socklen_t len = sizeof addr;
  if (getsockname(ToNative(handle_), reinterpret_cast<sockaddr*>(&addr), &len) != 0) return 0;
  return ntohs(addr.sin_port);
}

Socket Socket::Accept(unsigned timeoutMs) {
  if (!WaitReadable(timeoutMs)) return Socket();
  Native s = accept(ToNative(handle_), nullptr, nullptr);
#ifdef _WIN32
  if (s == INVALID_SOCKET) return Socket();
#else
  if (s < 0) return Socket();
#endif
  return Socket(static_cast<std::uintptr_t>(s));
}

void Socket::ShutdownSend() {
  if (!IsOpen()) return;
#ifdef _WIN32
  shutdown(ToNative(handle_), SD_SEND);
#else
  shutdown(ToNative(handle_), SHUT_WR);
#endif
}

}  // namespace lirra
