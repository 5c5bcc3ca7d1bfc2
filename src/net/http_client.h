// The client's own HTTP/1.1 GET over TCP: one request per connection, the body appended to a
// text buffer in memory or written to a file. It understands what the shop's servers send: a
// status line recognised by its text and a Content-Length header.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/socket.h"

namespace lirra {

// Result codes of a request.
constexpr int kHttpOk = 0;           // "200 OK" or "400 Bad Request", body read to its length
constexpr int kHttpNotFound = 3;     // "404 Not Found" and no success line
constexpr int kHttpIncomplete = 8;   // the connection closed, failed or timed out mid-body
constexpr int kHttpWriteFailed = 9;  // the local file could not be opened or written
constexpr int kHttpNoResponse = 10;  // no connection, send failed, limits exceeded or no known status

// Limits, each set by a fixed buffer.
constexpr int kHttpMaxHost = 255;           // host name bytes
constexpr int kHttpMaxObject = 255;         // path and query bytes
constexpr int kHttpRequestCapacity = 1024;  // request text and terminator
constexpr int kHttpHeaderCapacity = 1024;   // response header bytes
constexpr int kHttpLengthCapacity = 128;    // Content-Length value text and terminator
constexpr int kHttpMemoryBlock = 1024;
constexpr int kHttpFileBlock = 10240;

// Time limits, in milliseconds.
constexpr unsigned kHttpConnectTimeoutMs = 5000;
constexpr unsigned kHttpHeaderTimeoutMs = 4000;      // the whole header, both requests
constexpr unsigned kHttpMemoryBodyTimeoutMs = 1500;  // each body receive, memory request
constexpr unsigned kHttpFileTimeoutMs = 4000;        // each receive, file request

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

  // 1 when connected (also when already connected), 0 on failure.
  int Connect(const char* host, int port);
  // Sends the request text whole; false on failure.
  bool SendRequest();
  // Reads the header on the first call only (one byte per receive, up to CR LF CR LF or
  // kHttpHeaderCapacity bytes, within timeoutMs in all); returns the header buffer.
  const char* ReceiveHeader(unsigned timeoutMs = kHttpHeaderTimeoutMs);
  int HeaderLength() const { return m_nHeaderLength; }
  // Copies the next header line (with its CR LF) into dest, at most capacity bytes; returns
  // the count, or -1 after the last line (the read position then goes back to 0).
  int ReadHeaderLine(char* dest, int capacity);
  // Copies the Content-Length value text into dest (kHttpLengthCapacity bytes) and returns
  // its length, or -1 when the header has none (dest is then empty).
  int GetContentLength(char* dest);
  // Sets the limit of each following Receive; false when the socket refuses it.
  bool SetReceiveTimeout(unsigned timeoutMs);
  // Bytes received, 0 when the peer closed, -1 on error or time limit; on 0 or -1 the socket
  // is closed. Not connected: 0 without receiving.
  int Receive(char* buffer, int size);

 private:
  int m_nHeaderLength = -1;
  char m_szHeader[kHttpHeaderCapacity + 1];  // one more for a terminator after a full header
  int m_nReadPos = 0;
  bool m_bHeaderReceived = false;
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
  CDownFile() = default;
  virtual ~CDownFile() = default;
  CDownFile(const CDownFile&) = delete;
  CDownFile& operator=(const CDownFile&) = delete;

  // Appends the body to the zero-terminated text in buffer, never writing past capacity
  // bytes: a body longer than the room left is cut, the text always terminated.
  int HttpGetToMemory(const char* url, char* buffer, std::size_t capacity);
  // Writes the body to the file at path (ANSI code page), creating its folders; `progress`,
  // when given, hears of every block written.
  int HttpGetToFile(const char* url, const char* path, const HttpProgress& progress = nullptr);

  // Creates every missing folder on the path (everything before its last separator).
  static void CreateFolders(const std::wstring& path);

  int Result() const { return m_nResult; }
  int Port() const { return m_nPort; }

 private:
  // Splits the URL, records its port and builds the request; false when it can't.
  bool Prepare(const char* url, std::string* host);
  // Scans the header lines: sets m_nResult and returns the success flag.
  bool RecognizeStatus(int lineCapacity);

  int m_nPort = 80;
  int m_nResult = kHttpNoResponse;
  CHttpSocket m_socket;
};

}  // namespace lirra
