// UTF-8 and wide-string conversion for the portable code (wchar_t is UTF-16 or UTF-32).
#pragma once

#include <string>

namespace lirra {

std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);

}  // namespace lirra
