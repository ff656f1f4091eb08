#include "controls/numeric_entry.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace controls {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Checks the grammar and returns the text as the C library spells it ('.' as separator,
// no blanks, no '+'), or nothing when the text is not a number.
std::optional<std::string> normalise(std::string_view s, char separator) {
    std::size_t i = 0, n = s.size();
    while (i < n && s[i] == ' ') ++i;
    while (n > i && s[n - 1] == ' ') --n;
    std::string out;
    out.reserve(n - i);
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') out += '-';
        ++i;
    }
    std::size_t digits = 0;
    bool seenSeparator = false;
    for (; i < n; ++i) {
        const char c = s[i];
        if (isDigit(c)) {
            out += c;
            ++digits;
        } else if (c == separator && !seenSeparator) {
            seenSeparator = true;
            out += '.';
        } else {
            break;
        }
    }
    if (digits == 0) return std::nullopt;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        out += 'e';
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-')) out += s[i++];
        std::size_t expDigits = 0;
        for (; i < n && isDigit(s[i]); ++i, ++expDigits) out += s[i];
        if (expDigits == 0) return std::nullopt;
    }
    if (i != n) return std::nullopt;
    return out;
}

// The power of ten of a normalised number's leading digit (negative for magnitudes below 1),
// for texts too long or too extreme for a double.
long long decimalOrder(const std::string& text) {
    std::size_t i = text[0] == '-' ? 1 : 0;
    long long order = -1;
    bool leading = true, afterPoint = false;
    long long fracZeros = 0;
    for (; i < text.size() && text[i] != 'e'; ++i) {
        if (text[i] == '.') {
            afterPoint = true;
        } else if (leading && text[i] == '0') {
            if (afterPoint) ++fracZeros;
        } else if (leading) {
            leading = false;
            order = afterPoint ? -(fracZeros + 1) : 0;
        } else if (!afterPoint) {
            ++order;
        }
    }
    if (leading) return -1;  // all zeros
    long long exponent = 0;
    if (i < text.size()) {
        bool negative = false;
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '-' || text[j] == '+')) negative = text[j++] == '-';
        for (; j < text.size(); ++j)
            exponent = std::min(exponent * 10 + (text[j] - '0'), 1000000000LL);
        if (negative) exponent = -exponent;
    }
    return order + exponent;
}

// Digits and the power of ten of the first one, laid out as the general format writes them.
std::string layoutGeneral(bool negative, const std::string& digits, int exponent,
                          bool atLeastSmallest, char decimalSeparator);

// A number in scientific notation ("-1.2500e+02"), laid out as the general format writes it,
// without the trailing zeros of its digits.
std::string layoutScientific(const std::string& s, bool atLeastSmallest, char decimalSeparator) {
    const auto ePos = s.find('e');
    const int exponent = std::stoi(s.substr(ePos + 1));
    const bool negative = s[0] == '-';
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < ePos; ++i)
        if (isDigit(s[i])) digits += s[i];
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    return layoutGeneral(negative, digits, exponent, atLeastSmallest, decimalSeparator);
}

std::optional<float> parseNormalised(const std::string& text) {
    float value = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range) {
        // Distinguish an underflow (a tiny value, which reads as zero or a subnormal) from an
        // overflow, which does not fit and so is not a number.
        double wide = 0;
        auto [p2, ec2] = std::from_chars(first, last, wide);
        if (ec2 == std::errc() && std::fabs(wide) < 1.0) return static_cast<float>(wide);
        if (ec2 == std::errc::result_out_of_range && decimalOrder(text) < 0)
            return text[0] == '-' ? -0.0f : 0.0f;
        return std::nullopt;
    }
    if (ec != std::errc() || ptr != last || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

namespace {

// Both habits are accepted: every comma and period becomes the locale's separator.
std::optional<std::string> normaliseEither(std::string_view Str, char decimalSeparator) {
    std::string text(Str);
    for (char& c : text)
        if (c == ',' || c == '.') c = decimalSeparator;
    return normalise(text, decimalSeparator);
}

}  // namespace

std::optional<float> TryIntlStrToFloat(std::string_view Str, char decimalSeparator) {
    const auto normalised = normaliseEither(Str, decimalSeparator);
    if (!normalised) return std::nullopt;
    return parseNormalised(*normalised);
}

std::optional<float> TryIntlStrToFloatOrInfinity(std::string_view Str, char decimalSeparator) {
    if (auto v = TryIntlStrToFloat(Str, decimalSeparator)) return v;
    const auto normalised = normaliseEither(Str, decimalSeparator);
    // Well-formed but not read: it overflows (an underflow reads as zero).
    if (!normalised) return std::nullopt;
    constexpr float inf = std::numeric_limits<float>::infinity();
    return (*normalised)[0] == '-' ? -inf : inf;
}

float IntlStrToFloat(std::string_view Str, char decimalSeparator) {
    if (auto v = TryIntlStrToFloat(Str, decimalSeparator)) return *v;
    throw EConvertError("'" + std::string(Str.substr(0, 64)) +
                        "' is not a valid floating point value");
}

std::optional<std::int32_t> ReadWholeNumber(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (!isDigit(text[i])) return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<float> ReadPeriodDecimal(std::string_view text) {
    const auto normalised = normalise(text, '.');
    if (!normalised) return std::nullopt;
    // Trailing blanks are not part of this field's grammar.
    if (!text.empty() && text.back() == ' ') return std::nullopt;
    return parseNormalised(*normalised);
}

std::string FloatToStrGeneral(double value, char decimalSeparator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (value == 0) return "0";
    // 15 significant digits, then decide the notation from the rounded value.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    return layoutScientific(buf, std::fabs(value) >= 0.00001, decimalSeparator);
}

std::string FloatToStrShortest(float value, char decimalSeparator) {
    if (!std::isfinite(value) || value == 0) return FloatToStrGeneral(value, decimalSeparator);
    // The shortest digits that read back as the same float, in scientific notation.
    char buf[40];
    const auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    if (ec != std::errc()) return FloatToStrGeneral(value, decimalSeparator);
    return layoutScientific(std::string(buf, end), std::fabs(value) >= 0.00001f, decimalSeparator);
}

namespace {

std::string layoutGeneral(bool negative, const std::string& digits, int exponent,
                          bool atLeastSmallest, char decimalSeparator) {
    std::string out = negative ? "-" : "";
    const bool fixed = atLeastSmallest && exponent < 15;
    if (fixed) {
        if (exponent < 0) {
            out += '0';
            out += decimalSeparator;
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out += digits;
        } else {
            const auto intDigits = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= intDigits) {
                out += digits;
                out.append(intDigits - digits.size(), '0');
            } else {
                out += digits.substr(0, intDigits);
                out += decimalSeparator;
                out += digits.substr(intDigits);
            }
        }
    } else {
        out += digits[0];
        if (digits.size() > 1) {
            out += decimalSeparator;
            out += digits.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
    }
    return out;
}

}  // namespace

std::string Cleanup(std::string_view Input, float Minimum, float Maximum, float decimals,
                    float Standard, char decimalSeparator) {
    // A number too large for a float is bounded like any other: 1e300 s is the longest.
    float value = TryIntlStrToFloatOrInfinity(Input, decimalSeparator).value_or(Standard);
    if (value > Maximum) value = Maximum;
    if (!(value >= Minimum)) value = Minimum;
    const long double scale = std::pow(10.0L, static_cast<long double>(decimals));
    // A scaled value beyond the 64-bit range is clamped to the bound rather than refused.
    const std::int64_t n = RoundToInt64(static_cast<long double>(value) * scale);
    const long double result = static_cast<long double>(n) / scale;
    return FloatToStrGeneral(static_cast<double>(result), decimalSeparator);
}

}  // namespace controls
