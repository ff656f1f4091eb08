#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/rounding.h"

namespace controls {

// Raised when a field's text is not a number.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a number typed with either a comma or a period as the decimal separator, as a 32-bit
// float. Grammar: blanks, an optional sign, digits with at most one separator, an optional
// exponent, blanks. A value that does not fit a 32-bit float is not a number.
float IntlStrToFloat(std::string_view Str, char decimalSeparator);
std::optional<float> TryIntlStrToFloat(std::string_view Str, char decimalSeparator);

// The same, but a well-formed number too large for a 32-bit float reads as an infinity of its
// sign, so that a rule can bound it instead of treating it as unreadable.
std::optional<float> TryIntlStrToFloatOrInfinity(std::string_view Str, char decimalSeparator);

// A whole number: decimal digits with an optional sign, nothing else, within 32 bits.
std::optional<std::int32_t> ReadWholeNumber(std::string_view text);

// A plain decimal number with a period as the only separator (the slider's end fields).
std::optional<float> ReadPeriodDecimal(std::string_view text);

// The general number format used for every number the program writes into a field: at most
// 15 significant digits, no trailing zeros, fixed notation from 0.00001 up to 15 integer digits.
std::string FloatToStrGeneral(double value, char decimalSeparator);

// A single-precision value in the general format, with the fewest digits that read back as
// the same float: 0.1f gives "0.1", not "0.100000001490116".
std::string FloatToStrShortest(float value, char decimalSeparator);

// A field's exit rule: read, bound (upper bound first), round to `decimals` places with ties
// to even, write back in the general format; an unreadable text becomes `Standard`.
std::string Cleanup(std::string_view Input, float Minimum, float Maximum, float decimals,
                    float Standard, char decimalSeparator);

// The fields round by the program's one rule.
using base::RoundHalfEven;
using base::RoundToInt32;
using base::RoundToInt64;

}  // namespace controls
