// A fresh folder per test, removed with its contents afterwards, and small file helpers.
#pragma once

#include <string>
#include <vector>

namespace lirra::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() joined with a name by the platform's separator.
  std::string File(const std::string& name) const;

 private:
  std::string path_;
};

// Whole-file helpers in binary mode; ReadFile returns "<missing>" when the file can't be opened.
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
// The names in a folder, sorted.
std::vector<std::string> Listing(const std::string& folder);

}  // namespace lirra::test
