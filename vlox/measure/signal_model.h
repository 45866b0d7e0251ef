// A model of what the receiver's four analog inputs see in the field, for the simulated board
// and for the tests of the synchronisation and gating.
//
// The transmitter is driven by the two counters: counter 0 at the repetition rate with a 25 %
// pulse and counter 1 at twice the rate with a 50 % pulse. Their product is a bipolar square
// wave: positive current for the first quarter of each period, off for the second, negative
// for the third, off for the fourth. The sync channel (1) follows the current; the three
// receiver channels (0, 2, 3; channel 3 is the one that is gated) carry the ground response to
// every current step, a sum of exponential decays, in the periodic steady state, plus mains
// hum, Gaussian noise and impulsive spikes. Times are microseconds from the start of a
// positive on-time; one scan of the four channels lasts 1e6 / ScanRateHz microseconds, which
// is what the cycle counts as its sample period.
#pragma once

#include <cstdint>

constexpr int32_t SignalDecayTerms = 4;

struct SignalModel {
    double ScanRateHz = 480000.0;       // scans per second (the board's read-back clock)
    double RepetitionRate = 30.0;       // Hz
    double StartTimeUs = 0.0;           // transmitter time of the first scan
    double SyncVolts = 9.5;             // sync channel while the current is fully on
    double RampUs = 0.0;                // linear current ramp at each switch (0: ideal step)
    double PrimaryVolts = 0.0;          // receiver voltage while the current ramps
    int32_t DecayTermCount = 3;
    double DecayVolts[SignalDecayTerms] = {2.0, 0.2, 0.02, 0.0};     // at the step, before gain
    double DecayTimeUs[SignalDecayTerms] = {30.0, 300.0, 3000.0, 1.0};
    double ChannelFactor[4] = {0.3, 0.0, 0.5, 1.0};   // response per channel (1 is the sync)
    int32_t GainCode = 5;               // receiver gain 2^(code - 5) on channels 0, 2, 3
    double OffsetVolts = 0.0;           // receiver offset on channels 0, 2, 3 (what nulling removes)
    double HumVolts = 0.0;              // mains hum amplitude
    double HumHz = 60.0;
    double NoiseVolts = 0.0;            // rms, every sample
    double SpikeRateHz = 0.0;           // impulsive spikes per second on channels 0, 2, 3
    double SpikeVolts = 0.0;
    double RangeMin = -10.0;            // converter input range, volts
    double RangeMax = 10.0;
    int32_t Resolution = 16;            // bits, 1..16
    uint64_t Seed = 1;
};

// Where a generator stands in its stream.
struct SignalGeneratorState {
    int64_t NextSample = 0;     // absolute index of the next sample (4 per scan)
    uint64_t Random = 0;
    int32_t HaveSpare = 0;      // Gaussian numbers come in pairs
    double Spare = 0.0;
};

// Starts a stream at its first sample.
void StartSignal(const SignalModel& model, SignalGeneratorState& state);

// Writes the next count samples (channel = absolute index mod 4) as straight-binary codes of
// the model's range and resolution, clipped at the ends of the range. A stream cut into any
// pieces gives the same samples as one piece.
void GenerateSamples(const SignalModel& model, SignalGeneratorState& state, uint16_t* out,
                     int32_t count);

// Noise-free model values, for tests and for checking a gate against the model.
double ScanTimeUs(const SignalModel& model, int64_t scan);
double RepetitionPeriodUs(const SignalModel& model);
// Transmitter current in units of full current, -1..1.
double TransmitterCurrent(const SignalModel& model, double timeUs);
// Response to one switch-off of full positive current, t microseconds after it (0 before).
double StepResponse(const SignalModel& model, double tUs);
// Channel 3 response before gain, offset, hum and noise.
double ReceiverResponse(const SignalModel& model, double timeUs);
// What a channel reads without noise or spikes, volts.
double ModelChannelVolts(const SignalModel& model, int32_t channel, double timeUs);

// The straight-binary code of a voltage: code = (v - min) / (max - min) x 2^resolution,
// rounded, held to 0 .. 2^resolution - 1.
uint16_t VoltsToCode(double volts, double rangeMin, double rangeMax, int32_t resolution);
