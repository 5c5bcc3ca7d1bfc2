// The client's own HTTP/1.1 GET over TCP: one request per connection, the body appended to a
// text buffer in memory or written to a file. It understands what the shop's servers send: a
// status line read by its code and a Content-Length header read by its name.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/socket.h"

namespace lirra {

// Result codes of a request.
constexpr int kHttpOk = 0;           // status 200 or 400, body read to its length
constexpr int kHttpNotFound = 3;     // status 404
constexpr int kHttpIncomplete = 8;   // the body was cut short, stalled, too slow, of no stated length, or
                                     // its Content-Length was malformed or contradictory
constexpr int kHttpWriteFailed = 9;  // the local file could not be written or replaced, or has no room
constexpr int kHttpNoResponse = 10;  // no connection, send failed, no whole header in time, limits exceeded
                                     // or any other status

// Limits, each set by a fixed buffer.
constexpr int kHttpMaxHost = 255;           // host name bytes
constexpr int kHttpMaxObject = 255;         // path and query bytes
constexpr int kHttpRequestCapacity = 1024;  // request text and terminator
constexpr int kHttpHeaderCapacity = 1024;   // response header bytes
constexpr int kHttpMemoryBlock = 1024;
constexpr int kHttpFileBlock = 10240;

// Time limits, in milliseconds.
constexpr unsigned kHttpConnectTimeoutMs = 10000;    // name lookup and connection together
constexpr unsigned kHttpHeaderTimeoutMs = 4000;      // the whole header, both requests
constexpr unsigned kHttpMemoryBodyTimeoutMs = 1500;  // each body receive, memory request
constexpr unsigned kHttpFileTimeoutMs = 4000;        // each receive, file request
constexpr unsigned kHttpMemoryDeadlineMs = 8000;     // the whole memory request, lookup to last byte

// Body limits of a file request. The low-speed floor follows curl's --speed-limit and
// --speed-time: a body that brings fewer than floor x window bytes in a window fails, which a
// living line of a few KiB/s never does (a 50 MB driver takes hours at the floor itself).
constexpr long long kHttpFileCap = 1024LL * 1024 * 1024;  // well above any installer (IE8: 16 MB)
constexpr unsigned kHttpLowSpeedBytesPerSecond = 1024;
constexpr unsigned kHttpLowSpeedWindowMs = 30000;

// What a file request may take. The defaults suit an installer.
struct HttpLimits {
  long long maxBody = kHttpFileCap;  // a longer announced body is refused before a byte is written
  unsigned deadlineMs = 0;           // the whole request, lookup to last byte; 0: none beyond the others
  unsigned lowSpeedBytesPerSecond = kHttpLowSpeedBytesPerSecond;
  unsigned lowSpeedWindowMs = kHttpLowSpeedWindowMs;
  bool flushToDisk = true;  // the bytes reach the disk before the file replaces the target
};

// A URL split into what a request needs. The object is the path with its query, beginning
// with "/"; backslashes in the path are sent as slashes and bytes that can't appear in a
// request line are percent-escaped.
struct UrlParts {
  std::string host;
  int port = 80;
  std::string object;
};

// False for a URL that can't be split (no host, bad port) or whose host or object exceeds
// the limits above.
bool SplitUrl(const std::string& url, UrlParts* parts);

// What a header's Content-Length lines say about the body.
enum class BodyLength {
  kUnstated,  // no Content-Length line
  kStated,    // one value, or several that agree
  kRefused,   // a value that is not digits between blanks, or two values that differ
};

// Owns the socket and the request and response-header buffers of one request.
class CHttpSocket {
 public:
  CHttpSocket();
  virtual ~CHttpSocket();
  CHttpSocket(const CHttpSocket&) = delete;
  CHttpSocket& operator=(const CHttpSocket&) = delete;

  // Builds the request text for the recorded port; false (buffer cleared) when it would not
  // fit the request buffer.
  bool FormatRequest(const char* host, const char* object);
  const char* RequestText() const { return m_szRequest; }
  void SetPort(int port) { m_nPort = port; }

  // 1 when connected (also when already connected), 0 on failure; name lookup and
  // connection within timeoutMs.
  int Connect(const char* host, int port, unsigned timeoutMs = kHttpConnectTimeoutMs);
  // Sends the request text whole; false on failure.
  bool SendRequest();
  // Reads the header on the first call only (in blocks, up to CR LF CR LF or
  // kHttpHeaderCapacity bytes, within timeoutMs in all); returns the header buffer. Bytes
  // received after the header's end are kept for the following Receive calls.
  const char* ReceiveHeader(unsigned timeoutMs = kHttpHeaderTimeoutMs);
  int HeaderLength() const { return m_nHeaderLength; }
  // The header ended with its empty line (not cut by the time limit, a close or its buffer).
  bool HeaderComplete() const { return m_bHeaderComplete; }
  // Reading the header stopped at its time limit.
  bool HeaderTimedOut() const { return m_bHeaderTimedOut; }
  // Copies the next header line (with its CR LF) into dest, at most capacity bytes; returns
  // the count, or -1 after the last line (the read position then goes back to 0).
  int ReadHeaderLine(char* dest, int capacity);
  // The code of the status line, the header's first line ("HTTP/1.1 200 OK" gives 200); 0
  // when that line is no status line.
  int StatusCode() const;
  // The body's length from the header lines named Content-Length in any letter case; only
  // whole lines count (a header cut at its buffer may end in part of one). length is set
  // when kStated, and a value beyond the range of long long reads as its maximum.
  BodyLength GetContentLength(long long* length) const;
  // Sets the limit of each following Receive; false when the socket refuses it.
  bool SetReceiveTimeout(unsigned timeoutMs);
  // Waits until a Receive would not block; false on time limit (also a limit of 0) or when
  // not connected and nothing is kept from the header's receive.
  bool WaitReadable(unsigned timeoutMs);
  // Bytes kept from the header's receive first, then bytes received; 0 when the peer closed,
  // -1 on error or time limit; on 0 or -1 the socket is closed. Not connected: 0 without
  // receiving.
  int Receive(char* buffer, int size);

 private:
  // The header's whole lines, each without its CR LF (or bare LF).
  std::vector<std::string_view> HeaderLines() const;

  int m_nHeaderLength = -1;
  char m_szHeader[kHttpHeaderCapacity + 1];  // one more for a terminator after a full header
  int m_nReadPos = 0;
  bool m_bHeaderReceived = false;
  bool m_bHeaderComplete = false;
  bool m_bHeaderTimedOut = false;
  std::string m_strAhead;  // body bytes that came with the header's last block
  std::size_t m_nAheadPos = 0;
  char m_szRequest[kHttpRequestCapacity];
  int m_nPort = 80;
  bool m_bConnected = false;
  Socket m_socket;
};

// Told after each block of a file request's body: the bytes written so far and the announced
// length.
using HttpProgress = std::function<void(long long received, long long total)>;

// Runs one whole request; a fresh object per request.
class CDownFile {
 public:
  // Decides whether a complete download may replace the target, looking at the finished
  // temporary file; on refusal it says why in reason.
  using AcceptFile = std::function<bool(const std::string& finishedPath, std::string* reason)>;

  CDownFile() = default;
  virtual ~CDownFile() = default;
  CDownFile(const CDownFile&) = delete;
  CDownFile& operator=(const CDownFile&) = delete;

  // Appends the body to the zero-terminated text in buffer, never writing past capacity
  // bytes: a body longer than the room left is cut, the text always terminated. The whole
  // request ends within kHttpMemoryDeadlineMs.
  int HttpGetToMemory(const char* url, char* buffer, std::size_t capacity);
  // Fetches the body into a temporary file beside path (ANSI code page), creating the
  // folders, and moves it over path only when a positive Content-Length within the limits
  // was announced and fully received and accept (when given) agrees; otherwise path is left
  // as it was and no temporary file remains. `progress`, when given, hears of every block
  // written. The result describes the transfer; Committed() says whether path was replaced.
  int HttpGetToFile(const char* url, const char* path, const AcceptFile& accept = {},
                    const HttpProgress& progress = nullptr);

  // The limits of the following file request.
  void SetLimits(const HttpLimits& limits) { m_limits = limits; }

  // Creates every missing folder on the path (everything before its last separator).
  static void CreateFolders(const std::wstring& path);

  int Result() const { return m_nResult; }
  int Port() const { return m_nPort; }
  // Body bytes appended to the buffer by the last memory request.
  std::size_t BodyLength() const { return m_nBodyLength; }
  bool Committed() const { return m_bCommitted; }
  // Why the last request failed or its file was not committed; empty after a clean success.
  const std::string& Reason() const { return m_strReason; }

 private:
  using Clock = std::chrono::steady_clock;

  // Splits the URL, records its port and builds the request; false when it can't.
  bool Prepare(const char* url, std::string* host);
  // Connects and sends the request; false (result 10, reason set) when either fails.
  bool Open(const std::string& host);
  // Sets m_nResult from the status code and says whether a body follows (200, and 400 as the
  // servers send it); on false the reason is set.
  bool RecognizeStatus();
  // A limit cut to what is left of the request's deadline (the limit itself without one).
  unsigned Within(unsigned limitMs) const;
  bool PastDeadline() const;
  int Fail(int result, std::string reason);
  // The file request's body into file; a result code.
  int ReceiveBodyToFile(std::FILE* file, long long expected, const HttpProgress& progress);

  int m_nPort = 80;
  int m_nResult = kHttpNoResponse;
  CHttpSocket m_socket;
  HttpLimits m_limits;
  std::optional<Clock::time_point> m_deadline;
  std::size_t m_nBodyLength = 0;
  bool m_bCommitted = false;
  std::string m_strReason;
};

}  // namespace lirra
