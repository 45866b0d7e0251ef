// The one number rule of the dialog fields: what a text reads as, how a double becomes an
// integer, and that an untouched field keeps its original value.
#include "vlox/ui/dialog_fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(DialogFields, TextReadsAsItsLeadingFiniteNumberElseZero)
{
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"", 0.0},       {"abc", 0.0},   {"  12.5", 12.5}, {"-0.10", -0.10}, {"3abc", 3.0},
        {"1e3", 1000.0}, {"1e999", 0.0}, {"-1e999", 0.0},  {"nan", 0.0},     {"inf", 0.0},
        {"0x10", 0.0},   {".5", 0.5},    {"+7", 7.0},      {"1e", 1.0},      {"-", 0.0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(FieldNumber(std::string(c.text)), c.value) << c.text;
        EXPECT_DOUBLE_EQ(FieldNumber(NarrowToWide(std::string(c.text))), c.value) << c.text;
    }
    // A wide character whose low byte is a digit is not a digit.
    EXPECT_DOUBLE_EQ(FieldNumber(WideString{static_cast<WideChar>(0x0131), VLOX_WIDE('2')}), 0.0);
}

TEST(DialogFields, DoublesAreClampedBeforeBecomingIntegers)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double value;
        int32_t lo, hi, expected;
    } cases[] = {
        {0.0, 1, 999, 1},   {5000.0, 1, 999, 999}, {1e300, 1, 999, 999}, {-1e300, 1, 999, 1},
        {12.9, 1, 999, 12}, {-2.5, -10, 10, -2},   {nan, 1, 999, 1},     {3e9, INT32_MIN, INT32_MAX, INT32_MAX},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FieldInteger(c.value, c.lo, c.hi), c.expected) << c.value;
}

TEST(DialogFields, FormattingAndWidths)
{
    EXPECT_EQ(FieldText(0.375, 2), "0.38");
    EXPECT_EQ(FieldText(-0.1, 2), "-0.10");
    EXPECT_EQ(FieldText(1.0, 3), "1.000");
    EXPECT_EQ(FieldText(45.123456789, 8), "45.12345679");
    EXPECT_EQ(FieldCountText(250), NarrowToWide(std::string("250")));
    EXPECT_TRUE(FieldFitsWidth(12345.67, "%.2f", 8));
    EXPECT_FALSE(FieldFitsWidth(123456.78, "%.2f", 8));
}

TEST(DialogFields, UntouchedFieldKeepsItsOriginalDouble)
{
    const ShownNumber shown = ShowNumber(0.375, 2);
    EXPECT_EQ(shown.Text, NarrowToWide(std::string("0.38")));
    EXPECT_DOUBLE_EQ(KeptFieldNumber(shown, shown.Text), 0.375);
    EXPECT_DOUBLE_EQ(KeptFieldNumber(shown, NarrowToWide(std::string("0.38 "))), 0.38);
    EXPECT_DOUBLE_EQ(KeptFieldNumber(shown, NarrowToWide(std::string("x"))), 0.0);
}

}  // namespace
