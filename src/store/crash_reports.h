// Crash reports: what an unhandled fault leaves in the "crash" folder beside the client, a
// minidump and an excerpt of the support log under one name, lirra-YYYYMMDD-HHMMSS (local
// time), with "-2", "-3", ... when that second already has a report. Only the newest few are
// kept. The rules here are portable; writing the dump is the Windows layer's (store/win32).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace lirra {

inline constexpr wchar_t kCrashFolderName[] = L"crash";
inline constexpr char kCrashDumpExtension[] = ".dmp";
inline constexpr char kCrashLogExtension[] = ".log";
inline constexpr std::size_t kCrashReportsKept = 5;
inline constexpr std::size_t kCrashLogLines = 50;
// The highest suffix tried for one second; a report beyond it is not written.
inline constexpr int kCrashSequenceLimit = 99;

struct CrashStamp {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// "lirra-20240501-093012" for the first report of that second, "lirra-20240501-093012-2" for the
// second, and so on.
std::string CrashReportName(const CrashStamp& stamp, int sequence);

// One report as found in the folder: its name and which of its two files exist.
struct CrashReportFiles {
  std::string name;
  std::string dump;  // file name, empty when missing
  std::string log;   // file name, empty when missing
};

// The reports among `fileNames` (a folder's plain files), newest first; names that are not a
// report's are left out.
std::vector<CrashReportFiles> FindCrashReports(const std::vector<std::string>& fileNames);

// The files of every report but the newest `keep`; nothing else in the folder is ever named.
std::vector<std::string> CrashFilesToPrune(const std::vector<std::string>& fileNames, std::size_t keep);

// The excerpt file's text: the given heading lines, a blank line, then the last
// kCrashLogLines lines of the support log at `supportLogPath` (with its older copy when the
// current file holds fewer). CRLF line ends.
std::string CrashLogExcerpt(const std::vector<std::string>& heading, const std::string& supportLogPath);

}  // namespace lirra
