// Golden outputs of the four writers on the fixture surveys (vlx_fixture.cpp). Each file under
// tests/converters/golden/ is the exact output of one case below; golden/README.md says what
// each pins. A missing golden file is a failure; VLOX_REBUILD_GOLDEN=1 rewrites them (and the
// fuzzers' seed surveys) when a change of output is intended.
#include "converters/converter_settings.h"
#include "converters/writers.h"
#include "memory_host.h"
#include "vlx_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#ifndef VLOX_SOURCE_DIR
#error VLOX_SOURCE_DIR must name the source tree
#endif

using namespace converters;

namespace {

struct GoldenCase {
    const char* File;
    const char* Pins;
    std::string (*Survey)();
    int32_t Mode;
    void (*Settings)(ConverterSettings&);
};

const GoldenCase Cases[] = {
    {"single20.txt", "TXT summary with blank-led counts; a block with the receiver delay; gates 0-20 in nV/m2",
     SingleReadingSurvey, ModeTxt, [](ConverterSettings& s) { s.OutputUnits = 1; }},
    {"gps30.txt", "TXT of a GPS survey: each reading with the GGA sentence XYZ pairs with it; W0 left out; mS/m",
     GpsSurvey, ModeTxt, [](ConverterSettings& s) { s.OutputUnits = 3; }},
    {"user12.txt", "TXT of user-defined gates: the first-time line, times in us, resistivity", UserGateSurvey, ModeTxt,
     [](ConverterSettings& s) { s.OutputUnits = 5; }},
    {"cut.txt", "TXT of a file cut inside a reading: the reading without its time stamp is not counted", CutSurvey,
     ModeTxt, [](ConverterSettings& s) { s.OutputUnits = 0; }},
    {"single20_ags.xyz", "XYZ AGS: column header Gate_00 to Gate_20, station and line, date and time packed",
     SingleReadingSurvey, ModeXyz,
     [](ConverterSettings& s) {
         s.XyzFileFormat = 3;
         s.XyzPositioning = 0;
         s.DataType = 2;
         s.OutputUnits = 1;
         s.CoordinateType = 1;
     }},
    {"gps30_gps_surfer.xyz", "XYZ Surfer, comma, GPS positions in UTM metres with every optional column", GpsSurvey,
     ModeXyz,
     [](ConverterSettings& s) {
         s.XyzFileFormat = 1;
         s.ColumnDelimiter = 1;
         s.XyzPositioning = 2;
         s.CoordinateType = 1;
         s.DataType = 7;
         s.IncludeElevation = 1;
         s.IncludeGpsQuality = 1;
         s.IncludeHdop = 1;
         s.IncludeSatellites = 1;
         s.IncludeDate = 1;
         s.MinGpsQuality = 1;
         s.HdopMask = 4;
         s.OutputUnits = 0;
     }},
    {"gps30_lines_geosoft.xyz", "XYZ Geosoft: Line: rows, a GPS file positioned by lines S-N, gates 1-10 in pT/A",
     GpsSurvey, ModeXyz,
     [](ConverterSettings& s) {
         s.XyzFileFormat = 0;
         s.XyzPositioning = 1;
         s.DataType = 7;
         s.GateSelection = 1;
         s.OutputUnits = 2;
         s.IncludeDate = 1;
     }},
    {"cut_geodetic_generic.xyz", "XYZ Generic, tab, geodetic degrees, gates 21-30 in nV/Am2, of the cut file",
     CutSurvey, ModeXyz,
     [](ConverterSettings& s) {
         s.XyzFileFormat = 2;
         s.ColumnDelimiter = 3;
         s.XyzPositioning = 2;
         s.CoordinateType = 0;
         s.DataType = 7;
         s.GateSelection = 3;
         s.OutputUnits = 4;
     }},
    {"single20.lz5", "LZ5 introduction (banner, first data line, HDR, survey lines), one reading pair, unit r",
     SingleReadingSurvey, ModeLz5, [](ConverterSettings& s) { s.OutputUnits = 4; }},
    {"gps30.lz5", "LZ5 of 30-gate readings: early and main pairs, the W0 reading written, counters 1-12", GpsSurvey,
     ModeLz5, [](ConverterSettings& s) { s.OutputUnits = 0; }},
    {"cut.lz5", "LZ5 of the cut file in nV/m2", CutSurvey, ModeLz5, [](ConverterSettings& s) { s.OutputUnits = 1; }},
    {"single20.usf", "USF of one reading: keyword block, LOCATION from the grid, V/AM2", SingleReadingSurvey, ModeUsf,
     [](ConverterSettings& s) { s.UsfVoltageUnits = 1; }},
    {"gps30.usf",
     "USF of the GPS survey: four soundings; station 0 with sweeps 1 and 2 around its W0 reading; GPS LOCATION",
     GpsSurvey, ModeUsf, [](ConverterSettings& s) { s.UsfVoltageUnits = 0; }},
    {"user12.usf", "USF of user-defined gates: 12 rows a sweep, TIME in seconds from microsecond gates", UserGateSurvey,
     ModeUsf, [](ConverterSettings& s) { s.UsfVoltageUnits = 3; }},
    {"cut.usf", "USF of the cut file: soundings counted as written", CutSurvey, ModeUsf,
     [](ConverterSettings& s) { s.UsfVoltageUnits = 2; }},
};

const std::string GoldenFolder = VLOX_SOURCE_DIR "/tests/converters/golden/";

bool Rebuilding()
{
    const char* rebuild = std::getenv("VLOX_REBUILD_GOLDEN");
    return rebuild && std::string(rebuild) == "1";
}

bool ReadFile(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    bytes = s.str();
    return true;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// The first line where two outputs differ, for the failure message.
std::string FirstDifference(const std::string& expected, const std::string& actual)
{
    std::istringstream e(expected), a(actual);
    std::string le, la;
    for (int line = 1;; ++line) {
        const bool he = static_cast<bool>(std::getline(e, le));
        const bool ha = static_cast<bool>(std::getline(a, la));
        if (!he && !ha)
            return "same lines";
        if (le != la || he != ha)
            return "line " + std::to_string(line) + ":\n  golden: " + (he ? le : "(end)") +
                   "\n  output: " + (ha ? la : "(end)");
    }
}

// Readings with loops given by corners, in metres and from GPS, with comments on the file, the
// line, the station and a reading, and an excluded reading: the records the map and the review's
// in-place writers read besides those of the other surveys.
std::string CornerLoopSurvey()
{
    // A comment pair written over the blank pair that ends the bytes `from` records back.
    auto comment = [](std::string& bytes, size_t from, int first, const std::string& text) {
        const std::vector<std::string> pair = CommentRecords(first, text);
        bytes.replace(bytes.size() - 60 * from, 120, pair[0] + pair[1]);
    };
    VlxFixture f(1, 1, "CORNERS");
    f.Params.GateSet = 0;
    comment(f.Bytes, 2, 1, "North block, second day");
    f.Line(40.0, 2, 100.0);
    comment(f.Bytes, 5, 3, "Line 40 E, creek crossing at station 110");
    comment(f.Bytes, 2, 5, "Wet ground");
    f.Params.TxLoopShape = 2;
    f.Reading(DecayVolts(20, 2e-3), 10.0, FixtureTime(13, 0, 0), 700000);
    comment(f.Bytes, 3, 7, "Re-read after the storm");
    f.Reading(DecayVolts(20, 2e-3), 10.0, FixtureTime(13, 0, 20), 720000, true);
    f.Sentence(GgaSentence(FixtureTime(13, 0, 22), 49.3, -123.1, 2, 9, 0.8, 60.0), 722000);
    f.Station(125.0);
    f.Params.TxLoopShape = 3;
    f.Params.TxCornerCoordinateType = 0;
    f.Reading(DecayVolts(20, 1e-3), 10.0, FixtureTime(13, 1, 0), 760000);
    return f.Bytes;
}

// The fixture surveys as seeds of the fuzzers of survey files, written with the golden files.
void WriteFuzzerSeeds()
{
    const struct {
        const char* Name;
        std::string (*Survey)();
    } seeds[] = {{"single20.vlx", SingleReadingSurvey},
                 {"gps30.vlx", GpsSurvey},
                 {"user12.vlx", UserGateSurvey},
                 {"cut.vlx", CutSurvey},
                 {"corners.vlx", CornerLoopSurvey}};
    for (const char* fuzzer :
         {"converter_parsers_fuzzer", "converter_writers_fuzzer", "review_writers_fuzzer", "map_readers_fuzzer"})
        for (const auto& seed : seeds)
            WriteFile(std::string(VLOX_SOURCE_DIR "/tests/fuzz/corpus/") + fuzzer + "/" + seed.Name, seed.Survey());
}

TEST(WriterGoldenOutputs, EveryCaseWritesItsGoldenFile)
{
    if (Rebuilding())
        WriteFuzzerSeeds();
    for (const GoldenCase& c : Cases) {
        SCOPED_TRACE(std::string(c.File) + ": " + c.Pins);
        ConverterState state;
        state.ConverterMode = c.Mode;
        DefaultConverterSettings(state.Settings, c.Mode);
        c.Settings(state.Settings);
        state.InputPath = "C:\\Vlox_Data\\20240315_001.VLX";
        state.OutputPath = "C:\\Vlox_Data\\20240315_001.out";
        MemoryHost host;
        host.Input = c.Survey();
        ASSERT_EQ(RunConverterWriter(state, host), 1);
        EXPECT_TRUE(host.Messages.empty());
        const std::string path = GoldenFolder + c.File;
        if (Rebuilding()) {
            WriteFile(path, host.Output);
            continue;
        }
        std::string golden;
        if (!ReadFile(path, golden)) {
            ADD_FAILURE() << "missing golden file " << path << " (VLOX_REBUILD_GOLDEN=1 writes it)";
            continue;
        }
        EXPECT_TRUE(golden == host.Output) << FirstDifference(golden, host.Output);
    }
}

}  // namespace
