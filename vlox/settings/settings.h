// The main program's persistent choices: one program-wide value per setting, whose initial
// value is its default. Held in one record so that the pure functions over them (file lines,
// derived values, layout) can be tested on a copy; the program-wide instance is `Settings`.
//
// Derived working values that are not stored in the configuration file live beside it as
// plain program-wide variables. `SettingsDerived` mirrors them so that the loader can work
// on a copy; CaptureDerivedValues/PublishDerivedValues move them between the two.
#pragma once

#include "vlox/settings/textconv.h"

#include <array>
#include <atomic>
#include <cstdint>

constexpr int32_t RepRateCount = 7;     // repetition rates per mains family
constexpr int32_t MaxGateCount = 100;   // gates per row of the gate tables
constexpr int32_t GateEdgeCount = 101;  // edges per row of the gate tables
constexpr int32_t CurveCount = 103;     // pens: 100 gate profiles and three decay curves
constexpr int32_t CornerCount = 4;      // transmitter loop corners

// Default pen widths per curve (entries 0-99 gate profiles, 100-102 the decay curves).
constexpr std::array<int32_t, CurveCount> DefaultLineWidths = {
    1, 2, 2, 2, 3, 2, 2, 2, 2, 1, 2, 2, 2, 2, 3, 2, 2, 2, 2, 1, 2, 2, 2, 2, 3, 2, 2, 2, 2, 1, 2, 1, 3, 1, 1,
    1, 2, 2, 2, 3, 2, 2, 2, 2, 1, 2, 2, 2, 2, 3, 2, 2, 2, 2, 1, 2, 2, 2, 2, 3, 2, 2, 2, 2, 1, 2, 1, 3, 1, 1,
    1, 2, 2, 2, 3, 2, 2, 2, 2, 1, 2, 2, 2, 2, 3, 2, 2, 2, 2, 1, 2, 2, 2, 2, 3, 2, 2, 2, 2, 1, 2, 1, 3};

// Default pen colours (00BBGGRR): a cycle of ten colours with a few fixed entries between.
constexpr std::array<int32_t, CurveCount> MakeDefaultLineColours()
{
    constexpr int32_t cycle[10] = {0x0000FF, 0x00FF00, 0xFFFF00, 0x808000, 0xFF00FF,
                                   0x00FFFF, 0x0080FF, 0xE0E0E0, 0x808080, 0xFF0000};
    std::array<int32_t, CurveCount> c{};
    for (int32_t i = 0; i < CurveCount; ++i)
        c[i] = cycle[i % 10];
    for (int32_t i = 36; i <= 65; ++i)
        c[i] = cycle[(i - 35) % 10];
    const int32_t fixed31[5] = {0xFF0000, 0xFF0000, 0x0000FF, 0x0000FF, 0x0000FF};
    for (int32_t i = 0; i < 5; ++i)
        c[31 + i] = fixed31[i];
    const int32_t fixed66[4] = {0xFF0000, 0xFF0000, 0x0000FF, 0x0000FF};
    for (int32_t i = 0; i < 4; ++i)
        c[66 + i] = fixed66[i];
    c[100] = 0x0000FF;
    c[101] = 0xFF0000;
    c[102] = 0xFF0000;
    return c;
}

template <size_t N>
constexpr std::array<int32_t, N> AllOnes()
{
    std::array<int32_t, N> a{};
    for (auto& v : a)
        v = 1;
    return a;
}

struct SettingsValues {
    // Texts, one byte per character in the file.
    WideString DataDirectory = VLOX_WIDE("C:\\Vlox_Data\\");
    WideString ReviewDirectory = VLOX_WIDE("C:\\Vlox_Data\\");
    WideString OperatorName = VLOX_WIDE("Brem");

    // Survey and system parameters.
    int32_t PowerLineFrequency = 1;  // 1: 60 Hz mains, 0: 50 Hz
    int32_t SelectedComponent = 0;   // 0 Z, 1 X, 2 Y
    int32_t RepRateIndex = 2;
    int32_t AveragingTimeIndex = 5;
    int32_t UserGateCount = 40;
    double FirstGateTimeUs = 10.0;
    int32_t GateSet = 1;  // 0: 20 gates, 1: 30, 2: user-defined
    int32_t GainX = 5;
    int32_t GainY = 5;
    int32_t GainZ = 5;

    // Decay plot scale.
    double TimeAxisMinMs = 0.005;
    double TimeAxisMaxMs = 10.0;
    double AmplitudeAxisMin = 0.0;
    double AmplitudeAxisMax = 10.0;
    int32_t TimeAxisLabels = 0;  // 0 time in ms, 1 gate numbers
    int32_t TimeAxisMinorGrid = 0;
    int32_t DisplayUnit = 0;  // "nV/m2", "mV", "nT/s", "pT", "mS/m", "Ohm-m"
    int32_t AmplitudeAxisMinorGrid = 1;
    int32_t TimeAxisAutoScale = 0;
    int32_t AmplitudeAxisAutoScale = 0;
    int32_t GraphView = 0;  // 0 decay view, 1 profile view

    // Lines and stations.
    double SurveyLine = 0.0;
    double LineIncrement = 20.0;
    int32_t LineDirection = 0;  // 0 N, 1 S, 2 E, 3 W
    int32_t LineSequence = 0;   // 0 alternate, 1 one way
    double StartStation = 0.0;
    double StationIncrement = 5.0;
    int32_t SystemConfiguration = 1;
    int32_t CoilType = 0;
    int32_t RecordCountIndex = 0;
    int32_t ProcessingMethod = 0;  // 0 standard stacking, 1 pruning
    int32_t OnTimeMeasurement = 0;
    int32_t TwoFrequencyMode = 0;
    int32_t FirstRepetitionChoice = 0;  // 0-6 rate index with 20 gates, 7-11 index 2-6 with 30
    int32_t SecondRepetitionChoice = 9;
    int32_t FirstRepetitionGain = 3;
    int32_t SecondRepetitionGain = 5;
    int32_t TransmitterType = 0;
    int32_t ReservedTypeCode = 0;
    int32_t SurveyMode = 0;  // 0 manual, 1 auto trigger
    int32_t AutoTriggerIndex = 0;

    // Transmitter loop.
    int32_t TxLoopShape = 1;  // 0 square, 1 rectangle, 2 corners in metres, 3 GPS corners
    double TxLoopSideX = 100.0;
    double TxLoopSideY = 50.0;
    double TxCentreX = 0.0;
    double TxCentreY = 0.0;
    double TxCornerX[CornerCount] = {0.0, 50.0, 60.0, -10.0};
    double TxCornerY[CornerCount] = {0.0, 0.0, 50.0, 50.0};
    int32_t TxCornerCoordinateType = 1;  // 0 degrees, 1 UTM m, 2 UTM ft, 3 UTM US ft
    int32_t TxCornerUtmZone = 17;
    int32_t TxCornerHemisphere = 0;  // 0 north, 1 south
    double TxCornerGpsX[CornerCount] = {1.0, 1.0, -1.0, -1.0};
    double TxCornerGpsY[CornerCount] = {1.0, -1.0, -1.0, 1.0};
    double ReceiverDelayUs = 0.0;
    double TxCurrent = 3.0;  // amperes
    int32_t TxTurns = 1;
    double TurnOffTimeUs = 0.0;
    double LinearSectionMin = -1.0;
    double LinearSectionMax = 1.0;

    // Per gate and per curve.
    std::array<int32_t, MaxGateCount> ProfileGateVisible = AllOnes<MaxGateCount>();
    std::array<int32_t, MaxGateCount> NumbersGateVisible = AllOnes<MaxGateCount>();
    std::array<int32_t, CurveCount> LineWidths = DefaultLineWidths;
    std::array<int32_t, CurveCount> LineColours = MakeDefaultLineColours();

    // GPS, map and conductivity meter.
    int32_t GpsInput = 0;     // 0 disabled, 1 external, 2 internal
    int32_t GpsNmeaData = 0;  // 0 GGA and GSA, 1 GGA
    int32_t GpsComPort = 4;   // 0 is "COM1:"
    int32_t GpsBaudRate = 0;
    int32_t GpsParity = 0;
    int32_t GpsDataBits = 1;
    int32_t GpsStopBits = 0;
    int32_t GpsCoordinateDisplay = 0;
    int32_t GpsMapType = 0;
    double MapSize = 5.0;          // metres
    double MapGridInterval = 1.0;  // metres
    int32_t MapZoomStepIndex = 2;
    int32_t MapPanStepIndex = 2;
    int32_t MapBackground = 0;
    int32_t MapShowReferencePoint = 1;
    int32_t MeterInput = 0;
    int32_t MeterModel = 0;
    int32_t MeterComPort = 0;

    // Not kept in the configuration file: transmitter periods per monitor pass at rate
    // index 1.
    int32_t MonitorPassPeriodsMedium = 2;

    bool operator==(const SettingsValues&) const = default;
};

extern SettingsValues Settings;

// A run that puts measurement and plot settings of its own in place (a nulling run, the
// internal test, the second rate of a two-frequency reading) holds the operator's first.
// While they are held, the configuration file is written with the operator's rate, gate set,
// gains, axes and unit, so that no save keeps a value the run chose for itself; every other
// setting is written as it is. A second hold keeps the first copy; the run's own put-back
// releases it.
void HoldOperatorSettings();
void ReleaseOperatorSettings();
// `Settings` as the configuration file is to keep them.
SettingsValues SettingsToSave();

// The settings another thread reads (the GPS reader plans each sentence with them), copied
// from `Settings` by the user-interface thread with PublishSharedSettings: at every load and
// save of the configuration (every change of them is saved) and when the GPS link opens.
struct SharedSettingsValues {
    std::atomic<int32_t> SurveyMode{0};
    std::atomic<int32_t> GpsNmeaData{0};
};
extern SharedSettingsValues SharedSettings;
void PublishSharedSettings();

// Derived working values. Their initial values are those the defaults derive to, so a first
// start without a configuration file runs on consistent values.
extern int32_t ConfigInvalid;                      // 1 once the loader met a bad value
extern double ActiveQuarterPeriod[RepRateCount];   // us, the mains family in use
extern double ActiveEarlyWindowEnd[RepRateCount];  // us
extern double RepetitionRate;                      // Hz
extern int32_t GateCount;
extern int32_t GainCodeSent;  // gain code last written to the board
extern int32_t PreviousGain;
extern int32_t AveragingTimeMs;
// Line and station of the last line and station records (L1, S1) that the data-file writers
// keep; the loader sets them too. NoStoredLine makes the next store write a line record.
constexpr double NoStoredLine = -999999.0;
extern double LastStoredLine;
extern double LastStoredStation;
extern double CurrentStation;
extern double TxAmpereTurns;
extern double TotalTurnOffDelay;  // microseconds
extern int32_t GateSampleOffset;  // samples
extern int32_t NumberOfRecords;
extern int32_t AutoTriggerIntervalMs;
extern int32_t MapLayoutMode;  // 1 GPS map, 2 map of lines and stations
// The map layout of a GPS map type (line 490: 0 the grid of lines and stations, 1 and 2 maps
// based on GPS): the GPS map for a GPS type while GPS input is on, else the station map.
int32_t MapLayoutFor(int32_t gpsMapType, int32_t gpsInput);
extern double PixelsPerMetre;  // live map scale
extern double PreviousPixelsPerMetre;
extern double ReviewMapSize;  // metres
extern int32_t UserGatesNullingValid;
extern int32_t MonitorPassPeriodsFast;
extern int32_t MonitorPassPeriods;

// The derived values as one record, for the loader to work on.
struct SettingsDerived {
    int32_t ConfigInvalid = 0;
    double ActiveQuarterPeriod[RepRateCount] = {};
    double ActiveEarlyWindowEnd[RepRateCount] = {};
    double RepetitionRate = 0.0;
    int32_t GateCount = 0;
    int32_t GainCodeSent = 0;
    int32_t PreviousGain = 0;
    int32_t AveragingTimeMs = 0;
    double LastStoredLine = 0.0;
    double CurrentStation = 0.0;
    double LastStoredStation = 0.0;
    double TxAmpereTurns = 0.0;
    double TotalTurnOffDelay = 0.0;
    int32_t GateSampleOffset = 0;
    int32_t NumberOfRecords = 0;
    int32_t AutoTriggerIntervalMs = 0;
    int32_t MapLayoutMode = 0;
    double PixelsPerMetre = 0.0;
    double PreviousPixelsPerMetre = 0.0;
    double ReviewMapSize = 0.0;
    int32_t UserGatesNullingValid = 0;

    bool operator==(const SettingsDerived&) const = default;
};

SettingsDerived CaptureDerivedValues();
void PublishDerivedValues(const SettingsDerived& d);
