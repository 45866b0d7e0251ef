// The simulated board makes its signal as fast as the sample clock at least: one second of
// the four channels at 480 kHz (1.92 million samples) per iteration, for each source.
#include "standins/qzdrvsim/signal_model.h"
#include "standins/qzdrvsim/sim_signal.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// With the field's noise floor (the default) or without it.
void GenerateOneSecond(benchmark::State& state, uint32_t output, bool noiseFloor)
{
    SimSettings settings;
    if (!noiseFloor) {
        settings.NoiseVolts = 0.0;
        settings.HumVolts = 0.0;
    }
    SimModelInputs in;
    in.TransmitterOn = true;
    in.OutputValue = output;
    const SignalModel model = BuildSimModel(settings, in);
    std::vector<uint16_t> samples(1920000);
    for (auto _ : state) {
        SignalGeneratorState generator;
        StartSignal(model, generator);
        GenerateSamples(model, generator, samples.data(), static_cast<int32_t>(samples.size()));
        benchmark::DoNotOptimize(samples.data());
    }
}

void HalfSpace(benchmark::State& state)
{
    GenerateOneSecond(state, 5, false);
}
void HalfSpaceWithNoise(benchmark::State& state)
{
    GenerateOneSecond(state, 5, true);
}
void InternalTest3ms(benchmark::State& state)
{
    GenerateOneSecond(state, 0x215, false);
}

}  // namespace

BENCHMARK(HalfSpace)->Unit(benchmark::kMillisecond);
BENCHMARK(HalfSpaceWithNoise)->Unit(benchmark::kMillisecond);
BENCHMARK(InternalTest3ms)->Unit(benchmark::kMillisecond);
