// The state of one converter program: its mode, its settings, the chosen files and the values
// the record parsers leave for the writers. The programs keep one instance for the whole run;
// the tests make their own.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace converters {

// `ConverterMode`: what a build writes.
constexpr int32_t ModeLz5 = 10;
constexpr int32_t ModeUsf = 11;
constexpr int32_t ModeTxt = 12;
constexpr int32_t ModeXyz = 13;

constexpr int32_t MaxGates = 100;     // gates a reading can hold
constexpr int32_t RecordLength = 60;  // bytes per data-file record, CR LF included
constexpr int32_t RecordTextLength = 58;

// `ConverterSettings`: kept in "\Convertxyz.ini" (XYZ build) or "\Convert.ini" (the others).
// Texts are UTF-8.
struct ConverterSettings {
    std::string DataFolder = "C:\\";
    int32_t OutputUnits = 0;
    int32_t UsfVoltageUnits = 0;
    int32_t XyzPositioning = 0;   // 0 lines W-E, 1 lines S-N, 2 GPS positions
    int32_t XyzFileFormat = 3;    // 0 Geosoft Oasis, 1 Surfer, 2 Generic, 3 AGS Software
    int32_t ColumnDelimiter = 0;  // 0 Fixed, 1 Comma, 2 Space, 3 Tab
    int32_t DataType = 0;         // 0-6 rate index with 20 gates, 7-11 rate index 2-6 with 30
    int32_t GateSelection = 0;    // 0 all with gate 0, 1 gates 1-10, 2 11-20, 3 21-30
    int32_t IncludeHeader = 1;
    int32_t IncludeElevation = 0;
    int32_t IncludeGpsQuality = 0;
    int32_t IncludeHdop = 0;
    int32_t IncludeSatellites = 0;
    int32_t IncludeTimeStamp = 1;
    int32_t IncludeDate = 0;
    int32_t CoordinateType = 0;  // 0 geodetic, 1 UTM metres, 2 UTM feet, 3 UTM US survey feet
    int32_t MinGpsQuality = 0;
    int32_t HdopMask = 4;
};

// The parsed-record state: what the record parsers decode, kept until a later record of the
// same kind overwrites it. Gate arrays are indexed by gate number from 1 (element 0 holds the
// early-window value where a writer uses it).
struct ParsedRecords {
    std::string SyncSourceText = "   ";
    std::string SyncSourceTextB = "   ";
    std::string TransmitterCodeText = "        ";
    int32_t FileSystemConfiguration = 0;
    int32_t FileLineDirection = 0;
    double GridX = 0.0;
    double GridY = 0.0;
    // The line and station as the file holds them, in full: the numbers, and their texts
    // without trailing zeros (the line's with its direction letter). Every output but LZ5's
    // fixed fields uses these.
    double LineNumber = 0.0;
    double StationNumber = 0.0;
    std::string LineLabel;
    std::string StationLabel;
    // LZ5's line (5 characters) and station (6 characters) fields.
    std::string LineText = "     ";
    std::string StationText = "      ";
    std::string TxCurrentText = "        ";
    std::string TurnOffTimeText = "        ";
    double TxCurrent = 0.0;      // A, from the full field
    double TurnOffTimeUs = 0.0;  // us, from the full field
    int32_t FileTxTurns = 0;
    int32_t FileLoopShape = 0;
    int32_t LoopLayoutFlag = 0;
    std::string LoopAreaText;
    double LoopCentreX = 0.0;
    double LoopCentreY = 0.0;
    double LoopSideX = 0.0;
    double LoopSideY = 0.0;
    std::string LoopCentreXText = "        ";
    std::string LoopCentreYText = "        ";
    std::string LoopSideXText = "        ";
    std::string LoopSideYText = "        ";
    int32_t FileMains = 0;
    int32_t FileRepRateIndex = 0;
    int32_t FileCoilType = 0;
    int32_t FileComponent = 0;
    int32_t FileGainCode = 0;
    int32_t FileGateSet = 0;
    int32_t FileUserGateCount = 0;
    std::string ComponentLetter = " ";
    std::string GainText = " ";
    std::string TimeBaseLetter = " ";
    std::string FirstGateTimeText = "        ";
    std::string TimeBaseLetter30 = " ";
    std::string FirstGateTimeText30 = "        ";
    std::string RxAreaText = "       ";
    std::string AveragingCodeText = "  ";
    int32_t FileOnTime = 0;
    double FileReceiverDelayUs = 0.0;
    double FileFirstGateTimeUs = 0.0;
    double FileR2Value = 0.0;
    std::array<double, MaxGates + 1> GateValues{};
    std::array<double, MaxGates + 1> GateTimes{};  // microseconds
    std::array<std::string, MaxGates + 1> Lz5GateTexts;
    std::array<std::string, MaxGates + 1> Lz5GateTextsEarly;
    // What is wrong with the record last parsed or checked: the first field read from it that
    // does not hold what it must (a blank or non-numeric number field, "nan", "inf", an
    // exponent), in words; empty when nothing is. The parsers still store what they read.
    std::string FieldFault;
    // The first line number, station or loop area of a sound record too wide for its fixed LZ5
    // field even without decimals, in words ("the station 1234567"); empty while all fit.
    std::string Lz5UnfitValue;
};

// Data types of the XYZ build: rate index 0-6 with 20 gates, then 7-11 = rate index 2-6 with
// 30 gates.
constexpr int32_t DataTypeCount = 12;

struct ConverterState {
    int32_t ConverterMode = ModeXyz;
    ConverterSettings Settings;
    std::string InputPath;   // UTF-8
    std::string OutputPath;  // UTF-8
    ParsedRecords Parsed;
    // Results of the XYZ build's analysis of the input, read by its dialog.
    std::array<int32_t, DataTypeCount> DataTypePresent{};
    int32_t GgaRecordCount = 0;
};

// The parsed-record state as a conversion of the state's mode starts: every value empty or 0,
// the loop turns 1 in the LZ5, USF and TXT builds. Each conversion starts from it, so nothing
// of an earlier file reaches the next one's output.
void ResetParsedRecords(ConverterState& state);

// Gates the current reading holds: 20 for the standard 20-gate set, 30 for the 30-gate set,
// the user gate count held to 0..100 for user-defined gates, 0 for any other set code.
int32_t ReadingGateCount(const ParsedRecords& p);

}  // namespace converters
