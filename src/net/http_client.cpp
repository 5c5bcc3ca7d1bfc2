// How it is put together: SplitUrl turns a URL into host, port and object; CHttpSocket owns
// one connection and its fixed buffers (request text, response header); CDownFile runs one
// request on it and maps what happened to a result code. The header is received in blocks;
// what came after its end is kept and handed to the body first. Header lines are read by
// name, never searched for a text anywhere in a line. Every wait has a time limit.
#include "net/http_client.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "net/web_url.h"
#include "platform/file_io.h"
#include "platform/platform.h"
#include "store/atomic_file.h"
#include "store/support_log.h"

namespace lirra {

namespace {

constexpr const char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)";
constexpr std::size_t kFileWriteBuffer = 256 * 1024;

// Bytes that can't stand in a request line (blanks, controls, non-ASCII) and, in the path,
// the characters a browser escapes too.
bool NeedsEscape(unsigned char c, bool inQuery) {
  if (c <= 0x20 || c >= 0x7F) return true;
  return !inQuery && (c == '"' || c == '<' || c == '>');
}

void AppendEscaped(std::string& out, unsigned char c) {
  static const char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 0x0F];
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// "HTTP/1.1 200 OK" gives 200: the three digits after the version and one blank.
int StatusCodeOf(std::string_view line) {
  constexpr std::string_view kProtocol = "HTTP/";
  if (line.substr(0, kProtocol.size()) != kProtocol) return 0;
  const size_t blank = line.find(' ');
  if (blank == std::string_view::npos) return 0;
  const std::string_view code = line.substr(blank + 1, 3);
  if (code.size() != 3 || !std::all_of(code.begin(), code.end(), IsDigit)) return 0;
  if (line.size() > blank + 4 && line[blank + 4] != ' ') return 0;
  return (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
}

// A Content-Length value: digits between optional blanks, nothing else.
bool ParseLengthValue(std::string_view value, long long* length) {
  while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
  while (!value.empty() && IsBlank(value.back())) value.remove_suffix(1);
  if (value.empty()) return false;
  long long n = 0;
  for (char c : value) {
    if (!IsDigit(c)) return false;
    const int digit = c - '0';
    n = n > (LLONG_MAX - digit) / 10 ? LLONG_MAX : n * 10 + digit;
  }
  *length = n;
  return true;
}

void TraceConnectFailure() { SupportTrace("%s", OS().WideToAnsi(L"服务器连接失败\n").c_str()); }

// The folder a file goes to ("." for a bare file name).
std::string FolderOf(const std::string& path) {
  const std::string folder = FolderPart(path);
  return folder.empty() ? std::string(".") : folder;
}

}  // namespace

bool SplitUrl(const std::string& url, UrlParts* parts) {
  UrlAuthority authority;
  if (!SplitAuthority(url, &authority)) return false;
  UrlParts result;
  result.host = authority.host;
  result.port = authority.port;

  // The object: the path (backslashes sent as slashes) with its query; the fragment stays here.
  std::string rest = url.substr(authority.end);
  rest = rest.substr(0, rest.find('#'));
  bool inQuery = false;
  for (char ch : rest) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '?') inQuery = true;
    if (c == '\\' && !inQuery) {
      result.object += '/';
    } else if (NeedsEscape(c, inQuery)) {
      AppendEscaped(result.object, c);
    } else {
      result.object += ch;
    }
  }
  if (result.object.empty() || result.object[0] != '/') result.object.insert(0, "/");
  if (result.object.size() > static_cast<size_t>(kHttpMaxObject)) return false;

  *parts = std::move(result);
  return true;
}

// ---- CHttpSocket ----

CHttpSocket::CHttpSocket() : m_szHeader{}, m_szRequest{} {}

CHttpSocket::~CHttpSocket() = default;  // the socket closes itself

bool CHttpSocket::FormatRequest(const char* host, const char* object) {
  std::memset(m_szRequest, 0, sizeof m_szRequest);
  if (!host || !object) return false;
  char port[16] = "";
  if (m_nPort != 80) std::snprintf(port, sizeof port, ":%d", m_nPort);
  int n = std::snprintf(m_szRequest, sizeof m_szRequest,
                        "GET %s HTTP/1.1\r\n"
                        "Host:%s%s\r\n"
                        "Accept:*/*\r\n"
                        "User-Agent:%s\r\n"
                        "Connection:Keep-Alive\r\n"
                        "\r\n",
                        object, host, port, kUserAgent);
  if (n < 0 || n >= static_cast<int>(sizeof m_szRequest)) {
    std::memset(m_szRequest, 0, sizeof m_szRequest);
    return false;
  }
  return true;
}

int CHttpSocket::Connect(const char* host, int port, unsigned timeoutMs) {
  if (!host) return 0;
  if (m_bConnected) return 1;
  m_nPort = port;
  if (timeoutMs == 0 || !m_socket.Connect(host, port, timeoutMs)) return 0;
  m_bConnected = true;
  return 1;
}

bool CHttpSocket::SendRequest() {
  int size = static_cast<int>(std::strlen(m_szRequest));
  return m_bConnected && size > 0 && m_socket.SendAll(m_szRequest, size);
}

const char* CHttpSocket::ReceiveHeader(unsigned timeoutMs) {
  if (m_bHeaderReceived) return m_szHeader;
  using Clock = std::chrono::steady_clock;
  static constexpr char kEnd[] = "\r\n\r\n";
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  int count = 0;
  while (count < kHttpHeaderCapacity && m_bConnected) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    // A wait that ends without a byte ends at the limit (or on a broken socket, which is no
    // better): the header is cut there and must not be taken for a whole one.
    if (left <= 0 || !m_socket.WaitReadable(static_cast<unsigned>(left))) {
      m_bHeaderTimedOut = true;
      break;
    }
    int n = Receive(m_szHeader + count, kHttpHeaderCapacity - count);
    if (n <= 0) break;
    // The empty line may have begun in the previous block.
    char* from = m_szHeader + std::max(0, count - 3);
    count += n;
    char* end = std::search(from, m_szHeader + count, kEnd, kEnd + 4);
    if (end != m_szHeader + count) {
      const int headerLength = static_cast<int>(end + 4 - m_szHeader);
      m_strAhead.assign(m_szHeader + headerLength, static_cast<size_t>(count - headerLength));
      std::memset(m_szHeader + headerLength, 0, static_cast<size_t>(count - headerLength));
      count = headerLength;
      m_bHeaderComplete = true;
      break;
    }
  }
  m_szHeader[count] = '\0';
  m_nHeaderLength = count;
  m_bHeaderReceived = true;
  return m_szHeader;
}

int CHttpSocket::ReadHeaderLine(char* dest, int capacity) {
  if (m_nReadPos >= m_nHeaderLength || !dest || capacity < 2) {
    m_nReadPos = 0;
    return -1;
  }
  int count = 0;
  while (m_nReadPos < m_nHeaderLength && count < capacity - 1) {
    char c = m_szHeader[m_nReadPos++];
    dest[count++] = c;
    if (c == '\n') break;
  }
  dest[count] = '\0';
  return count;
}

std::vector<std::string_view> CHttpSocket::HeaderLines() const {
  std::vector<std::string_view> lines;
  const std::string_view header(m_szHeader, static_cast<size_t>(std::max(0, m_nHeaderLength)));
  for (size_t start = 0, lf; (lf = header.find('\n', start)) != std::string_view::npos; start = lf + 1) {
    size_t end = lf > start && header[lf - 1] == '\r' ? lf - 1 : lf;
    lines.push_back(header.substr(start, end - start));
  }
  return lines;
}

int CHttpSocket::StatusCode() const {
  const std::vector<std::string_view> lines = HeaderLines();
  return lines.empty() ? 0 : StatusCodeOf(lines.front());
}

BodyLength CHttpSocket::GetContentLength(long long* length) const {
  const std::vector<std::string_view> lines = HeaderLines();
  BodyLength found = BodyLength::kUnstated;
  for (size_t i = 1; i < lines.size(); ++i) {
    const size_t colon = lines[i].find(':');
    if (colon == std::string_view::npos || !EqualsIgnoringCase(lines[i].substr(0, colon), "Content-Length")) continue;
    long long value = 0;
    if (!ParseLengthValue(lines[i].substr(colon + 1), &value)) return BodyLength::kRefused;
    if (found == BodyLength::kStated && value != *length) return BodyLength::kRefused;
    *length = value;
    found = BodyLength::kStated;
  }
  return found;
}

bool CHttpSocket::SetReceiveTimeout(unsigned timeoutMs) { return m_socket.SetReceiveTimeout(timeoutMs); }

bool CHttpSocket::WaitReadable(unsigned timeoutMs) {
  if (timeoutMs == 0) return false;
  return m_nAheadPos < m_strAhead.size() || (m_bConnected && m_socket.WaitReadable(timeoutMs));
}

int CHttpSocket::Receive(char* buffer, int size) {
  if (m_nAheadPos < m_strAhead.size() && size > 0) {
    const size_t take = std::min(m_strAhead.size() - m_nAheadPos, static_cast<size_t>(size));
    std::memcpy(buffer, m_strAhead.data() + m_nAheadPos, take);
    m_nAheadPos += take;
    return static_cast<int>(take);
  }
  if (!m_bConnected) return 0;
  int n = m_socket.Receive(buffer, size);
  if (n <= 0) {
    m_socket.Close();
    m_bConnected = false;
  }
  return n;
}

// ---- CDownFile ----

bool CDownFile::Prepare(const char* url, std::string* host) {
  UrlParts parts;
  if (!url || !SplitUrl(url, &parts)) return false;
  m_nPort = parts.port;
  m_socket.SetPort(parts.port);
  if (!m_socket.FormatRequest(parts.host.c_str(), parts.object.c_str())) return false;
  *host = parts.host;
  return true;
}

bool CDownFile::RecognizeStatus() {
  const int status = m_socket.StatusCode();
  switch (status) {
    case 200:
    case 400:
      m_nResult = kHttpOk;
      return true;
    case 404:
      Fail(kHttpNotFound, "not found (404)");
      return false;
    case 0:
      Fail(kHttpNoResponse, "no status line");
      return false;
    default:
      Fail(kHttpNoResponse, "status " + std::to_string(status));
      return false;
  }
}

unsigned CDownFile::Within(unsigned limitMs) const {
  if (!m_deadline) return limitMs;
  // Rounded up, so that a wait never ends before the deadline it stands for.
  auto left = std::chrono::ceil<std::chrono::milliseconds>(*m_deadline - Clock::now()).count();
  if (left <= 0) return 0;
  return static_cast<unsigned>(std::min<long long>(left, limitMs));
}

bool CDownFile::PastDeadline() const { return m_deadline && Clock::now() >= *m_deadline; }

int CDownFile::Fail(int result, std::string reason) {
  m_nResult = result;
  m_strReason = std::move(reason);
  return m_nResult;
}

bool CDownFile::Open(const std::string& host) {
  if (!m_socket.Connect(host.c_str(), m_nPort, Within(kHttpConnectTimeoutMs))) {
    TraceConnectFailure();
    Fail(kHttpNoResponse, "cannot connect to " + host + ":" + std::to_string(m_nPort));
    return false;
  }
  return true;
}

int CDownFile::HttpGetToMemory(const char* url, char* buffer, std::size_t capacity) {
  m_nResult = kHttpNoResponse;
  m_nBodyLength = 0;
  m_strReason.clear();
  m_deadline = Clock::now() + std::chrono::milliseconds(kHttpMemoryDeadlineMs);
  std::string host;
  if (!buffer || capacity == 0) return Fail(kHttpNoResponse, "no buffer");
  if (!Prepare(url, &host)) return Fail(kHttpNoResponse, "a URL that can't be split or is too long");
  if (!Open(host)) return m_nResult;
  if (m_socket.SendRequest()) {
    m_socket.ReceiveHeader(Within(kHttpHeaderTimeoutMs));
    if (m_socket.HeaderTimedOut()) return Fail(kHttpNoResponse, "no whole header in time");
  }
  if (!m_socket.SetReceiveTimeout(kHttpMemoryBodyTimeoutMs)) return Fail(kHttpNoResponse, "no receive time limit");
  if (!RecognizeStatus()) return m_nResult;

  long long expected = 0;
  if (m_socket.GetContentLength(&expected) == BodyLength::kRefused)
    return Fail(kHttpIncomplete, "a malformed or contradictory Content-Length");
  if (expected == 0) expected = kHttpMemoryBlock;  // none stated, or 0

  // The body is appended to the text already in the buffer, within its capacity.
  std::size_t used = std::find(buffer, buffer + capacity, '\0') - buffer;
  if (used == capacity) return Fail(kHttpIncomplete, "no room in the buffer");
  long long received = 0;
  char block[kHttpMemoryBlock];
  while (received < expected) {
    if (!m_socket.WaitReadable(Within(kHttpMemoryBodyTimeoutMs)))
      return Fail(kHttpIncomplete, PastDeadline() ? "past the request's deadline" : "the body stopped");
    int want = static_cast<int>(std::min<long long>(kHttpMemoryBlock, expected - received));
    int n = m_socket.Receive(block, want);
    if (n <= 0) return Fail(kHttpIncomplete, "the body stopped");
    std::size_t room = capacity - 1 - used;
    std::size_t take = std::min<std::size_t>(room, static_cast<std::size_t>(n));
    std::memcpy(buffer + used, block, take);
    used += take;
    m_nBodyLength += take;
    buffer[used] = '\0';
    received += n;
    // A body longer than the buffer is cut, and not reported as complete.
    if (take < static_cast<std::size_t>(n)) return Fail(kHttpIncomplete, "the body is longer than the buffer");
  }
  return m_nResult;
}

int CDownFile::ReceiveBodyToFile(std::FILE* file, long long expected, const HttpProgress& progress) {
  std::vector<char> block(kHttpFileBlock);
  const auto window = std::chrono::milliseconds(m_limits.lowSpeedWindowMs);
  const long long windowFloor =
      static_cast<long long>(m_limits.lowSpeedBytesPerSecond) * m_limits.lowSpeedWindowMs / 1000;
  Clock::time_point windowStart = Clock::now();
  long long windowStartBytes = 0;
  long long received = 0;
  auto sofar = [&] { return std::to_string(received) + " of " + std::to_string(expected) + " bytes"; };
  while (received < expected) {
    // Each receive waits at most kHttpFileTimeoutMs (the socket's own limit), or what is left
    // of a deadline.
    if (m_deadline && !m_socket.WaitReadable(Within(kHttpFileTimeoutMs)))
      return Fail(kHttpIncomplete,
                  (PastDeadline() ? "past the request's deadline after " : "stalled after ") + sofar());
    int want = static_cast<int>(std::min<long long>(kHttpFileBlock, expected - received));
    int n = m_socket.Receive(block.data(), want);
    if (n == 0) return Fail(kHttpIncomplete, "closed after " + sofar());
    if (n < 0) return Fail(kHttpIncomplete, "stalled after " + sofar());
    if (std::fwrite(block.data(), 1, static_cast<size_t>(n), file) != static_cast<size_t>(n))
      return Fail(kHttpWriteFailed, "writing failed after " + sofar());
    received += n;
    if (progress) progress(received, expected);
    if (m_limits.lowSpeedWindowMs > 0) {
      Clock::time_point now = Clock::now();
      if (now - windowStart >= window) {
        if (received - windowStartBytes < windowFloor)
          return Fail(kHttpIncomplete, "slower than " + std::to_string(m_limits.lowSpeedBytesPerSecond) + " B/s for " +
                                           std::to_string(m_limits.lowSpeedWindowMs / 1000) + " s after " + sofar());
        windowStart = now;
        windowStartBytes = received;
      }
    }
  }
  return m_nResult;
}

int CDownFile::HttpGetToFile(const char* url, const char* path, const AcceptFile& accept,
                             const HttpProgress& progress) {
  m_nResult = kHttpNoResponse;
  m_bCommitted = false;
  m_strReason.clear();
  m_deadline.reset();
  if (m_limits.deadlineMs > 0) m_deadline = Clock::now() + std::chrono::milliseconds(m_limits.deadlineMs);
  std::string host;
  if (!path || !*path) return Fail(kHttpNoResponse, "no local path");
  if (!Prepare(url, &host)) return Fail(kHttpNoResponse, "a URL that can't be split or is too long");
  if (!Open(host)) return m_nResult;
  m_socket.SetReceiveTimeout(kHttpFileTimeoutMs);  // the header has its own limit as well
  if (!m_socket.SendRequest()) return Fail(kHttpNoResponse, "sending the request failed");
  m_socket.ReceiveHeader(Within(kHttpHeaderTimeoutMs));
  // Only a whole header is believed: a cut one may have lost its Content-Length.
  if (!m_socket.HeaderComplete())
    return Fail(kHttpNoResponse, m_socket.HeaderTimedOut() ? "no whole header in time"
                                                           : "no whole header (cut short or over 1024 bytes)");
  if (!RecognizeStatus()) return m_nResult;

  long long expected = 0;
  if (m_socket.GetContentLength(&expected) == BodyLength::kRefused)
    return Fail(kHttpIncomplete, "a malformed or contradictory Content-Length");
  // Without a stated length nothing tells a whole body from a cut one.
  if (expected <= 0) return Fail(kHttpIncomplete, "no positive Content-Length");
  if (expected > m_limits.maxBody)
    return Fail(kHttpNoResponse, "Content-Length " + std::to_string(expected) + " above the limit of " +
                                     std::to_string(m_limits.maxBody));

  CreateFolders(OS().AnsiToWide(path));
  std::string temp = UniqueTempPath(path);
  if (auto free = FreeDiskBytes(FolderOf(path)); free && static_cast<unsigned long long>(expected) > *free)
    return Fail(kHttpWriteFailed, "Content-Length " + std::to_string(expected) + " above the " + std::to_string(*free) +
                                      " bytes free on its disk");

  // Blocks arrive in 10 KiB; the file takes them in larger writes.
  std::vector<char> fileBuffer(kFileWriteBuffer);
  std::FILE* file = std::fopen(temp.c_str(), "wb");
  if (!file) return Fail(kHttpWriteFailed, "cannot create " + temp);
  std::setvbuf(file, fileBuffer.data(), _IOFBF, fileBuffer.size());
  int result = ReceiveBodyToFile(file, expected, progress);
  if (result == kHttpOk) {
    bool flushed = m_limits.flushToDisk ? FlushFileToDisk(file) : std::fflush(file) == 0;
    if (!flushed) result = Fail(kHttpWriteFailed, "writing failed at the end");
  }
  if (std::fclose(file) != 0 && result == kHttpOk) result = Fail(kHttpWriteFailed, "writing failed at the end");
  if (result != kHttpOk) {
    std::remove(temp.c_str());
    return result;
  }
  std::string refusal;
  if (accept && !accept(temp, &refusal)) {
    std::remove(temp.c_str());
    m_strReason = refusal.empty() ? "refused after the transfer" : refusal;
    return m_nResult;
  }
  if (!CommitFile(temp, path)) return Fail(kHttpWriteFailed, std::string("cannot replace ") + path);
  m_bCommitted = true;
  return m_nResult;
}

void CDownFile::CreateFolders(const std::wstring& path) {
  for (size_t i = 0; i < path.size(); ++i) {
    if (!IsPathSeparator(path[i]) || i == 0) continue;
    std::wstring folder = path.substr(0, i);
    if (OS().IsDirectory(folder) || OS().MakeDirectory(folder)) continue;
    SupportTrace("%s", OS().WideToAnsi(L"创建路径\"" + folder + L"\"失败！").c_str());
  }
}

}  // namespace lirra
