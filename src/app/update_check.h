// The update check: the client's product version against the newest version that the
// platform host's version document names. It only informs; nothing is downloaded here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lirra {

// Filled by GetLatestVersionInfo; texts zero-terminated in the ANSI code page, each cut to
// one byte less than its field.
struct UpdateInfo {
  std::int32_t nCode;  // the response's "code"; -1 until one has been read
  char szMsg[32];
  char szKey[64];
  char szDesc[256];  // converted from UTF-8
  char szValue[32];  // the newest version, four dot-separated numbers
  char szFeeInfo[256];
  char szDownloadPage[256];  // opened in the browser only as a plain http(s) address (BrowserPageFault)
  char szDownloadUrl[256];
  char szLocalVersion[64];   // this client's product version, or "0.0.0.0"
  std::int32_t nNeedUpdate;  // 1 when the server's version is newer
};

constexpr std::size_t kVersionDataCapacity = 1460;  // the version document's buffer
constexpr std::size_t kProductVersionCapacity = 64;

// Writes the product version into buffer (capacity bytes, at most 63 characters); 0, or -1
// when there is none.
int GetProductVersion(char* buffer, std::size_t capacity = kProductVersionCapacity);

// Fetches the version document from the built-in URL (or url) and fills info. 0 when a
// response with code 0 arrived and both versions could be read; -1 otherwise (null info too).
int GetLatestVersionInfo(UpdateInfo* info);
int GetLatestVersionInfo(UpdateInfo* info, const std::wstring& url);

// Steps after the fetch: trims text outside the outer braces of body (in place), parses it and
// fills info, whose nCode and szLocalVersion are already set. Members of an unexpected JSON
// type count as absent. Same results as GetLatestVersionInfo.
int ApplyVersionDocument(char* body, UpdateInfo* info);

// UTF-8 text in the system ANSI code page (UTF-8 stays UTF-8 where that is the ANSI text).
std::string Utf8ToAnsi(const char* utf8);

// A text field of the record up to its zero, or whole when a bad answer left it unterminated.
std::string FieldText(const char* field, std::size_t size);
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  return FieldText(field, N);
}

// Compares two "a.b.c.d" versions: 1 when candidate is newer than current, 0 when not, -1
// when either lacks four numbers.
int CompareVersions(const char* current, const char* candidate);

}  // namespace lirra
