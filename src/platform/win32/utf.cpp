#include "platform/win32/utf.h"

#include <windows.h>

#include <limits>
#include <stdexcept>

namespace win32 {

namespace {

int CheckedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw std::length_error("text too long for a UTF-8/UTF-16 conversion");
    return static_cast<int>(size);
}

[[noreturn]] void ConversionFailed(const char* what) {
    throw std::runtime_error(std::string(what) + " failed, error " +
                             std::to_string(::GetLastError()));
}

}  // namespace

// Flags 0: Windows replaces what is not UTF-8 (or not UTF-16) by U+FFFD instead of failing or
// dropping it, so the result always says that something was wrong where it was.
std::wstring Utf8ToWide(std::string_view text) {
    if (text.empty()) return {};
    const int length = CheckedLength(text.size());
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    if (units <= 0) ConversionFailed("MultiByteToWideChar");
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    if (::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), units) != units)
        ConversionFailed("MultiByteToWideChar");
    return wide;
}

std::string WideToUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = CheckedLength(text.size());
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) ConversionFailed("WideCharToMultiByte");
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    if (::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), bytes, nullptr,
                              nullptr) != bytes)
        ConversionFailed("WideCharToMultiByte");
    return utf8;
}

}  // namespace win32
