// A transcript of what a worker does, in one list, and the idle process every scripted
// process list starts with. Shared by the tests of the start-up and install workers.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/utf8.h"

namespace lirra::test {

using Lines = std::vector<std::string>;

inline const ProcessEntry kIdle{0, L"[System Process]"};

// Everything the worker does, in one list, with the test folder written as <dir>.
class Transcript {
 public:
  void SetDir(const std::wstring& dir) { dir_ = WideToUtf8(dir); }
  void Add(const std::string& kind, const std::wstring& text) {
    lines.push_back(text.empty() ? kind : kind + " " + Normalize(text));
  }
  // Records a question and gives the user's next scripted answer.
  bool Ask(std::deque<bool>& answers, const std::wstring& question) {
    Add("ask", question);
    if (answers.empty()) {
      ADD_FAILURE() << "a question nobody expected";
      return false;
    }
    bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  Lines lines;

 private:
  std::string Normalize(const std::wstring& text) const {
    std::string out = WideToUtf8(text);
    for (size_t at; !dir_.empty() && (at = out.find(dir_)) != std::string::npos;) out.replace(at, dir_.size(), "<dir>");
    return out;
  }
  std::string dir_;
};

// A path under the test folder, with this platform's separator.
inline std::string Local(const std::string& relative) {
  std::string out = "<dir>";
  for (char c : "/" + relative) out += c == '/' ? static_cast<char>(kPathSep) : c;
  return out;
}

}  // namespace lirra::test
