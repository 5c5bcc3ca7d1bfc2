// Letter case of ASCII alone: INI names, hex digests and device names are bytes of the ANSI
// code page, whose other letters are never folded.
#pragma once

#include <cstddef>
#include <string_view>

namespace lirra {

inline char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Same length, same bytes once A to Z are folded.
inline bool EqualsFoldingAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

}  // namespace lirra
