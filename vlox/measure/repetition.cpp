#include "vlox/measure/repetition.h"

#include "vlox/measure/board_control.h"
#include "vlox/measure/measure_cycle.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/settings/settings.h"

namespace {

// Block starts by rate index; the run goes from rate 6 (code 0) to rate 0 (code 77).
constexpr int32_t kBlockStart[RepRateCount] = {77, 70, 56, 42, 28, 14, 0};

// Bar fractions of the gain codes 1..6 of a block: fourteen-code blocks reach 0.4286 at 20
// gates and go on from 0.5 at 30 gates; seven-code blocks fill the column with 20 gates.
constexpr double kFourteenFirstHalf[7] = {0.0, 0.0714, 0.1429, 0.2143, 0.2857, 0.3571, 0.4286};
constexpr double kFourteenSecondHalf[7] = {0.5, 0.5714, 0.6429, 0.7143, 0.7857, 0.8571, 0.9286};
constexpr double kSeven[7] = {0.0, 0.1429, 0.2857, 0.4286, 0.5714, 0.7143, 0.8571};

int32_t RateOfCode(int32_t code)
{
    for (int32_t r = 0; r < RepRateCount; ++r) {
        const int32_t length = r >= 2 ? 14 : 7;
        if (code >= kBlockStart[r] && code < kBlockStart[r] + length)
            return r;
    }
    return -1;
}

void SetAllGains(int32_t gain)
{
    Settings.GainZ = Settings.GainY = Settings.GainX = gain;
    GainCodeSent = gain;
}

int32_t MainsIndex()
{
    return Settings.PowerLineFrequency == 0 ? 0 : 1;
}

double RateValue(int32_t rateIndex)
{
    return rateIndex >= 0 && rateIndex < RepRateCount ? RepRateValue(Settings.PowerLineFrequency, rateIndex) : 0.0;
}

// Gates of a null row: `GateCount`, never past the rows of the tables.
int32_t RowGateCount()
{
    if (GateCount < 0)
        return 0;
    return GateCount > MaxGateCount ? MaxGateCount : GateCount;
}

void ClearStackForNextRow()
{
    NullingStackCount = 0;
    for (double& s : StackSums)
        s = 0.0;
}

void SetProcessingCodes()
{
    const char code = Settings.ProcessingMethod == 1 ? 'P' : 'S';
    for (int32_t r = 0; r < RepRateCount; ++r)
        NullProcessingCodes[r] = code;
}

// The code at `NullingStepIndex`; an index outside the list reads as the end code, so a
// list without its end code cannot run past the array.
int32_t CurrentStepCode()
{
    if (NullingStepIndex < 0 || NullingStepIndex >= NullingStepSlots)
        return NullingEndCode;
    return NullingSteps[NullingStepIndex];
}

void ApplyStep(const NullingStepAction& a, NullingServices& services)
{
    if (a.SetsRate != 0) {
        if (a.RateIndex >= 0)
            Settings.RepRateIndex = a.RateIndex;
        RepetitionRate = RateValue(Settings.RepRateIndex);
    }
    if (a.Slot >= 0)
        NullingSlot = a.Slot;
    if (a.GateSet >= 0)
        Settings.GateSet = a.GateSet;
    if (a.GateCount >= 0)
        GateCount = a.GateCount;
    SetAllGains(a.Gain);
    if (a.BuildsGateTables != 0)
        services.BuildGateTables();
    if (a.FillsPreviousColumn != 0 && NullingProgressCount > 0)
        services.DrawNullingProgressBar(NullingProgressCount - 1, 1.0);
    if (a.BarFraction >= 0.0)
        services.DrawNullingProgressBar(NullingProgressCount, a.BarFraction);
    if (a.AdvancesColumn != 0)
        ++NullingProgressCount;
    services.DrawParameterPanel();
    services.RestartAcquisitionIfOpen();
}

// The user's measurement settings as the run found them, with gate tables and panel.
void PutBackSavedSettings(NullingServices& services)
{
    ReleaseOperatorSettings();
    const SavedMeasureSettingsValues& saved = SavedMeasureSettings;
    Settings.RepRateIndex = saved.RepRateIndex;
    RepetitionRate = RateValue(Settings.RepRateIndex);
    Settings.GateSet = saved.GateSet;
    GateCount = saved.GateCount;
    Settings.GainX = saved.GainX;
    Settings.GainY = saved.GainY;
    Settings.GainZ = saved.GainZ;
    GainCodeSent = saved.GainCodeSent;
    services.BuildGateTables();
    services.DrawParameterPanel();
}

// Sets up a step; false when its restart left the board closed and the run was abandoned.
// The nulling settings must not stay behind as the user's (a later save would keep them).
bool ApplyStepOrAbandon(const NullingStepAction& a, NullingServices& services)
{
    ApplyStep(a, services);
    if (services.BoardOpen() != 0)
        return true;
    services.EraseNullingProgress();
    PutBackSavedSettings(services);
    services.InvalidateMainWindow();
    MeasureState = MeasureStateMonitor;
    return false;
}

// The first steps of the end of a run: board stopped, last column full, the box, the
// progress box erased, the user's settings back, gate tables and panel.
void FinishRunStart(const char* text, NullingServices& services)
{
    services.StopAcquisition();
    if (NullingProgressCount > 0)
        services.DrawNullingProgressBar(NullingProgressCount - 1, 1.0);
    services.ShowMessage(text, NullingDoneCaption);
    services.EraseNullingProgress();
    PutBackSavedSettings(services);
}

void FinishRunEnd(NullingServices& services)
{
    services.InvalidateMainWindow();
    MeasureState = MeasureStateMonitor;
    services.RestartAcquisition();
}

}  // namespace

int32_t NullingBlockStart(int32_t rateIndex)
{
    return rateIndex >= 0 && rateIndex < RepRateCount ? kBlockStart[rateIndex] : -1;
}

NullingStepAction StandardNullingStepAction(int32_t code)
{
    NullingStepAction a;
    const int32_t r = RateOfCode(code);
    if (r < 0) {
        a.EndOfRun = 1;
        return a;
    }
    const int32_t k = code - kBlockStart[r];
    const bool fourteen = r >= 2;
    const int32_t gain = k % 7;
    a.Gain = gain;
    if (k == 0) {
        a.SetsRate = 1;
        a.RateIndex = r;
        a.Slot = r;
        a.GateSet = 0;
        a.GateCount = 20;
        a.BuildsGateTables = 1;
        a.FillsPreviousColumn = 1;
    } else if (k == 7) {
        a.Slot = r + 5;
        a.GateSet = 1;
        a.GateCount = 30;
        a.BuildsGateTables = 1;
        a.BarFraction = kFourteenSecondHalf[0];
    } else if (!fourteen) {
        a.BarFraction = kSeven[gain];
    } else {
        a.BarFraction = k < 7 ? kFourteenFirstHalf[gain] : kFourteenSecondHalf[gain];
    }
    a.AdvancesColumn = k == (fourteen ? 13 : 6) ? 1 : 0;
    return a;
}

NullingStepAction UserGatesNullingStepAction(int32_t code)
{
    NullingStepAction a;
    if (code < 0 || code > NullingLastUserGatesCode) {
        a.EndOfRun = 1;
        return a;
    }
    a.Gain = code;
    if (code == 0) {
        a.SetsRate = 1;  // the user's rate, its label read anew
        a.BuildsGateTables = 1;
    } else {
        a.BarFraction = kSeven[code];
    }
    a.AdvancesColumn = code == NullingLastUserGatesCode ? 1 : 0;
    return a;
}

namespace {

// Rate index and gate set of a repetition choice (0-6 the rate with 20 gates, 7-11 rates 2-6
// with 30); false outside 0..11.
bool RepetitionRateOf(int32_t choice, int32_t& rateIndex, int32_t& gateSet)
{
    if (choice < 0 || choice > 11)
        return false;
    rateIndex = choice >= 7 ? choice - 5 : choice;
    gateSet = choice >= 7 ? 1 : 0;
    return true;
}

// The repetition list's choice and the gain of the first repetition (which = 1) or the second.
void RepetitionOf(int32_t which, const SettingsValues& s, int32_t& choice, int32_t& gain)
{
    choice = which == 1 ? s.FirstRepetitionChoice : s.SecondRepetitionChoice;
    gain = which == 1 ? s.FirstRepetitionGain : s.SecondRepetitionGain;
}

}  // namespace

bool RepetitionActive(int32_t which, const SettingsValues& s, int32_t gainCodeSent)
{
    int32_t choice = 0, gain = 0, rate = 0, gateSet = 0;
    RepetitionOf(which, s, choice, gain);
    // A component without a gain of its own is not held to the repetition's.
    int32_t componentGain = gain;
    GainCodeForComponent(s.SelectedComponent, s.GainZ, s.GainX, s.GainY, componentGain);
    return RepetitionRateOf(choice, rate, gateSet) && s.RepRateIndex == rate && s.GateSet == gateSet &&
           gainCodeSent == gain && componentGain == gain;
}

void SelectActiveRepetitionWith(int32_t which, NullingServices& services)
{
    int32_t choice = 0, gain = 0, rate = 0, gateSet = 0;
    RepetitionOf(which, Settings, choice, gain);
    // The loader holds both to their ranges; anything else would index past the rate tables.
    if (!RepetitionRateOf(choice, rate, gateSet) || gain < 0 || gain >= GainCodeCount)
        return;
    // The second rate is the reading's own: the configuration keeps the first, the operator's.
    if (which == 1)
        ReleaseOperatorSettings();
    else
        HoldOperatorSettings();
    Settings.RepRateIndex = rate;
    Settings.GateSet = gateSet;
    MonitorPassPeriods =
        MonitorPassPeriodsFor(Settings.RepRateIndex, MonitorPassPeriodsFast, Settings.MonitorPassPeriodsMedium);
    MonitorPassCount = 0;
    // The gate count before the switch.
    const int32_t cleared = RowGateCount();
    for (int32_t g = 0; g < cleared; ++g)
        MonitorSums[g] = 0.0;
    switch (Settings.SelectedComponent) {
    case 0:
        Settings.GainZ = gain;
        break;
    case 1:
        Settings.GainX = gain;
        break;
    case 2:
        Settings.GainY = gain;
        break;
    default:
        break;
    }
    PreviousGain = GainCodeSent;
    GainCodeSent = gain;
    RepetitionRate = RateValue(Settings.RepRateIndex);
    GateCount = GateCountForSet(Settings.GateSet, Settings.UserGateCount);
    services.BuildGateTables();
    services.DrawParameterPanel();
    services.RestartAcquisitionIfOpen();
}

int32_t StandardGatesNullingStepWith(NullingServices& services)
{
    SetProcessingCodes();
    if (NullingStepIndex > 0 && NullingSlot >= 0 && NullingSlot < NullSlotCount && GainCodeSent >= 0 &&
        GainCodeSent < GainCodeCount) {
        double* row = NullingTables[MainsIndex()][NullingSlot][GainCodeSent];
        const int32_t n = RowGateCount();
        for (int32_t i = 0; i < n; ++i)
            row[i] = GateAverages[i];
    }
    ClearStackForNextRow();
    const NullingStepAction a = StandardNullingStepAction(CurrentStepCode());
    if (a.EndOfRun == 0) {
        ApplyStepOrAbandon(a, services);
        return 0;
    }
    FinishRunStart(SelectiveNullingDoneText, services);
    services.SaveSettings();
    if (services.DataFileOpen() != 0)
        services.WriteNullingTable(NullTableToLogSelected, Settings.PowerLineFrequency);
    FinishRunEnd(services);
    return 0;
}

int32_t UserGatesNullingStepWith(NullingServices& services)
{
    SetProcessingCodes();
    if (NullingStepIndex > 0 && GainCodeSent >= 0 && GainCodeSent < GainCodeCount) {
        const int32_t n = RowGateCount();
        for (int32_t i = 0; i < n; ++i)
            UserGatesNullTable[GainCodeSent][i] = GateAverages[i];
    }
    UserGatesNullingValid = 0;
    ClearStackForNextRow();
    const int32_t code = CurrentStepCode();
    const NullingStepAction a = UserGatesNullingStepAction(code);
    if (a.EndOfRun == 0) {
        ApplyStepOrAbandon(a, services);
        return 0;
    }
    FinishRunStart(UserGatesNullingDoneText, services);
    UserGatesNullingHeader.Mains = Settings.PowerLineFrequency;
    UserGatesNullingHeader.RateIndex = Settings.RepRateIndex;
    UserGatesNullingHeader.GateCount = GateCount;
    UserGatesNullingHeader.FirstGateTimeUs = Settings.FirstGateTimeUs;
    UserGatesNullingPresent = 1;
    UserGatesNullingValid = 1;
    services.SaveSettings();
    FinishRunEnd(services);
    return 0;
}
