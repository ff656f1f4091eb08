// UTF-8 <-> UTF-16 for the wide-character API: every text comes through, and what is not valid
// becomes U+FFFD instead of vanishing.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/utf.h"

namespace {

using win32::Utf8ToWide;
using win32::WideToUtf8;

TEST(Utf, ValidTextsMakeTheRoundTrip) {
    struct Case {
        std::string utf8;
        std::wstring wide;
    };
    const Case cases[] = {
        {"", L""},
        {"Vimbrel Pulse Generator", L"Vimbrel Pulse Generator"},
        {"12,5", L"12,5"},
        {"Gr\xC3\xBC\xC3\x9F"
         "e",
         L"Gr\u00FC\u00DFe"},
        {"\xE6\x97\xA5\xE6\x9C\xAC", L"\u65E5\u672C"},
        {"\xF0\x9F\x94\x8A", L"\xD83D\xDD0A"},  // U+1F50A, a surrogate pair
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.utf8;
        EXPECT_EQ(WideToUtf8(c.wide), c.utf8) << c.utf8;
    }
}

TEST(Utf, InvalidInputBecomesTheReplacementCharacter) {
    EXPECT_EQ(Utf8ToWide("a\xFF"
                         "b"),
              L"a\uFFFDb");
    EXPECT_EQ(Utf8ToWide("\xC3"), L"\uFFFD");  // cut inside a character
    const wchar_t loneSurrogate[] = {L'a', 0xD800, L'b'};
    EXPECT_EQ(WideToUtf8(std::wstring_view(loneSurrogate, 3)),
              "a\xEF\xBF\xBD"
              "b");
}

}  // namespace
