#include "config_test_util.h"

#include "vlox/settings/config_stream.h"
#include "vlox/settings/rate_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

// Every setting away from its default, in values that "%f" keeps exactly, and consistent
// with the loader's own corrections (so that they come back unchanged).
SettingsValues Changed()
{
    SettingsValues s;
    s.DataDirectory = VLOX_WIDE("D:\\Survey\\2024\\");
    s.ReviewDirectory = VLOX_WIDE("E:\\Review\\");
    s.OperatorName = VLOX_WIDE("J. Smith");
    s.PowerLineFrequency = 0;
    s.SelectedComponent = 2;
    s.RepRateIndex = 4;
    s.AveragingTimeIndex = 7;
    s.UserGateCount = 17;
    s.FirstGateTimeUs = 12.5;
    s.GateSet = 2;
    s.GainX = 1;
    s.GainY = 2;
    s.GainZ = 6;
    s.TimeAxisMinMs = 0.01;
    s.TimeAxisMaxMs = 100.0;
    s.AmplitudeAxisMin = -10.0;
    s.AmplitudeAxisMax = 1000.0;
    s.TimeAxisLabels = 1;
    s.TimeAxisMinorGrid = 1;
    s.DisplayUnit = 4;
    s.AmplitudeAxisMinorGrid = 0;
    s.TimeAxisAutoScale = 1;
    s.AmplitudeAxisAutoScale = 1;
    s.GraphView = 1;
    s.SurveyLine = 1200.5;
    s.LineIncrement = -50.0;
    s.LineDirection = 3;
    s.LineSequence = 1;
    s.StartStation = -250.25;
    s.StationIncrement = 12.5;
    s.SystemConfiguration = 2;
    s.CoilType = 9;
    s.RecordCountIndex = 5;
    s.ProcessingMethod = 1;
    s.OnTimeMeasurement = 1;
    s.TwoFrequencyMode = 0;
    s.FirstRepetitionChoice = 11;
    s.SecondRepetitionChoice = 3;
    s.FirstRepetitionGain = 0;
    s.SecondRepetitionGain = 6;
    s.TransmitterType = 3;
    s.ReservedTypeCode = 4;
    s.SurveyMode = 1;
    s.AutoTriggerIndex = 9;
    s.TxLoopShape = 3;
    s.TxLoopSideX = 400.0;
    s.TxLoopSideY = 300.0;
    s.TxCentreX = 10.5;
    s.TxCentreY = -20.75;
    for (int i = 0; i < CornerCount; ++i) {
        s.TxCornerX[i] = 100.0 * i + 0.5;
        s.TxCornerY[i] = -30.0 * i;
    }
    s.TxCornerCoordinateType = 0;
    s.TxCornerUtmZone = 33;
    s.TxCornerHemisphere = 1;
    const double gpsX[CornerCount] = {-123.12345678, -122.5, 179.99999999, -180.0};
    const double gpsY[CornerCount] = {49.87654321, 48.25, -89.99999999, 90.0};
    for (int i = 0; i < CornerCount; ++i) {
        s.TxCornerGpsX[i] = gpsX[i];
        s.TxCornerGpsY[i] = gpsY[i];
    }
    s.ReceiverDelayUs = 3.25;
    s.TxCurrent = 18.5;
    s.TxTurns = 4;
    s.TurnOffTimeUs = 25.0;
    s.LinearSectionMin = -5.0;
    s.LinearSectionMax = 5.0;
    for (int i = 0; i < MaxGateCount; ++i) {
        s.ProfileGateVisible[i] = i % 2;
        s.NumbersGateVisible[i] = (i / 3) % 2;
    }
    for (int i = 0; i < CurveCount; ++i) {
        s.LineWidths[i] = i % 5;
        s.LineColours[i] = 0x010203 * (i + 1);
    }
    s.GpsInput = 1;
    s.GpsNmeaData = 1;
    s.GpsComPort = 35;
    s.GpsBaudRate = 5;
    s.GpsParity = 2;
    s.GpsDataBits = 0;
    s.GpsStopBits = 1;
    s.GpsCoordinateDisplay = 3;
    s.GpsMapType = 2;
    s.MapSize = 250.0;
    s.MapGridInterval = 25.0;
    s.MapZoomStepIndex = 8;
    s.MapPanStepIndex = 0;
    s.MapBackground = 2;
    s.MapShowReferencePoint = 0;
    s.MeterInput = 1;
    s.MeterModel = 0;
    s.MeterComPort = 7;
    return s;
}

}  // namespace

TEST(ConfigFile, DefaultFileLayout)
{
    const std::string file = DefaultFile();
    size_t rest = 0;
    auto lines = FirstLines(file, 1 + SettingLineCount, &rest);
    ASSERT_EQ(lines.size(), 499u);
    EXPECT_EQ(lines[0], "V1.42");
    EXPECT_EQ(lines[1], "C:\\Vlox_Data\\");
    EXPECT_EQ(lines[2], "C:\\Vlox_Data\\");
    EXPECT_EQ(lines[3], "Brem");
    EXPECT_EQ(lines[4], "1");           // PowerLineFrequency
    EXPECT_EQ(lines[6], "2");           // RepRateIndex
    EXPECT_EQ(lines[8], "40");          // UserGateCount
    EXPECT_EQ(lines[9], "10.000000");   // FirstGateTimeUs
    EXPECT_EQ(lines[10], "1");          // GateSet
    EXPECT_EQ(lines[14], "0.005000");   // TimeAxisMinMs
    EXPECT_EQ(lines[45], "1");          // TxLoopShape
    EXPECT_EQ(lines[54], "60.000000");  // TxCornerX[2]
    EXPECT_EQ(lines[58], "1");          // TxCornerCoordinateType
    EXPECT_EQ(lines[59], "17");         // TxCornerUtmZone
    EXPECT_EQ(lines[61], "1.000");      // TxCornerGpsX[0], UTM metres: three decimals
    EXPECT_EQ(lines[63], "1.000");      // TxCornerGpsX[1]
    EXPECT_EQ(lines[64], "-1.000");     // TxCornerGpsY[1]
    EXPECT_EQ(lines[70], "3.000000");   // TxCurrent
    EXPECT_EQ(lines[71], "1");          // TxTurns
    EXPECT_EQ(lines[75], "1");          // ProfileGateVisible[0]
    EXPECT_EQ(lines[275], "1");         // LineWidths[0]
    EXPECT_EQ(lines[279], "3");         // LineWidths[4]
    EXPECT_EQ(lines[378], "255");       // LineColours[0]: 0000FF
    EXPECT_EQ(lines[379], "65280");     // LineColours[1]: 00FF00
    EXPECT_EQ(lines[409], "16711680");  // LineColours[31]: FF0000
    EXPECT_EQ(lines[412], "255");       // LineColours[34]
    EXPECT_EQ(lines[414], "65280");     // LineColours[36]: C[1]
    EXPECT_EQ(lines[480], "16711680");  // LineColours[102]
    EXPECT_EQ(lines[481], "0");         // GpsInput
    EXPECT_EQ(lines[483], "4");         // GpsComPort
    EXPECT_EQ(lines[490], "5.000000");  // MapSize
    EXPECT_EQ(lines[498], "0");         // MeterComPort
    // Then the null tables: two flag lines with 609 records each, and the user-gates block
    // of 7 headers with 10 records each for 40 gates.
    EXPECT_EQ(file.substr(rest, 16), " 0 0 0 0 0 0 0\r\n");
    const size_t standard = 16 + 609 * 60;
    EXPECT_EQ(file.substr(rest + standard, 16), " 0 0 0 0 0 0 0\r\n");
    EXPECT_EQ(file.substr(rest + 2 * standard, 2), "U0");
    EXPECT_EQ(file.size(), rest + 2 * standard + 7 * 11 * 60);
}

TEST(ConfigFile, DefaultFileLoadsBackToTheDefaultsAndTheirDerivedValues)
{
    LoadOutcome o = LoadBytes(DefaultFile());
    ASSERT_EQ(o.Result, 1);
    EXPECT_EQ(o.D.ConfigInvalid, 0);
    EXPECT_TRUE(o.S == SettingsValues{});
    EXPECT_EQ(o.Nulls->UserGatesNullingPresent, 0);
    EXPECT_EQ(o.Nulls->UserGatesNullingHeader, UserGatesHeader{});

    // The program-wide initial values are those the defaults derive to, so a first start
    // without a file (nothing read) runs on the same values as a start from the default file.
    SettingsDerived initial = CaptureDerivedValues();
    initial.PixelsPerMetre = o.D.PixelsPerMetre;  // the map pane sets these later
    initial.PreviousPixelsPerMetre = o.D.PreviousPixelsPerMetre;
    EXPECT_TRUE(initial == o.D);
}

TEST(ConfigFile, SaveThenLoadKeepsEverySetting)
{
    const SettingsValues s = Changed();
    auto nulls = std::make_unique<NullTableValues>();
    for (int m = 0; m < 2; ++m)
        for (int slot = 0; slot < NullSlotCount; ++slot)
            for (int g = 0; g < GainCodeCount; ++g)
                for (int i = 0; i < MaxGateCount; ++i)
                    nulls->NullingTables[m][slot][g][i] = ((m * 7 + slot * 13 + g * 5 + i) % 97 - 48) * 1.25e-6;
    nulls->UserGatesNullingHeader = {0, 4, 17, 12.5};
    for (int g = 0; g < GainCodeCount; ++g)
        for (int i = 0; i < 17; ++i)
            nulls->UserGatesNullTable[g][i] = (g - 3) * 1e-3 + i * 1e-7;
    std::string file = ComposeConfigurationFile(s, *nulls, NoRatesNulled(), FixedTime());

    LoadOutcome o = LoadBytes(file);
    ASSERT_EQ(o.Result, 1);
    EXPECT_EQ(o.D.ConfigInvalid, 0);
    EXPECT_TRUE(o.S == s);
    // Null values come back to the hundredth of a nanovolt.
    for (int m = 0; m < 2; ++m)
        for (int slot = 0; slot < NullSlotCount; ++slot)
            for (int g = 0; g < GainCodeCount; ++g) {
                const int gates = slot < RepRateCount ? 20 : 30;
                for (int i = 0; i < gates; ++i)
                    ASSERT_NEAR(o.Nulls->NullingTables[m][slot][g][i], nulls->NullingTables[m][slot][g][i], 1e-17);
            }
    EXPECT_EQ(o.Nulls->UserGatesNullingHeader, nulls->UserGatesNullingHeader);
    for (int g = 0; g < GainCodeCount; ++g)
        for (int i = 0; i < 17; ++i)
            ASSERT_NEAR(o.Nulls->UserGatesNullTable[g][i], nulls->UserGatesNullTable[g][i], 1e-17);
    EXPECT_EQ(o.Nulls->UserGatesNullingPresent, 1);
    // Same mains, rate, gate count and first gate time: the user-gates table applies.
    EXPECT_EQ(o.D.UserGatesNullingValid, 1);
}

// Mended: a file whose lines end in LF alone (as a Unix editor saves it) lost the last
// character of every line and was replaced by the defaults; so was one that an editor opened
// with a UTF-8 byte-order mark. Both load with every value now, null tables included, and so
// does one whose records an editor cut the trailing blanks of.
TEST(ConfigFileFault, EditorLineEndsAndByteOrderMarkLoadEveryValue)
{
    const SettingsValues s = Changed();
    auto nulls = std::make_unique<NullTableValues>();
    nulls->NullingTables[1][9][6][29] = -2.5e-6;
    nulls->NullingTables[0][0][0][0] = 1.25e-6;
    nulls->UserGatesNullingHeader = {0, 4, 17, 12.5};
    nulls->UserGatesNullTable[6][16] = 3e-4;
    const std::string crlf = ComposeConfigurationFile(s, *nulls, NoRatesNulled(), FixedTime());
    auto withLf = [](std::string t, bool cutBlanks) {
        std::string out;
        size_t at = 0;
        for (size_t end; (end = t.find("\r\n", at)) != std::string::npos; at = end + 2) {
            std::string line = t.substr(at, end - at);
            while (cutBlanks && !line.empty() && line.back() == ' ')
                line.pop_back();
            out += line + "\n";
        }
        return out;
    };
    const std::string bom = "\xEF\xBB\xBF";
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"LF", withLf(crlf, false)},
        {"LF, blanks cut", withLf(crlf, true)},
        {"BOM, CR LF", bom + crlf},
        {"BOM, LF", bom + withLf(crlf, false)},
    };
    for (const auto& c : cases) {
        LoadOutcome o = LoadBytes(c.bytes);
        ASSERT_EQ(o.Result, 1) << c.name;
        EXPECT_EQ(o.D.ConfigInvalid, 0) << c.name;
        EXPECT_EQ(RefusedConfigurationLine(c.bytes, {}), 0) << c.name;
        EXPECT_TRUE(o.S == s) << c.name;
        EXPECT_DOUBLE_EQ(o.Nulls->NullingTables[1][9][6][29], -2.5e-6) << c.name;
        EXPECT_DOUBLE_EQ(o.Nulls->NullingTables[0][0][0][0], 1.25e-6) << c.name;
        EXPECT_EQ(o.Nulls->UserGatesNullingHeader, nulls->UserGatesNullingHeader) << c.name;
        EXPECT_DOUBLE_EQ(o.Nulls->UserGatesNullTable[6][16], 3e-4) << c.name;
    }
    // A record line longer than a record is still refused, not cut.
    size_t settingsEnd = 0;
    FirstLines(crlf, 500, &settingsEnd);
    std::string longRecord = crlf;
    longRecord.insert(settingsEnd + 58, "0");
    EXPECT_EQ(LoadBytes(longRecord).D.ConfigInvalid, 1);
}

// The line the loader refuses is the one a save names and a dialog maps to its field.
TEST(ConfigFile, RefusedLineIsTheFirstBadValue)
{
    const std::string file = DefaultFile();
    size_t settingsEnd = 0;
    FirstLines(file, 499, &settingsEnd);
    const struct {
        const char* name;
        std::string bytes;
        int32_t line;
    } cases[] = {
        {"clean", file, 0},
        {"another version", "V1.41" + file.substr(5), 1},
        {"empty file", "", 1},
        {"rate index 7, then a bad mains", WithLine(WithLine(file, 7, "7"), 9, "0"), 7},
        {"map size under its floor", WithLine(file, 491, "0.005000"), 491},
        {"geodetic corner out of range, reading goes on", WithLine(WithLine(file, 59, "0"), 66, "200.0"), 66},
        {"turn-off below the limit",
         WithLine(WithLine(WithLine(WithLine(file, 7, "0"), 11, "0"), 42, "3"), 73, "-900.0"), TurnOffCheckLine},
        {"null tables cut inside a record", file.substr(0, settingsEnd + 16 + 3 * 60 + 4), 504},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RefusedConfigurationLine(c.bytes, {}), c.line) << c.name;

    // The settings alone, as a save would write them.
    SettingsValues s;
    EXPECT_EQ(RefusedSettingLine(s), 0);
    s.MapSize = 0.005;
    EXPECT_EQ(RefusedSettingLine(s), 491);
    SettingsValues kept;
    EXPECT_EQ(AcceptLoadableSettings(kept, s), 491);
    EXPECT_TRUE(kept == SettingsValues{});
    s.MapSize = 0.01;
    EXPECT_EQ(AcceptLoadableSettings(kept, s), 0);
    EXPECT_EQ(kept.MapSize, 0.01);
}

TEST(ConfigFile, GeodeticCornersCarryEightDecimals)
{
    SettingsValues s;
    s.TxCornerCoordinateType = 0;
    s.TxCornerGpsX[0] = -79.123456789;
    auto lines = FirstLines(ComposeFor(s), 70);
    EXPECT_EQ(lines[61], "-79.12345679");
    EXPECT_EQ(lines[62], "1.00000000");
    EXPECT_EQ(lines[69], "0.000000");  // line 70 is a plain double again
    s.TxCornerCoordinateType = 2;
    lines = FirstLines(ComposeFor(s), 70);
    EXPECT_EQ(lines[61], "-79.123");
}

struct BadLine {
    int line;
    const char* text;
};

// Each line's check: a value outside what the line accepts marks the file corrupt.
TEST(ConfigFile, BadValuesMarkTheFileCorrupt)
{
    const BadLine cases[] = {
        {5, "2"},
        {6, "3"},
        {7, "7"},
        {7, "-1"},
        {8, "9"},
        {9, "0"},
        {9, "101"},
        {10, "-0.5"},
        {11, "3"},
        {12, "7"},
        {14, "-1"},
        {15, "0"},
        {15, "-1"},
        {19, "2"},
        {21, "6"},
        {25, "2"},
        {28, "4"},
        {32, "4"},
        {33, "11"},
        {34, "100"},
        {38, "12"},
        {42, "5"},
        {43, "5"},
        {45, "11"},
        {46, "4"},
        {59, "4"},
        {60, "0"},
        {60, "61"},
        {61, "2"},
        {76, "2"},
        {175, "-1"},
        {176, "2"},
        {276, "5"},
        {378, "-1"},
        {482, "3"},
        {483, "1"},
        {484, "36"},
        {485, "6"},
        {486, "3"},
        {487, "2"},
        {488, "2"},
        {489, "4"},
        {490, "3"},
        {493, "9"},
        {494, "-1"},
        {495, "3"},
        {496, "2"},
        {497, "2"},
        {498, "1"},
        {499, "36"},
        // Beyond 32 bits: held at the limit, never wrapped round to an accepted value.
        {7, "4294967298"},
        {9, "-4294967256"},
        // Values that later arithmetic divides by or takes the logarithm of, and numbers
        // that are not finite.
        {491, "0"},
        {491, "-5"},
        {491, "nan"},
        // Below the floor: a subnormal size gives an infinite map scale.
        {491, "1e-310"},
        {491, "0.009"},
        {16, "0.005"},
        {16, "0.001"},
        {18, "0"},
        {18, "-3"},
        {26, "inf"},
        {47, "-inf"},
        {73, "nan"},
        {70, "1e400"},
        // A number whose "%f" line would not fit the line buffer on the next save.
        {27, "1e300"},
    };
    const std::string file = DefaultFile();
    for (const BadLine& c : cases) {
        LoadOutcome o = LoadBytes(WithLine(file, c.line, c.text));
        EXPECT_EQ(o.Result, 1);
        EXPECT_EQ(o.D.ConfigInvalid, 1) << "line " << c.line << " \"" << c.text << "\"";
    }
}

TEST(ConfigFile, EdgeValuesThatLoad)
{
    std::string file = DefaultFile();
    file = WithLine(file, 276, "4");     // LineWidths[0]
    file = WithLine(file, 489, "3");     // GpsCoordinateDisplay
    file = WithLine(file, 482, "1");     // GpsInput external ...
    file = WithLine(file, 483, "1");     // ... allows GGA only
    file = WithLine(file, 72, "0");      // TxTurns 0 loads as 1
    file = WithLine(file, 71, "-2.5");   // TxCurrent: its absolute value
    file = WithLine(file, 4, "");        // empty operator name
    file = WithLine(file, 10, "0");      // FirstGateTimeUs 0 is accepted
    file = WithLine(file, 7, "  3xyz");  // leading blanks, trailing text ignored
    file = WithLine(file, 17, "abc");    // no digits: 0
    file = WithLine(file, 491, "0.01");  // the smallest map size
    LoadOutcome o = LoadBytes(file);
    ASSERT_EQ(o.D.ConfigInvalid, 0);
    EXPECT_EQ(o.S.LineWidths[0], 4);
    EXPECT_EQ(o.S.GpsCoordinateDisplay, 3);
    EXPECT_EQ(o.S.GpsNmeaData, 1);
    EXPECT_EQ(o.S.TxTurns, 1);
    EXPECT_EQ(o.S.TxCurrent, 2.5);
    EXPECT_DOUBLE_EQ(o.D.TxAmpereTurns, 2.5);
    EXPECT_TRUE(o.S.OperatorName.empty());
    EXPECT_EQ(o.S.FirstGateTimeUs, 0.0);
    EXPECT_EQ(o.S.RepRateIndex, 3);
    EXPECT_EQ(o.S.AmplitudeAxisMin, 0.0);
    EXPECT_EQ(o.S.MapSize, MinimumMapSize);
}

// Pins the mend: doubles are read by the decimal rule, as the integers are, so hexadecimal
// text reads as its leading 0 ("0x10" loaded as 16). The words that name infinity or NaN
// still come back non-finite, so that the loader refuses them.
TEST(ConfigFile, DoublesAreReadByTheDecimalRule)
{
    const std::pair<const char*, double> cases[] = {{"0x10", 0.0}, {" -0X1p4", 0.0}, {"  12.5xyz", 12.5}, {"-.5", -0.5},
                                                    {"5.", 5.0},   {"1e3", 1000.0},  {"2E-2", 0.02},      {"1e", 1.0},
                                                    {"3e+x", 3.0}, {"+7", 7.0},      {"abc", 0.0},        {"", 0.0},
                                                    {".", 0.0},    {"-", 0.0},       {"e5", 0.0}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParseConfigDouble(text), value) << "\"" << text << "\"";
    EXPECT_TRUE(std::isinf(ParseConfigDouble("inf")));
    EXPECT_TRUE(std::isinf(ParseConfigDouble(" -Infinity")));
    EXPECT_TRUE(std::isnan(ParseConfigDouble("nan")));
    EXPECT_TRUE(std::isinf(ParseConfigDouble("1e400")));
    // The fixed fields of the null tables go by the same rule.
    EXPECT_EQ(ParseFieldDouble("          0x10", 14), 0.0);
    EXPECT_EQ(ParseFieldDouble("     -12.50x99", 14), -12.5);

    LoadOutcome o = LoadBytes(WithLine(DefaultFile(), 17, "0x10"));
    EXPECT_EQ(o.D.ConfigInvalid, 0);
    EXPECT_EQ(o.S.AmplitudeAxisMin, 0.0);
    // As the maximum it reads 0, which is a bad value there.
    EXPECT_EQ(LoadBytes(WithLine(DefaultFile(), 18, "0x10")).D.ConfigInvalid, 1);
}

TEST(ConfigFile, ReadingStopsAtTheFirstBadValue)
{
    std::string file = DefaultFile();
    file = WithLine(file, 5, "0");  // read: 50 Hz
    file = WithLine(file, 6, "1");  // read
    file = WithLine(file, 7, "7");  // bad
    file = WithLine(file, 8, "0");  // never read
    LoadOutcome o = LoadBytes(file);
    EXPECT_EQ(o.D.ConfigInvalid, 1);
    EXPECT_EQ(o.S.PowerLineFrequency, 0);
    EXPECT_EQ(o.S.SelectedComponent, 1);
    EXPECT_EQ(o.S.AveragingTimeIndex, 5);
    EXPECT_EQ(o.D.ActiveQuarterPeriod[0], 1053.0);  // derived after line 5
    EXPECT_EQ(o.D.RepetitionRate, 0.0);             // line 8 never reached
}

// Mended: the bad value used to stay in the setting until the splash closed, so the screen
// was built with, for example, rate index 7 indexing seven-entry tables. The bad value is
// not taken; the setting keeps the value it had.
TEST(ConfigFileFault, BadValueIsNotTaken)
{
    LoadOutcome o = LoadBytes(WithLine(DefaultFile(), 7, "7"));
    EXPECT_EQ(o.D.ConfigInvalid, 1);
    EXPECT_EQ(o.S.RepRateIndex, 2);
    o = LoadBytes(WithLine(DefaultFile(), 491, "0"));
    EXPECT_EQ(o.D.ConfigInvalid, 1);
    EXPECT_EQ(o.S.MapSize, 5.0);
}

TEST(ConfigFile, CornerAndTurnOffChecksLetTheReadingGoOn)
{
    std::string file = DefaultFile();
    file = WithLine(file, 59, "0");      // geodetic corners ...
    file = WithLine(file, 63, "-90.5");  // ... Y1 = -90.5 is outside -90..90
    file = WithLine(file, 499, "9");
    LoadOutcome o = LoadBytes(file);
    EXPECT_EQ(o.D.ConfigInvalid, 1);
    EXPECT_EQ(o.S.MeterComPort, 9);  // later lines were read
    // With UTM corners the same number is fine.
    o = LoadBytes(WithLine(DefaultFile(), 63, "-90.5"));
    EXPECT_EQ(o.D.ConfigInvalid, 0);
    EXPECT_EQ(o.S.TxCornerGpsY[0], -90.5);
    o = LoadBytes(WithLine(WithLine(DefaultFile(), 59, "0"), 62, "180.0"));
    EXPECT_EQ(o.D.ConfigInvalid, 0);

    // Turn-off delay below the limit of rate index 0 (-875 us).
    file = DefaultFile();
    file = WithLine(file, 7, "0");
    file = WithLine(file, 11, "0");
    file = WithLine(file, 42, "3");  // TXC1: no transmitter delay
    file = WithLine(file, 73, "-900.0");
    file = WithLine(file, 499, "9");
    o = LoadBytes(file);
    EXPECT_EQ(o.D.ConfigInvalid, 1);
    EXPECT_EQ(o.D.GateSampleOffset, 0);
    EXPECT_DOUBLE_EQ(o.D.TotalTurnOffDelay, -901.2);
    EXPECT_EQ(o.S.MeterComPort, 9);
}

// Mended: any first line but "V1.42" counted as another version, so an empty file, a garbled
// one, one saved as UTF-16 or with CR-only line ends was replaced by the defaults without a
// word (GPS input off among them). Only "V" and a version number is another version; any
// other first line is a damaged file, refused at line 1 as a bad value is.
TEST(ConfigFile, OtherVersionsAreNotRead)
{
    const std::string file = DefaultFile();
    std::string utf16 = "\xFF\xFE";
    for (char c : file.substr(0, 200))
        utf16 += std::string(1, c) + '\0';
    std::string crOnly;
    for (char c : file)
        if (c != '\n')
            crOnly += c;
    const struct {
        const char* name;
        std::string bytes;
        int32_t result, invalid, line;
    } cases[] = {
        {"another version", "V1.41" + file.substr(5), 0, 0, 1},
        {"a version without a point", "V2\r\n1\r\n", 0, 0, 1},
        {"a blank after the version", "V1.42 " + file.substr(5), 1, 1, 1},
        // Longer than a version line: damage, not an overrun.
        {"a long first line", "V1.42V1.42V1.42" + file.substr(5), 1, 1, 1},
        {"empty file", "", 1, 1, 1},
        {"zeros", std::string(3000, '\0'), 1, 1, 1},
        {"garbage", "#!garbage\r\n" + file.substr(7), 1, 1, 1},
        {"UTF-16", utf16, 1, 1, 1},
        {"CR-only line ends", crOnly, 1, 1, 1},
        {"the version line alone", "V1.42", 1, 1, 2},
    };
    for (const auto& c : cases) {
        LoadOutcome o;
        int32_t line = -1;
        o.Result = LoadConfiguration(c.bytes, o.S, o.D, *o.Nulls, {}, &line);
        EXPECT_EQ(o.Result, c.result) << c.name;
        EXPECT_EQ(o.D.ConfigInvalid, c.invalid) << c.name;
        EXPECT_EQ(line, c.line) << c.name;
        // Nothing of it is read.
        EXPECT_TRUE(o.S == SettingsValues{}) << c.name;
    }
}

TEST(ConfigFileDerived, RatesFollowTheMainsFamily)
{
    std::string file = WithLine(WithLine(DefaultFile(), 7, "0"), 11, "0");
    LoadOutcome o = LoadBytes(file);
    EXPECT_EQ(o.D.RepetitionRate, 285.0);
    EXPECT_EQ(o.D.ActiveQuarterPeriod[0], 877.0);
    EXPECT_EQ(o.D.ActiveEarlyWindowEnd[6], 833833.0);
    o = LoadBytes(WithLine(file, 5, "0"));
    EXPECT_EQ(o.D.RepetitionRate, 237.5);
    EXPECT_EQ(o.D.ActiveQuarterPeriod[0], 1053.0);
    EXPECT_EQ(o.D.ActiveEarlyWindowEnd[6], 1000500.0);
}

TEST(ConfigFileDerived, GateSetAndGateCount)
{
    // 30 gates are not offered at rate index 1: the set falls back to 20 gates.
    LoadOutcome o = LoadBytes(WithLine(DefaultFile(), 7, "1"));
    EXPECT_EQ(o.D.ConfigInvalid, 0);
    EXPECT_EQ(o.S.GateSet, 0);
    EXPECT_EQ(o.D.GateCount, 20);
    o = LoadBytes(WithLine(DefaultFile(), 7, "2"));
    EXPECT_EQ(o.S.GateSet, 1);
    EXPECT_EQ(o.D.GateCount, 30);
    // User-defined gates at index 0 stay user-defined; the loaded count is one more.
    o = LoadBytes(WithLine(WithLine(WithLine(DefaultFile(), 7, "0"), 11, "2"), 9, "12"));
    EXPECT_EQ(o.S.GateSet, 2);
    EXPECT_EQ(o.D.GateCount, 13);
}

TEST(ConfigFileDerived, UserGatesTableAppliesOnlyToItsOwnSettings)
{
    SettingsValues s;
    s.GateSet = 2;
    s.UserGateCount = 12;
    auto nulls = std::make_unique<NullTableValues>();
    nulls->UserGatesNullingHeader = {1, 2, 12, 10.0};
    nulls->UserGatesNullTable[3][5] = 2e-6;
    LoadOutcome o = LoadBytes(ComposeConfigurationFile(s, *nulls, NoRatesNulled(), FixedTime()));
    EXPECT_EQ(o.D.GateCount, 13);
    EXPECT_EQ(o.D.UserGatesNullingValid, 1);

    // Another first gate time, rate, mains or count; or an all-zero table: not valid.
    const UserGatesHeader others[] = {{1, 2, 12, 10.5}, {1, 3, 12, 10.0}, {0, 2, 12, 10.0}, {1, 2, 11, 10.0}};
    for (const UserGatesHeader& h : others) {
        nulls->UserGatesNullingHeader = h;
        o = LoadBytes(ComposeConfigurationFile(s, *nulls, NoRatesNulled(), FixedTime()));
        EXPECT_EQ(o.D.ConfigInvalid, 0);
        EXPECT_EQ(o.D.UserGatesNullingValid, 0) << h.Mains << " " << h.RateIndex << " " << h.GateCount;
    }
    nulls->UserGatesNullingHeader = {1, 2, 12, 10.0};
    nulls->UserGatesNullTable[3][5] = 0.0;
    o = LoadBytes(ComposeConfigurationFile(s, *nulls, NoRatesNulled(), FixedTime()));
    EXPECT_EQ(o.D.UserGatesNullingValid, 0);
}

TEST(ConfigFileDerived, IntervalsGainsAndViews)
{
    std::string file = DefaultFile();
    file = WithLine(file, 45, "10");     // AutoTriggerIndex
    file = WithLine(file, 8, "0");       // AveragingTimeIndex
    file = WithLine(file, 6, "1");       // component X ...
    file = WithLine(file, 12, "3");      // ... GainX 3
    file = WithLine(file, 34, "99");     // RecordCountIndex
    file = WithLine(file, 30, "125.5");  // StartStation
    file = WithLine(file, 25, "1");      // GraphView 1 with manual survey mode ...
    file = WithLine(file, 37, "1");      // two-frequency ...
    file = WithLine(file, 19, "1");      // ... forces time labels back to ms
    LoadOutcome o = LoadBytes(file);
    ASSERT_EQ(o.D.ConfigInvalid, 0);
    EXPECT_EQ(o.D.AutoTriggerIntervalMs, 60000);
    EXPECT_EQ(o.D.AveragingTimeMs, 500);
    EXPECT_EQ(o.D.GainCodeSent, 3);
    EXPECT_EQ(o.D.PreviousGain, 3);
    EXPECT_EQ(o.D.NumberOfRecords, 100);
    EXPECT_EQ(o.D.CurrentStation, 125.5);
    EXPECT_EQ(o.D.LastStoredStation, 125.5);
    EXPECT_EQ(o.D.LastStoredLine, -999999.0);
    EXPECT_EQ(o.S.GraphView, 0);
    EXPECT_EQ(o.S.TimeAxisLabels, 0);
    // In auto-trigger mode the profile view stays.
    o = LoadBytes(WithLine(WithLine(DefaultFile(), 25, "1"), 44, "1"));
    EXPECT_EQ(o.S.GraphView, 1);
    EXPECT_EQ(AutoTriggerIntervalForIndex(6), 10000);
    EXPECT_EQ(AveragingTimeForIndex(8), 120000);
}

TEST(ConfigFileDerived, MapLayoutAndScale)
{
    std::string file = WithLine(WithLine(DefaultFile(), 482, "2"), 490, "1");
    ConfigLoadEnvironment env;
    env.MapPaneWidth = 503;
    LoadOutcome o = LoadBytes(WithLine(file, 491, "250.0"), env);
    EXPECT_EQ(o.D.MapLayoutMode, 1);
    EXPECT_DOUBLE_EQ(o.D.PixelsPerMetre, 2.0);
    EXPECT_DOUBLE_EQ(o.D.PreviousPixelsPerMetre, 2.0);
    EXPECT_EQ(o.D.ReviewMapSize, 250.0);
    // Without GPS input the map is always the map of lines and stations.
    o = LoadBytes(WithLine(file, 482, "0"));
    EXPECT_EQ(o.D.MapLayoutMode, 2);
}

TEST(TurnOffDelay, TransmitterTypesAndGateSampleOffset)
{
    SettingsValues s;
    s.TransmitterType = 0;
    EXPECT_DOUBLE_EQ(ComputeTotalTurnOffDelay(s), 5.9);
    s.TransmitterType = 1;
    EXPECT_DOUBLE_EQ(ComputeTotalTurnOffDelay(s), 5.9);
    s.TransmitterType = 2;
    EXPECT_DOUBLE_EQ(ComputeTotalTurnOffDelay(s), 10.8);
    s.TransmitterType = 4;
    EXPECT_DOUBLE_EQ(ComputeTotalTurnOffDelay(s), -1.2);
    s.ReceiverDelayUs = 4.0;
    EXPECT_DOUBLE_EQ(ComputeTotalTurnOffDelay(s), -1.2);  // only with on-time measurement
    s.OnTimeMeasurement = 1;
    EXPECT_DOUBLE_EQ(ComputeTotalTurnOffDelay(s), 2.8);

    int32_t offset = -1;
    EXPECT_EQ(ComputeGateSampleOffset(5.9, 0, 0.0, offset), 1);
    EXPECT_EQ(offset, 0);
    // -1.2 us before the board is set up: 1.2 / 2.083 + 0.5 gives 1 sample.
    EXPECT_EQ(ComputeGateSampleOffset(-1.2, 2, 0.0, offset), 1);
    EXPECT_EQ(offset, 1);
    EXPECT_EQ(ComputeGateSampleOffset(-10.0, 2, 1.0, offset), 1);
    EXPECT_EQ(offset, 10);
    EXPECT_EQ(ComputeGateSampleOffset(-875.0, 0, 0.0, offset), 1);
    EXPECT_EQ(offset, 420);
    EXPECT_EQ(ComputeGateSampleOffset(-875.1, 0, 0.0, offset), 0);
    EXPECT_EQ(offset, 0);
    EXPECT_EQ(ComputeGateSampleOffset(std::nan(""), 0, 0.0, offset), 0);

    // Loaded: TXC1 with no turn-off time gives -1.2 and, before the board, one sample.
    LoadOutcome o = LoadBytes(WithLine(DefaultFile(), 42, "3"));
    EXPECT_EQ(o.D.ConfigInvalid, 0);
    EXPECT_DOUBLE_EQ(o.D.TotalTurnOffDelay, -1.2);
    EXPECT_EQ(o.D.GateSampleOffset, 1);
}

// Mended: a line longer than the 260-byte read buffer was written past the buffer. It is a
// bad value now, and the reading stops there.
TEST(ConfigFileFault, OverlongLineIsABadValue)
{
    const std::string file = DefaultFile();
    LoadOutcome o = LoadBytes(WithLine(file, 4, std::string(300, 'x')));
    EXPECT_EQ(o.D.ConfigInvalid, 1);
    EXPECT_EQ(o.S.OperatorName, VLOX_WIDE("Brem"));
    // 259 characters and the CR just fit.
    o = LoadBytes(WithLine(file, 4, std::string(259, 'y')));
    EXPECT_EQ(o.D.ConfigInvalid, 0);
    EXPECT_EQ(o.S.OperatorName.size(), 259u);
    o = LoadBytes(WithLine(file, 4, std::string(260, 'y')));
    EXPECT_EQ(o.D.ConfigInvalid, 1);
}

// Mended: the loader did not look for the end of the file; a file cut short read its last
// byte again and again. Ending before the last line, or inside the null tables, is a bad
// value.
TEST(ConfigFileFault, FileEndingEarlyIsABadValue)
{
    const std::string file = DefaultFile();
    size_t settingsEnd = 0;
    FirstLines(file, 499, &settingsEnd);
    const size_t cuts[] = {
        7, 200, 3000, settingsEnd - 3, settingsEnd, settingsEnd + 10, settingsEnd + 16 + 30, file.size() - 60};
    for (size_t cut : cuts) {
        LoadOutcome o = LoadBytes(file.substr(0, cut));
        EXPECT_EQ(o.Result, 1);
        EXPECT_EQ(o.D.ConfigInvalid, 1) << "cut at " << cut;
    }
    EXPECT_EQ(LoadBytes(file).D.ConfigInvalid, 0);
    // Mended: a last line whose CR LF (or LF) an editor dropped reset the whole file. It is a
    // whole line.
    for (size_t dropped : {1, 2}) {
        LoadOutcome o = LoadBytes(file.substr(0, file.size() - dropped));
        EXPECT_EQ(o.D.ConfigInvalid, 0) << dropped;
        EXPECT_EQ(RefusedConfigurationLine(file.substr(0, file.size() - dropped), {}), 0) << dropped;
    }
}

// Mended: a lone LF at the start of a line put the terminating NUL one byte before the
// buffer. It gives the empty text and writes only inside the buffer.
TEST(ConfigFileFault, LoneLineFeedGivesEmptyTextInsideTheBuffer)
{
    char area[12];
    std::memset(area, '#', sizeof area);
    char* buffer = area + 1;
    ByteReader in = MakeByteReader("\nab\ncd\r\n");
    EXPECT_EQ(ReadTextLine(in, buffer, 10), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(area[0], '#');
    // A line ended by a lone LF keeps its last character (it used to lose it).
    EXPECT_EQ(ReadTextLine(in, buffer, 10), 2);
    EXPECT_STREQ(buffer, "ab");
    EXPECT_EQ(ReadTextLine(in, buffer, 10), 2);
    EXPECT_STREQ(buffer, "cd");
    EXPECT_EQ(ReadTextLine(in, buffer, 10), TextLineEndOfFile);
    EXPECT_EQ(area[0], '#');
    EXPECT_EQ(area[11], '#');

    // A full buffer stops the line without writing past it.
    in = MakeByteReader("0123456789ABC\r\n");
    EXPECT_EQ(ReadTextLine(in, buffer, 10), TextLineTooLong);
    EXPECT_EQ(area[11], '#');
    EXPECT_EQ(buffer[9], 0);

    // An empty text setting line, and an empty operator name written by a lone LF.
    std::string file = DefaultFile();
    size_t at = file.find("Brem\r\n");
    file.replace(at, 6, "\n");
    LoadOutcome o = LoadBytes(file);
    EXPECT_EQ(o.D.ConfigInvalid, 0);
    EXPECT_TRUE(o.S.OperatorName.empty());
}

// Mended: texts came back sign-extended (the byte 0xE9 of "C:\Daté\" as the wide character
// 0xFFE9), so a folder with an accent named another folder after a restart. The file still
// holds one byte per character (0xE9); the text comes back as it went in.
TEST(ConfigFileFault, TextsWithHighBytesComeBackAsTheyWentIn)
{
    SettingsValues s;
    s.DataDirectory = VLOX_WIDE("C:\\Dat\u00e9\\");
    s.OperatorName = VLOX_WIDE("J\u00f6rg \u00c5str\u00f6m");
    const std::string file = ComposeFor(s);
    auto lines = FirstLines(file, 4);
    EXPECT_EQ(lines[1], "C:\\Dat\xE9\\");
    EXPECT_EQ(lines[3], "J\xF6rg \xC5str\xF6m");
    LoadOutcome o = LoadBytes(file);
    EXPECT_EQ(o.D.ConfigInvalid, 0);
    EXPECT_EQ(o.S.DataDirectory, s.DataDirectory);
    EXPECT_EQ(o.S.OperatorName, s.OperatorName);
    EXPECT_EQ(ComposeFor(o.S), file);
}

// Mended: a text longer than a line holds was written whole, and the next start found an
// over-long line and reset every setting. It is cut to what a line holds.
TEST(ConfigFileFault, OverlongTextIsCutToTheLine)
{
    SettingsValues s;
    s.ReviewDirectory = WideString(400, VLOX_WIDE('z'));
    LoadOutcome o = LoadBytes(ComposeFor(s));
    EXPECT_EQ(o.D.ConfigInvalid, 0);
    EXPECT_EQ(o.S.ReviewDirectory, WideString(259, VLOX_WIDE('z')));
}
