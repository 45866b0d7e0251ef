// Test and benchmark support: a receiver set up at one repetition rate and gate set, a
// synthetic sample stream from the signal model, and runs of the synchronisation and gating
// over that stream cut into buffers.
#pragma once

#include "standins/qzdrvsim/signal_model.h"
#include "vlox/measure/acquisition_counts.h"
#include "vlox/measure/sync_gates.h"
#include "vlox/settings/rate_tables.h"

#include <cstdint>
#include <memory>
#include <vector>

struct RigSetup {
    int32_t RepRateIndex = 2;
    int32_t Mains60 = 1;
    int32_t GateSet = 1;  // 0: 20 gates, 1: 30, 2: user-defined
    int32_t GateCount = 30;
    double TotalTurnOffDelay = 5.9;
    double Clock = 480000.0;
    int32_t InternalTestMode = 0;
};

struct Rig {
    RigSetup Setup;
    AcquisitionCounts Counts;
    double Edges[RepRateCount][GateEdgeCount] = {};
    double Centres[RepRateCount][MaxGateCount] = {};
    SyncCycleConfig Config;
    SignalModel Model;
};

// Derives the counts, builds the gate tables and the configuration, and sets the model's
// scan rate and repetition rate to match (the rest of the model is left to the caller).
std::unique_ptr<Rig> MakeRig(const RigSetup& setup);

// Samples of `periods` repetition periods of the model, from its start.
std::vector<uint16_t> MakeStream(const SignalModel& model, double periods);

// One completed half-cycle as the cycle reported it.
struct HalfCycleResult {
    int32_t Polarity = 0;  // of the half-cycle that completed
    int32_t CycleReady = 0;
    std::vector<double> Gates;  // `CycleGates` when ready, else that half-cycle's stored row
    double EarlyWindowValue = 0.0;
};

// Runs the stream through the cycle cut into buffers of the given sizes (the last size repeats
// until the stream ends; 0 or no sizes: one buffer).
std::vector<HalfCycleResult> RunCut(const Rig& rig, const std::vector<uint16_t>& stream,
                                    const std::vector<int32_t>& sizes);
// Runs it cut at the given sample positions (ascending).
std::vector<HalfCycleResult> RunCutAt(const Rig& rig, const std::vector<uint16_t>& stream,
                                      const std::vector<int64_t>& cuts);

// The whole stream's channel in volts as the integration reads it (single-precision range).
std::vector<double> ChannelVolts(const Rig& rig, const std::vector<uint16_t>& stream, int32_t channel);

// Sync edges found directly on the whole stream: scans where the level of a polarity ends
// (first scan after it) or begins (first scan in it).
struct SyncEdge {
    int64_t Scan;
    int32_t Polarity;
};
std::vector<SyncEdge> TrailingEdges(const Rig& rig, const std::vector<uint16_t>& stream);
std::vector<SyncEdge> LeadingEdges(const Rig& rig, const std::vector<uint16_t>& stream);

// Direct integration of the gates and the early window of one half-cycle whose first
// integrated scan is `startScan`, by the rules of the given variant, straight from the whole
// stream. Values as stored: the negative half-cycle negated.
struct DirectHalfCycle {
    std::vector<double> Gates;
    double Early = 0.0;
    int64_t EndScan = 0;  // scan after which the cycle goes on searching
    bool Complete = false;
};
DirectHalfCycle IntegrateDirect(const Rig& rig, const std::vector<double>& signal, int64_t startScan, int32_t polarity);
