// Golden records: every record kind byte for byte for chosen values, with the edge values
// that must never push a record past its 60 bytes.
#include "vlox/datafile/records.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Pads a record text to its 58 columns and ends it with CR LF.
std::string Rec(const std::string& text)
{
    std::string r = text;
    r.resize(58, ' ');
    return r + "\r\n";
}

void ExpectRecordShape(const std::string& r)
{
    ASSERT_EQ(r.size(), 60u);
    EXPECT_EQ(r.substr(58), "\r\n");
    EXPECT_EQ(r.find('\0'), std::string::npos);
}

LocalTime Dec7()
{
    LocalTime t;
    t.Year = 2026;
    t.Month = 12;
    t.Day = 7;
    t.Hour = 14;
    t.Minute = 5;
    t.Second = 9;
    t.Milliseconds = 42;
    return t;
}

const double Nan = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

}  // namespace

TEST(FieldFormatting, FixedFieldsKeepTheirWidthForEveryValue)
{
    struct Case {
        double value;
        int width, decimals;
        const char* text;
    } cases[] = {
        {100.0, 14, 3, "       100.000"},
        {-250.5, 14, 3, "      -250.500"},
        {-0.0, 14, 2, "         -0.00"},
        {99999999999.99, 14, 2, "99999999999.99"},  // 14 characters: full precision
        {-9999999999.99, 14, 2, "-9999999999.99"},
        {999999999999.99, 14, 2, "999999999999.9"},   // 15: last decimal cut
        {9999999999999.99, 14, 2, "9999999999999."},  // 16: both decimals cut
        {99999999999999.0, 14, 2, "9999999999999."},  // 17: the largest field
        {-99999999999999.0, 14, 2, "-999999999999."},
        {1e300, 14, 3, "9999999999999."},
        {-1e300, 14, 3, "-999999999999."},
        {1e300, 20, 9, "9999999999999999999."},
        {1e300, 8, 2, "9999999."},
        {-1e300, 13, 2, "-99999999999."},
        {Inf, 14, 2, "9999999999999."},
        {-Inf, 14, 2, "-999999999999."},
        {Nan, 14, 2, "           nan"},
        {Nan, 8, 2, "     nan"},
    };
    for (const Case& c : cases) {
        std::string f = FixedField(c.value, c.width, c.decimals);
        EXPECT_EQ(f, c.text) << c.value;
        EXPECT_EQ(f.size(), static_cast<size_t>(c.width)) << c.value;
    }
}

TEST(FieldFormatting, IntegerFieldsHoldToWhatTheirColumnsShow)
{
    EXPECT_EQ(IntField(7, 3), "  7");
    EXPECT_EQ(IntField(-7, 3), " -7");
    EXPECT_EQ(IntField(1000, 3), "999");
    EXPECT_EQ(IntField(-1000, 3), "-99");
    EXPECT_EQ(IntField(5, 1), "5");
    EXPECT_EQ(IntField(-5, 1), "0");
    EXPECT_EQ(IntField(12, 1), "9");
    EXPECT_EQ(IntField(3, 2, true), "03");
    EXPECT_EQ(IntField(12345, 4, true), "9999");
    EXPECT_EQ(IntField(INT32_MIN, 10), "-999999999");
    EXPECT_EQ(IntField(INT32_MAX, 10), "2147483647");
}

TEST(HeaderRecords, FileIdSurveyInfoAndStartPosition)
{
    std::string h1 = FileIdRecord(1, Dec7());
    ExpectRecordShape(h1);
    EXPECT_EQ(h1, Rec("H1V-LOX      V142  GPS 07122026 14:05:09"));
    EXPECT_EQ(FileIdRecord(0, Dec7()), Rec("H1V-LOX      V142  GRD 07122026 14:05:09"));

    std::string h2 = SurveyInfoRecord("Brem", 1, 0, 3, "20261207_000");
    ExpectRecordShape(h2);
    EXPECT_EQ(h2, Rec("H2Brem          1  0  3 20261207_000"));
    // Names too long are cut: 12 characters of the operator, 34 of the title.
    std::string longName = SurveyInfoRecord("ABCDEFGHIJKLMNOPQRST", 1, 0, 0, std::string(40, 'x'));
    ExpectRecordShape(longName);
    EXPECT_EQ(longName, Rec("H2ABCDEFGHIJKL  1  0  0 " + std::string(34, 'x')));
    // An empty name and title leave blanks; bytes above 0x7F are stored as they are.
    EXPECT_EQ(SurveyInfoRecord("", 0, 0, 0, ""), Rec("H2              0  0  0"));
    EXPECT_EQ(SurveyInfoRecord("J\xF6rg", 0, 0, 0, "\xE9t\xE9"), Rec("H2J\xF6rg          0  0  0 \xE9t\xE9"));

    std::string h3 = StartPositionRecord(500000.25, 4500000.5, 0);
    ExpectRecordShape(h3);
    EXPECT_EQ(h3, Rec("H3    500000.250000000    4500000.500000000  0"));
    std::string huge = StartPositionRecord(1e300, -1e300, 1);
    ExpectRecordShape(huge);
    EXPECT_EQ(huge, Rec("H39999999999999999999. -999999999999999999.  1"));
}

TEST(CommentRecords, PairCarries56CharactersEach)
{
    std::string text(100, 'a');
    text[0] = 'S';
    text[56] = 'T';
    auto pair = CommentRecords(3, text);
    ASSERT_EQ(pair.size(), 2u);
    ExpectRecordShape(pair[0]);
    ExpectRecordShape(pair[1]);
    EXPECT_EQ(pair[0], Rec("C3" + text.substr(0, 56)));
    EXPECT_EQ(pair[1], Rec("C4" + text.substr(56)));

    auto empty = CommentRecords(1, "");
    EXPECT_EQ(empty[0], Rec("C1"));
    EXPECT_EQ(empty[1], Rec("C2"));
    // A comment longer than 112 characters keeps its first 112.
    auto longer = CommentRecords(7, std::string(130, 'z'));
    EXPECT_EQ(longer[1], Rec("C8" + std::string(56, 'z')));
}

TEST(SurveyRecords, LineStationAndReading)
{
    ReadingParameters p;
    p.SurveyLine = 100.0;
    p.LineDirection = 2;
    p.StartStation = 0.0;
    p.LineSequence = 1;
    p.CurrentStation = 250.0;
    EXPECT_EQ(LineRecord(p), Rec("L1       100.000  2          0.000  1"));
    EXPECT_EQ(StationRecord(250.0), Rec("S1       250.000"));
    EXPECT_EQ(StationRecord(-12.5), Rec("S1       -12.500"));
    EXPECT_EQ(ReadingRecord(1, p), Rec("W1   1        250.000      00"));
    p.MeterInput = 1;
    EXPECT_EQ(ReadingRecord(12, p), Rec("W1  12        250.000      10"));

    // A line number of 1e300 stays in its columns.
    p.SurveyLine = 1e300;
    p.StartStation = -1e300;
    std::string huge = LineRecord(p);
    ExpectRecordShape(huge);
    EXPECT_EQ(huge, Rec("L19999999999999.  2 -999999999999.  1"));
    EXPECT_EQ(ReadingRecord(123456, p).substr(0, 6), "W19999");
}

TEST(SurveyRecords, TransmitterAndLoopsOfEveryShape)
{
    ReadingParameters p;
    p.TxCurrent = 10.5;
    p.TurnOffTimeUs = 35.25;
    p.TxLoopShape = 1;
    p.TxTurns = 2;
    p.TransmitterType = 3;
    EXPECT_EQ(TransmitterRecord(p), Rec("T1        10.500         35.250  1   2  3"));
    p.TxCurrent = 1e20;  // a huge current stays in columns 3-16
    EXPECT_EQ(TransmitterRecord(p), Rec("T19999999999999.         35.250  1   2  3"));

    p.TxLoopArea = 5000.0;
    p.TxCentreX = 10.0;
    p.TxCentreY = 20.0;
    auto rect = LoopRecords(p);
    ASSERT_EQ(rect.size(), 2u);
    EXPECT_EQ(rect[0], Rec("P1  1   4   1  17   0 " + std::string(22, ' ') + "      5000.000"));
    EXPECT_EQ(rect[1], Rec("P2        10.000        20.000       100.000        50.000"));

    p.TxLoopShape = 0;  // square: three fields, no P3
    auto square = LoopRecords(p);
    ASSERT_EQ(square.size(), 2u);
    EXPECT_EQ(square[1], Rec("P2        10.000        20.000       100.000"));

    p.TxLoopShape = 2;  // corners in metres
    auto corners = LoopRecords(p);
    ASSERT_EQ(corners.size(), 3u);
    EXPECT_EQ(corners[1], Rec("P2         0.000         0.000        50.000         0.000"));
    EXPECT_EQ(corners[2], Rec("P3        60.000        50.000       -10.000        50.000"));

    p.TxLoopShape = 3;  // GPS corners in geodetic degrees: eight decimals
    p.TxCornerCoordinateType = 0;
    p.TxCornerGpsX[0] = -75.5;
    p.TxCornerGpsY[0] = 45.12345678;
    auto gps = LoopRecords(p);
    ASSERT_EQ(gps.size(), 3u);
    EXPECT_EQ(gps[0].substr(0, 22), "P1  3   4   0  17   0 ");
    EXPECT_EQ(gps[1], Rec("P2  -75.50000000   45.12345678    1.00000000   -1.00000000"));
    EXPECT_EQ(gps[2], Rec("P3   -1.00000000   -1.00000000   -1.00000000    1.00000000"));
    p.TxCornerCoordinateType = 1;  // UTM metres: three decimals
    EXPECT_EQ(LoopRecords(p)[2], Rec("P3        -1.000        -1.000        -1.000         1.000"));
}

TEST(SurveyRecords, ReceiverRecords)
{
    ReadingParameters p;  // the defaults: 60 Hz, rate 2, 30 gates
    auto r = ReceiverRecords(p, 1234.5);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0], Rec("R1  1   2   0   1   0   5   0   5   5   5   1 0  0  30"));
    EXPECT_EQ(r[1], Rec("R2  0       0          0.000         10.000 0      1234.50"));

    p.GateSet = 2;
    p.UserGateCount = 100;
    p.SurveyMode = 1;
    p.AutoTriggerIndex = 10;
    p.InvertOn = 1;
    auto u = ReceiverRecords(p, -1e30);
    EXPECT_EQ(u[0], Rec("R1  1   2   0   1   0   5   0   5   5   5   2 1 10 100"));
    EXPECT_EQ(u[1], Rec("R2  0       0          0.000         10.000 1-99999999999."));
    p.GateSet = 0;
    EXPECT_EQ(ReceiverRecords(p, Nan)[1], Rec("R2  0       0          0.000         10.000 1          nan"));
    EXPECT_EQ(ReceiverGateCount(p), 20);
}

TEST(GateValueRecords, CountsAndNumbering)
{
    double gates[100];
    for (int g = 0; g < 100; ++g)
        gates[g] = (g + 1) * 1e-9;

    auto twenty = GateValueRecords(gates, 20);
    ASSERT_EQ(twenty.size(), 5u);
    EXPECT_EQ(twenty[0], Rec("V1          1.00          2.00          3.00          4.00"));
    EXPECT_EQ(twenty[4].substr(0, 2), "V5");

    auto thirty = GateValueRecords(gates, 30);
    ASSERT_EQ(thirty.size(), 8u);
    EXPECT_EQ(thirty[7], Rec("V8         29.00         30.00"));

    auto hundred = GateValueRecords(gates, 100);
    ASSERT_EQ(hundred.size(), 25u);
    EXPECT_EQ(hundred[8].substr(0, 2), "V9");
    EXPECT_EQ(hundred[9].substr(0, 2), "VA");
    EXPECT_EQ(hundred[24], Rec("VP         97.00         98.00         99.00        100.00"));
    for (const auto& r : hundred)
        ExpectRecordShape(r);

    EXPECT_TRUE(GateValueRecords(gates, 0).empty());
    EXPECT_EQ(GateValueRecords(gates, 1)[0], Rec("V1          1.00"));
}

TEST(GateValueRecords, ClampingOfWideValues)
{
    // 1.5e-3 V is 1500000 nV, right-aligned with two decimals.
    // 2.0e5 V gives an 18-character text: the largest field; its negative likewise.
    // 123.456789012345 V gives a 15-character text: its last decimal is cut.
    const double v[] = {1.5e-3, 2.0e5, -2.0e5, 123.456789012345, Nan, Inf, -Inf, -0.0};
    auto r = GateValueRecords(v, 8);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0], Rec("V1    1500000.009999999999999.-999999999999.123456789012.3"));
    EXPECT_EQ(r[1], Rec("V2           nan9999999999999.-999999999999.         -0.00"));
    // Full precision up to 14 characters either way.
    const double edge[] = {99999999999.99e-9, -9999999999.99e-9};
    EXPECT_EQ(GateValueRecords(edge, 2)[0], Rec("V199999999999.99-9999999999.99"));
}

TEST(ReadingRecords, MeterAndTimeStamp)
{
    MeterValues m;
    m.Valid = 1;
    m.Dipole = 'H';
    m.Value1 = 12.5;
    m.Value2 = -3.25;
    EXPECT_EQ(MeterRecord(m), Rec("U11H     12.50   -3.25"));
    m.Value1 = 1e9;
    m.Dipole = '\0';  // no dipole character yet: a blank, never a NUL in the file
    EXPECT_EQ(MeterRecord(m), Rec("U11   9999999.   -3.25"));

    EXPECT_EQ(TimeStampRecord(Dec7(), 123456), Rec("Z1 07122026 14:05:09.042     123456"));
    // The tick count as signed 32-bit: a wrapped counter stays in its ten columns.
    EXPECT_EQ(TimeStampRecord(Dec7(), INT32_MIN), Rec("Z1 07122026 14:05:09.042 -999999999"));
    EXPECT_EQ(TimeStampRecord(Dec7(), -5), Rec("Z1 07122026 14:05:09.042         -5"));
}

TEST(StoredText, ChunkingInto57CharacterRecords)
{
    std::string gga = "$GPGGA,101500,4530.000,N,07530.000,W,1,05,1.2,100.0,M,-34.0,M,,*7B";
    std::string s75 = gga + std::string(75 - gga.size(), 'x');
    auto r = StoredTextRecords(s75, 5000, '@', '#');
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0], Rec("@" + s75.substr(0, 57)));
    EXPECT_EQ(r[0].substr(1, 1), "$");
    EXPECT_EQ(r[0].substr(4, 3), "GGA");
    EXPECT_EQ(r[1], Rec("#" + s75.substr(57)));  // 18 characters and 39 blanks
    EXPECT_EQ(r[2], Rec("!" + std::string(47, ' ') + "      5000"));

    // ceil(L / 57) text records, at least one, then '!'.
    struct {
        size_t length;
        size_t records;
    } counts[] = {{0, 2}, {1, 2}, {56, 2}, {57, 2}, {58, 3}, {114, 3}, {115, 4}, {200, 5}};
    for (auto c : counts) {
        auto rs = StoredTextRecords(std::string(c.length, 'a'), 1, '@', '#');
        EXPECT_EQ(rs.size(), c.records) << c.length;
        for (size_t i = 1; i + 1 < rs.size(); ++i)
            EXPECT_EQ(rs[i][0], '#');
        for (const auto& x : rs)
            ExpectRecordShape(x);
    }

    auto placeholder = StoredTextRecords("GGA not avaiable", 77, '?', '"');
    ASSERT_EQ(placeholder.size(), 2u);
    EXPECT_EQ(placeholder[0], Rec("?GGA not avaiable"));
    EXPECT_EQ(placeholder[1], Rec("!" + std::string(47, ' ') + "        77"));
    EXPECT_EQ(StoredTextRecords("", INT32_MIN, '@', '#')[1].substr(48, 10), "-999999999");
}

TEST(StationIndex, LineOf33Bytes)
{
    std::string line = StationIndexLine(100.0, 250.0, 2);
    EXPECT_EQ(line, "       100.000        250.000 2\r\n");
    EXPECT_EQ(line.size(), 33u);
    EXPECT_EQ(StationIndexLine(-1e300, 1e300, 7), "-999999999999. 9999999999999. 7\r\n");
    EXPECT_EQ(StationIndexLine(0, 0, 12).size(), 33u);
}
