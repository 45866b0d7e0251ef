// What a row read from the simulated board must hold, from the closed form of its half-space
// (tests/standins/half_space_truth.h): the board as V-LOX runs it in the end-to-end tests,
// with the ground, loop, sensor and transmitter of the simulation's options (no ramp, time
// zero at V-LOX's default turn-off delay) and without noise.
#pragma once

#include "standins/qzdrvsim/sim_signal.h"
#include "tests/standins/half_space_truth.h"

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// A row of gate averages in volts at the board's input, as the cycle stacks them (a stored
// reading's values, or a null row), of a standard gate set at a rate and gain code.
struct SimRow {
    int32_t Mains60 = 1;
    int32_t RepRateIndex = 0;
    int32_t GateSet = 0;
    int32_t GainCode = 5;
    std::vector<double> Volts;
    SimSettings Sim;  // as ParseSimOptions reads the options the board was given
};

// How far a compared gate may lie from the truth on a sound build.
constexpr double HalfSpaceTolerance = 0.03;

// The row against the truth at its best time offset within one scan. A gate is compared
// where no sample of it can reach the converter's range and its value is eight steps of the
// converter or more (the board runs without noise, so a value holds its steps' error).
TruthRowFit SimRowAgainstHalfSpace(const SimRow& row);

// The fit as a line: offset, ratios of the compared gates ("~" before those not compared).
std::string DescribeFit(const TruthRowFit& fit);

}  // namespace e2e
