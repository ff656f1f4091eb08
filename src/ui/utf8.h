#pragma once

#include <cstddef>
#include <string_view>

namespace ui {

// Length of the longest prefix of `text` that fits `maxBytes` bytes without cutting a UTF-8
// sequence in two.
inline std::size_t Utf8PrefixLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text.size();
    std::size_t n = maxBytes;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return n;
}

}  // namespace ui
