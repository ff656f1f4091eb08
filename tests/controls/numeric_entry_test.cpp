// Reading, bounding and writing back the numbers typed into the fields.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "controls/numeric_entry.h"
#include "support/headless_program.h"

namespace {

using namespace controls;

constexpr float kInf = std::numeric_limits<float>::infinity();

struct ReadCase {
    const char* text;
    bool isNumber;
    float value;
};

// Both separators read in both locales.
class IntlStrToFloatTest : public ::testing::TestWithParam<char> {};

TEST_P(IntlStrToFloatTest, ReadsEitherSeparatorAndRefusesWhatIsNotANumber) {
    const char sep = GetParam();
    const ReadCase cases[] = {
        {"100", true, 100.0f},  {"1.5", true, 1.5f},
        {"1,5", true, 1.5f},    {" 2.5e3 ", true, 2500.0f},
        {"-7.5", true, -7.5f},  {"+3", true, 3.0f},
        {".5", true, 0.5f},     {"5.", true, 5.0f},
        {"1E-3", true, 0.001f}, {"1234.567891", true, 1234.56787109375f},
        {"1e-60", true, 0.0f},  // underflows to zero: it still fits
        {"1,000.5", false, 0},  // thousands separator: two decimal separators
        {"1.000,5", false, 0},  {"", false, 0},
        {"   ", false, 0},      {"-", false, 0},
        {"+", false, 0},        {".", false, 0},
        {",", false, 0},        {"abc", false, 0},
        {"12abc", false, 0},    {"1e", false, 0},
        {"1e+", false, 0},      {"nan", false, 0},
        {"inf", false, 0},      {"1e39", false, 0},  // does not fit a 32-bit float
        {"1e999", false, 0},    {"-1e999", false, 0},
        {"0x10", false, 0},     {"1 000", false, 0},
        {"\t5", false, 0},
    };
    for (const ReadCase& c : cases) {
        const auto v = TryIntlStrToFloat(c.text, sep);
        ASSERT_EQ(v.has_value(), c.isNumber) << '"' << c.text << "\" sep " << sep;
        if (c.isNumber) {
            EXPECT_EQ(*v, c.value) << c.text;
            EXPECT_EQ(IntlStrToFloat(c.text, sep), c.value);
        } else {
            EXPECT_THROW(IntlStrToFloat(c.text, sep), EConvertError) << c.text;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Locales, IntlStrToFloatTest, ::testing::Values('.', ','));

TEST(IntlStrToFloat, SurvivesHugeTexts) {
    const std::string longDigits(10000, '7');
    EXPECT_FALSE(TryIntlStrToFloat(longDigits, '.'));  // 7.7e9999 does not fit
    const std::string longFraction = "0." + std::string(9997, '0') + "1";
    EXPECT_EQ(TryIntlStrToFloat(longFraction, '.'), 0.0f);
    const std::string junk(10000, ',');
    EXPECT_FALSE(TryIntlStrToFloat(junk, ','));
    const std::string spaces(10000, ' ');
    EXPECT_FALSE(TryIntlStrToFloat(spaces, '.'));
}

TEST(FloatToStrGeneral, WritesTheShortestTextUpToFifteenDigits) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {100, "100"},
        {0.1, "0.1"},
        {-20, "-20"},
        {0.02, "0.02"},
        {-0.66, "-0.66"},
        {2, "2"},
        {1234.56787, "1234.56787"},
        {static_cast<double>(0.1f), "0.100000001490116"},
        {static_cast<double>(203 * 0.1f), "20.3000011444092"},
        {static_cast<double>(105.946311950684f), "105.946311950684"},
        {0.00001, "0.00001"},
        {0.000001, "1E-6"},
        {-0.0000025, "-2.5E-6"},
        {123456789012345.0, "123456789012345"},
        {1234567890123456.0, "1.23456789012346E15"},
        {999999999999999.9, "1E15"},
        {0, "0"},
        {-0.0, "0"},
        {22050, "22050"},
        {5512, "5512"},
    };
    for (const auto& c : cases) EXPECT_EQ(FloatToStrGeneral(c.value, '.'), c.text) << c.value;
    EXPECT_EQ(FloatToStrGeneral(0.5, ','), "0,5");
    EXPECT_EQ(FloatToStrGeneral(2.5e-6, ','), "2,5E-6");
}

TEST(Cleanup, BoundsRoundsAndRewritesFieldTexts) {
    struct Case {
        const char* input;
        float min, max, decimals, standard;
        const char* expected;
    } cases[] = {
        // Frequency fields at 44100 Hz.
        {"abc", 0.1f, 22050, 5, 1000, "1000"},
        {"30000", 0.1f, 22050, 5, 1000, "22050"},
        {"0", 0.1f, 22050, 5, 1000, "0.1"},
        {"-3", 0.1f, 22050, 5, 1000, "0.1"},
        {"1234.567891", 0.1f, 22050, 5, 1000, "1234.56787"},
        {"440", 0.1f, 22050, 5, 1000, "440"},
        // Level fields.
        {"", -100, 0, 0, 0, "0"},
        {"12,5", -100, 0, 0, 0, "0"},
        {"12.5", -100, 0, 0, 0, "0"},
        {"-6.5", -100, 0, 0, 0, "-6"},
        {"-7.5", -100, 0, 0, 0, "-8"},
        {"-20.5", -100, 0, 0, 0, "-20"},
        {"-250", -100, 0, 0, 0, "-100"},
        // Minimum above Maximum: the minimum wins.
        {"3", 5, 2, 0, 0, "5"},
        {"abc", 5, 2, 0, 0, "5"},
        {"-100", 5, 2, 0, 0, "5"},
        // Duration: no upper bound, four decimals.
        {"2.5", 0.1f, kInf, 4, 1, "2.5"},
        {"0.05", 0.1f, kInf, 4, 1, "0.1"},
        {"nan", 0.1f, kInf, 4, 1, "1"},
        {"1e38", 0.1f, kInf, 4, 1, "922337203685478"},  // scaled value clamped to 64 bits
        {"2.5", 0, 10, 0, 0, "2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Cleanup(c.input, c.min, c.max, c.decimals, c.standard, '.'), c.expected)
            << '"' << c.input << '"';
    EXPECT_EQ(Cleanup("1.5", -100, 100, 1, 0, ','), "1,5");
}

TEST(DurationField, OnLeavingItIsAtLeastATenthOfASecondWithFourDecimals) {
    const struct {
        const char* typed;
        const char* text;
        std::int32_t samples;  // at 44100 Hz, without Loop
    } cases[] = {
        {"0.1", "0.1", 4410},
        {"0.09", "0.1", 4410},  // just below the minimum
        {"0.0999", "0.1", 4410},
        {"0", "0.1", 4410},
        {"-5", "0.1", 4410},
        {"0.10004", "0.1", 4410},
        {"0.10005", "0.1001", 4414},
        {"abc", "1", 44100},
        {"", "1", 44100},
        {"7,25", "7.25", 319725},
        {"48000", "48000", 2116800000},
        // Beyond 2147483647 samples: the longest signal at 44100 Hz, as the field shows it
        // (the 32-bit 48695.7734 s is 2147483609 samples).
        {"48700", "48695.7734", 2147483609},
        {"1e14", "48695.7734", 2147483609},
        {"1e30", "48695.7734", 2147483609},
        {"1e300", "48695.7734", 2147483609},
        {"48695.7", "48695.6992", 2147480336},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        testing_support::HeadlessProgram p;
        p.startAt44100();
        p.gen().Loop.setChecked(false);
        p.typeAndLeave(p.gen().Duration, c.typed);
        EXPECT_EQ(p.gen().Duration.Text(), c.text);
        EXPECT_EQ(p.gen().Parameters.TotalSamples, c.samples);
    }
}

TEST(ShortestSingle, TheFewestDigitsThatReadBackAsTheSameFloat) {
    const std::pair<float, const char*> cases[] = {
        {0.1f, "0.1"},
        {20.3f, "20.3"},
        {203 * 0.1f, "20.300001"},  // the 32-bit product is not the float nearest 20.3
        {603.990356445312f, "603.99036"},
        {1234.567891f, "1234.5679"},
        {100.0f, "100"},
        {-0.5f, "-0.5"},
        {123456789.0f, "123456790"},
        {1e20f, "1E20"},
        {0.000001f, "1E-6"},
        {0.00001f, "0.00001"},
        {0.0f, "0"},
        {std::nextafter(22050.0f, 0.0f), "22049.998"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(controls::FloatToStrShortest(value, '.'), text) << value;
        // And it reads back as the same float.
        EXPECT_EQ(controls::IntlStrToFloat(controls::FloatToStrShortest(value, ','), ','), value);
    }
}

TEST(ReadingWithInfinity, ANumberTooLargeForAFloatIsAnInfinityOfItsSign) {
    const auto inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(controls::TryIntlStrToFloatOrInfinity("1e39", '.'), inf);
    EXPECT_EQ(controls::TryIntlStrToFloatOrInfinity("-1e300", '.'), -inf);
    EXPECT_EQ(controls::TryIntlStrToFloatOrInfinity(std::string(100, '9'), '.'), inf);
    EXPECT_EQ(controls::TryIntlStrToFloatOrInfinity("2,5", '.'), 2.5f);
    EXPECT_EQ(controls::TryIntlStrToFloatOrInfinity("1e-300", '.'), 0.0f);
    for (const char* text : {"inf", "nan", "-inf", "abc", "", "1e"})
        EXPECT_FALSE(controls::TryIntlStrToFloatOrInfinity(text, '.')) << text;
}

TEST(WholeNumbers, OnlyDigitsWithAnOptionalSign) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> value;
    } cases[] = {{"-6", -6},
                 {"20", 20},
                 {"+3", 3},
                 {"0", 0},
                 {"-2147483648", INT32_MIN},
                 {"2147483647", INT32_MAX},
                 {"2147483648", {}},
                 {"-6.5", {}},
                 {"", {}},
                 {"-", {}},
                 {" 5", {}},
                 {"1e2", {}}};
    for (const auto& c : cases) EXPECT_EQ(ReadWholeNumber(c.text), c.value) << c.text;
}

TEST(PeriodDecimal, RefusesTheComma) {
    EXPECT_EQ(ReadPeriodDecimal("2.5"), 2.5f);
    EXPECT_EQ(ReadPeriodDecimal(" 20"), 20.0f);
    EXPECT_FALSE(ReadPeriodDecimal("2,5"));
    EXPECT_FALSE(ReadPeriodDecimal("abc"));
    EXPECT_FALSE(ReadPeriodDecimal(""));
}

}  // namespace
