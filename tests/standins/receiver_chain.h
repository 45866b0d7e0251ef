// What the main program makes of a sample stream: the synchronisation search and gate
// integration over the stream cut into buffers, whole periods stacked and averaged, and the
// averages converted to a display unit. Used to check that the simulated board's signals read
// back as the physics (and the internal tests as their expected values) through the program's
// own signal chain.
#pragma once

#include "standins/qzdrvsim/signal_model.h"

#include <cstdint>
#include <vector>

struct ChainSetup {
    int32_t Mains60 = 1;
    int32_t RepRateIndex = 2;
    int32_t GateSet = 1;             // 0: 20 gates, 1: 30
    double TotalTurnOffDelay = 5.9;  // V-LOX's default, as the simulation's transmitter has it
    int32_t InternalTestMode = 0;    // 45..48 during an internal test
    int32_t CoilType = 0;
    int32_t GainCode = 5;
    int32_t DisplayUnit = 0;
    double Clock = 480000.0;
    // Where the scans fall: from each counter edge to the first scan after it, in scan periods
    // (0 to 1). The receiver dates that scan one period after the edge, so 1 (less a hair) is
    // exact and the board's average is a half. Rates whose quarter period is not a whole number
    // of scans move it from half-cycle to half-cycle whatever it starts at.
    double ScanAfterEdge = 0.5;
};

struct ChainResult {
    int32_t Periods = 0;            // whole periods stacked
    std::vector<double> GateVolts;  // averaged gate values, volts
    std::vector<double> Display;    // in the display unit
    std::vector<double> GateCentresMs;
    std::vector<double> GateEdgesUs;  // gate count + 1 edges
    double SamplePeriodUs = 0.0;
};

// The model's scan and repetition rates and its phase are set from the setup; periods of
// stream are made, from the middle of the off-time before a negative on-time (where the cycle
// looks first), and cut into buffers of bufferSamples. The first `skipped` periods are left
// out of the stack.
ChainResult RunReceiverChain(const ChainSetup& setup, SignalModel model, double periods, int32_t bufferSamples,
                             int32_t skipped = 1);
// Several receivers on one stream: setups that differ only in what the receiver does with the
// samples (gate set, turn-off delay, coil and unit of the conversion); the stream is made for
// the first (its mains, rate, gain, clock and phase).
std::vector<ChainResult> RunReceiverChains(const std::vector<ChainSetup>& setups, SignalModel model, double periods,
                                           int32_t bufferSamples, int32_t skipped = 1);
