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
    int32_t GateSet = 1;          // 0: 20 gates, 1: 30
    double TotalTurnOffDelay = 0.0;
    int32_t InternalTestMode = 0; // 45..48 during an internal test
    int32_t CoilType = 0;
    int32_t GainCode = 5;
    int32_t DisplayUnit = 0;
    double Clock = 480000.0;
};

struct ChainResult {
    int32_t Periods = 0;                 // whole periods stacked
    std::vector<double> GateVolts;       // averaged gate values, volts
    std::vector<double> Display;         // in the display unit
    std::vector<double> GateCentresMs;
};

// The model's scan and repetition rates are set from the setup; periods of stream are made
// (the first is left out of the stack, as the search settles) and cut into buffers of
// bufferSamples.
ChainResult RunReceiverChain(const ChainSetup& setup, SignalModel model, double periods,
                             int32_t bufferSamples);
