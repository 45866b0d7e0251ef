// The one number rule of the dialog fields: what a text reads as, how a double becomes an
// integer, that an untouched field keeps its original value, and how a refused field is
// named.
#include "vlox/ui/dialog_fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Mended: a field read the number at the front of its text and 0 for the rest, so "2OO" was
// a 2 m loop side and "three" a current of 0 (then 1 A), stored without a word. Only a whole
// text, blanks around it aside, is a number now; the OK refuses any other.
TEST(DialogFields, TextIsANumberOnlyAsAWhole)
{
    const FieldRead N = FieldRead::Number, X = FieldRead::NotANumber, R = FieldRead::OutOfRange;
    const struct {
        const char* text;
        FieldRead read;
        double value;
    } cases[] = {
        {"  12.5 ", N, 12.5}, {"-0.10", N, -0.10}, {"1e3", N, 1000.0}, {".5", N, 0.5},  {"+7", N, 7.0},
        {"5.", N, 5.0},       {"\t3\t", N, 3.0},   {"1E-2", N, 0.01},  {"2OO", X, 0.0}, {"1O0", X, 0.0},
        {"abc", X, 0.0},      {"x5", X, 0.0},      {"3abc", X, 0.0},   {"1,5", X, 0.0}, {"1 5", X, 0.0},
        {"", X, 0.0},         {"   ", X, 0.0},     {"-", X, 0.0},      {".", X, 0.0},   {"1e", X, 0.0},
        {"1e+", X, 0.0},      {"0x10", X, 0.0},    {"nan", X, 0.0},    {"inf", X, 0.0}, {"--1", X, 0.0},
        {"1e999", R, 0.0},    {"-1e999", R, 0.0},
    };
    for (const auto& c : cases) {
        double narrow = -99.0, wide = -99.0;
        EXPECT_EQ(ReadFieldNumber(std::string(c.text), narrow), c.read) << c.text;
        EXPECT_EQ(ReadFieldNumber(NarrowToWide(std::string(c.text)), wide), c.read) << c.text;
        // The value is written only for a number.
        const double want = c.read == N ? c.value : -99.0;
        EXPECT_DOUBLE_EQ(narrow, want) << c.text;
        EXPECT_DOUBLE_EQ(wide, want) << c.text;
    }
    // A wide character whose low byte is a digit is not a digit.
    double v = 0.0;
    EXPECT_EQ(ReadFieldNumber(WideString{static_cast<WideChar>(0x0131), VLOX_WIDE('2')}, v), X);
    EXPECT_EQ(ReadFieldNumber(WideString{VLOX_WIDE('1'), static_cast<WideChar>(0x0130)}, v), X);
    EXPECT_TRUE(FieldTextEmpty(NarrowToWide(std::string(" \t "))));
    EXPECT_FALSE(FieldTextEmpty(NarrowToWide(std::string(" 0 "))));
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
    double v = 0.0;
    EXPECT_EQ(ReadKeptFieldNumber(shown, shown.Text, v), FieldRead::Number);
    EXPECT_DOUBLE_EQ(v, 0.375);
    EXPECT_EQ(ReadKeptFieldNumber(shown, NarrowToWide(std::string("0.38 ")), v), FieldRead::Number);
    EXPECT_DOUBLE_EQ(v, 0.38);
    EXPECT_EQ(ReadKeptFieldNumber(shown, NarrowToWide(std::string("x")), v), FieldRead::NotANumber);
    EXPECT_DOUBLE_EQ(v, 0.38);
}

// A refused field is named by its label; a refused configuration line by the field that
// lands on it, or by its number when none of the dialog's does.
TEST(DialogFields, RefusalsNameTheField)
{
    const DialogField fields[] = {{101, "Map Size", 491}, {102, "Grid Interval", 492}};
    FieldRefusal r = RefusalOfLine(fields, 492);
    EXPECT_EQ(r.Id, 102);
    EXPECT_EQ(WideToNarrow(FieldRefusalText(r)), "Grid Interval: Value out of range. Press OK and correct");
    EXPECT_EQ(RefusalOfLine(fields, 0).Kind, FieldRefusalKind::None);
    EXPECT_TRUE(FieldRefusalText(RefusalOfLine(fields, 0)).empty());
    r = RefusalOfLine(fields, 18, FieldRefusalKind::TooWide);
    EXPECT_EQ(r.Id, 0);
    EXPECT_EQ(WideToNarrow(FieldRefusalText(r)),
              "Setting line 18: Value too large for the data file. Press OK and correct");
    r.Kind = FieldRefusalKind::NotANumber;
    r.Name = "Tx Current [A]";
    r.Text = NarrowToWide(std::string("three"));
    EXPECT_EQ(WideToNarrow(FieldRefusalText(r)), "Tx Current [A]: \"three\" is not a number. Press OK and correct");
    r.Why = "Geodetic corners must lie within -180..180 (X) and -90..90 (Y) degrees";
    EXPECT_EQ(WideToNarrow(FieldRefusalText(r)),
              "Tx Current [A]: Geodetic corners must lie within -180..180 (X) and -90..90 (Y) degrees");
}

}  // namespace
