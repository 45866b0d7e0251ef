#include "converters/gate_times.h"

#include "converters/number_text.h"

#include <cmath>

namespace converters {

namespace {

const double Times0[20] = {6.813, 8.688, 11.13, 14.19, 18.07, 23.06, 29.44, 37.56, 47.94, 61.13,
                           77.94, 99.38, 126.7, 166.4, 206,   262.8, 335.2, 427.7, 545.6, 695.9};
const double Times1[20] = {35.25, 42.75, 52.5,  64.75, 71.5,  100.3, 125.8, 158.3, 199.8, 252.5,
                           319.8, 405.5, 514.8, 654.3, 832.3, 1059,  1349,  1719,  2190,  2792};
const double Times2[20] = {88.13, 106.9, 131.3, 161.9, 200.6, 250.6, 314.4, 395.6, 499.4, 631.3,
                           799.4, 1014,  1287,  1636,  2081,  2648,  3373,  4297,  5475,  6978};
const double Times2x30[30] = {6.8,   9.11,  12,    15.9,  20.8,  27,    34.8,  44.4,  56.3,  70.3,
                              85.9,  104.7, 129.1, 159.7, 198.4, 248.6, 312.3, 393.5, 497.1, 629,
                              797.3, 1012,  1285,  1634,  2079,  2645,  3370,  4295,  5473,  6978};
const double Times3[20] = {352.5, 427.5, 525,  647.5, 715,  1003,  1258,  1583,  1998,  2525,
                           3198,  4055,  5148, 6543,  8323, 10590, 13490, 17190, 21900, 27920};
const double Times3x30[30] = {36,     45.25, 57,     72.25,  92,     117,    148,    186.5,  234,    290,
                              352.5,  427.5, 525,    647.5,  802.5,  1002.5, 1257.5, 1582.5, 1997.5, 2525,
                              3197.5, 4055,  5147.5, 6542.5, 8322.5, 10592,  13490,  17187,  21902,  27915};
const double Times4[20] = {881.3, 1069,  1313,  1619,  2006,  2506,  3144,  3956,  4994,  6313,
                           7994,  10140, 12870, 16360, 20810, 26480, 33730, 42970, 54750, 69780};
const double Times4x30[30] = {90,    113.1, 142.5, 180.6, 230,   292.5, 370,   466.3, 585,   725,
                              881.3, 1069,  1313,  1619,  2006,  2506,  3144,  3957,  4994,  6313,
                              7994,  10138, 12870, 16350, 20806, 26475, 33725, 42975, 54750, 69800};
const double Times5[20] = {3525,  4275,  5250,  6475,  7150,  10030,  12580,  15830,  19980,  25250,
                           31980, 40550, 51480, 65430, 83230, 105900, 134900, 171900, 219000, 279200};
const double Times5x30[30] = {360,   452.5, 570,   722.5, 920,   1170,   1480,   1865,   2340,   2900,
                              3525,  4275,  5250,  6475,  8025,  10025,  12575,  15825,  19975,  25250,
                              31975, 40550, 51475, 65425, 83225, 105920, 134900, 171870, 219020, 279150};
const double Times6[20] = {8813,  10690,  13130,  16190,  20060,  25060,  31440,  39560,  49940,  63130,
                           79940, 101400, 128700, 163600, 208100, 264800, 337300, 429700, 547500, 697800};
const double Times6x30[30] = {900,   1131,   1425,   1806,   2300,   2925,   3700,   4663,   5850,   7250,
                              8813,  10690,  13130,  16190,  20060,  25060,  31440,  39570,  49940,  63130,
                              79940, 101380, 128700, 163500, 208060, 264750, 337250, 429750, 547500, 698000};

const double* const Lists20[ConverterRateCount] = {Times0, Times1, Times2, Times3, Times4, Times5, Times6};
const double* const Lists30[ConverterRateCount] = {nullptr,   nullptr,   Times2x30, Times3x30,
                                                   Times4x30, Times5x30, Times6x30};

// Repetition rate (Hz) and the window offset (us) of the user-defined gates.
const double UserGateRate[ConverterRateCount] = {285, 75, 30, 7.5, 3, 0.75, 0.3};
const double UserGateOffset[ConverterRateCount] = {97, 204, 512, 2043, 5120, 20400, 51200};

struct TimeBaseRow {
    const char* Letter;
    const char* Text;
    const char* DelayMask;
};
const TimeBaseRow TimeBase20[ConverterRateCount] = {{"u", " 0.00681", "* .#####"}, {"v", " 0.03525", "* .#####"},
                                                    {"H", "  0.0881", "* #.####"}, {"M", "  0.3525", "* #.####"},
                                                    {"L", "   0.881", "* ##.###"}, {"K", "   3.525", "* ##.###"},
                                                    {"J", "   8.813", "* ##.###"}};
const TimeBaseRow TimeBase30[ConverterRateCount] = {{nullptr, nullptr, nullptr},   {nullptr, nullptr, nullptr},
                                                    {"x", "  0.0068", "* #.####"}, {"m", "   0.036", "* ##.###"},
                                                    {"l", "    0.09", "* ###.##"}, {"k", "    0.36", "* ###.##"},
                                                    {"j", "     0.9", "* ####.#"}};

const char* const AreaTexts[11] = {"   31.4", "   31.4", "    100", "    200", "    200", "   1000",
                                   "  10000", "  40000", "    100", "    100", "    100"};

bool RateInTables(int32_t rateIndex)
{
    return rateIndex >= 0 && rateIndex < ConverterRateCount;
}

// v / d, or v unchanged when d is 0 (or not a number).
double DivideOrKeep(double v, double d)
{
    return d != 0 && !std::isnan(d) ? v / d : v;
}

// x^(2/3) keeping the sign of x.
double SignedTwoThirds(double x)
{
    return x < 0 ? -std::pow(-x, 2.0 / 3.0) : std::pow(x, 2.0 / 3.0);
}

// The first-gate text of a row, moved by the receiver delay through the row's mask; fitted into
// the 8-character field whatever the delay.
std::string DelayedFirstGateText(const TimeBaseRow& row, double receiverDelayUs)
{
    if (receiverDelayUs == 0)
        return row.Text;
    const double ms = NumberOfField(row.Text) + receiverDelayUs * 0.001;
    std::string text = FormatNumberMask(ms, row.DelayMask);
    if (text.size() > 8)
        text = FitNumberText(ms, 8);
    return PadNumberText(text, 8);
}

}  // namespace

const double* StandardGateTimes(int32_t rateIndex, int32_t gateSet, int32_t& count)
{
    count = 0;
    if (!RateInTables(rateIndex) || (gateSet != 0 && gateSet != 1))
        return nullptr;
    if (gateSet == 1 && Lists30[rateIndex]) {
        count = 30;
        return Lists30[rateIndex];
    }
    count = 20;
    return Lists20[rateIndex];
}

void BuildGateTimeTable(ParsedRecords& p, int32_t rateIndex, int32_t gateSet)
{
    if (!RateInTables(rateIndex) || gateSet < 0)
        return;
    auto& times = p.GateTimes;
    if (gateSet < 2) {
        int32_t count = 0;
        const double* list = StandardGateTimes(rateIndex, gateSet, count);
        for (int32_t g = 1; g <= MaxGates; ++g)
            times[g] = g <= count ? list[g - 1] : 0.0;
        return;
    }
    int32_t n = p.FileUserGateCount;
    if (n < 1)
        n = 1;
    if (n > MaxGates)
        n = MaxGates;
    const double first = p.FileFirstGateTimeUs;
    const double end = 1000000.0 / (4.0 * UserGateRate[rateIndex]) - p.TurnOffTimeUs - UserGateOffset[rateIndex];
    for (int32_t g = 1; g <= MaxGates; ++g)
        times[g] = 0.0;
    if (!(first > 0) || !(end > first) || !std::isfinite(end))
        return;
    // Each edge is the one before times the ratio: plain products give the same times in every
    // build, where a power per edge would follow each library's pow.
    const double ratio = std::pow(end / first, 1.0 / n);
    double lower = first;
    for (int32_t k = 1; k <= n; ++k) {
        const double upper = k == n ? end : lower * ratio;
        times[k] = (lower + upper) / 2.0;
        lower = upper;
    }
}

void SetFirstGateTexts(ParsedRecords& p, double receiverDelayUs)
{
    const int32_t rate = p.FileRepRateIndex;
    if (!RateInTables(rate))
        return;
    p.TimeBaseLetter = TimeBase20[rate].Letter;
    p.FirstGateTimeText = DelayedFirstGateText(TimeBase20[rate], receiverDelayUs);
    if (p.FileGateSet == 1 && TimeBase30[rate].Letter) {
        p.TimeBaseLetter30 = TimeBase30[rate].Letter;
        p.FirstGateTimeText30 = DelayedFirstGateText(TimeBase30[rate], receiverDelayUs);
    }
}

const char* ReceiverAreaText(int32_t coilType)
{
    if (coilType < 0 || coilType > 10)
        return "    ???";
    return AreaTexts[coilType];
}

double ScaleGateValue(const ParsedRecords& p, int32_t mode, int32_t outputUnits, double value, int32_t gate)
{
    enum Conversion { Millivolts, PerArea, PerAmpere, Conductivity, Resistivity };
    static const Conversion ByIndex[6] = {Millivolts, PerArea, PerAmpere, Conductivity, PerAmpere, Resistivity};
    static const Conversion ByIndexLz5[6] = {Millivolts, PerArea, PerAmpere, Conductivity, Resistivity, PerAmpere};
    Conversion conversion = Millivolts;
    if (outputUnits >= 0 && outputUnits < 6)
        conversion = mode == ModeLz5 ? ByIndexLz5[outputUnits] : ByIndex[outputUnits];

    const double v = value;
    if (conversion == Millivolts)
        return v / 1000000.0;
    const double area = NumberOfField(p.RxAreaText);
    const double gain = std::pow(2.0, NumberOfField(p.GainText));
    const double ampereTurns = p.FileTxTurns * p.TxCurrent;
    const double c = static_cast<double>(52.083f);
    switch (conversion) {
    case Millivolts:
        return v / 1000000.0;
    case PerArea:
        return area == 0 ? v : DivideOrKeep(v, c * gain * area);
    case PerAmpere:
        return area == 0 || ampereTurns == 0 ? v : DivideOrKeep(v, c * gain * area * ampereTurns);
    case Conductivity:
    case Resistivity: {
        const double time = gate >= 0 && gate <= MaxGates ? p.GateTimes[gate] : 0.0;
        // The receiver's amplification 2^gain (the file's gain is the code + 1), as V-LOX's own
        // resistivity takes it: the value over it is the field's rate of change at any gain.
        const double k = ampereTurns * area * NumberOfField(p.LoopAreaText) * std::pow(2.0, NumberOfField(p.GainText));
        const double t = v * time / 1000.0;
        const double x = t != 0 ? k / t : k;
        const double r = SignedTwoThirds(x);
        if (conversion == Conductivity)
            return r != 0 ? DivideOrKeep(time, 8.82 * r) : 0.0;
        return time != 0 ? 8820.0 * r / time : 0.0;
    }
    }
    return v;
}

double ScaleUsfValue(const ParsedRecords& p, int32_t usfVoltageUnits, double value)
{
    double v = value / 1000000.0;
    double area = NumberOfField(p.RxAreaText);
    if (area == 0)
        area = 1.0;
    double current = p.TxCurrent;
    if (p.FileTxTurns >= 1)
        current *= p.FileTxTurns;
    if (current == 0)
        current = 1.0;
    const double gain = std::pow(2.0, p.FileGainCode);
    switch (usfVoltageUnits) {
    case 0:
        // Volts per ampere undo the receiver's gain and scale as the other units do, only
        // not its area: the V/AMP column is the V/AM2 column times the area, at any gain.
        v = DivideOrKeep(DivideOrKeep(192.0 * v, gain / 100.0), current);
        break;
    case 1:
        v = DivideOrKeep(DivideOrKeep(192.0 * v, area * gain / 100.0), current);
        break;
    case 2:
    case 3:
        v = DivideOrKeep(192.0 * v, area * gain / 100.0);
        break;
    default:
        break;
    }
    return v / 1000000000.0;
}

}  // namespace converters
