#include "vlox/measure/nulling.h"

int32_t NullingSteps[NullingStepSlots] = {};
int32_t NullingStepIndex = 0;
int32_t NullingSlot = 0;
int32_t NullingProgressCount = 0;
double NullingEstimateSeconds = 0.0;

namespace {

struct StepBlock {
    int32_t first;
    int32_t last;
};

// The step codes of each rate index.
constexpr StepBlock kRateBlocks[RepRateCount] = {
    {77, 83}, {70, 76}, {56, 69}, {42, 55}, {28, 41}, {14, 27}, {0, 13},
};

struct StackTargetTable {
    int32_t values[AveragingTimeCount][StackTargetSlots];
};

StackTargetTable MakeStackTargets()
{
    StackTargetTable t{};
    for (int32_t a = 0; a < AveragingTimeCount; ++a)
        for (int32_t s = 0; s < StackTargetSlots; ++s)
            t.values[a][s] = StackTargetFor(a, s);
    return t;
}

}  // namespace

int32_t StackTargetFor(int32_t averagingTimeIndex, int32_t slot)
{
    static const double rates[RepRateCount] = {285, 75, 30, 7.5, 3, 0.75, 0.3};
    static const double seconds[AveragingTimeCount] = {0.5, 1, 2, 4, 8, 15, 30, 60, 120};
    if (averagingTimeIndex < 0 || averagingTimeIndex >= AveragingTimeCount || slot < 0 || slot >= StackTargetSlots)
        return 2;
    const int32_t rateIndex = slot >= RepRateCount ? slot - 5 : slot;
    const int32_t periods = static_cast<int32_t>(rates[rateIndex] * seconds[averagingTimeIndex]);
    return periods < 2 ? 2 : periods;
}

int32_t StackTargets[AveragingTimeCount][StackTargetSlots] = {};

namespace {
// Filled once at start from the rule.
const bool kStackTargetsFilled = [] {
    const StackTargetTable t = MakeStackTargets();
    for (int32_t a = 0; a < AveragingTimeCount; ++a)
        for (int32_t s = 0; s < StackTargetSlots; ++s)
            StackTargets[a][s] = t.values[a][s];
    return true;
}();
}  // namespace

SavedMeasureSettingsValues SavedMeasureSettings;

SavedMeasureSettingsValues CaptureMeasureSettings(const SettingsValues& s, int32_t gateCount, int32_t gainCodeSent)
{
    SavedMeasureSettingsValues v;
    v.RepRateIndex = s.RepRateIndex;
    v.GateSet = s.GateSet;
    v.GateCount = gateCount;
    v.GainX = s.GainX;
    v.GainY = s.GainY;
    v.GainZ = s.GainZ;
    v.GainCodeSent = gainCodeSent;
    return v;
}

void BuildFullNullingSteps(int32_t (&steps)[NullingStepSlots])
{
    for (int32_t i = 0; i < NullingStepSlots; ++i)
        steps[i] = i;
}

int32_t BuildSelectiveNullingSteps(const int32_t (&selected)[RepRateCount], int32_t (&steps)[NullingStepSlots])
{
    for (int32_t& s : steps)
        s = 0;
    int32_t n = 0;
    for (int32_t r = RepRateCount - 1; r >= 0; --r) {
        if (selected[r] != 1)
            continue;
        for (int32_t code = kRateBlocks[r].first; code <= kRateBlocks[r].last; ++code)
            steps[n++] = code;
    }
    steps[n] = NullingEndCode;  // all seven blocks fill 84 entries, so n <= 84
    return n;
}

void BuildUserGatesNullingSteps(int32_t (&steps)[NullingStepSlots])
{
    for (int32_t& s : steps)
        s = 0;
    for (int32_t i = 0; i <= 7; ++i)
        steps[i] = i;
}
