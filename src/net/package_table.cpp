// How it is put together: the defaults are one table of (folder, file name, digest) rows; a
// manifest is applied section by section from its text in memory (the bytes that were read and,
// with a key, verified), over records set back to their defaults; transfers land in a temporary file beside the target,
// which replaces the target only when the transfer was complete and, for packages, its digest matches
// (manifest_commit.cpp holds the manifest's own rule).
#include "net/package_table.h"

#include <cstdio>
#include <mutex>
#include <optional>
#include <utility>

#include "net/file_digests.h"
#include "net/http_client.h"
#include "net/manifest_commit.h"
#include "pc/system_probe.h"
#include "pc/vendors.h"
#include "platform/ascii.h"
#include "platform/platform.h"
#include "platform/utf8.h"
#include "store/support_log.h"

namespace lirra {

namespace {

std::wstring RemoteUrl(const std::wstring& base, const std::wstring& folder, const std::wstring& file) {
  return folder.empty() ? base + file : base + folder + L"\\" + file;
}

std::wstring LocalPath(const std::wstring& dir, const std::wstring& folder, const std::wstring& file) {
  return folder.empty() ? dir + kPathSep + file : dir + kPathSep + folder + kPathSep + file;
}

constexpr std::size_t kMd5Digits = 32;
constexpr std::size_t kSha256Digits = 64;
constexpr char kNoDigest[] = "the package list gives no usable digest";

bool IsHexDigest(const std::string& text, std::size_t digits) {
  return text.size() == digits && text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

// The digests under prefix + "MD5" and prefix + "SHA256". A SHA-256 describes the same file as
// the MD5 beside it, so a manifest that gives either replaces both: an MD5 of a new file never
// stands beside the SHA-256 of an old one, and a SHA-256 alone is all a file must match. A
// digest of another form leaves the package with none, so nothing is fetched or run for it.
void ApplyDigests(std::string_view manifest, const char* section, const std::string& prefix, PackageRecord& record) {
  const std::string md5 = ReadManifestValue(manifest, section, prefix + "MD5");
  const std::string sha256 = ReadManifestValue(manifest, section, prefix + "SHA256");
  if (md5.empty() && sha256.empty()) return;
  const bool md5Bad = !md5.empty() && !IsHexDigest(md5, kMd5Digits);
  const bool sha256Bad = !sha256.empty() && !IsHexDigest(sha256, kSha256Digits);
  if (md5Bad || sha256Bad) {
    SupportTrace("manifest [%s] %s refused: not %d hex digits\n", section,
                 (prefix + (md5Bad ? "MD5" : "SHA256")).c_str(), static_cast<int>(md5Bad ? kMd5Digits : kSha256Digits));
    record.m_strExpectedMd5.clear();
    record.m_strExpectedSha256.clear();
    return;
  }
  record.m_strExpectedMd5 = OS().AnsiToWide(md5);
  record.m_strExpectedSha256 = OS().AnsiToWide(sha256);
}

void ApplySection(const PackageTable& table, std::string_view manifest, const char* section, PackageRecord& record) {
  std::string file = ReadManifestValue(manifest, section, "path");
  if (!file.empty() && IsPlainFileName(file)) {
    std::wstring name = OS().AnsiToWide(file);
    record.m_strRemoteUrl = RemoteUrl(table.m_strBaseUrl, Utf8ToWide(section), EscapeFileNameForUrl(name));
    record.m_strFileName = name;
  }
  ApplyDigests(manifest, section, "", record);
}

void ChooseHidPackage(PackageTable& table, std::string_view manifest) {
  const int architecture = table.m_nBits == 64 ? 9 : 0;  // AMD64 or x86
  SupportTrace("si.wProcessorArchitecture = %d\nPROCESSOR_ARCHITECTURE_AMD64 = %d\nPROCESSOR_ARCHITECTURE_IA64 = %d\n",
               architecture, 9, 6);
  const std::wstring& os = table.m_strOsName;
  PackageRecord& hid = table.m_HID;
  if (os != L"XP" && os != L"7" && os != L"8" && os != L"10") {
    hid.m_bAvailable = false;
    return;
  }
  std::wstring key = (os == L"XP" ? L"XP" : L"W" + os) + std::to_wstring(table.m_nBits);
  hid.m_strFileName = key;
  std::string ansiKey = OS().WideToAnsi(key);
  std::string file = ReadManifestValue(manifest, "HID", ansiKey);
  if (!file.empty() && IsPlainFileName(file)) {
    std::wstring name = OS().AnsiToWide(file);
    hid.m_strRemoteUrl = RemoteUrl(table.m_strBaseUrl, L"HID", EscapeFileNameForUrl(name));
    hid.m_strFileName = name;
    hid.m_strLocalPath = LocalPath(table.m_strModuleDir, L"HID", name);
    hid.m_bAvailable = true;
  }
  ApplyDigests(manifest, "HID", ansiKey, hid);
}

bool HasDigest(const PackageRecord& record) {
  return !record.m_strExpectedMd5.empty() || !record.m_strExpectedSha256.empty();
}

// Whether a file's digests (nullopt: it could not be read) match those the record gives (none:
// no match), letter case aside. `mismatch` says which failed.
bool DigestsMatch(const std::optional<FileDigests>& actual, const PackageRecord& record, std::string* mismatch) {
  if (!HasDigest(record)) {
    if (mismatch) *mismatch = kNoDigest;
    return false;
  }
  if (!actual) {
    if (mismatch) *mismatch = "the file is missing or unreadable";
    return false;
  }
  const std::string md5 = OS().WideToAnsi(record.m_strExpectedMd5);
  if (!md5.empty() && !EqualsFoldingAscii(actual->md5, md5)) {
    if (mismatch) *mismatch = "md5 " + actual->md5 + ", expected " + md5;
    return false;
  }
  const std::string sha256 = OS().WideToAnsi(record.m_strExpectedSha256);
  if (sha256.empty() || EqualsFoldingAscii(actual->sha256, sha256)) return true;
  if (mismatch) *mismatch = "sha256 " + actual->sha256 + ", expected " + sha256;
  return false;
}

// The file at path, held (HeldFile), when the digests read through that hold match the
// record's; else nothing, and `mismatch` says why.
HeldFilePtr HoldIfMatching(const std::wstring& path, const PackageRecord& record, std::string* mismatch = nullptr) {
  HeldFilePtr file = OS().OpenHeld(path);
  std::optional<FileDigests> digests;
  if (file) digests = DigestHeldFile(*file);
  if (!DigestsMatch(digests, record, mismatch)) return nullptr;
  return file;
}

bool FileMatchesDigests(const std::string& path, const PackageRecord& record, std::string* mismatch = nullptr) {
  return HoldIfMatching(OS().AnsiToWide(path), record, mismatch) != nullptr;
}

// Fetches url into a temporary file beside path and moves it over path only when the
// transfer was complete and (given a package) the file matches its digests; else path is
// left as it was, and the trace, `reason` and `failure` say why.
bool FetchFile(const std::wstring& remoteUrl, const std::wstring& localPath, const PackageRecord* package,
               std::string* reason, PackageFailure* failure = nullptr, const HttpProgress& progress = nullptr) {
  std::string url = OS().WideToAnsi(remoteUrl);
  std::string path = OS().WideToAnsi(localPath);
  bool digestRefused = false;
  CDownFile::AcceptFile digestMatches;
  if (package) {
    digestMatches = [package, &digestRefused](const std::string& finished, std::string* why) {
      if (FileMatchesDigests(finished, *package, why)) return true;
      digestRefused = true;
      return false;
    };
  }
  CDownFile request;
  request.HttpGetToFile(url.c_str(), path.c_str(), digestMatches, progress);
  if (request.Committed()) return true;
  std::string why = request.Reason().empty() ? "result " + std::to_string(request.Result()) : request.Reason();
  SupportTrace("download %s failed: %s\n", url.c_str(), why.c_str());
  if (reason) *reason = why;
  if (failure) *failure = digestRefused ? PackageFailure::kDigest : PackageFailure::kTransfer;
  return false;
}

void SetDefaults(const PackageTable& table, const std::wstring& folder, const wchar_t* fileName, const wchar_t* md5,
                 PackageRecord& record) {
  record = PackageRecord{};  // every field, so nothing of an earlier list stays
  record.m_strRemoteUrl = RemoteUrl(table.m_strBaseUrl, folder, fileName);
  record.m_strLocalPath = LocalPath(table.m_strModuleDir, folder, fileName);
  record.m_strFileName = fileName;
  record.m_strExpectedMd5 = md5;
}

std::mutex g_tableMutex;
PackageTable* g_table = nullptr;

PackageTable MakeTableForThisPc() {
  PackageTable table = PackageTable::Create(CSystemProbe::GetModuleDir(), DefaultBaseUrl(),
                                            CSystemProbe::GetOsVersionName(), OS().Is64BitOs() ? 64 : 32);
  table.m_ManifestKey = ManifestKey::BuiltIn();
  return table;
}

}  // namespace

PackageTable PackageTable::Create(const std::wstring& moduleDir, const std::wstring& baseUrl,
                                  const std::wstring& osName, int bits) {
  PackageTable table;
  table.m_strModuleDir = moduleDir;
  table.m_strBaseUrl = baseUrl;
  table.m_strOsName = osName;
  table.m_nBits = bits;
  table.m_strManifestUrl = baseUrl + L"file.ini";
  table.m_strManifestPath = moduleDir + kPathSep + L"file.ini";
  table.ResetRecords();
  return table;
}

void PackageTable::ResetRecords() {
  for (Vendor vendor : kVendorsInRunOrder) {
    const VendorInfo& v = VendorOf(vendor);
    SetDefaults(*this, Utf8ToWide(v.key), v.installer, v.md5, Record(vendor));
  }
  SetDefaults(*this, L"", kIe8Installer, kIe8Md5, m_IE8);
}

PackageRecord& PackageTable::Record(int index) {
  return index < kVendorCount ? Record(kVendorsInRunOrder[index]) : m_IE8;
}

PackageRecord& PackageTable::Record(Vendor vendor) {
  switch (vendor) {
    case Vendor::kHID:
      return m_HID;
    case Vendor::kYSB:
      return m_YSB;
    case Vendor::kNJYS:
      return m_NJYS;
    case Vendor::kWHJL:
      return m_WHJL;
    case Vendor::kSDSS:
      break;
  }
  return m_SDSS;
}

const char* PackageTable::RecordKey(int index) {
  return index < kVendorCount ? VendorOf(kVendorsInRunOrder[index]).key : kIe8Key;
}

std::wstring DefaultBaseUrl() { return L"http://" + Utf8ToWide(LIRRA_DOWNLOAD_HOST) + L"/mervo/store/mervoDrivce/"; }

std::wstring VersionDataUrl() { return L"http://" + Utf8ToWide(LIRRA_PLATFORM_HOST) + L"/backend/plugin/version/get"; }

PackageTable& GetPackageTable() {
  std::lock_guard<std::mutex> lock(g_tableMutex);
  if (!g_table) g_table = new PackageTable(MakeTableForThisPc());  // lives as long as the process
  return *g_table;
}

void ResetPackageTable() {
  std::lock_guard<std::mutex> lock(g_tableMutex);
  if (g_table) {
    *g_table = MakeTableForThisPc();
  } else {
    g_table = new PackageTable(MakeTableForThisPc());
  }
}

bool LoadManifest(PackageTable& table) {
  std::string path = OS().WideToAnsi(table.m_strManifestPath);
  SupportTrace("load file %s\n\n", path.c_str());
  std::optional<std::string> manifest = ReadManifestToApply(table.m_ManifestKey, path);
  if (!manifest) return false;  // with a key, the trace says why
  ApplyManifest(table, *manifest);
  return true;
}

void ApplyManifest(PackageTable& table, std::string_view manifest) {
  table.ResetRecords();
  ApplySection(table, manifest, kIe8Section, table.m_IE8);
  for (Vendor vendor : kVendorsInStateOrder) {
    if (vendor != Vendor::kHID) ApplySection(table, manifest, VendorOf(vendor).key, table.Record(vendor));
  }
  ChooseHidPackage(table, manifest);
}

bool ClientInstallsHidPackage(const PackageTable& table) {
  return table.m_HID.m_bAvailable && table.m_strOsName != L"10";
}

bool DownloadFile(const std::wstring& remoteUrl, const std::wstring& localPath) {
  return FetchFile(remoteUrl, localPath, nullptr, nullptr);
}

bool EnsurePackage(const PackageRecord& record, PackageFailure* failure, const HttpProgress& progress,
                   HeldFilePtr* installer) {
  return ObtainPackage(record, nullptr, failure, progress, installer) != PackageState::kFailed;
}

PackageState ObtainPackage(const PackageRecord& record, std::string* reason, PackageFailure* failure,
                           const HttpProgress& progress, HeldFilePtr* installer) {
  if (failure) *failure = PackageFailure::kNone;
  if (HeldFilePtr present = HoldIfMatching(record.m_strLocalPath, record)) {
    if (installer) *installer = std::move(present);
    return PackageState::kPresent;
  }
  if (!HasDigest(record)) {  // no file could ever be accepted: fetch nothing
    if (reason) *reason = kNoDigest;
    if (failure) *failure = PackageFailure::kDigest;
    return PackageState::kFailed;
  }
  // Not held across the download: the commit must be free to replace the file.
  if (!FetchFile(record.m_strRemoteUrl, record.m_strLocalPath, &record, reason, failure, progress))
    return PackageState::kFailed;
  // What was committed is checked again through its hold: it may have changed since.
  std::string mismatch;
  HeldFilePtr fetched = HoldIfMatching(record.m_strLocalPath, record, &mismatch);
  if (!fetched) {
    SupportTrace("download %s changed after its check: %s\n", OS().WideToAnsi(record.m_strLocalPath).c_str(),
                 mismatch.c_str());
    if (reason) *reason = mismatch;
    if (failure) *failure = PackageFailure::kDigest;
    return PackageState::kFailed;
  }
  if (installer) *installer = std::move(fetched);
  return PackageState::kDownloaded;
}

ManifestOutcome RefreshTableManifest(const PackageTable& table) {
  if (!table.m_ManifestKey.m_bOn) return RefreshManifest(table.m_strManifestUrl, table.m_strManifestPath);
  ManifestOutcome outcome;
  if (DownloadSignedManifest(table.m_ManifestKey, OS().WideToAnsi(table.m_strManifestUrl),
                             OS().WideToAnsi(table.m_strManifestPath), &outcome.reason)) {
    outcome.state = ManifestRefresh::kReplaced;
  }
  return outcome;
}

bool DownloadManifest(const PackageTable& table) { return RefreshTableManifest(table).state != ManifestRefresh::kKept; }

bool PackageFileMatches(const PackageRecord& record) {
  return FileMatchesDigests(OS().WideToAnsi(record.m_strLocalPath), record);
}

bool GetVersionData(char* buffer, std::size_t capacity) { return GetVersionData(VersionDataUrl(), buffer, capacity); }

bool GetVersionData(const std::wstring& url, char* buffer, std::size_t capacity) {
  CDownFile request;
  return request.HttpGetToMemory(OS().WideToAnsi(url).c_str(), buffer, capacity) == kHttpOk;
}

}  // namespace lirra
