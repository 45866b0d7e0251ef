#include "converters/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace converters;

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

struct MaskCase {
    const char* Mask;
    double Value;
    const char* Expected;
};

// Every mask the writers use, with the examples the formats give and their edges.
TEST(NumberMask, RendersEveryMaskOfTheWriters)
{
    const MaskCase cases[] = {
        // Gate number of the TXT table: three wide, blank-filled; a wider number widens.
        {"* #", 7, "  7"},
        {"* #", 12, " 12"},
        {"* #", 100, "100"},
        {"* #", 1234, "1234"},
        // Gate time of the TXT table.
        {"* #####0.000", 6.813, "       6.813"},
        {"* #####0.000", 0, "       0.000"},
        {"* #####0.000", 123456789.5, "123456789.500"},
        // Responses: sign of the exponent always, its digits without leading zeros.
        {"0.00000E+##", 0.0000123457, "1.23457E-5"},
        {"0.00000E+##", 2, "2.00000E+0"},
        {"0.00000E+##", -1234.5, "-1.23450E+3"},
        {"0.00000E+##", 9.999996e-5, "1.00000E-4"},
        {"0.00000E+##", 0, "0.00000E+0"},
        {"0.0000E+##", 1e-5, "1.0000E-5"},
        // Forced decimals round and keep their zeros; exact ties go to even.
        {"####0.00", 0.5, "0.50"},
        {"####0.00", -3.14159, "-3.14"},
        {"####0.00", -0.001, "0.00"},
        {"#######0.00", 5.125, "5.12"},
        {"#######0.00", 5.375, "5.38"},
        {"########0.000", 4982950.4, "4982950.400"},
        {"####0.000000000", -123.185333333, "-123.185333333"},
        {"####0.0000000000", 49.2741666666667, "49.2741666667"},
        // Optional places: no zero before the point, trailing zeros and a bare point dropped,
        // a value rounding to zero still written as "0".
        {"###", 6, "6"},
        {"###", 0, "0"},
        {"####.##", 12.5, "12.5"},
        {"####.##", 0.25, ".25"},
        {"####.##", 12, "12"},
        {"####.##", 0.004, "0"},
        {"##.#####", 14.0519444444, "14.05194"},
        {"########.###", 500000, "500000"},
        {"#####.##", -0.5, "-.5"},
        // Every place from the first forced one on is forced.
        {"0#", 1, "01"},
        {"0#", 0, "00"},
        // First-gate times moved by a receiver delay, in their 8-character fields.
        {"* .#####", 0.00781, "  .00781"},
        {"* #.####", 0.0886, "   .0886"},
        {"* ##.###", 8.8136, "   8.814"},
        {"* ####.#", 0.94, "      .9"},
        // Values beyond the digits a double holds, and values that are no numbers.
        {"#######0.000", 1e20, "1E+20"},
        {"#######0.000", -2.5e300, "-2.5E+300"},
        {"* #", NaN, "nan"},
        {"0.00000E+##", Inf, "inf"},
        {"####0.00", -Inf, "-inf"},
    };
    for (const MaskCase& c : cases)
        EXPECT_EQ(FormatNumberMask(c.Value, c.Mask), c.Expected) << c.Mask << " of " << c.Value;
}

TEST(NumberText, FifteenDigitsLeadingBlankNoZeroBeforeThePoint)
{
    const MaskCase cases[] = {
        {"", 0.5, " .5"},
        {"", -0.25, "-.25"},
        {"", 0, " 0"},
        {"", -0.0, " 0"},
        {"", 1234567.125, " 1234567.125"},
        {"", 0.0001, " .0001"},
        {"", 1.234e-5, " 1.234E-05"},
        {"", 1e20, " 1E+20"},
        {"", 123456789012345678.0, " 1.23456789012346E+17"},
        {"", NaN, " nan"},
        {"", -Inf, "-inf"},
    };
    for (const MaskCase& c : cases)
        EXPECT_EQ(NumberText(c.Value), c.Expected) << c.Value;
    EXPECT_EQ(DecimalText(0.5), ".5");
    EXPECT_EQ(DecimalText(-12.75), "-12.75");
}

TEST(FitNumberText, CutsDecimalsButNeverTheExponentOrTheMagnitude)
{
    // Mended: an exponent text cut to 7 characters once lost its exponent digits.
    EXPECT_EQ(FitNumberText(1.234e-5, 7), "1.2E-05");
    EXPECT_EQ(FitNumberText(-1.234e-5, 7), "-1E-05");
    EXPECT_EQ(FitNumberText(1.5e20, 7), "1.5E+20");
    // Plain texts keep their first characters, as the format always had them.
    EXPECT_EQ(FitNumberText(123.456789, 7), "123.456");
    EXPECT_EQ(FitNumberText(1234567.8, 7), "1234567");
    EXPECT_EQ(FitNumberText(-0.000123456, 7), "-.00012");
    EXPECT_EQ(FitNumberText(42, 7), "42");
    // Mended: an integer part wider than the field switches to exponent form instead of
    // keeping its first digits (12345678 is not 1234567).
    EXPECT_EQ(FitNumberText(12345678.9, 7), "1.2E+07");
    EXPECT_EQ(FitNumberText(-1234567.8, 7), "-1E+06");
}

TEST(FieldText, TrimPadAndLz5Fields)
{
    const struct {
        const char* Text;
        int32_t Width;
        const char* Expected;
    } trims[] = {
        {"1200.000", 8, "1200"},
        {"12.500", 8, "12.5"},
        {"0.000", 8, "0"},
        {"1.5E+10", 8, "1.5E+10"},
        {"12.345", 4, "12.3"},
        {"-0.125", 4, "-0.1"},
        {".5", 1, "0"},
        {"12.5", 3, "12"},
        // Mended: a text wider than its field kept its rightmost characters (10012.5 became
        // 12.5, 100 became 00); decimals go first and no digit before the point is ever cut.
        {"12345.5", 4, "12345"},
        {"100", 2, "100"},
        {"-100.500", 4, "-100"},
    };
    for (const auto& t : trims) {
        std::string text = t.Text;
        EXPECT_EQ(TrimNumberText(text, t.Width), t.Expected) << t.Text;
        EXPECT_EQ(text, t.Expected) << "the argument is changed to the result";
    }
    EXPECT_EQ(PadNumberText("12S", 5), "  12S");
    EXPECT_EQ(PadNumberText("", 3), "   ");
    EXPECT_EQ(PadNumberText("123456", 4), "3456");
    EXPECT_EQ(FormatLz5Field(7, 4), "0007");
    EXPECT_EQ(FormatLz5Field(12, 5), "00012");
    EXPECT_EQ(FormatLz5Field(9999, 4), "9999");
    EXPECT_EQ(FormatLz5Field(3, 6), "zzzz");
}

TEST(FieldNumbers, ReadLikeTheFileReaderAndNeverGiveNonFiniteValues)
{
    const struct {
        const char* Field;
        double Expected;
    } numbers[] = {
        {"       12.500", 12.5},
        {"abc", 0},
        {"", 0},
        {"-3", -3},
        {"1e3x", 1000},
        {"1e", 1},
        {"nan", 0},
        {"inf", 0},
        {"1e999", 0},
        {"+.5", 0.5},
        {".", 0},
        {"12,5", 12},
        {"  -0.5E-2", -0.005},
        {"- 5", 0},
        {"7.", 7},
    };
    for (const auto& n : numbers)
        EXPECT_EQ(NumberOfField(n.Field), n.Expected) << '"' << n.Field << '"';

    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.51), 3);
    EXPECT_EQ(RoundHalfEven(NaN), 0);
    EXPECT_EQ(RoundHalfEven(1e12), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RoundHalfEven(-1e12), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(IntegerOfField("  2.5"), 2);
}

}  // namespace
