// What the store and the header take from the rest of the program: the settings as they
// stand, and the few values other parts own (the measurement results, the meter reading,
// the GPS origin, the loop area, the invert switch). The program's start connects them in
// DataFileSources; an entry left unset gives a neutral value.
#pragma once

#include "vlox/datafile/store.h"
#include "vlox/settings/settings.h"

struct DataFileSources {
    // Records 1..NumberOfRecords of the reading (index 0 unused): first or only rate, and
    // the second rate of a two-frequency reading.
    const ReadingRecordResult* (*ResultsA)() = nullptr;
    const ReadingRecordResult* (*ResultsB)() = nullptr;
    MeterValues (*Meter)() = nullptr;
    int32_t (*InvertOn)() = nullptr;
    double (*TxLoopArea)() = nullptr;
    // The survey origin: the first valid GPS fix (UTM metres).
    void (*GpsOrigin)(double& easting, double& northing) = nullptr;
    // A new data file starts counting GPS positions from 0.
    void (*ClearGpsPositionCount)() = nullptr;
    // A new station was stored while the map shows the station map.
    void (*StationMapChanged)() = nullptr;
    // The station index was created, closed or gained a station: the station map's list is
    // read again, whichever map is shown, so that it is current whenever the station map opens.
    void (*StationIndexChanged)() = nullptr;
    // The two-frequency store moved the rate: the monitor pass count and sums start again.
    void (*ClearMonitorSums)() = nullptr;
};
extern DataFileSources DataFileInputs;

// The reading's parameters from the settings and the derived values as they stand.
ReadingParameters ReadingParametersFromSettings(const SettingsValues& s, double currentStation,
                                                int32_t numberOfRecords);
// The header's fields from the settings; the title is the new file's name without folder
// and extension.
FileHeaderFields HeaderFieldsFromSettings(const SettingsValues& s, const std::string& title);

// After a two-frequency store the settings stay at the second rate: rate index, gate set and
// gains, with the repetition rate and the monitor pass periods that go with them.
void ApplyRepetitionToSettings(const ReadingParameters& p, SettingsValues& s);
