// The packages the client installs (HID driver, four vendor drivers, IE8): where each lies on
// the download host and on disk, its installer's file name and expected MD5 digest. The
// manifest file.ini from the download host may rename and re-digest them; an installer is
// fetched only when the copy on disk does not match its digest.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "net/http_client.h"
#include "net/manifest_refresh.h"
#include "net/manifest_trust.h"
#include "pc/vendors.h"
#include "platform/platform.h"

namespace lirra {

struct PackageRecord {
  std::wstring m_strRemoteUrl;
  std::wstring m_strLocalPath;
  std::wstring m_strFileName;        // the installer's file name, as launched
  std::wstring m_strExpectedMd5;     // 32 hex digits, or empty: the SHA-256 alone decides
  std::wstring m_strExpectedSha256;  // 64 hex digits, or empty: the MD5 alone decides
  bool m_bAvailable = false;         // HID only: the manifest names an installer for this PC
};

// One table: the six records in this order, the manifest's locations, and what chose them.
struct PackageTable {
  PackageRecord m_HID;
  PackageRecord m_YSB;
  PackageRecord m_NJYS;
  PackageRecord m_WHJL;
  PackageRecord m_SDSS;
  PackageRecord m_IE8;
  std::wstring m_strManifestUrl;   // base URL + "file.ini"
  std::wstring m_strManifestPath;  // folder + separator + "file.ini"
  std::wstring m_strModuleDir;     // the executable's folder
  std::wstring m_strBaseUrl;       // ends with "/"
  std::wstring m_strOsName;        // "XP", "7", "8", "10" or "No": chooses the HID package
  int m_nBits = 32;                // 32 or 64: chooses the HID package
  ManifestKey m_ManifestKey;       // off unless set: the process table takes the built-in key

  // A table with the defaults for this folder, base URL and Windows.
  static PackageTable Create(const std::wstring& moduleDir, const std::wstring& baseUrl, const std::wstring& osName,
                             int bits);
  // The six records back at their built-in defaults; the rest stays.
  void ResetRecords();

  static constexpr int kRecordCount = 6;
  // The records in table order, with their keys ("HID", "YSB", "NJYS", "WHJL", "SDSS", "IE8").
  PackageRecord& Record(int index);
  PackageRecord& Record(Vendor vendor);
  static const char* RecordKey(int index);
};

// "http://" + download host + "/mervo/store/mervoDrivce/".
std::wstring DefaultBaseUrl();
// "http://" + platform host + "/backend/plugin/version/get".
std::wstring VersionDataUrl();

// The process-wide table, created on first use from the running executable's folder, the
// built-in base URL and this PC's Windows name and bitness (through the platform seam).
PackageTable& GetPackageTable();
// Tests: rebuilds the process-wide table from the platform now installed.
void ResetPackageTable();

// Applies the local manifest (m_strManifestPath) to the table as ApplyManifest does, from the
// bytes read once (and, with the table's manifest key on, verified: ReadManifestToApply); false
// when nothing may be applied (the table is unchanged).
bool LoadManifest(PackageTable& table);

// A list replaces, never merges: the records go back to their defaults, then the list's values
// apply, so a package the list no longer names can't be fetched or run. Values that are not
// plain file names are ignored; a digest that is not 32 (MD5) or 64 (SHA-256) hex digits
// leaves its package with no digest, which no file matches, and the trace says why.
void ApplyManifest(PackageTable& table, std::string_view manifest);

// Whether the client installs the HID package on this PC: the list names one for its Windows
// and bitness, and the Windows is not 10, where the client never installs it.
bool ClientInstallsHidPackage(const PackageTable& table);

// Fetches the manifest to its local path as the client does at start: RefreshManifest (whole
// and sound, or not at all), or with the table's manifest key on, DownloadSignedManifest (the
// manifest and its signature, replaced only when verified as well).
ManifestOutcome RefreshTableManifest(const PackageTable& table);
// RefreshTableManifest; false when the local manifest was kept.
bool DownloadManifest(const PackageTable& table);

// Whether the file at the record's local path matches the digests the record gives (MD5,
// SHA-256 or both; letter case ignored). A record without any digest matches no file.
bool PackageFileMatches(const PackageRecord& record);

// One file request; false when the transfer failed: no connection, no success status (404
// included), no stated length, a short or stalled body, or a write error. The file at
// localPath is replaced only by a complete body.
bool DownloadFile(const std::wstring& remoteUrl, const std::wstring& localPath);

// Why EnsurePackage found no verified installer.
enum class PackageFailure {
  kNone,
  kTransfer,  // no connection, no success status, a short body or a write error
  kDigest,    // the installer arrived whole, but its digest is not the expected one
};

// True when the file at the record's local path matches its expected digests (letter case
// ignored), downloading it first when it does not; a download replaces the file only when
// it arrived whole and matches the digest; a record without any digest fails at once (kDigest).
// On false, `failure` (when given) says why; `progress` hears of the download's blocks. On true,
// `installer` (when given) receives that file held (HeldFile): its digests were read through
// this very hold, so launching it while held runs what was checked.
bool EnsurePackage(const PackageRecord& record, PackageFailure* failure = nullptr,
                   const HttpProgress& progress = nullptr, HeldFilePtr* installer = nullptr);

enum class PackageState { kPresent, kDownloaded, kFailed };
// EnsurePackage, telling whether a transfer was needed; on failure `reason` says why in words.
PackageState ObtainPackage(const PackageRecord& record, std::string* reason, PackageFailure* failure = nullptr,
                           const HttpProgress& progress = nullptr, HeldFilePtr* installer = nullptr);

// One memory request for the version data into buffer (capacity bytes, zero-filled by the
// caller); true when its result is 0. The buffer holds whatever arrived, terminated.
bool GetVersionData(char* buffer, std::size_t capacity);
bool GetVersionData(const std::wstring& url, char* buffer, std::size_t capacity);

}  // namespace lirra
