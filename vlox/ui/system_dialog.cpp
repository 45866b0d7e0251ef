#include "vlox/ui/system_dialog.h"

#include "resources/acquisition_ids.h"
#include "vlox/settings/config_file.h"
#include "vlox/settings/config_stream.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/ui/acquisition_settings.h"
#include "vlox/ui/dialog_fields.h"

#include <cmath>

namespace {

double AsStored(double v)
{
    return ParseConfigDouble(FormatText("%f", v).c_str());
}

std::vector<WideString> Texts(std::initializer_list<const char*> list)
{
    std::vector<WideString> out;
    for (const char* t : list)
        out.push_back(NarrowToWide(std::string(t)));
    return out;
}

// The DC test's fixed combined delays by mains (0: 50 Hz, 1: 60 Hz) and rate index.
constexpr double DcTestTurnOffDelay[2][RepRateCount] = {{1052, 4000, 10000, 40000, 100000, 400000, 1000000},
                                                        {877, 3333, 8333, 33333, 83333, 333333, 833333}};

}  // namespace

const DialogField SystemNumberFields[5] = {{IDC_SYS_FIRST_GATE, "1st Gate Time [us]", 10},
                                           {IDC_SYS_RX_DELAY, "Receiver Delay [us]", 70},
                                           {IDC_SYS_TX_CURRENT, "Tx Current [A]", 71},
                                           {IDC_SYS_TURNS, "Number of Turns", 72},
                                           {IDC_SYS_TURNOFF, "Turn Off Time [us]", 73}};

std::string FirstGateKeptText(double kept)
{
    return "Value out of range. The first gate time stays " + FieldText(kept, 2) + " us";
}

SystemDialogModel OpenSystemDialog(const SettingsValues& s, bool dataFileOpen)
{
    SystemDialogModel m;
    m.TurnOffAtOpening = s.TurnOffTimeUs;
    m.ReceiverDelayAtOpening = s.ReceiverDelayUs;
    m.Rate = s.RepRateIndex;
    m.Component = s.SelectedComponent;
    m.Gain[0] = s.GainZ;
    m.Gain[1] = s.GainX;
    m.Gain[2] = s.GainY;
    m.GateSet = s.GateSet;
    if (m.GateSet != 2 && m.Rate < 2)
        m.GateSet = 0;
    m.TwoFrequency = s.TwoFrequencyMode;
    m.OnTime = s.OnTimeMeasurement;
    m.Survey = s.SurveyMode;
    m.SurveyAtOpening = s.SurveyMode;
    m.DataFileOpen = dataFileOpen ? 1 : 0;
    return m;
}

SystemControlState SystemControls(const SystemDialogModel& m)
{
    SystemControlState c;
    const bool two = m.TwoFrequency == 1;
    c.RateList = !two;
    c.GateRadios = !two;
    c.Gate30 = !two && m.Rate >= 2;
    c.UserGateFields = m.GateSet == 2;
    c.TwoFrequencyCheck = m.GateSet != 2 && m.Survey == 0;
    c.TwoFrequencyLists = two && m.Survey == 0;
    c.Hint = two;
    c.SurveyRadios = m.DataFileOpen == 0 && !two;
    c.AutoTriggerList = m.DataFileOpen == 0 && m.Survey == 1;
    c.ReceiverDelay = m.OnTime == 1;
    c.GainRow = two ? -1 : m.Component;
    return c;
}

void SystemRateChosen(SystemDialogModel& m, int32_t rate)
{
    m.Rate = rate;
    if (rate < 2 && m.GateSet < 2)
        m.GateSet = 0;
}

void SystemGateChosen(SystemDialogModel& m, int32_t gateSet)
{
    m.GateSet = gateSet;
    if (gateSet < 2 && m.Rate < 2)
        m.GateSet = 0;
}

void SystemTwoFrequencyToggled(SystemDialogModel& m, bool on)
{
    m.TwoFrequency = on ? 1 : 0;
    if (on) {
        if (m.Survey == 1) {
            m.SurveyAtOpening = 1;
            m.Survey = 0;
        }
    } else if (m.SurveyAtOpening == 1) {
        m.Survey = 1;
    }
}

std::vector<WideString> SystemListTexts(int32_t list, int32_t powerLineFrequency)
{
    std::vector<WideString> out;
    switch (list) {
    case SystemListRate:
        for (int32_t k = 0; k < RepRateCount; ++k)
            out.emplace_back(RepRateLabel(powerLineFrequency, k));
        return out;
    case SystemListCoil:
        return {CoilTypeNames, CoilTypeNames + CoilTypeCount};
    case SystemListCount:
        return CountListTexts();
    case SystemListProcessing:
        return Texts({"Standard", "Pruning"});
    case SystemListAveraging:
        return Texts({"0.5", "1", "2", "4", "8", "15", "30", "60", "120"});
    case SystemListComponent:
        return Texts({"Z", "X", "Y"});
    case SystemListRepetitionChoice:
        if (powerLineFrequency == 1)
            return Texts({"285 (20 gates)", "75 (20 gates)", "30 (20 gates)", "7.5 (20 gates)", "3 (20 gates)",
                          "0.75 (20 gates)", "0.3 (20 gates)", "30 (30 gates)", "7.5 (30 gates)", "3 (30 gates)",
                          "0.75 (30 gates)", "0.3 (30 gates)"});
        return Texts({"237.5 (20 gates)", "62.5 (20 gates)", "25 (20 gates)", "6.25 (20 gates)", "2.5 (20 gates)",
                      "0.625 (20 gates)", "0.25 (20 gates)", "25 (30 gates)", "6.25 (30 gates)", "2.5 (30 gates)",
                      "0.625 (30 gates)", "0.25 (30 gates)"});
    case SystemListGain:
        return Texts({"1", "2", "3", "4", "5", "6", "7"});
    case SystemListTransmitter:
        return {TransmitterTypeNames, TransmitterTypeNames + TransmitterTypeCount};
    case SystemListAutoTrigger:
        return Texts({"Fastest", "1 second", "2 seconds", "3 seconds", "4 seconds", "5 seconds", "10 seconds",
                      "15 seconds", "20 seconds", "30 seconds", "60 seconds"});
    default:
        return out;
    }
}

void CheckUserGatesNulling()
{
    const UserGatesHeader& h = UserGatesNullingHeader;
    UserGatesNullingValid = h.Mains == Settings.PowerLineFrequency && h.RateIndex == Settings.RepRateIndex &&
                                    h.GateCount == GateCount && h.FirstGateTimeUs == Settings.FirstGateTimeUs &&
                                    UserGatesNullingPresent != 0
                                ? 1
                                : 0;
}

SystemOkResult SystemDialogOk(const SystemDialogModel& m, const SystemDialogEntries& e, double samplePeriodUs,
                              int32_t internalTestMode)
{
    SystemOkResult result;
    const struct {
        double value;
        int32_t line;
    } wide[] = {{e.ReceiverDelayUs, 70},
                {e.TxCurrent, 71},
                {e.TurnOffTimeUs, 73},
                {m.GateSet == 2 && m.TwoFrequency == 0 ? e.FirstGateTimeUs : 0.0, 10}};
    for (const auto& w : wide)
        if (!FitsRecordField(w.value)) {
            result.Refused = true;
            result.RefusedKind = FieldRefusalKind::TooWide;
            result.RefusedLine = w.line;
            return result;
        }

    // Every setting on a copy first: the configuration loader checks it before it is written.
    SettingsValues s = Settings;
    // 1-3.
    s.RepRateIndex = e.Rate;
    s.CoilType = e.Coil;
    s.RecordCountIndex = e.Records;
    s.ProcessingMethod = e.Processing;
    s.AveragingTimeIndex = e.Averaging;
    s.SelectedComponent = e.Component;
    s.GainZ = m.Gain[0];
    s.GainX = m.Gain[1];
    s.GainY = m.Gain[2];
    int32_t& selectedGain = s.SelectedComponent == 1 ? s.GainX : s.SelectedComponent == 2 ? s.GainY : s.GainZ;
    // 4-5.
    s.OnTimeMeasurement = m.OnTime;
    s.TwoFrequencyMode = m.TwoFrequency;
    s.FirstRepetitionChoice = e.FirstChoice;
    s.SecondRepetitionChoice = e.SecondChoice;
    s.FirstRepetitionGain = e.FirstGain;
    s.SecondRepetitionGain = e.SecondGain;
    if (s.TwoFrequencyMode == 0) {
        s.GateSet = m.GateSet;
        if (s.GateSet < 2 && s.RepRateIndex < 2)
            s.GateSet = 0;
    } else {
        const int32_t c = s.FirstRepetitionChoice;
        s.RepRateIndex = c >= 7 ? c - 5 : c;
        s.GateSet = c >= 7 ? 1 : 0;
        selectedGain = s.FirstRepetitionGain;
    }
    // 7.
    if (s.GateSet == 2) {
        // A first gate at or before the turn-off has no log spacing: the old value stays, and
        // the operator is told.
        const double first = AsStored(e.FirstGateTimeUs);
        if (first > 0.0)
            s.FirstGateTimeUs = first;
        else
            result.FirstGateKept = true;
        s.UserGateCount = e.UserGateCountSelection < 0    ? 1
                          : e.UserGateCountSelection > 99 ? 100
                                                          : e.UserGateCountSelection + 1;
    }
    // 8.
    s.ReceiverDelayUs = AsStored(e.ReceiverDelayUs);
    s.TransmitterType = e.Transmitter;
    s.TxCurrent = e.TxCurrent > 0.0 ? e.TxCurrent : 1.0;
    s.TurnOffTimeUs = AsStored(e.TurnOffTimeUs);
    s.TxTurns = FieldInteger(e.TxTurns, 1, 999);
    // 9-10.
    const double limit = TurnOffLimitFor(s);
    const double delay = ComputeTotalTurnOffDelay(s);
    if (delay < 0.0 && delay < limit) {
        result.WarnedLimit = limit;
        s.TurnOffTimeUs = m.TurnOffAtOpening;
        s.ReceiverDelayUs = m.ReceiverDelayAtOpening;
        if (ComputeTotalTurnOffDelay(s) < limit) {
            s.ReceiverDelayUs = AsStored(limit - s.TurnOffTimeUs);
            // The receiver delay does not count without on-time measurement, and without a
            // transmitter addition it leaves the total 1.2 us short: the turn-off makes up
            // the rest.
            RaiseTurnOffToLimit(s, limit);
        }
    }
    // 12, 14.
    s.ReservedTypeCode = 0;
    s.SurveyMode = m.Survey;
    s.AutoTriggerIndex = e.AutoTrigger;

    const int32_t refused = RefusedSettingLine(s);
    if (refused != 0) {
        result.Refused = true;
        result.RefusedKind = FieldRefusalKind::OutOfRange;
        result.RefusedLine = refused;
        result.WarnedLimit = 0.0;
        result.FirstGateKept = false;
        return result;
    }

    // The settings, then every value derived from them.
    const int32_t gainBefore = GainCodeSent;
    Settings = s;
    NumberOfRecords = s.RecordCountIndex + 1;
    AveragingTimeMs = AveragingTimeForIndex(s.AveragingTimeIndex);
    PreviousGain = gainBefore;
    GainCodeSent = s.SelectedComponent == 1 ? s.GainX : s.SelectedComponent == 2 ? s.GainY : s.GainZ;
    ResetMonitorSums();
    // 6-7.
    RepetitionRate = RepRateValue(s.PowerLineFrequency, s.RepRateIndex);
    GateCount = s.GateSet == 2 ? s.UserGateCount : 20 + 10 * s.GateSet;
    TxAmpereTurns = s.TxTurns * s.TxCurrent;
    // 11.
    BuildGateTables();
    RecomputeTurnOffValues(samplePeriodUs);
    // 13.
    if (internalTestMode == 45)
        TotalTurnOffDelay = DcTestTurnOffDelay[s.PowerLineFrequency == 1 ? 1 : 0][s.RepRateIndex];
    // 14-15.
    AutoTriggerIntervalMs = AutoTriggerIntervalForIndex(s.AutoTriggerIndex);
    if (s.GateSet == 2)
        CheckUserGatesNulling();
    return result;
}
