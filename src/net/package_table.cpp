// How it is put together: the defaults are one table of (folder, file name, digest) rows; the
// manifest is applied section by section through the process-wide INI store (held locked for
// the whole application); transfers land in a ".part" file beside the target, which replaces
// the target only when the transfer was complete and, for packages, its digest matches.
#include "net/package_table.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "app/system_probe.h"
#include "net/http_client.h"
#include "net/md5.h"
#include "net/trace.h"
#include "platform/platform.h"
#include "platform/utf8.h"
#include "store/atomic_file.h"
#include "store/ini_store.h"

namespace lirra {

namespace {

constexpr int kManifestValueCapacity = 256;
constexpr std::size_t kDigestCapacity = 64;

struct PackageDefault {
  const char* key;
  const wchar_t* folder;  // on the server and on disk; empty: directly under the base
  const wchar_t* fileName;
  const wchar_t* md5;
};

constexpr PackageDefault kDefaults[PackageTable::kRecordCount] = {
    {"HID", L"HID", L"XP32.exe", L"6dc5143eacb9dc3c4ffee81bcff0206c"},
    {"YSB", L"YSB", L"BTReader.exe", L"032493574ae689c119585f173ab9fe9d"},
    {"NJYS", L"NJYS", L"clientsetup.exe", L"be16500187f8b550e01f955bad1399a1"},
    {"WHJL", L"WHJL", L"jinglun.exe", L"1e8e74316902caa99a3ffe089994059e"},
    {"SDSS", L"SDSS", L"shandongshensi.exe", L"206a6ddc7a25940dde3a7316165c6cc2"},
    {"IE8", L"", L"IE8XP.exe", L"acde10a1f8659cf91a3a323590195b48"},
};

std::wstring RemoteUrl(const std::wstring& base, const std::wstring& folder, const std::wstring& file) {
  return folder.empty() ? base + file : base + folder + L"\\" + file;
}

std::wstring LocalPath(const std::wstring& dir, const std::wstring& folder, const std::wstring& file) {
  return folder.empty() ? dir + kPathSep + file : dir + kPathSep + folder + kPathSep + file;
}

// A value that names a file and nothing else: no folder, drive or parent may come with it.
bool IsPlainFileName(const std::string& name) {
  if (name == "." || name == "..") return false;
  for (unsigned char c : name) {
    if (c < 0x20 || std::strchr("/\\:*?\"<>|", c)) return false;
  }
  return true;
}

// A manifest value with one pair of like quotes removed ("" for a lone quote).
std::string ReadManifestValue(const char* section, const std::string& key) {
  char buffer[kManifestValueCapacity] = "";
  IniReadString(section, key.c_str(), buffer, sizeof buffer, "");
  std::string value = buffer;
  if (!value.empty() && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.size() >= 2 ? value.substr(1, value.size() - 2) : std::string();
  return value;
}

// The digests under prefix + "MD5" and prefix + "SHA256". A SHA-256 describes the same file as
// the MD5 beside it, so a manifest that gives either replaces both: an MD5 of a new file never
// stands beside the SHA-256 of an old one.
void ApplyDigests(const char* section, const std::string& prefix, PackageRecord& record) {
  std::string md5 = ReadManifestValue(section, prefix + "MD5");
  std::string sha256 = ReadManifestValue(section, prefix + "SHA256");
  if (!md5.empty()) record.m_strExpectedMd5 = OS().AnsiToWide(md5);
  if (!md5.empty() || !sha256.empty()) record.m_strExpectedSha256 = OS().AnsiToWide(sha256);
}

void ApplySection(const PackageTable& table, const char* section, PackageRecord& record) {
  std::string file = ReadManifestValue(section, "path");
  if (!file.empty() && IsPlainFileName(file)) {
    std::wstring name = OS().AnsiToWide(file);
    record.m_strRemoteUrl = RemoteUrl(table.m_strBaseUrl, Utf8ToWide(section), name);
    record.m_strFileName = name;
  }
  ApplyDigests(section, "", record);
}

void ChooseHidPackage(PackageTable& table) {
  const int architecture = table.m_nBits == 64 ? 9 : 0;  // AMD64 or x86
  NetTrace("si.wProcessorArchitecture = %d\nPROCESSOR_ARCHITECTURE_AMD64 = %d\nPROCESSOR_ARCHITECTURE_IA64 = %d\n",
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
  std::string file = ReadManifestValue("HID", ansiKey);
  if (!file.empty() && IsPlainFileName(file)) {
    std::wstring name = OS().AnsiToWide(file);
    hid.m_strRemoteUrl = RemoteUrl(table.m_strBaseUrl, L"HID", name);
    hid.m_strFileName = name;
    hid.m_strLocalPath = LocalPath(table.m_strModuleDir, L"HID", name);
    hid.m_bAvailable = true;
  }
  ApplyDigests("HID", ansiKey, hid);
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether the file's digest equals the expected one, letter case aside.
bool FileMatchesDigest(const std::string& path, const std::wstring& expected) {
  char digest[kDigestCapacity] = "";
  if (!GetFileMd5(path.c_str(), digest)) return false;
  std::string want = OS().WideToAnsi(expected).substr(0, kDigestCapacity - 1);
  if (want.size() != std::strlen(digest)) return false;
  for (size_t i = 0; i < want.size(); ++i) {
    if (FoldAscii(want[i]) != FoldAscii(digest[i])) return false;
  }
  return true;
}

// The MD5 and, when the record names one, the SHA-256 too.
bool FileMatchesDigests(const std::string& path, const PackageRecord& record) {
  return FileMatchesDigest(path, record.m_strExpectedMd5) &&
         (record.m_strExpectedSha256.empty() || FileMatchesSha256(path, OS().WideToAnsi(record.m_strExpectedSha256)));
}

// Fetches url into a ".part" file beside path and moves it over path when the transfer was
// complete and (given a package) the file matches its digests; else path is left as it was.
bool FetchFile(const std::wstring& remoteUrl, const std::wstring& localPath, const PackageRecord* package) {
  std::string url = OS().WideToAnsi(remoteUrl);
  std::string path = OS().WideToAnsi(localPath);
  std::string part = path + ".part";
  int result;
  {
    CDownFile request;
    result = request.HttpGetToFile(url.c_str(), part.c_str());
  }
  bool ok = result == kHttpOk && (!package || FileMatchesDigests(part, *package));
  if (ok) return CommitFile(part, path);
  std::remove(part.c_str());
  return false;
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
  for (int i = 0; i < kRecordCount; ++i) {
    const PackageDefault& d = kDefaults[i];
    PackageRecord& record = table.Record(i);
    record.m_strRemoteUrl = RemoteUrl(baseUrl, d.folder, d.fileName);
    record.m_strLocalPath = LocalPath(moduleDir, d.folder, d.fileName);
    record.m_strFileName = d.fileName;
    record.m_strExpectedMd5 = d.md5;
    record.m_bAvailable = false;
  }
  return table;
}

PackageRecord& PackageTable::Record(int index) {
  PackageRecord* records[kRecordCount] = {&m_HID, &m_YSB, &m_NJYS, &m_WHJL, &m_SDSS, &m_IE8};
  return *records[index];
}

const char* PackageTable::RecordKey(int index) { return kDefaults[index].key; }

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
  NetTrace("load file %s\n\n", path.c_str());
  if (!LocalManifestMayBeApplied(table.m_ManifestKey, path)) return false;  // the trace says why
  auto lock = LockIniStore();
  if (IniLoadFile(path.c_str()) == -1) {
    IniFreeFile();
    return false;
  }
  ApplySection(table, "IE", table.m_IE8);
  ApplySection(table, "NJYS", table.m_NJYS);
  ApplySection(table, "SDSS", table.m_SDSS);
  ApplySection(table, "WHJL", table.m_WHJL);
  ApplySection(table, "YSB", table.m_YSB);
  ChooseHidPackage(table);
  IniFreeFile();
  return true;
}

bool DownloadFile(const std::wstring& remoteUrl, const std::wstring& localPath) {
  return FetchFile(remoteUrl, localPath, nullptr);
}

bool DownloadManifest(const PackageTable& table) {
  if (!table.m_ManifestKey.m_bOn) return DownloadFile(table.m_strManifestUrl, table.m_strManifestPath);
  return DownloadSignedManifest(table.m_ManifestKey, OS().WideToAnsi(table.m_strManifestUrl),
                                OS().WideToAnsi(table.m_strManifestPath));
}

bool PackageFileMatches(const PackageRecord& record) {
  return FileMatchesDigests(OS().WideToAnsi(record.m_strLocalPath), record);
}

bool EnsurePackage(const PackageRecord& record) {
  if (PackageFileMatches(record)) return true;
  return FetchFile(record.m_strRemoteUrl, record.m_strLocalPath, &record);
}

bool GetVersionData(char* buffer, std::size_t capacity) { return GetVersionData(VersionDataUrl(), buffer, capacity); }

bool GetVersionData(const std::wstring& url, char* buffer, std::size_t capacity) {
  CDownFile request;
  return request.HttpGetToMemory(OS().WideToAnsi(url).c_str(), buffer, capacity) == kHttpOk;
}

}  // namespace lirra
