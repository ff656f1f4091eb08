// The main window's entry points use the platform's decimal separator.
#include "controls/numeric_entry.h"
#include "shell/generator_form.h"

namespace vpg {

float TfrmGenerator::IntlStrToFloat(const std::string& Str) const {
    return controls::IntlStrToFloat(Str, platform.decimalSeparator);
}

std::optional<float> TfrmGenerator::TryIntlStrToFloat(const std::string& Str) const {
    return controls::TryIntlStrToFloat(Str, platform.decimalSeparator);
}

std::string TfrmGenerator::Cleanup(const std::string& Input, float Minimum, float Maximum,
                                   float decimals, float Standard) const {
    return controls::Cleanup(Input, Minimum, Maximum, decimals, Standard,
                             platform.decimalSeparator);
}

std::string TfrmGenerator::FloatToStr(double value) const {
    return controls::FloatToStrGeneral(value, platform.decimalSeparator);
}

std::string TfrmGenerator::SingleToStr(float value) const {
    return controls::FloatToStrShortest(value, platform.decimalSeparator);
}

std::optional<float> TfrmGenerator::TryIntlStrToFloatOrInfinity(const std::string& Str) const {
    return controls::TryIntlStrToFloatOrInfinity(Str, platform.decimalSeparator);
}

}  // namespace vpg
