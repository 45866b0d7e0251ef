#include "vlox/ui/acquisition_settings.h"

#include "vlox/measure/measure_cycle.h"
#include "vlox/settings/config_file.h"
#include "vlox/settings/config_stream.h"
#include "vlox/settings/rate_tables.h"

#include <cmath>

const char TurnOffLimitCaption[] = "V-LOX Warning";

namespace {

int32_t RateOfChoice(int32_t choice)
{
    return choice >= 7 ? choice - 5 : choice;
}

int32_t ClampRate(int32_t k)
{
    return k < 0 ? 0 : k >= RepRateCount ? RepRateCount - 1 : k;
}

// The value the configuration file gives back for v: lines are written "%f".
double AsStored(double v)
{
    return ParseConfigDouble(FormatText("%f", v).c_str());
}

int32_t& SelectedGain(SettingsValues& s)
{
    return s.SelectedComponent == 1 ? s.GainX : s.SelectedComponent == 2 ? s.GainY : s.GainZ;
}

}  // namespace

double TurnOffLimitFor(const SettingsValues& s)
{
    int32_t k = s.RepRateIndex;
    if (s.TwoFrequencyMode == 1) {
        const int32_t a = RateOfChoice(s.FirstRepetitionChoice);
        const int32_t b = RateOfChoice(s.SecondRepetitionChoice);
        k = a < b ? a : b;
    }
    return TurnOffLimits[ClampRate(k)];
}

WideString TurnOffLimitWarning(double limit)
{
    return NarrowToWide(FormatText("%s\r\n%s %d", "Combined Rx Delay and Tx Turn Off out of range.",
                                   "The combined value cannot be less than ", static_cast<int>(limit)));
}

void RecomputeTurnOffValues(double samplePeriodUs)
{
    TotalTurnOffDelay = ComputeTotalTurnOffDelay(Settings);
    GateSampleOffset = 0;
    if (TotalTurnOffDelay < 0.0) {
        const double period = samplePeriodUs > 0.0 ? samplePeriodUs : DefaultSamplePeriodUs;
        // Rounded half up as the offset has always been.
        GateSampleOffset =
            static_cast<int32_t>(-TotalTurnOffDelay / period + 0.5);  // NOLINT(bugprone-incorrect-roundings)
    }
}

void RaiseTurnOffToLimit(SettingsValues& s, double limit)
{
    if (!(ComputeTotalTurnOffDelay(s) < limit))
        return;
    const double rest = ComputeTotalTurnOffDelay(s) - s.TurnOffTimeUs;
    // Kept as the file keeps it, and stepped up by the file's last digit until the reloaded
    // value passes the loader's check too.
    s.TurnOffTimeUs = AsStored(std::ceil((limit - rest) * 1e6) / 1e6);
    for (int32_t i = 0; i < 100 && ComputeTotalTurnOffDelay(s) < limit; ++i)
        s.TurnOffTimeUs = AsStored(s.TurnOffTimeUs + 1e-6);
}

bool FitsRecordField(double value)
{
    return std::isfinite(value) && FormatText("%.0f", value).size() <= 13;
}

int32_t PanelRowAt(const StatusPanelLayout& panel, int32_t x, int32_t y)
{
    if (x < panel.LabelX || x > panel.PanelRight)
        return PanelRowNone;
    for (int32_t k = 0; k < PanelLiveItemCount; ++k) {
        const FieldRect& r = panel.PanelItemRectsLive[k];
        if (y >= r.top && y <= r.bottom)
            return k;
    }
    return PanelRowNone;
}

PopupRefusal PopupRowRefusal(int32_t row, int32_t twoFrequencyMode, int32_t gateSet)
{
    static const char twoFrequencies[] = "Two Frequencies Measurements";
    static const char userGates[] = "User Define Gates Mode";
    static const char userGatesText[] = "Please use Set Parameters|System Parameters dialog to select this parameter";
    switch (row) {
    case PanelRowRepetition:
        if (twoFrequencyMode == 1)
            return {"Please use Set Parameters|System Parameters dialog to select two Repetitions", twoFrequencies};
        if (gateSet == 2)
            return {userGatesText, userGates};
        break;
    case PanelRowGain:
        if (twoFrequencyMode == 1)
            return {"Please use Set Parameters|System Parameters dialog to select Gain for each Repetition",
                    twoFrequencies};
        break;
    case PanelRowGates:
        if (twoFrequencyMode == 1)
            return {"Please use Set Parameters|System Parameters dialog to select Number of Gates for each Repetition",
                    twoFrequencies};
        if (gateSet == 2)
            return {userGatesText, userGates};
        break;
    default:
        break;
    }
    return {};
}

int32_t PopupMenuForRow(int32_t row, int32_t powerLineFrequency)
{
    switch (row) {
    case PanelRowRepetition:
        return powerLineFrequency != 0 ? 1241 : 1240;
    case PanelRowAverage:
        return 1250;
    case PanelRowComponent:
        return 1300;
    case PanelRowGain:
        return 1310;
    case PanelRowGates:
        return 1260;
    case PanelRowUnits:
        return 1320;
    default:
        return 0;
    }
}

void ResetMonitorSums()
{
    MonitorPassPeriods =
        MonitorPassPeriodsFor(Settings.RepRateIndex, MonitorPassPeriodsFast, Settings.MonitorPassPeriodsMedium);
    MonitorPassCount = 0;
    // Every gate: a gate set of more gates may follow.
    for (double& sum : MonitorSums)
        sum = 0.0;
}

void ApplyPopupChoiceWith(int32_t id, PopupChoiceHost& host)
{
    if (MapLayoutMode == 1)
        host.PreserveMap(0);

    if (id >= 1242 && id <= 1248) {
        const int32_t k = id - 1242;
        SettingsValues chosen = Settings;
        chosen.RepRateIndex = k;
        // 30 gates exist only from rate index 2 on.
        if (k < 2)
            chosen.GateSet = 0;
        // The live combined delay, and the stored one as the next start will check it: the DC
        // test runs on a delay of its own.
        if (TurnOffLimits[k] <= TotalTurnOffDelay && AcceptLoadableSettings(Settings, chosen) == 0) {
            ResetMonitorSums();
            RepetitionRate = RepRateValue(Settings.PowerLineFrequency, k);
            GateCount = Settings.GateSet * 10 + 20;
            host.RebuildGateTables();
            host.InvalidateMain();
            host.RestartAcquisition();
        } else {
            host.Warn(TurnOffLimitWarning(TurnOffLimits[k]));
        }
    } else if (id >= 1251 && id <= 1259) {
        Settings.AveragingTimeIndex = id - 1251;
        AveragingTimeMs = AveragingTimeForIndex(Settings.AveragingTimeIndex);
    } else if (id == 1261 || id == 1262) {
        Settings.GateSet = id == 1262 && Settings.RepRateIndex >= 2 ? 1 : 0;
        GateCount = Settings.GateSet * 10 + 20;
        ResetMonitorSums();
        host.RebuildGateTables();
        host.ClearCurveBackground();
        host.InvalidateMain();
        host.RestartAcquisition();
    } else if (id >= 1271 && id <= 1281) {
        Settings.CoilType = id - 1271;
    } else if (id >= 1284 && id <= 1289) {
        RecordsDialogOk(id - 1284);
    } else if (id >= 1301 && id <= 1303) {
        Settings.SelectedComponent = id - 1301;
        GainCodeSent = SelectedGain(Settings);
        host.InvalidateMain();
        host.RestartAcquisition();
    } else if (id >= 1311 && id <= 1317) {
        PreviousGain = GainCodeSent;
        GainCodeSent = id - 1311;
        SelectedGain(Settings) = GainCodeSent;
        if (InternalTestMode > 0)
            host.RedrawTestGain(GainCodeSent);
        else
            host.InvalidateMain();
        host.RestartAcquisition();
        host.Delay(100);
    } else if (id >= 1321 && id <= 1326) {
        Settings.DisplayUnit = id - 1321;
        host.ClearCurveBackground();
    } else if (id == 1331 || id == 1332) {
        Settings.ProcessingMethod = id - 1331;
    }

    if (MapLayoutMode == 1)
        host.PreserveMap(1);
    host.Delay(10);
}

std::vector<WideString> CountListTexts()
{
    std::vector<WideString> texts;
    texts.reserve(100);
    for (int i = 1; i <= 100; ++i)
        texts.push_back(NarrowToWide(FormatText("%2d", i)));
    return texts;
}

double TurnOffDialogOk(double entered, double valueAtOpening, double samplePeriodUs)
{
    Settings.TurnOffTimeUs = AsStored(entered);
    double refusedLimit = 0.0;
    const double limit = TurnOffLimitFor(Settings);
    if (ComputeTotalTurnOffDelay(Settings) < 0.0 && ComputeTotalTurnOffDelay(Settings) < limit) {
        refusedLimit = limit;
        Settings.TurnOffTimeUs = valueAtOpening;
        // The old value may itself be below a limit that a later rate choice made stricter.
        RaiseTurnOffToLimit(Settings, limit);
    }
    RecomputeTurnOffValues(samplePeriodUs);
    return refusedLimit;
}

void TxCurrentDialogOk(double entered)
{
    Settings.TxCurrent = entered;
    if (Settings.TxTurns < 1)
        Settings.TxTurns = 1;
    TxAmpereTurns = Settings.TxTurns * Settings.TxCurrent;
}

void RecordsDialogOk(int32_t selection)
{
    Settings.RecordCountIndex = selection < 0 ? 0 : selection > 99 ? 99 : selection;
    NumberOfRecords = Settings.RecordCountIndex + 1;
}
