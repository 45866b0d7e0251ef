// Converting a survey of 10000 readings with GPS to each format, through files on disk as the
// programs do, against one plain read of the same file. The surveys: 100 user-defined gates for
// TXT and USF; 30 gates for XYZ (GPS positions, every gate) since user-defined gates have no XYZ
// data type; 20 gates and 9999 readings for LZ5, which holds 9999 lines and no user gates.
// Each conversion reports its time over the plain read's (ratio_to_read); DecodeRead is the
// least any conversion does (every record read and its number fields decoded).
#include "converters/converter_settings.h"
#include "converters/number_text.h"
#include "converters/writers.h"
#include "vlx_fixture.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace converters;

namespace {

class StdioInput : public InputFile {
public:
    explicit StdioInput(std::FILE* f) : File(f) {}
    ~StdioInput() override { std::fclose(File); }
    int64_t Size() override
    {
        std::fseek(File, 0, SEEK_END);
        return std::ftell(File);
    }
    int64_t ReadAt(int64_t offset, char* buffer, size_t n) override
    {
        std::fseek(File, static_cast<long>(offset), SEEK_SET);
        const size_t got = std::fread(buffer, 1, n, File);
        return got < n && std::ferror(File) ? -1 : static_cast<int64_t>(got);
    }

private:
    std::FILE* File;
};

class StdioOutput : public OutputFile {
public:
    explicit StdioOutput(std::FILE* f) : File(f) {}
    ~StdioOutput() override
    {
        if (File)
            std::fclose(File);
    }
    bool Write(const char* bytes, size_t n) override { return std::fwrite(bytes, 1, n, File) == n; }
    bool Close() override
    {
        const bool ok = std::fclose(File) == 0;
        File = nullptr;
        return ok;
    }

private:
    std::FILE* File;
};

// The dialog's side as the program has it, without a window: texts and progress are dropped.
class DiskHost : public ConverterHost {
public:
    void SetStatusText(const std::string&) override {}
    void SetProgressRange(int32_t) override {}
    void SetProgressPosition(int32_t) override {}
    void ShowMessage(const std::string&, const std::string&) override {}
    std::unique_ptr<InputFile> OpenInput(const std::string& path) override
    {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        return f ? std::make_unique<StdioInput>(f) : nullptr;
    }
    std::unique_ptr<OutputFile> CreateOutput(const std::string& path) override
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        return f ? std::make_unique<StdioOutput>(f) : nullptr;
    }
};

enum Survey { UserGates100, Gates30, Gates20, EarlyGps, EarlyGpsZeroed };

// 2000 readings of 30 gates whose GGA sentences come with the first 10 only; zeroed: 1 MiB of
// zero bytes after those (a zeroed area of a card), so every later reading is paired with a
// sentence before it.
std::string EarlyGpsSurvey(bool zeroed)
{
    VlxFixture f(1, 1, "EARLYGPS");
    f.Params.GateSet = 1;
    f.Params.RepRateIndex = 2;
    for (int32_t i = 0, tick = 1000000; i < 2000; ++i, tick += 10000) {
        if (i % 20 == 0)
            f.Line(10.0 * (i / 20), (i / 20) % 2, 0.0);
        else
            f.Station(5.0 * (i % 20));
        const LocalTime t = FixtureTime(8 + i / 3600, i / 60 % 60, i % 60);
        if (i < 10)
            f.Sentence(GgaSentence(t, 49.27 + 0.0001 * i, -123.18, 1, 8, 0.9, 70.0), tick - 2000);
        f.Reading(DecayVolts(30, 3.0e-3, 0.9), 50000.0, t, tick);
        if (zeroed && i == 9)
            f.Bytes += std::string(1 << 20, '\0');
    }
    return f.Bytes;
}

// The survey's file, written once.
const std::string& SurveyPath(Survey survey)
{
    static std::map<Survey, std::string> paths;
    auto& path = paths[survey];
    if (path.empty()) {
        const std::string bytes = survey == UserGates100 ? LargeSurvey(10000, 2, 100)
                                  : survey == Gates30    ? LargeSurvey(10000, 1)
                                  : survey == Gates20    ? LargeSurvey(9999, 0)
                                                         : EarlyGpsSurvey(survey == EarlyGpsZeroed);
        path = "/tmp/vlox-converters-bench-" + std::to_string(static_cast<int>(survey)) + ".VLX";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return path;
}

// One plain read of the whole file in large pieces, seconds per read (the best of five).
double PlainReadSeconds(const std::string& path)
{
    static std::map<std::string, double> cache;
    auto found = cache.find(path);
    if (found != cache.end())
        return found->second;
    std::vector<char> buffer(1 << 20);
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        std::FILE* f = std::fopen(path.c_str(), "rb");
        uint64_t sum = 0;
        size_t n = 0;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0)
            for (size_t k = 0; k < n; k += 60)
                sum += static_cast<unsigned char>(buffer[k]);
        std::fclose(f);
        benchmark::DoNotOptimize(sum);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = s < best ? s : best;
    }
    cache[path] = best;
    return best;
}

void PlainRead(benchmark::State& st, Survey survey)
{
    const std::string& path = SurveyPath(survey);
    std::vector<char> buffer(1 << 20);
    for (auto _ : st) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        uint64_t sum = 0;
        size_t n = 0;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0)
            for (size_t k = 0; k < n; k += 60)
                sum += static_cast<unsigned char>(buffer[k]);
        std::fclose(f);
        benchmark::DoNotOptimize(sum);
    }
}

// The least a conversion does: every record read by number through the converters' reader and
// the numbers of its four 14-column fields decoded.
void DecodeRead(benchmark::State& st, Survey survey)
{
    DiskHost host;
    for (auto _ : st) {
        std::unique_ptr<InputFile> input = host.OpenInput(SurveyPath(survey));
        VlxRecords records(*input);
        double sum = 0.0;
        for (int32_t i = 1; i <= records.Count(); ++i) {
            const std::string_view r = records.Record(i);
            for (size_t f = 2; f + 14 <= 58; f += 14)
                sum += NumberOfField(r.substr(f, 14));
        }
        benchmark::DoNotOptimize(sum);
    }
}

void Convert(benchmark::State& st, int32_t mode, Survey survey, bool ags = false)
{
    ConverterState state;
    state.ConverterMode = mode;
    DefaultConverterSettings(state.Settings, mode);
    if (mode == ModeXyz) {
        state.Settings.XyzFileFormat = 1;
        state.Settings.XyzPositioning = 2;
        state.Settings.CoordinateType = 1;
        state.Settings.DataType = 7;
        state.Settings.IncludeElevation = 1;
        state.Settings.IncludeGpsQuality = 1;
    }
    if (ags) {
        state.Settings.XyzFileFormat = 3;
        state.Settings.XyzPositioning = 0;
    }
    state.InputPath = SurveyPath(survey);
    state.OutputPath = "/tmp/vlox-converters-bench.out";
    DiskHost host;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : st) {
        // The zeroed area is damage, told as such.
        if (RunConverterWriter(state, host) != (survey == EarlyGpsZeroed ? -1 : 1))
            st.SkipWithError("conversion failed");
    }
    const double each = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
                        static_cast<double>(st.iterations());
    st.counters["ratio_to_read"] = each / PlainReadSeconds(state.InputPath);
    std::FILE* f = std::fopen(state.InputPath.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    st.counters["input_MB"] = static_cast<double>(std::ftell(f)) / 1e6;
    std::fclose(f);
    std::remove(state.OutputPath.c_str());
}

// The pairing on a GPS survey with a zeroed area against the same survey without it: format
// (0 TXT, 1 USF, 2 XYZ by GPS, 3 AGS XYZ, 4 LZ5), zeroed area (0 none, 1 of 1 MiB).
void ZeroedArea(benchmark::State& st)
{
    const int32_t modes[] = {ModeTxt, ModeUsf, ModeXyz, ModeXyz, ModeLz5};
    Convert(st, modes[st.range(0)], st.range(1) == 1 ? EarlyGpsZeroed : EarlyGps, st.range(0) == 3);
}

BENCHMARK_CAPTURE(PlainRead, user_gates_100, UserGates100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainRead, gates_30, Gates30)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainRead, gates_20, Gates20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeRead, user_gates_100, UserGates100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeRead, gates_30, Gates30)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeRead, gates_20, Gates20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, txt_user_gates_100, ModeTxt, UserGates100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, usf_user_gates_100, ModeUsf, UserGates100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, xyz_gps_gates_30, ModeXyz, Gates30)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, lz5_gates_20, ModeLz5, Gates20)->Unit(benchmark::kMillisecond);
BENCHMARK(ZeroedArea)->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace
