// One buffer of the board at the clock cap (480000 samples, four channels) through the
// synchronisation search, the gate integration and the stacking of every completed period,
// at rate indexes 0, 2 and 6, with 20, 30 and 100 gates, standard and pruned stacking and both
// search variants. Pruned stacking adds every period as the cycle does and works the rows out
// once a buffer (the cycle does so once a second). Each line also reports the time of one plain pass over the same samples
// (plain_us) and the ratio of the cycle to it: the distance from the memory-bound limit.
#include "cycle_rig.h"

#include "vlox/measure/pruning.h"
#include "vlox/measure/sync_gates.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t BufferSamples = 480000;

struct Workload {
    std::vector<uint16_t> Stream;  // whole buffers, generated once per rate
    int32_t BufferCount = 0;
};

const Workload& StreamFor(const Rig& rig)
{
    static std::map<int32_t, std::unique_ptr<Workload>> cache;
    auto& slot = cache[rig.Setup.RepRateIndex];
    if (!slot) {
        slot = std::make_unique<Workload>();
        SignalModel model = rig.Model;
        model.NoiseVolts = 0.002;
        model.HumVolts = 0.01;
        model.SpikeRateHz = 20.0;
        model.SpikeVolts = 0.5;
        // At least eight buffers and a whole period past the first buffer.
        const double periodSamples = 4.0 * rig.Counts.SampleRate / model.RepetitionRate;
        int32_t buffers = 8;
        while (buffers * static_cast<double>(BufferSamples) < periodSamples + BufferSamples)
            ++buffers;
        slot->BufferCount = buffers;
        slot->Stream.resize(static_cast<size_t>(buffers) * BufferSamples);
        SignalGeneratorState state;
        StartSignal(model, state);
        GenerateSamples(model, state, slot->Stream.data(), static_cast<int32_t>(slot->Stream.size()));
    }
    return *slot;
}

uint64_t PlainPass(const uint16_t* samples, int32_t count)
{
    uint64_t sum = 0;
    for (int32_t i = 0; i < count; ++i)
        sum += samples[i];
    return sum;
}

double PlainPassMicroseconds(const Workload& w)
{
    using Clock = std::chrono::steady_clock;
    uint64_t sink = 0;
    const int rounds = 200;
    const auto start = Clock::now();
    for (int r = 0; r < rounds; ++r)
        sink += PlainPass(w.Stream.data() + static_cast<size_t>(r % w.BufferCount) * BufferSamples, BufferSamples);
    const auto end = Clock::now();
    benchmark::DoNotOptimize(sink);
    return std::chrono::duration<double, std::micro>(end - start).count() / rounds;
}

void RunCycle(benchmark::State& bench, RigSetup setup, int32_t pruned)
{
    const std::unique_ptr<Rig> rig = MakeRig(setup);
    const Workload& w = StreamFor(*rig);
    auto sync = std::make_unique<SyncCycleState>();
    ResetSyncState(*sync);
    auto pruning = std::make_unique<PruningState>();
    ClearPruningState(*pruning);
    std::vector<double> stackSums(CycleGateSlots, 0.0);
    int32_t stackCount = 0;
    int64_t periods = 0;

    SampleBuffer buffer;
    buffer.Count = BufferSamples;
    buffer.RangeMin = rig->Model.RangeMin;
    buffer.RangeMax = rig->Model.RangeMax;
    buffer.Resolution = rig->Model.Resolution;

    const double plain = PlainPassMicroseconds(w);
    int32_t next = 0;
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    for (auto _ : bench) {
        buffer.Samples = w.Stream.data() + static_cast<size_t>(next) * BufferSamples;
        next = (next + 1) % w.BufferCount;
        while (RunSyncStages(*sync, rig->Config, buffer) == SyncHalfCycleDone) {
            if (!sync->CycleReady)
                continue;
            ++periods;
            if (pruned) {
                for (int32_t g = 0; g < setup.GateCount; ++g)
                    pruning->PruningInput[g + 1] = sync->CycleGates[g];
                PruningAddPeriod(*pruning, setup.GateCount, 41, 1, stackCount);
            } else {
                for (int32_t g = 0; g < setup.GateCount; ++g)
                    stackSums[g] += sync->CycleGates[g];
            }
            ++stackCount;
        }
        // The cycle reads a pruned reading at its end and once a second; here once a buffer.
        if (pruned)
            FinishPruningResults(*pruning);
        benchmark::DoNotOptimize(stackSums.data());
        benchmark::DoNotOptimize(pruning->PruningResults);
    }
    const auto end = Clock::now();
    const double perBuffer =
        std::chrono::duration<double, std::micro>(end - start).count() / static_cast<double>(bench.iterations());
    bench.counters["plain_us"] = plain;
    bench.counters["ratio"] = perBuffer / plain;
    bench.counters["periods"] = benchmark::Counter(static_cast<double>(periods), benchmark::Counter::kAvgIterations);
    bench.SetBytesProcessed(static_cast<int64_t>(bench.iterations()) * BufferSamples * 2);
}

void PlainPassOnly(benchmark::State& bench)
{
    RigSetup setup;
    const std::unique_ptr<Rig> rig = MakeRig(setup);
    const Workload& w = StreamFor(*rig);
    int32_t next = 0;
    for (auto _ : bench) {
        uint64_t sum = PlainPass(w.Stream.data() + static_cast<size_t>(next) * BufferSamples, BufferSamples);
        benchmark::DoNotOptimize(sum);
        next = (next + 1) % w.BufferCount;
    }
    bench.SetBytesProcessed(static_cast<int64_t>(bench.iterations()) * BufferSamples * 2);
}

int RegisterAll()
{
    benchmark::RegisterBenchmark("PlainPass/buffer", PlainPassOnly)->Unit(benchmark::kMicrosecond);
    for (int32_t rate : {0, 2, 6}) {
        for (int32_t gates : {20, 30, 100}) {
            if (gates == 30 && rate < 2)
                continue;  // rate indexes 0 and 1 have only the 20-gate set
            for (int32_t negative = 0; negative < 2; ++negative) {
                for (int32_t pruned = 0; pruned < 2; ++pruned) {
                    RigSetup setup;
                    setup.RepRateIndex = rate;
                    setup.GateSet = gates == 20 ? 0 : (gates == 30 ? 1 : 2);
                    setup.GateCount = gates;
                    setup.TotalTurnOffDelay = negative ? -100.0 : 5.9;
                    char name[96];
                    std::snprintf(name, sizeof name, "Cycle/rate%d/gates%d/%s/%s", rate, gates,
                                  negative ? "negative_delay" : "standard_sync", pruned ? "pruned" : "standard_stack");
                    benchmark::RegisterBenchmark(name, [setup, pruned](benchmark::State& s) {
                        RunCycle(s, setup, pruned);
                    })->Unit(benchmark::kMicrosecond);
                }
            }
        }
    }
    return 0;
}

const int Registered = RegisterAll();

}  // namespace
