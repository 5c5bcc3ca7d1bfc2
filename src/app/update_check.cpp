#include "app/update_check.h"

#include <json/json.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "net/package_table.h"
#include "platform/platform.h"
#include "platform/utf8.h"

namespace lirra {

namespace {

constexpr char kNoVersion[] = "0.0.0.0";

template <std::size_t N>
void CopyCut(char (&field)[N], const std::string& text) {
  std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

// A member of an object, or null when the object lacks it, holds null or is not an object.
const Json::Value* Member(const Json::Value& object, const char* name) {
  if (!object.isObject()) return nullptr;
  const Json::Value* member = object.find(name, name + std::strlen(name));
  return member && !member->isNull() ? member : nullptr;
}

// Copies a string member into its field; a member of another type counts as absent.
template <std::size_t N>
void CopyStringMember(const Json::Value& object, const char* name, char (&field)[N], bool toAnsi = false) {
  const Json::Value* member = Member(object, name);
  if (!member || !member->isString()) return;
  std::string text = member->asString();
  CopyCut(field, toAnsi ? Utf8ToAnsi(text.c_str()) : text);
}

// Blanks everything before the first '{' and after the last '}'.
void TrimOutsideBraces(char* text) {
  std::size_t length = std::strlen(text);
  char* open = std::strchr(text, '{');
  char* close = std::strrchr(text, '}');
  if (!open || !close) {
    std::memset(text, ' ', length);
    return;
  }
  std::memset(text, ' ', static_cast<std::size_t>(open - text));
  std::memset(close + 1, ' ', length - static_cast<std::size_t>(close + 1 - text));
}

bool ParseJson(const char* text, Json::Value* root) {
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  try {
    Json::Reader reader;
    return reader.parse(text, text + std::strlen(text), *root, false);
  } catch (const std::exception&) {
    return false;  // the reader throws on nesting beyond its limit
  }
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

// Reads "%d.%d.%d.%d"; false when fewer than four numbers stand there.
bool ReadVersion(const char* text, long numbers[4]) {
  const char* p = text;
  for (int i = 0; i < 4; ++i) {
    if (i > 0 && *p++ != '.') return false;
    char* end = nullptr;
    numbers[i] = std::strtol(p, &end, 10);
    if (end == p) return false;
    p = end;
  }
  return true;
}

}  // namespace

int GetProductVersion(char* buffer, std::size_t capacity) {
  if (!buffer || capacity == 0) return -1;
  std::string version = OS().WideToAnsi(OS().ProductVersion());
  if (version.empty()) return -1;
  std::size_t n = version.size() < capacity - 1 ? version.size() : capacity - 1;
  if (n > kProductVersionCapacity - 1) n = kProductVersionCapacity - 1;
  std::memcpy(buffer, version.data(), n);
  buffer[n] = '\0';
  return 0;
}

int GetLatestVersionInfo(UpdateInfo* info) { return GetLatestVersionInfo(info, VersionDataUrl()); }

int GetLatestVersionInfo(UpdateInfo* info, const std::wstring& url) {
  char version[kProductVersionCapacity];
  if (GetProductVersion(version, sizeof version) != 0) std::strcpy(version, kNoVersion);
  if (!info) return -1;
  std::memset(info, 0, sizeof *info);
  info->nCode = -1;
  CopyCut(info->szLocalVersion, version);

  // Whatever arrived is examined; an empty or cut document fails to parse.
  std::vector<char> body(kVersionDataCapacity, '\0');
  GetVersionData(url, body.data(), body.size());
  return ApplyVersionDocument(body.data(), info);
}

int ApplyVersionDocument(char* body, UpdateInfo* info) {
  if (!body || !info) return -1;
  TrimOutsideBraces(body);
  Json::Value root;
  if (ParseJson(body, &root)) {
    if (const Json::Value* code = Member(root, "code"); code && code->isInt()) {
      info->nCode = code->asInt();
      if (info->nCode != 0) return -1;
    }
    CopyStringMember(root, "msg", info->szMsg);
    if (const Json::Value* release = Member(root, "value")) {
      CopyStringMember(*release, "key", info->szKey);
      CopyStringMember(*release, "desc", info->szDesc, true);
      CopyStringMember(*release, "value", info->szValue);
      CopyStringMember(*release, "feeInfo", info->szFeeInfo);
      CopyStringMember(*release, "downloadPage", info->szDownloadPage);
      CopyStringMember(*release, "downloadUrl", info->szDownloadUrl);
    }
  }
  if (info->nCode != 0) return -1;
  int newer = CompareVersions(info->szLocalVersion, info->szValue);
  if (newer < 0) return -1;
  info->nNeedUpdate = newer;
  return 0;
}

std::string FieldText(const char* field, std::size_t size) {
  const void* end = std::memchr(field, '\0', size);
  return std::string(field, end ? static_cast<const char*>(end) - field : size);
}

std::string Utf8ToAnsi(const char* utf8) { return utf8 ? OS().WideToAnsi(Utf8ToWide(utf8)) : std::string(); }

int CompareVersions(const char* current, const char* candidate) {
  long mine[4], theirs[4];
  if (!current || !candidate || !ReadVersion(current, mine) || !ReadVersion(candidate, theirs)) return -1;
  for (int i = 0; i < 4; ++i) {
    if (theirs[i] != mine[i]) return theirs[i] > mine[i] ? 1 : 0;
  }
  return 0;
}

}  // namespace lirra
