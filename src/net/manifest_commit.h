// What a package list from the download host may hold and when it may replace the local
// file.ini: the limits of the list and of its request, the file names it may give, and the rule
// that it must name a package. Fetching lives in manifest_refresh.h, signatures in
// manifest_trust.h.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "net/http_client.h"

namespace lirra {

// A package list is a few hundred bytes, fetched at every start while the loading window waits.
constexpr long long kManifestCap = 64 * 1024;           // the longest list the request takes
constexpr unsigned kManifestDeadlineMs = 8000;          // the whole request, lookup to last byte
constexpr std::size_t kMaxManifestBytes = 1024 * 1024;  // the longest local list read
constexpr std::size_t kMaxSignatureFileBytes = 1024;
constexpr int kManifestValueCapacity = 256;  // every value of a list is read into this many bytes

// The limits of a request for a list or its signature.
HttpLimits ManifestHttpLimits();

// A manifest value that names a file Windows can create and nothing else: no folder, drive or
// parent, no reserved device name ("CON", "NUL.exe", "COM1", ...), no trailing dot or blank.
bool IsPlainFileName(const std::string& name);

// A file name as a piece of a URL: "%", "#" and "?" escaped, so that the server sees the name.
std::wstring EscapeFileNameForUrl(const std::wstring& name);

// A value of a list's text, read as the INI store reads it (kManifestValueCapacity bytes), with
// one pair of like quotes removed ("" for a lone quote).
std::string ReadManifestValue(std::string_view manifest, const char* section, const std::string& key);

// Whether the list names at least one package: a plain file name under "path" of IE, NJYS,
// SDSS, WHJL or YSB, or under one of the HID keys.
bool NamesPackage(std::string_view manifest);

// Whether the list in the file at path may replace the local one: it can be read (at most
// kMaxManifestBytes) and names a package. Otherwise false, and reason says why.
bool AcceptManifest(const std::string& path, std::string* reason);

}  // namespace lirra
