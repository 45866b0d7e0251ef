// What a reading over a uniform half-space must show, worked out from the closed form alone:
// the step-off response at the centre of a circular loop on the surface (Ward and Hohmann),
//   dBz/dt(t) = -I / (sigma a^3) [3 erf(x) - (2 / sqrt(pi)) x (3 + 2 x^2) exp(-x^2)],
//   x = a sqrt(mu0 sigma / (4 t)),
// for the transmitter the receiver is set for: a bipolar current, on for a quarter period in
// each polarity, each switch a linear ramp ending at its time zero. The response to a ramp is
// the step-off response averaged over the ramp; the periodic response adds every switch of
// the earlier periods. Nothing here uses the simulation's code: it is the yardstick the
// simulated board and the receiver's signal chain are held to.
#pragma once

#include <cstdint>
#include <vector>

struct TruthGround {
    double ResistivityOhmM = 100.0;
    double LoopRadiusM = 0.0;  // the circle of the loop's area
    double AmpereTurns = 3.0;
};

struct TruthWaveform {
    double RepetitionRate = 30.0;  // Hz
    double RampUs = 0.0;           // 0: an ideal step
};

// dBz/dt of the step turn-off, T/s, t seconds after it (negative: the field decays); 0 for t
// not above 0.
double StepOffDbzDt(const TruthGround& ground, double tSeconds);

// -dBz/dt in the periodic steady state, T/s, t microseconds after the end of the positive
// turn-off ramp, for t in the off-time (0 < t < quarter period - ramp).
double SteadyDecay(const TruthGround& ground, const TruthWaveform& waveform, double tUs);

// Its mean over t1..t2 microseconds.
double SteadyDecayMean(const TruthGround& ground, const TruthWaveform& waveform, double t1Us, double t2Us);

// What the receiver reads for one gate of the decay: its gate runs from fromUs to toUs after
// the sync edge (the table's edges shifted by the turn-off delay delayUs, the transmitter's
// time zero lying that delay after the edge), and scan k of the half-cycle is dated k scanUs
// after the edge. The gate is the mean over its samples (over the span they stand for when
// they are more than eight, which is the same to 0.02 % at the times such gates lie); with
// fewer than three, the straight line through the scan that closes the gate and the one
// before, at the gate centre (centreUs after the edge). Where the receiver's dates run late
// by an unknown share of up to lateUs (the first scan after an edge lies anywhere within a
// scan period of it), the reading is averaged over that lateness.
double ReceiverGateTruth(const TruthGround& ground, const TruthWaveform& waveform, double fromUs, double toUs,
                         double centreUs, double delayUs, double scanUs, double lateUs);
// The scan (from 1 at the edge) from which a gate's largest sample can come: the one before
// the gate's first, which the straight line reads.
int64_t ScanBeforeGate(double fromUs, double scanUs);

// One gate of a row that a receiver read: its span and centre after the sync edge as in
// ReceiverGateTruth, what it read in the truth's unit, and whether it is held to the truth.
struct TruthRowGate {
    double FromUs = 0.0;
    double ToUs = 0.0;
    double CentreUs = 0.0;
    double Measured = 0.0;
    bool Compared = false;
};

// A row against the truth at its best time offset.
struct TruthRowFit {
    double OffsetUs = 0.0;       // the receiver's dates run this much late
    std::vector<double> Ratios;  // measured / truth by gate; 0 for a gate not compared
    int32_t Compared = 0;
    double Lowest = 0.0, Highest = 0.0;  // over the compared gates
};

// A board start finds time zero to a scan at a phase of its own, so a row read on the board
// is held to the truth at the offset of its dates, within offsetSpanUs either way, that fits
// it best (the least sum of squared log ratios over the compared gates); a gain or stack
// that is wrong for the whole row moves every gate alike, which no offset hides. delayUs,
// scanUs and lateUs as for ReceiverGateTruth.
TruthRowFit FitRowToTruth(const TruthGround& ground, const TruthWaveform& waveform,
                          const std::vector<TruthRowGate>& gates, double delayUs, double scanUs, double lateUs,
                          double offsetSpanUs);
