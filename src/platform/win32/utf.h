#pragma once

// UTF-8 (the program's texts) to UTF-16 (the wide-character Windows API) and back.

#include <string>
#include <string_view>

namespace win32 {

// Invalid input never disappears: a byte sequence that is not UTF-8, or a lone surrogate, comes
// out as U+FFFD. Throws std::length_error for a text longer than the API can take (over 2^31 - 1
// units) and std::runtime_error if Windows refuses the conversion for another reason.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

}  // namespace win32
