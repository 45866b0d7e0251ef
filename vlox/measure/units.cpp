#include "vlox/measure/units.h"

#include "vlox/instruments/utm.h"
#include "vlox/settings/rate_tables.h"

#include <cmath>

namespace {

double SignedTwoThirds(double x)
{
    return x >= 0.0 ? std::pow(x, 2.0 / 3.0) : -std::pow(-x, 2.0 / 3.0);
}

// Resistivity in Ohm-m from the moment term and one gate; NaN when it has no finite value.
double Resistivity(double moment, double denominator, double tMs)
{
    const double x = moment / denominator;
    const double ohm = 8.82 * SignedTwoThirds(x) / tMs;
    return std::isfinite(ohm) && ohm != 0.0 ? ohm : std::nan("");
}

}  // namespace

int32_t NullSlotFor(int32_t repRateIndex, int32_t gateCount)
{
    if (repRateIndex < 0 || repRateIndex >= RepRateCount)
        return -1;
    const int32_t slot = gateCount > 20 ? repRateIndex + 5 : repRateIndex;
    if (gateCount > 20 && repRateIndex < 2)
        return -1;  // no 30-gate set at rate indexes 0 and 1
    return slot < NullSlotCount ? slot : -1;
}

const double* SelectNullRow(const NullTableValues& tables, int32_t mains, int32_t gateSet, int32_t repRateIndex,
                            int32_t gateCount, int32_t gainCode, int32_t userGatesNullingValid)
{
    if (gainCode < 0 || gainCode >= GainCodeCount)
        return nullptr;
    if (gateSet == 2)
        return userGatesNullingValid == 1 ? tables.UserGatesNullTable[gainCode] : nullptr;
    if (gateSet != 0 && gateSet != 1)
        return nullptr;
    if (mains < 0 || mains > 1)
        return nullptr;
    const int32_t slot = NullSlotFor(repRateIndex, gateCount);
    if (slot < 0)
        return nullptr;
    return tables.NullingTables[mains][slot][gainCode];
}

int32_t ConvertGateValues(const UnitConversionContext& context, int32_t review, int32_t unit, int32_t coilType,
                          int32_t gateCount, int32_t gainCode, double ampereTurns, double* values, double* out)
{
    if (coilType < 0 || coilType >= CoilTypeCount || gainCode < 0 || gainCode >= GainCodeCount)
        return 0;
    const int32_t n = gateCount < 0 ? 0 : (gateCount > MaxGateCount ? MaxGateCount : gateCount);
    const double g = std::ldexp(1.0, 5 - gainCode);
    const double area = CoilAreas[coilType];

    if (!review) {
        for (int32_t i = 0; i < n; ++i) {
            values[i] = values[i] * context.PolaritySign;
            if (!context.Nulling && context.NullRow != nullptr)
                values[i] = values[i] - context.NullRow[i];
        }
    }
    if (unit < 0 || unit >= DisplayUnitCount)
        return 0;
    if ((unit == 4 || unit == 5) && context.GateCentresMs == nullptr)
        return 0;

    // The moment carries the receiver's amplification 2^(gain code + 1) = 64 / G: the gate
    // value over it is then the field's rate of change, whatever the gain, and the late-time
    // formula with its constant 8.82 gives the ground's resistivity. (With G in its place the
    // figure read 1/16 of the ground's at gain code 5 and moved with the gain code.)
    const double moment = area * context.LoopArea * ampereTurns * (64.0 / g);
    for (int32_t i = 0; i < n; ++i) {
        const double v = values[i];
        double result = 0.0;
        switch (unit) {
        case 0:
            result = review ? (g * 3.0 * 100.0 / area / 1000000.0) * v : (g * 3000.0 * 100.0 / area) * v;
            break;
        case 1:
            result = review ? v / 1000000.0 : 1000.0 * v;
            break;
        case 2:
            result = review ? ((g * 3.0 * 100.0 / area / 1000000.0 * 1000.0) * v) / 1000.0
                            : ((g * 3000.0 * 100.0 / area * 1000.0) * v) / 1000.0;
            break;
        case 3:
            result = review ? (g * 3.0 / 1000000.0) * v : (g * 3000.0) * v;
            break;
        default: {
            const double t = context.GateCentresMs[i];
            const double denominator = review ? 1000000.0 * t * v / 1000000.0 : 1000000.0 * t * v * 1000.0;
            if (std::isnan(v) || std::isnan(t) || std::isnan(moment)) {
                result = std::nan("");
                break;
            }
            const double ohm = Resistivity(moment, denominator, t);
            // A zero value, gate time or moment has no finite resistivity: "none" reads 0.
            if (std::isnan(ohm))
                result = 0.0;
            else
                result = unit == 5 ? ohm : 1000.0 / ohm;
            break;
        }
        }
        out[i] = result;
    }
    return 1;
}

LoopGeometry LoopGeometryFromSettings(const SettingsValues& s)
{
    LoopGeometry loop;
    loop.LoopShape = s.TxLoopShape;
    loop.SideX = s.TxLoopSideX;
    loop.SideY = s.TxLoopSideY;
    loop.CornerCoordinateType = s.TxCornerCoordinateType;
    for (int32_t i = 0; i < TxCornerCount; ++i) {
        loop.CornerX[i] = s.TxCornerX[i];
        loop.CornerY[i] = s.TxCornerY[i];
        loop.CornerGpsX[i] = s.TxCornerGpsX[i];
        loop.CornerGpsY[i] = s.TxCornerGpsY[i];
    }
    return loop;
}

double ShoelaceArea(const double (&x)[TxCornerCount], const double (&y)[TxCornerCount])
{
    // Taken about the first corner: the same sum, without the digits that UTM coordinates of
    // several million metres would cost.
    double dx[TxCornerCount], dy[TxCornerCount];
    for (int32_t i = 0; i < TxCornerCount; ++i) {
        dx[i] = x[i] - x[0];
        dy[i] = y[i] - y[0];
    }
    const double s1 = dx[0] * dy[1] + dx[1] * dy[2] + dx[2] * dy[3] + dx[3] * dy[0];
    const double s2 = dx[1] * dy[0] + dx[2] * dy[1] + dx[3] * dy[2] + dx[0] * dy[3];
    return std::fabs(s1 - s2) / 2.0;
}

double LoopArea(const LoopGeometry& loop, double (&eastings)[TxCornerCount], double (&northings)[TxCornerCount])
{
    switch (loop.LoopShape) {
    case 0:
        return loop.SideX * loop.SideX;
    case 1:
        return loop.SideX * loop.SideY;
    case 2:
        return ShoelaceArea(loop.CornerX, loop.CornerY);
    case 3:
        break;
    default:
        return 0.0;
    }

    double e[TxCornerCount], n[TxCornerCount];
    switch (loop.CornerCoordinateType) {
    case 0: {
        int32_t zone = 0;
        for (int32_t i = 0; i < TxCornerCount; ++i) {
            if (!LatLonToUtm(loop.CornerGpsY[i], loop.CornerGpsX[i], zone, n[i], e[i], i == 0 ? 0 : 1))
                return 0.0;
            // One false northing for the whole loop, that of the first corner.
            const bool south0 = loop.CornerGpsY[0] < 0.0;
            const bool south = loop.CornerGpsY[i] < 0.0;
            if (south && !south0)
                n[i] -= UtmFalseNorthingSouth;
            else if (!south && south0)
                n[i] += UtmFalseNorthingSouth;
        }
        break;
    }
    case 1:
    case 2:
    case 3: {
        const double factor = loop.CornerCoordinateType == 1   ? 1.0
                              : loop.CornerCoordinateType == 2 ? 0.3048
                                                               : 0.304800609601219;
        for (int32_t i = 0; i < TxCornerCount; ++i) {
            e[i] = loop.CornerGpsX[i] * factor;
            n[i] = loop.CornerGpsY[i] * factor;
        }
        break;
    }
    default:
        return 0.0;
    }
    for (int32_t i = 0; i < TxCornerCount; ++i) {
        eastings[i] = e[i];
        northings[i] = n[i];
    }
    return ShoelaceArea(e, n);
}
