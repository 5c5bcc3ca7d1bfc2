// Makes a file refuse writes for real, so a check that a refused write harms nothing always
// meets a refusal. The file is made read-only; natively the checks then run as an ordinary user
// (AsOrdinaryUser), and under Wine, whose root writes read-only files, the file is also held
// open for reading only, which refuses every writer in the prefix.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace lirra::test {

inline void MakeFileReadOnly(const std::string& path) {
#ifdef _WIN32
  ASSERT_EQ(chmod(path.c_str(), S_IREAD), 0);
#else
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
#endif
}

inline bool OpensForWriting(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) return false;
  std::fclose(f);
  return true;
}

// Holds the file (Windows only) while alive; readers may still open it.
class WriteRefusal {
 public:
  explicit WriteRefusal(const std::string& path) : path_(path) {
#ifdef _WIN32
    std::wstring wide(path.begin(), path.end());  // temp paths here are ASCII
    hold_ = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
#endif
  }
  ~WriteRefusal() {
#ifdef _WIN32
    if (hold_ != INVALID_HANDLE_VALUE) CloseHandle(hold_);
#endif
  }
  WriteRefusal(const WriteRefusal&) = delete;
  WriteRefusal& operator=(const WriteRefusal&) = delete;

  // Fails the test when a writer could still open the file: the checks would prove nothing.
  void ExpectReal() const { ASSERT_FALSE(OpensForWriting(path_)) << path_ << " still opens for writing"; }

 private:
  std::string path_;
#ifdef _WIN32
  HANDLE hold_ = INVALID_HANDLE_VALUE;
#endif
};

// Fails the test when files can still be created in the folder.
inline void ExpectFolderRefusesNewFiles(const std::string& folder) {
  std::string probe = folder + "/probe";
  std::FILE* f = std::fopen(probe.c_str(), "wb");
  bool created = f != nullptr;
  if (created) {
    std::fclose(f);
    std::remove(probe.c_str());
  }
  ASSERT_FALSE(created) << "a file could still be created in " << folder;
}

}  // namespace lirra::test
