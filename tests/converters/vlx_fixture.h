// Survey files for the converters' tests and benchmark, written through the main program's own
// record writers, so every fixture holds exactly the bytes V-LOX stores.
#pragma once

#include "vlox/datafile/records.h"

#include <cstdint>
#include <string>
#include <vector>

class VlxFixture {
public:
    // The header records H1 H2 H3 and the file comment C1 C2; gpsInput 0 writes "GRD" in H1.
    explicit VlxFixture(int32_t gpsInput = 0, int32_t systemConfiguration = 1,
                        const std::string& title = "FIXTURE");

    // The settings the next records are written from.
    ReadingParameters Params;

    // L1 C3 C4 (the line and direction from the arguments), then the station's S1 C5 C6.
    void Line(double line, int32_t direction, double firstStation);
    // S1 C5 C6.
    void Station(double station);
    // One stored reading: W1 (W0 when excluded, the byte the record manager rewrites), T1, the
    // loop records, R1 R2, the gate values (volts), C7 C8 and Z1.
    void Reading(const std::vector<double>& gateVolts, double earlyWindowValue, const LocalTime& time,
                 int32_t tick, bool excluded = false);
    // A stored sentence: '@', as many '#' as needed, '!' with the tick.
    void Sentence(const std::string& text, int32_t tick);
    // The placeholder V-LOX stores when it holds no sentence: '?', '"' as needed, '!'.
    void Placeholder(const std::string& text, int32_t tick);

    std::string Bytes;

private:
    int32_t ReadingCounter = 0;
};

// A GGA sentence with its checksum. latitude and longitude in decimal degrees.
std::string GgaSentence(const LocalTime& time, double latitude, double longitude, int32_t quality,
                        int32_t satellites, double hdop, double altitude);

// Gate voltages of a smooth decay: first gate `firstVolts`, falling by `ratio` per gate.
std::vector<double> DecayVolts(int32_t gateCount, double firstVolts, double ratio = 0.8);

// A local time on 15 March 2024 at the given hour, minute, second and milliseconds.
LocalTime FixtureTime(int32_t hour, int32_t minute, int32_t second, int32_t milliseconds = 0);

// The surveys the writers' golden outputs are made from (what each holds is said beside it in
// vlx_fixture.cpp).
std::string SingleReadingSurvey();
std::string GpsSurvey();
std::string UserGateSurvey();
std::string CutSurvey();
// A survey of `readings` readings, 20 stations to a line, a GGA sentence 2 s before and 3 s
// after each; gateSet 2 with 100 user gates.
std::string LargeSurvey(int32_t readings, int32_t gateSet, int32_t userGates = 100);
