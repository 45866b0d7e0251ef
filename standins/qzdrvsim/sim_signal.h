// What the simulated board's analog input sees, from what the board was told: the transmitter
// that the two counters drive (counter 0 sets the repetition rate), the receiver gain and the
// internal-test bits written to the digital output, and the ground and loop the simulation
// is set to. Channel 1 carries the transmitter synchronisation (+9 V, 0, -9 V, 0, a quarter of
// counter 0's period each), channel 3 the receiver's response (channels 0 and 2 a share of it).
#pragma once

#include "standins/qzdrvsim/signal_model.h"

#include <cstdint>

// The simulation's own settings: its pace, the ground and loop of the half-space, the
// transmitter, and what disturbs the signal. Plain data: tests pass it to the simulated
// driver as it is. The defaults stand for the field as the receiver is set up by default: the
// transmitter's time zero where V-LOX's default turn-off delay puts it (5.9 us after the sync
// edge, no ramp), and a noise floor of about two codes of the converter at unity gain with a
// little hum at the mains frequency of the repetition rate's family.
struct SimSettings {
    uint32_t Size = sizeof(SimSettings);
    double SpeedUp = 1.0;            // board seconds per wall second; 0: no waiting at all
    double ResistivityOhmM = 100.0;  // the half-space
    double LoopAreaM2 = 5000.0;      // the transmitter loop (100 m by 50 m)
    double AmpereTurns = 3.0;
    double SensorAreaM2 = 31.4;   // the receiver coil ("HF")
    double TurnOffDelayUs = 5.9;  // sync edge to the end of the turn-off ramp; may be negative
    double RampUs = 0.0;          // the linear turn-off (and turn-on) ramp
    double NoiseVolts = 0.0006;   // rms at the receiver input, before the gain stage
    double HumVolts = 0.0003;     // amplitude, the same
    double HumHz = 0.0;           // 0: the mains of the repetition rate's family
    double SpikeRateHz = 0.0;
    double SpikeVolts = 0.0;
    double TestSourceScale = 1.0;  // the internal test generator's level; 1: as built
    uint32_t Seed = 1;
};

// Reads "name=value" pairs separated by ';' or ',' (names as the fields above, in any case)
// into settings. Returns false, with settings unchanged, for an unknown name or a value that
// is not a finite number (negative where it must not be: everywhere but TurnOffDelayUs).
bool ParseSimOptions(const char* text, SimSettings& settings);

// The digital output: the receiver gain code in the low four bits (0 to 6; more reads as 6),
// 0x10 switches the input to the internal test generator, 0x20 and 0x200 pick its signal.
int32_t GainCodeOfOutput(uint32_t outputValue);
bool TestSourceSelected(uint32_t outputValue);

// The test generator: a copy of the transmitter current through an RC filter, in volts at the
// receiver input for full current. The levels make the main program's internal tests read
// their expected values with the "HF" sensor.
struct TestSource {
    double Volts = 0.0;
    double TimeConstantUs = 0.0;  // 0: the current itself ("DC")
};
TestSource InternalTestSource(uint32_t outputValue);

struct SimModelInputs {
    bool TransmitterOn = false;    // both counters run
    double RepetitionRate = 30.0;  // counter 0, Hz
    double ScanRateHz = 480000.0;  // the sample clock
    double StartTimeUs = 0.0;      // transmitter time of the first scan
    double RangeMin = -10.0;
    double RangeMax = 10.0;
    int32_t Resolution = 16;
    uint32_t OutputValue = 5;  // the digital output lines
};
constexpr double kSimSyncVolts = 9.0;

// The mains frequency of a repetition rate's family, 50 or 60 Hz: the family whose rates, as
// shares of the mains, lie nearest to the rate. 60 for a rate that is not a positive number.
double MainsOfRepetitionRate(double repetitionRate);

SignalModel BuildSimModel(const SimSettings& settings, const SimModelInputs& inputs);
