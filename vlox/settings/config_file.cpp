#include "vlox/settings/config_file.h"

#include "vlox/settings/rate_tables.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

ConfigLoadEnvironment SettingsLoadEnvironment;

namespace {

// How a double line is checked.
enum class DoubleRule {
    Any,       // any number
    AtLeast,   // not below the bound
    Above,     // above the bound
    Absolute,  // any number; its absolute value is taken
};

// A double whose "%f" line fits the line buffer and that is a number at all. Larger values
// would write a line the next load cannot read; non-finite ones poison every later sum.
bool IsStorableDouble(double v)
{
    return std::isfinite(v) && std::fabs(v) < 1e250;
}

// Writes each setting as its line.
struct LineWriter {
    std::string& out;
    const SettingsValues& s;

    void Text(const WideString& v)
    {
        // A longer text would make a line that the reader refuses, losing the whole file.
        std::string bytes = WideToNarrow(v);
        if (bytes.size() > static_cast<size_t>(ConfigLineBufferSize - 1))
            bytes.resize(ConfigLineBufferSize - 1);
        out += bytes;
        out += "\r\n";
    }
    void Int(const int32_t& v, int32_t, int32_t) { out += FormatText("%d\r\n", v); }
    void Double(const double& v, DoubleRule = DoubleRule::Any, double = 0.0) { out += FormatText("%f\r\n", v); }
    void Colour(const int32_t& v) { out += FormatText("%ld\r\n", static_cast<long>(v)); }
    void Corner(const double& v, double)
    {
        out += FormatText(s.TxCornerCoordinateType == 0 ? "%.8f\r\n" : "%.3f\r\n", v);
    }
};

// Reads each setting from its line, checks it and derives the working values after it.
struct LineReader {
    ByteReader& in;
    SettingsValues& s;
    SettingsDerived& d;
    const ConfigLoadEnvironment& env;
    int32_t line = 1;
    bool stopped = false;
    int32_t refusedLine = 0;  // the first line found bad
    char buf[ConfigLineBufferSize] = {};

    // A bad value that lets the reading go on.
    void Mark(int32_t where)
    {
        d.ConfigInvalid = 1;
        if (refusedLine == 0)
            refusedLine = where;
    }
    void Bad()
    {
        Mark(line);
        stopped = true;
    }
    // The next line into buf; an end of file or an over-long line is a bad value.
    bool Next()
    {
        if (stopped)
            return false;
        ++line;
        if (ReadTextLine(in, buf, ConfigLineBufferSize) < 0) {
            Bad();
            return false;
        }
        return true;
    }
    void Text(WideString& v)
    {
        if (!Next())
            return;
        // Zero-extended, so that a text goes back to the file byte for byte and a folder
        // name with bytes above 0x7F names the same folder again.
        v.clear();
        for (const char* p = buf; *p != 0; ++p)
            v.push_back(static_cast<WideChar>(static_cast<unsigned char>(*p)));
        Derive();
    }
    void Int(int32_t& v, int32_t lo, int32_t hi)
    {
        if (!Next())
            return;
        int32_t x = ParseConfigInt(buf);
        if (x < lo || x > hi)
            return Bad();
        v = x;
        Derive();
    }
    void Double(double& v, DoubleRule rule = DoubleRule::Any, double bound = 0.0)
    {
        if (!Next())
            return;
        double x = ParseConfigDouble(buf);
        if (!IsStorableDouble(x))
            return Bad();
        if (rule == DoubleRule::AtLeast && !(x >= bound))
            return Bad();
        if (rule == DoubleRule::Above && !(x > bound))
            return Bad();
        v = rule == DoubleRule::Absolute ? std::fabs(x) : x;
        Derive();
    }
    void Colour(int32_t& v)
    {
        if (!Next())
            return;
        v = ParseConfigInt(buf);
        Derive();
    }
    // A geodetic corner out of range marks the file but lets the reading go on.
    void Corner(double& v, double limit)
    {
        if (!Next())
            return;
        double x = ParseConfigDouble(buf);
        if (!IsStorableDouble(x))
            return Bad();
        if (s.TxCornerCoordinateType == 0 && !(x >= -limit && x <= limit))
            Mark(line);
        else
            v = x;
        Derive();
    }

    void Derive()
    {
        switch (line) {
        case 5:
            SelectRateFamily(s.PowerLineFrequency, d.ActiveQuarterPeriod, d.ActiveEarlyWindowEnd);
            break;
        case 8:
            d.RepetitionRate = RepRateValue(s.PowerLineFrequency, s.RepRateIndex);
            break;
        case 11:
            // 30 gates are offered from rate index 2 on.
            if ((s.GateSet == 0 || s.GateSet == 1) && s.RepRateIndex < 2)
                s.GateSet = 0;
            d.GateCount = s.GateSet == 2 ? s.UserGateCount + 1 : 20 + 10 * s.GateSet;
            break;
        case 14:
            d.GainCodeSent = s.SelectedComponent == 0 ? s.GainZ : s.SelectedComponent == 1 ? s.GainX : s.GainY;
            d.PreviousGain = d.GainCodeSent;
            d.AveragingTimeMs = AveragingTimeForIndex(s.AveragingTimeIndex);
            break;
        case 26:
            d.LastStoredLine = -999999.0;
            break;
        case 30:
            d.CurrentStation = s.StartStation;
            d.LastStoredStation = s.StartStation;
            break;
        case 37:
            if (s.TwoFrequencyMode == 1)
                s.TimeAxisLabels = 0;
            break;
        case 46:
            if (s.SurveyMode == 0)
                s.GraphView = 0;
            break;
        case 75:
            if (s.TxTurns < 1)
                s.TxTurns = 1;
            d.TxAmpereTurns = s.TxTurns * s.TxCurrent;
            break;
        case 481:
            d.TotalTurnOffDelay = ComputeTotalTurnOffDelay(s);
            if (ComputeGateSampleOffset(d.TotalTurnOffDelay, s.RepRateIndex, env.SamplePeriodUs, d.GateSampleOffset) ==
                0)
                Mark(TurnOffCheckLine);
            d.NumberOfRecords = s.RecordCountIndex + 1;
            d.AutoTriggerIntervalMs = AutoTriggerIntervalForIndex(s.AutoTriggerIndex);
            break;
        case 490:
            d.MapLayoutMode = MapLayoutFor(s.GpsMapType, s.GpsInput);
            break;
        case 499:
            d.PixelsPerMetre = LiveMapScale(env.MapPaneWidth, s.MapSize);
            d.PreviousPixelsPerMetre = d.PixelsPerMetre;
            d.ReviewMapSize = s.MapSize;
            break;
        default:
            break;
        }
    }
};

// The setting lines in file order (line numbers in the comments), for writer and reader
// alike. Each call sees the values of the lines before it, so checks that depend on an
// earlier line read its loaded value.
template <class V, class S>
void VisitSettingLines(V& v, S& s)
{
    v.Text(s.DataDirectory);                                // 2
    v.Text(s.ReviewDirectory);                              // 3
    v.Text(s.OperatorName);                                 // 4
    v.Int(s.PowerLineFrequency, 0, 1);                      // 5
    v.Int(s.SelectedComponent, 0, 2);                       // 6
    v.Int(s.RepRateIndex, 0, RepRateCount - 1);             // 7
    v.Int(s.AveragingTimeIndex, 0, 8);                      // 8
    v.Int(s.UserGateCount, 1, MaxGateCount);                // 9
    v.Double(s.FirstGateTimeUs, DoubleRule::AtLeast, 0.0);  // 10
    v.Int(s.GateSet, 0, 2);                                 // 11
    v.Int(s.GainX, 0, 6);                                   // 12
    v.Int(s.GainY, 0, 6);                                   // 13
    v.Int(s.GainZ, 0, 6);                                   // 14
    v.Double(s.TimeAxisMinMs, DoubleRule::Above, 0.0);      // 15
    // The plot divides by the span of the time axis and takes log10 of its ends.
    v.Double(s.TimeAxisMaxMs, DoubleRule::Above, s.TimeAxisMinMs);  // 16
    v.Double(s.AmplitudeAxisMin);                                   // 17
    // log10 of the top, and the span of the amplitude axis, must exist.
    v.Double(s.AmplitudeAxisMax, DoubleRule::Above, std::max(s.AmplitudeAxisMin, 0.0));  // 18
    v.Int(s.TimeAxisLabels, 0, 1);                                                       // 19
    v.Int(s.TimeAxisMinorGrid, 0, 1);                                                    // 20
    v.Int(s.DisplayUnit, 0, 5);                                                          // 21
    v.Int(s.AmplitudeAxisMinorGrid, 0, 1);                                               // 22
    v.Int(s.TimeAxisAutoScale, 0, 1);                                                    // 23
    v.Int(s.AmplitudeAxisAutoScale, 0, 1);                                               // 24
    v.Int(s.GraphView, 0, 1);                                                            // 25
    v.Double(s.SurveyLine);                                                              // 26
    v.Double(s.LineIncrement);                                                           // 27
    v.Int(s.LineDirection, 0, 3);                                                        // 28
    v.Int(s.LineSequence, 0, 1);                                                         // 29
    v.Double(s.StartStation);                                                            // 30
    v.Double(s.StationIncrement);                                                        // 31
    v.Int(s.SystemConfiguration, 0, 3);                                                  // 32
    v.Int(s.CoilType, 0, CoilTypeCount - 1);                                             // 33
    v.Int(s.RecordCountIndex, 0, 99);                                                    // 34
    v.Int(s.ProcessingMethod, 0, 1);                                                     // 35
    v.Int(s.OnTimeMeasurement, 0, 1);                                                    // 36
    v.Int(s.TwoFrequencyMode, 0, 1);                                                     // 37
    v.Int(s.FirstRepetitionChoice, 0, 11);                                               // 38
    v.Int(s.SecondRepetitionChoice, 0, 11);                                              // 39
    v.Int(s.FirstRepetitionGain, 0, 6);                                                  // 40
    v.Int(s.SecondRepetitionGain, 0, 6);                                                 // 41
    v.Int(s.TransmitterType, 0, TransmitterTypeCount - 1);                               // 42
    v.Int(s.ReservedTypeCode, 0, 4);                                                     // 43
    v.Int(s.SurveyMode, 0, 1);                                                           // 44
    v.Int(s.AutoTriggerIndex, 0, 10);                                                    // 45
    v.Int(s.TxLoopShape, 0, 3);                                                          // 46
    v.Double(s.TxLoopSideX);                                                             // 47
    v.Double(s.TxLoopSideY);                                                             // 48
    v.Double(s.TxCentreX);                                                               // 49
    v.Double(s.TxCentreY);                                                               // 50
    for (int32_t i = 0; i < CornerCount; ++i) {                                          // 51-58
        v.Double(s.TxCornerX[i]);
        v.Double(s.TxCornerY[i]);
    }
    v.Int(s.TxCornerCoordinateType, 0, 3);       // 59
    v.Int(s.TxCornerUtmZone, 1, 60);             // 60
    v.Int(s.TxCornerHemisphere, 0, 1);           // 61
    for (int32_t i = 0; i < CornerCount; ++i) {  // 62-69
        v.Corner(s.TxCornerGpsX[i], 180.0);
        v.Corner(s.TxCornerGpsY[i], 90.0);
    }
    v.Double(s.ReceiverDelayUs);                  // 70
    v.Double(s.TxCurrent, DoubleRule::Absolute);  // 71
    v.Int(s.TxTurns, INT32_MIN, INT32_MAX);       // 72
    v.Double(s.TurnOffTimeUs);                    // 73
    v.Double(s.LinearSectionMin);                 // 74
    v.Double(s.LinearSectionMax);                 // 75
    for (auto& g : s.ProfileGateVisible)          // 76-175
        v.Int(g, 0, 1);
    for (auto& g : s.NumbersGateVisible)  // 176-275
        v.Int(g, 0, 1);
    for (auto& w : s.LineWidths)  // 276-378
        v.Int(w, 0, 4);
    for (auto& c : s.LineColours)  // 379-481
        v.Colour(c);
    v.Int(s.GpsInput, 0, 2);                           // 482
    v.Int(s.GpsNmeaData, 0, s.GpsInput == 1 ? 1 : 0);  // 483
    v.Int(s.GpsComPort, 0, 35);                        // 484
    v.Int(s.GpsBaudRate, 0, 5);                        // 485
    v.Int(s.GpsParity, 0, 2);                          // 486
    v.Int(s.GpsDataBits, 0, 1);                        // 487
    v.Int(s.GpsStopBits, 0, 1);                        // 488
    v.Int(s.GpsCoordinateDisplay, 0, 3);               // 489
    v.Int(s.GpsMapType, 0, 2);                         // 490
    // The live map scale divides by the map size.
    v.Double(s.MapSize, DoubleRule::AtLeast, MinimumMapSize);  // 491
    v.Double(s.MapGridInterval);                               // 492
    v.Int(s.MapZoomStepIndex, 0, 8);                           // 493
    v.Int(s.MapPanStepIndex, 0, 8);                            // 494
    v.Int(s.MapBackground, 0, 2);                              // 495
    v.Int(s.MapShowReferencePoint, 0, 1);                      // 496
    v.Int(s.MeterInput, 0, 1);                                 // 497
    v.Int(s.MeterModel, 0, 0);                                 // 498
    v.Int(s.MeterComPort, 0, 35);                              // 499
}

}  // namespace

int32_t AveragingTimeForIndex(int32_t index)
{
    static const int32_t ms[9] = {500, 1000, 2000, 4000, 8000, 15000, 30000, 60000, 120000};
    return (index >= 0 && index < 9) ? ms[index] : 0;
}

int32_t AutoTriggerIntervalForIndex(int32_t index)
{
    static const int32_t ms[11] = {0, 1000, 2000, 3000, 4000, 5000, 10000, 15000, 20000, 30000, 60000};
    return (index >= 0 && index < 11) ? ms[index] : 0;
}

double ComputeTotalTurnOffDelay(const SettingsValues& s)
{
    double delay = s.TurnOffTimeUs;
    if (s.OnTimeMeasurement == 1)
        delay += s.ReceiverDelayUs;
    if (s.TransmitterType == 2) {
        delay += 12.0;
    } else if (s.TransmitterType == 0 || s.TransmitterType == 1) {
        delay += 9.6;
        delay -= 2.5;
    }
    return delay - 1.2;
}

int32_t ComputeGateSampleOffset(double totalTurnOffDelay, int32_t repRateIndex, double samplePeriodUs, int32_t& offset)
{
    offset = 0;
    if (totalTurnOffDelay >= 0.0)
        return 1;
    if (repRateIndex < 0 || repRateIndex >= RepRateCount || !(totalTurnOffDelay >= TurnOffLimits[repRateIndex]))
        return 0;
    const double period = samplePeriodUs > 0.0 ? samplePeriodUs : DefaultSamplePeriodUs;
    // Rounded half up as the offset has always been, not to the nearest even.
    offset = static_cast<int32_t>(-totalTurnOffDelay / period + 0.5);  // NOLINT(bugprone-incorrect-roundings)
    return 1;
}

double LiveMapScale(int32_t mapPaneWidth, double mapSize)
{
    return (mapPaneWidth - 3) / mapSize;
}

void WriteSettings(std::string& out, const SettingsValues& s, NullTableValues& nulls,
                   const int32_t (&nullRateSelected)[RepRateCount], const NullTimeStamp& when)
{
    LineWriter w{out, s};
    VisitSettingLines(w, s);
    for (int32_t mains = 0; mains <= 1; ++mains) {
        MarkNulledRates(nulls, mains, nullRateSelected);
        AppendNullingTable(out, NullTableToConfig, mains, nulls, nullRateSelected, when);
    }
    AppendUserGatesNullingTable(out, nulls, when);
}

int32_t ReadSettings(ByteReader& in, SettingsValues& s, SettingsDerived& d, NullTableValues& nulls,
                     const ConfigLoadEnvironment& env)
{
    LineReader r{in, s, d, env};
    VisitSettingLines(r, s);
    if (r.stopped)
        return r.refusedLine;
    if (!ReadNullingTable(in, 0, nulls) || !ReadNullingTable(in, 1, nulls) || !ReadUserGatesNullingTable(in, nulls)) {
        d.ConfigInvalid = 1;
        return r.refusedLine != 0 ? r.refusedLine : LineNumberAt(in);
    }
    if (d.ConfigInvalid == 0 && s.GateSet == 2) {
        const UserGatesHeader& h = nulls.UserGatesNullingHeader;
        d.UserGatesNullingValid = 1;
        if (h.Mains != s.PowerLineFrequency || h.RateIndex != s.RepRateIndex || h.GateCount != d.GateCount - 1 ||
            h.FirstGateTimeUs != s.FirstGateTimeUs || nulls.UserGatesNullingPresent == 0)
            d.UserGatesNullingValid = 0;
    }
    return r.refusedLine;
}

std::string ComposeConfigurationFile(const SettingsValues& s, NullTableValues& nulls,
                                     const int32_t (&nullRateSelected)[RepRateCount], const NullTimeStamp& when)
{
    std::string out = ConfigVersion;
    out += "\r\n";
    WriteSettings(out, s, nulls, nullRateSelected, when);
    return out;
}

bool IsVersionLine(std::string_view line)
{
    if (line.size() < 2 || line[0] != 'V')
        return false;
    bool digitLast = false;
    for (size_t i = 1; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (std::isdigit(c))
            digitLast = true;
        else if (c == '.' && digitLast)
            digitLast = false;
        else
            return false;
    }
    return digitLast;
}

int32_t LoadConfiguration(std::string_view bytes, SettingsValues& s, SettingsDerived& d, NullTableValues& nulls,
                          const ConfigLoadEnvironment& env, int32_t* refusedLine)
{
    int32_t ignored = 0;
    int32_t& refused = refusedLine != nullptr ? *refusedLine : ignored;
    ByteReader in = MakeByteReader(bytes);
    SkipByteOrderMark(in);
    char first[ConfigLineBufferSize];
    const int32_t n = ReadTextLine(in, first, ConfigLineBufferSize);
    const std::string_view line = n >= 0 ? std::string_view(first, static_cast<size_t>(n)) : std::string_view();
    if (n >= 0 && line == ConfigVersion) {
        refused = ReadSettings(in, s, d, nulls, env);
        return 1;
    }
    refused = 1;
    if (n >= 0 && IsVersionLine(line))
        return 0;
    // No version line at all (an empty file, zeros after a power cut, UTF-16, CR-only line
    // ends): a damaged file, told and kept as a bad value is, never replaced without a word.
    d.ConfigInvalid = 1;
    return 1;
}

int32_t RefusedConfigurationLine(std::string_view bytes, const ConfigLoadEnvironment& env)
{
    SettingsValues s;
    SettingsDerived d;
    auto nulls = std::make_unique<NullTableValues>();
    int32_t refused = 0;
    LoadConfiguration(bytes, s, d, *nulls, env, &refused);
    return refused;
}

int32_t RefusedSettingLine(const SettingsValues& candidate)
{
    std::string text;
    LineWriter w{text, candidate};
    VisitSettingLines(w, candidate);
    ByteReader in = MakeByteReader(text);
    SettingsValues s;
    SettingsDerived d;
    const ConfigLoadEnvironment env;
    LineReader r{in, s, d, env};
    VisitSettingLines(r, s);
    return r.refusedLine;
}

int32_t AcceptLoadableSettings(SettingsValues& s, const SettingsValues& candidate)
{
    const int32_t refused = RefusedSettingLine(candidate);
    if (refused == 0)
        s = candidate;
    return refused;
}
