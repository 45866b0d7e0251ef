#include "vlox/settings/settings.h"

#include "vlox/settings/rate_tables.h"

#include <algorithm>

SettingsValues Settings;
SharedSettingsValues SharedSettings;

namespace {

bool OperatorHeld = false;
SettingsValues OperatorSettings;

}  // namespace

void HoldOperatorSettings()
{
    if (OperatorHeld)
        return;
    OperatorSettings = Settings;
    OperatorHeld = true;
}

void ReleaseOperatorSettings()
{
    OperatorHeld = false;
}

SettingsValues SettingsToSave()
{
    SettingsValues out = Settings;
    if (!OperatorHeld)
        return out;
    // What the runs change: the rate, gate set and gains they measure at, and the plot of the test.
    const SettingsValues& o = OperatorSettings;
    out.RepRateIndex = o.RepRateIndex;
    out.GateSet = o.GateSet;
    out.GainX = o.GainX;
    out.GainY = o.GainY;
    out.GainZ = o.GainZ;
    out.TimeAxisMinMs = o.TimeAxisMinMs;
    out.TimeAxisMaxMs = o.TimeAxisMaxMs;
    out.AmplitudeAxisMin = o.AmplitudeAxisMin;
    out.AmplitudeAxisMax = o.AmplitudeAxisMax;
    out.TimeAxisMinorGrid = o.TimeAxisMinorGrid;
    out.AmplitudeAxisMinorGrid = o.AmplitudeAxisMinorGrid;
    out.TimeAxisLabels = o.TimeAxisLabels;
    out.DisplayUnit = o.DisplayUnit;
    out.LinearSectionMin = o.LinearSectionMin;
    out.LinearSectionMax = o.LinearSectionMax;
    return out;
}

void PublishSharedSettings()
{
    SharedSettings.SurveyMode = Settings.SurveyMode;
    SharedSettings.GpsNmeaData = Settings.GpsNmeaData;
}

// Initial values: what the defaults derive to (60 Hz, rate index 2, 30 gates, gain 5,
// 15 s averaging, transmitter TXA1 with no turn-off time).
int32_t ConfigInvalid = 0;
double ActiveQuarterPeriod[RepRateCount] = {QuarterPeriod60Hz[0], QuarterPeriod60Hz[1], QuarterPeriod60Hz[2],
                                            QuarterPeriod60Hz[3], QuarterPeriod60Hz[4], QuarterPeriod60Hz[5],
                                            QuarterPeriod60Hz[6]};
double ActiveEarlyWindowEnd[RepRateCount] = {EarlyWindowEnd60Hz[0], EarlyWindowEnd60Hz[1], EarlyWindowEnd60Hz[2],
                                             EarlyWindowEnd60Hz[3], EarlyWindowEnd60Hz[4], EarlyWindowEnd60Hz[5],
                                             EarlyWindowEnd60Hz[6]};
double RepetitionRate = 30.0;
int32_t GateCount = 30;
int32_t GainCodeSent = 5;
int32_t PreviousGain = 5;
int32_t AveragingTimeMs = 15000;
double CurrentStation = 0.0;
double LastStoredLine = NoStoredLine;
double LastStoredStation = 0.0;
double TxAmpereTurns = 3.0;
// TXA1 with no turn-off time: 5.9, summed in the loader's order so both agree to the last bit.
double TotalTurnOffDelay = 0.0 + 9.6 - 2.5 - 1.2;
int32_t GateSampleOffset = 0;
int32_t NumberOfRecords = 1;
int32_t AutoTriggerIntervalMs = 0;
int32_t MapLayoutMode = 2;
double PixelsPerMetre = 0.0;
double PreviousPixelsPerMetre = 0.0;
double ReviewMapSize = 5.0;
int32_t UserGatesNullingValid = 0;
int32_t MonitorPassPeriodsFast = 5;
int32_t MonitorPassPeriods = 1;

SettingsDerived CaptureDerivedValues()
{
    SettingsDerived d;
    d.ConfigInvalid = ConfigInvalid;
    std::copy(std::begin(ActiveQuarterPeriod), std::end(ActiveQuarterPeriod), d.ActiveQuarterPeriod);
    std::copy(std::begin(ActiveEarlyWindowEnd), std::end(ActiveEarlyWindowEnd), d.ActiveEarlyWindowEnd);
    d.RepetitionRate = RepetitionRate;
    d.GateCount = GateCount;
    d.GainCodeSent = GainCodeSent;
    d.PreviousGain = PreviousGain;
    d.AveragingTimeMs = AveragingTimeMs;
    d.LastStoredLine = LastStoredLine;
    d.CurrentStation = CurrentStation;
    d.LastStoredStation = LastStoredStation;
    d.TxAmpereTurns = TxAmpereTurns;
    d.TotalTurnOffDelay = TotalTurnOffDelay;
    d.GateSampleOffset = GateSampleOffset;
    d.NumberOfRecords = NumberOfRecords;
    d.AutoTriggerIntervalMs = AutoTriggerIntervalMs;
    d.MapLayoutMode = MapLayoutMode;
    d.PixelsPerMetre = PixelsPerMetre;
    d.PreviousPixelsPerMetre = PreviousPixelsPerMetre;
    d.ReviewMapSize = ReviewMapSize;
    d.UserGatesNullingValid = UserGatesNullingValid;
    return d;
}

void PublishDerivedValues(const SettingsDerived& d)
{
    ConfigInvalid = d.ConfigInvalid;
    std::copy(std::begin(d.ActiveQuarterPeriod), std::end(d.ActiveQuarterPeriod), ActiveQuarterPeriod);
    std::copy(std::begin(d.ActiveEarlyWindowEnd), std::end(d.ActiveEarlyWindowEnd), ActiveEarlyWindowEnd);
    RepetitionRate = d.RepetitionRate;
    GateCount = d.GateCount;
    GainCodeSent = d.GainCodeSent;
    PreviousGain = d.PreviousGain;
    AveragingTimeMs = d.AveragingTimeMs;
    LastStoredLine = d.LastStoredLine;
    CurrentStation = d.CurrentStation;
    LastStoredStation = d.LastStoredStation;
    TxAmpereTurns = d.TxAmpereTurns;
    TotalTurnOffDelay = d.TotalTurnOffDelay;
    GateSampleOffset = d.GateSampleOffset;
    NumberOfRecords = d.NumberOfRecords;
    AutoTriggerIntervalMs = d.AutoTriggerIntervalMs;
    MapLayoutMode = d.MapLayoutMode;
    PixelsPerMetre = d.PixelsPerMetre;
    PreviousPixelsPerMetre = d.PreviousPixelsPerMetre;
    ReviewMapSize = d.ReviewMapSize;
    UserGatesNullingValid = d.UserGatesNullingValid;
}

int32_t MapLayoutFor(int32_t gpsMapType, int32_t gpsInput)
{
    return gpsMapType != 0 && gpsInput != 0 ? 1 : 2;
}
