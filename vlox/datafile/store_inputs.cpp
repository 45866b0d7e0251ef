#include "vlox/datafile/store_inputs.h"

#include "vlox/settings/rate_tables.h"

DataFileSources DataFileInputs;

ReadingParameters ReadingParametersFromSettings(const SettingsValues& s, double currentStation, int32_t numberOfRecords)
{
    ReadingParameters p;
    p.SurveyLine = s.SurveyLine;
    p.LineDirection = s.LineDirection;
    p.StartStation = s.StartStation;
    p.LineSequence = s.LineSequence;
    p.CurrentStation = currentStation;
    p.MeterInput = s.MeterInput;
    p.MeterModel = s.MeterModel;
    p.TxCurrent = s.TxCurrent;
    p.TurnOffTimeUs = s.TurnOffTimeUs;
    p.TxLoopShape = s.TxLoopShape;
    p.TxTurns = s.TxTurns;
    p.TransmitterType = s.TransmitterType;
    p.TxCornerCoordinateType = s.TxCornerCoordinateType;
    p.TxCornerUtmZone = s.TxCornerUtmZone;
    p.TxCornerHemisphere = s.TxCornerHemisphere;
    p.TxLoopArea = DataFileInputs.TxLoopArea ? DataFileInputs.TxLoopArea() : 0.0;
    p.TxCentreX = s.TxCentreX;
    p.TxCentreY = s.TxCentreY;
    p.TxLoopSideX = s.TxLoopSideX;
    p.TxLoopSideY = s.TxLoopSideY;
    for (int c = 0; c < 4; ++c) {
        p.TxCornerX[c] = s.TxCornerX[c];
        p.TxCornerY[c] = s.TxCornerY[c];
        p.TxCornerGpsX[c] = s.TxCornerGpsX[c];
        p.TxCornerGpsY[c] = s.TxCornerGpsY[c];
    }
    p.PowerLineFrequency = s.PowerLineFrequency;
    p.RepRateIndex = s.RepRateIndex;
    p.CoilType = s.CoilType;
    p.NumberOfRecords = numberOfRecords;
    p.ProcessingMethod = s.ProcessingMethod;
    p.AveragingTimeIndex = s.AveragingTimeIndex;
    p.SelectedComponent = s.SelectedComponent;
    p.GainX = s.GainX;
    p.GainY = s.GainY;
    p.GainZ = s.GainZ;
    p.GateSet = s.GateSet;
    p.SurveyMode = s.SurveyMode;
    p.AutoTriggerIndex = s.AutoTriggerIndex;
    p.UserGateCount = s.UserGateCount;
    p.TwoFrequencyMode = s.TwoFrequencyMode;
    p.OnTimeMeasurement = s.OnTimeMeasurement;
    p.ReceiverDelayUs = s.ReceiverDelayUs;
    p.FirstGateTimeUs = s.FirstGateTimeUs;
    p.InvertOn = DataFileInputs.InvertOn ? DataFileInputs.InvertOn() : 0;
    return p;
}

FileHeaderFields HeaderFieldsFromSettings(const SettingsValues& s, const std::string& title)
{
    FileHeaderFields h;
    h.GpsInput = s.GpsInput;
    h.OperatorName = WideToNarrow(s.OperatorName);
    h.SystemConfiguration = s.SystemConfiguration;
    h.ReservedTypeCode = s.ReservedTypeCode;
    h.TransmitterType = s.TransmitterType;
    h.DataFileTitle = title;
    if (DataFileInputs.GpsOrigin)
        DataFileInputs.GpsOrigin(h.GpsOriginEasting, h.GpsOriginNorthing);
    h.GpsNmeaData = s.GpsNmeaData;
    return h;
}

void ApplyRepetitionToSettings(const ReadingParameters& p, SettingsValues& s)
{
    s.RepRateIndex = p.RepRateIndex;
    s.GateSet = p.GateSet;
    s.GainX = p.GainX;
    s.GainY = p.GainY;
    s.GainZ = p.GainZ;
    if (p.RepRateIndex >= 0 && p.RepRateIndex < RepRateCount)
        RepetitionRate = RepRateValue(s.PowerLineFrequency, p.RepRateIndex);
    MonitorPassPeriods = p.RepRateIndex == 0   ? MonitorPassPeriodsFast
                         : p.RepRateIndex == 1 ? s.MonitorPassPeriodsMedium
                                               : 1;
    if (DataFileInputs.ClearMonitorSums)
        DataFileInputs.ClearMonitorSums();
}
