// Sample counts derived from the analog-input clock at every board start, read by the
// synchronisation search and the gate integration.
#pragma once

#include <cstdint>

constexpr int32_t ScanChannelCount = 4;      // channels 0-3, interleaved in every buffer
constexpr double AnalogClockCap = 480000.0;  // Hz, highest clock the program asks for
constexpr double FallbackSamplePeriodUs = 2.083333333333;

// Everything the set-up derives from the read-back clock, as one record.
struct AcquisitionCounts {
    int32_t ChannelCount = ScanChannelCount;
    int32_t SampleRate = 0;        // samples per buffer (clock read back, truncated)
    double SamplePeriodUs = 0.0;   // the cycle's time step per scan of four samples
    int32_t SamplesPerPeriod = 0;  // scans in one repetition period, as the cycle counts them
    int32_t ScansPerPeriod = 0;    // scans in a quarter of the repetition period
    int32_t SyncSkip = 0;          // buffer samples, a multiple of 4, never below 4
    int32_t SyncStep = 0;          // first search step, = SyncSkip
    int32_t GateSampleOffset = 0;  // scans, non-zero only for a negative turn-off delay
};

// The clock that the analog-input set-up asks for: the subsystem's maximum, held to the cap.
// A maximum that is not a positive number is returned as it is (the library refuses it).
double CappedClockFrequency(double maxClockFrequency);

// Derives the counts from the clock read back from the board (Hz), the repetition rate (Hz)
// and `TotalTurnOffDelay` (microseconds). Returns 1 and fills out; returns 0 and leaves out
// alone when the clock gives fewer samples than one scan per buffer (a rate of 0 included),
// when the repetition rate is not a positive number, or when a count would not fit.
//
// `SyncSkip` is 20 % of `ScansPerPeriod`, rounded down to a multiple of 4 but never below 4:
// at low clocks the plain rule gives 0, and a search that advances by 0 never ends.
// `GateSampleOffset` is (-delay / period + 0.5) truncated for a negative delay, held to
// `ScansPerPeriod` so the integration can never start before the sync edge.
int32_t DeriveAcquisitionCounts(double clockFrequency, double repetitionRate, double totalTurnOffDelay,
                                AcquisitionCounts& out);

// Program-wide values of the last board start (`GateSampleOffset` lives with the settings).
extern int32_t ChannelCount;
extern int32_t SampleRate;
extern double SamplePeriodUs;  // 0 until the board was set up
extern int32_t SamplesPerPeriod;
extern int32_t ScansPerPeriod;
extern int32_t SyncSkip;

// Copies a derivation into the program-wide values (and `GateSampleOffset`).
void PublishAcquisitionCounts(const AcquisitionCounts& counts);
