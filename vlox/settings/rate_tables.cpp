#include "vlox/settings/rate_tables.h"

#include <cmath>
#include <cstdlib>
#include <string>

const WideChar* const RepRateLabels60Hz[RepRateCount] = {VLOX_WIDE("285"), VLOX_WIDE("75"), VLOX_WIDE("30"),
                                                         VLOX_WIDE("7.5"), VLOX_WIDE("3"),  VLOX_WIDE("0.75"),
                                                         VLOX_WIDE("0.3")};
const WideChar* const RepRateLabels50Hz[RepRateCount] = {VLOX_WIDE("237.5"), VLOX_WIDE("62.5"), VLOX_WIDE("25"),
                                                         VLOX_WIDE("6.25"),  VLOX_WIDE("2.5"),  VLOX_WIDE("0.625"),
                                                         VLOX_WIDE("0.25")};

const WideChar* const TransmitterTypeNames[TransmitterTypeCount] = {
    VLOX_WIDE("TXA1"), VLOX_WIDE("TXA1HP"), VLOX_WIDE("TXB1"), VLOX_WIDE("TXC1"), VLOX_WIDE("TXC1PLUS")};
const WideChar* const CoilTypeNames[CoilTypeCount] = {
    VLOX_WIDE("HF"),      VLOX_WIDE("HQ-3C"),          VLOX_WIDE("LF"),       VLOX_WIDE("3C-A LF"),
    VLOX_WIDE("3C-C LF"), VLOX_WIDE("1000m2 (rigid)"), VLOX_WIDE("10,000m2"), VLOX_WIDE("40,000m2"),
    VLOX_WIDE("BQ70-3C"), VLOX_WIDE("3C-CM Fluxgate"), VLOX_WIDE("MGQ70-3C")};

double GateEdges[RepRateCount][GateEdgeCount];
double GateCentres[RepRateCount][MaxGateCount];
double TimeAxisLow[RepRateCount][3];
double TimeAxisHigh[RepRateCount][3];

namespace {

constexpr int EdgeSetLength = 31;  // 30 gates; the 20-gate sets repeat their last edge
constexpr int CentreSetLength = 30;

// Standard edge sets, microseconds, before the 1 us shift.
constexpr double gate_s0[EdgeSetLength] = {6.0,   7.625, 9.75,  12.5,  15.88, 20.25, 25.88, 33.0,  42.13, 53.75, 68.5,
                                           87.38, 111.4, 151.7, 181.1, 231.0, 294.6, 375.9, 479.5, 611.6, 780.1, 780.1,
                                           780.1, 780.1, 780.1, 780.1, 780.1, 780.1, 780.1, 780.1, 780.1};
constexpr double gate_s1[EdgeSetLength] = {32.0,   38.5,   47.0,   58.0,   71.5,   89.0,   111.5,  140.0,
                                           176.5,  223.0,  282.0,  357.5,  453.5,  576.0,  732.5,  932.0,
                                           1187.0, 1512.0, 1926.0, 2455.0, 3129.0, 3129.0, 3129.0, 3129.0,
                                           3129.0, 3129.0, 3129.0, 3129.0, 3129.0, 3129.0, 3129.0};
constexpr double gate_s2_20[EdgeSetLength] = {80.0,   96.25,  117.5,  145.0,  178.8,  222.5,  278.8,  350.0,
                                              441.3,  557.5,  705.0,  893.8,  1134.0, 1440.0, 1831.0, 2330.0,
                                              2966.0, 3779.0, 4815.0, 6136.0, 7821.0, 7821.0, 7821.0, 7821.0,
                                              7821.0, 7821.0, 7821.0, 7821.0, 7821.0, 7821.0, 7821.0};
constexpr double gate_s2_30[EdgeSetLength] = {5.8,    7.8,    10.4,   13.7,   18.0,   23.5,   30.5,   39.0,
                                              49.8,   62.8,   77.8,   94.1,   115.3,  142.8,  176.6,  220.3,
                                              276.6,  347.8,  439.0,  555.3,  702.8,  891.5,  1131.0, 1438.0,
                                              1829.0, 2328.0, 2964.0, 3776.0, 4813.0, 6134.0, 7819.0};
constexpr double gate_s3[EdgeSetLength] = {32.0,   40.0,   50.5,    63.5,    81.0,    103.0,   131.0,  165.0,
                                           208.0,  260.0,  320.0,   385.0,   470.0,   580.0,   715.0,  890.0,
                                           1115.0, 1400.0, 1765.0,  2230.0,  2820.0,  3575.0,  4535.0, 5760.0,
                                           7325.0, 9320.0, 11865.0, 15115.0, 19260.0, 24545.0, 31285.0};
constexpr double gate_s4[EdgeSetLength] = {80.0,    100.0,   126.3,   158.8,   202.5,   257.5,   327.5,   412.5,
                                           520.0,   650.0,   800.0,   963.0,   1175.0,  1450.0,  1788.0,  2225.0,
                                           2790.0,  3500.0,  4413.0,  5575.0,  7050.0,  8940.0,  11338.0, 14400.0,
                                           18310.0, 23300.0, 29663.0, 37800.0, 48150.0, 61360.0, 78200.0};

// Standard centre sets, milliseconds, before the 0.001 ms shift.
constexpr double gate_c0[CentreSetLength] = {0.006813, 0.008688, 0.01113, 0.01419, 0.01807, 0.02306, 0.02944, 0.03756,
                                             0.04794,  0.06113,  0.07794, 0.09938, 0.1267,  0.1664,  0.206,   0.2628,
                                             0.3352,   0.4277,   0.5456,  0.6959,  0.6959,  0.6959,  0.6959,  0.6959,
                                             0.6959,   0.6959,   0.6959,  0.6959,  0.6959,  0.6959};
constexpr double gate_c1[CentreSetLength] = {0.03525, 0.04275, 0.0525, 0.06475, 0.08025, 0.1003, 0.1258, 0.1583,
                                             0.1998,  0.2525,  0.3198, 0.4055,  0.5148,  0.6543, 0.8323, 1.059,
                                             1.349,   1.719,   2.19,   2.792,   2.792,   2.792,  2.792,  2.792,
                                             2.792,   2.792,   2.792,  2.792,   2.792,   2.792};
constexpr double gate_c2_20[CentreSetLength] = {0.08813, 0.1069, 0.1313, 0.1619, 0.2006, 0.2506, 0.3144, 0.3956,
                                                0.4994,  0.6313, 0.7994, 1.014,  1.287,  1.636,  2.081,  2.648,
                                                3.373,   4.297,  5.475,  6.978,  6.978,  6.978,  6.978,  6.978,
                                                6.978,   6.978,  6.978,  6.978,  6.978,  6.978};
constexpr double gate_c2_30[CentreSetLength] = {0.0068, 0.00911, 0.012,  0.0159, 0.0208, 0.027,  0.0348, 0.0444,
                                                0.0563, 0.0703,  0.0859, 0.1047, 0.1291, 0.1597, 0.1984, 0.2486,
                                                0.3123, 0.3935,  0.4971, 0.629,  0.7973, 1.012,  1.285,  1.634,
                                                2.079,  2.645,   3.37,   4.295,  5.473,  6.978};
constexpr double gate_c3[CentreSetLength] = {0.036,  0.04525, 0.057,  0.07225, 0.092,  0.117,  0.148,  0.1865,
                                             0.234,  0.29,    0.3525, 0.4275,  0.525,  0.6475, 0.8025, 1.0025,
                                             1.2575, 1.5825,  1.9975, 2.525,   3.1975, 4.055,  5.1475, 6.5425,
                                             8.3225, 10.592,  13.49,  17.187,  21.902, 27.915};
constexpr double gate_c4[CentreSetLength] = {
    0.09,  0.1131, 0.1425, 0.1806, 0.23,  0.2925, 0.37,   0.4663, 0.585, 0.725,  0.8813, 1.069,  1.313,  1.619, 2.006,
    2.506, 3.144,  3.957,  4.994,  6.313, 7.994,  10.138, 12.87,  16.35, 20.806, 26.475, 33.725, 42.975, 54.75, 69.8};

struct StandardSetChoice {
    const double* edges;
    const double* centres;
    double factor;
};

// Which set serves which rate index: [gate set 0 or 1][rate index].
const StandardSetChoice StandardSets[2][RepRateCount] = {{{gate_s0, gate_c0, 1.0},
                                                          {gate_s1, gate_c1, 1.0},
                                                          {gate_s2_20, gate_c2_20, 1.0},
                                                          {gate_s1, gate_c1, 10.0},
                                                          {gate_s2_20, gate_c2_20, 10.0},
                                                          {gate_s1, gate_c1, 100.0},
                                                          {gate_s2_20, gate_c2_20, 100.0}},
                                                         {{gate_s0, gate_c0, 1.0},
                                                          {gate_s1, gate_c1, 1.0},
                                                          {gate_s2_30, gate_c2_30, 1.0},
                                                          {gate_s3, gate_c3, 1.0},
                                                          {gate_s4, gate_c4, 1.0},
                                                          {gate_s3, gate_c3, 10.0},
                                                          {gate_s4, gate_c4, 10.0}}};

constexpr double StandardTimeAxisLow[2][RepRateCount] = {{0.005, 0.02, 0.05, 0.2, 0.5, 2.0, 5.0},
                                                         {0.005, 0.02, 0.005, 0.02, 0.05, 0.2, 0.5}};
constexpr double StandardTimeAxisHigh[RepRateCount] = {0.8, 3.0, 8.0, 30.0, 80.0, 300.0, 800.0};

}  // namespace

const WideChar* RepRateLabel(int32_t powerLineFrequency, int32_t repRateIndex)
{
    return powerLineFrequency == 1 ? RepRateLabels60Hz[repRateIndex] : RepRateLabels50Hz[repRateIndex];
}

double RepRateValue(int32_t powerLineFrequency, int32_t repRateIndex)
{
    std::string narrow = WideToNarrow(WideString(RepRateLabel(powerLineFrequency, repRateIndex)));
    return std::strtod(narrow.c_str(), nullptr);
}

void SelectRateFamily(int32_t powerLineFrequency, double (&quarterPeriod)[RepRateCount],
                      double (&earlyWindowEnd)[RepRateCount])
{
    for (int32_t i = 0; i < RepRateCount; ++i) {
        quarterPeriod[i] = powerLineFrequency == 1 ? QuarterPeriod60Hz[i] : QuarterPeriod50Hz[i];
        earlyWindowEnd[i] = powerLineFrequency == 1 ? EarlyWindowEnd60Hz[i] : EarlyWindowEnd50Hz[i];
    }
}

void SelectActiveRateFamily()
{
    SelectRateFamily(Settings.PowerLineFrequency, ActiveQuarterPeriod, ActiveEarlyWindowEnd);
}

int32_t MonitorPassPeriodsFor(int32_t repRateIndex, int32_t fast, int32_t medium)
{
    if (repRateIndex == 0)
        return fast;
    if (repRateIndex == 1)
        return medium;
    return 1;
}

int32_t GateCountForSet(int32_t gateSet, int32_t userGateCount)
{
    if (gateSet == 0)
        return 20;
    if (gateSet == 1)
        return 30;
    if (userGateCount < 1)
        return 1;
    return userGateCount > MaxGateCount ? MaxGateCount : userGateCount;
}

int32_t BuildGateTablesFrom(const GateTableInputs& in, double (&edges)[RepRateCount][GateEdgeCount],
                            double (&centres)[RepRateCount][MaxGateCount], double (&low)[RepRateCount][3],
                            double (&high)[RepRateCount][3])
{
    if (in.GateSet == 0 || in.GateSet == 1) {
        for (int32_t r = 0; r < RepRateCount; ++r) {
            const StandardSetChoice& set = StandardSets[in.GateSet][r];
            for (int32_t n = 0; n < GateEdgeCount; ++n)
                edges[r][n] = n < EdgeSetLength ? (set.edges[n] + 1.0) * set.factor : 0.0;
            for (int32_t n = 0; n < MaxGateCount; ++n)
                centres[r][n] = n < CentreSetLength ? (set.centres[n] + 0.001) * set.factor : 0.0;
            low[r][0] = StandardTimeAxisLow[0][r];
            low[r][1] = StandardTimeAxisLow[1][r];
            high[r][0] = StandardTimeAxisHigh[r];
            high[r][1] = StandardTimeAxisHigh[r];
        }
        return 1;
    }

    if (in.GateSet != 2)
        return 0;
    // User-defined gates: log-spaced from the first gate time to T, current row only.
    const int32_t r = in.RepRateIndex;
    if (r < 0 || r >= RepRateCount)
        return 0;
    // The loader's count is the user-gate count + 1; a count of 100 would run one gate past
    // the row, so the count is held to the row's size.
    int32_t count = in.GateCount;
    if (count < 1)
        return 0;
    if (count > MaxGateCount)
        count = MaxGateCount;
    const double first = in.FirstGateTimeUs;
    const double last = 1000000.0 / (4.0 * in.RepetitionRate) - in.TurnOffTimeUs - UserGateEndMarginUs[r];
    if (!(first > 0.0) || !std::isfinite(first) || !std::isfinite(last) || !(last > first))
        return 0;
    const double q = std::pow(last / first, 1.0 / count);
    edges[r][0] = first;
    for (int32_t n = 1; n <= count; ++n) {
        edges[r][n] = std::pow(q, n) * first;
        centres[r][n - 1] = ((edges[r][n] - edges[r][n - 1]) / 2.0 + edges[r][n - 1]) / 1000.0;
    }
    low[r][2] = centres[r][0] * 0.95;
    high[r][2] = centres[r][count - 1] * 1.05;
    return 1;
}

int32_t BuildGateTables()
{
    GateTableInputs in;
    in.GateSet = Settings.GateSet;
    in.RepRateIndex = Settings.RepRateIndex;
    in.GateCount = GateCount;
    in.FirstGateTimeUs = Settings.FirstGateTimeUs;
    in.RepetitionRate = RepetitionRate;
    in.TurnOffTimeUs = Settings.TurnOffTimeUs;
    return BuildGateTablesFrom(in, GateEdges, GateCentres, TimeAxisLow, TimeAxisHigh);
}
