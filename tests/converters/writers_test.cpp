// The writers' structure beside the golden files, the GPS pairing rules, and every failure road:
// each mended fault is pinned by name.
#include "converters/converter_settings.h"
#include "converters/number_text.h"
#include "converters/record_parsers.h"
#include "converters/writers.h"
#include "memory_host.h"
#include "vlx_fixture.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace converters;

namespace {

std::vector<std::string> Split(const std::string& line, char delimiter)
{
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, delimiter))
        fields.push_back(field);
    return fields;
}

TEST(Lz5Structure, LineLengthsSeparatorsAndConsecutiveCounters)
{
    for (const std::string& survey : {GpsSurvey(), LargeSurvey(40, 0), LargeSurvey(40, 1)}) {
        const Converted c = Convert(ModeLz5, survey);
        ASSERT_EQ(c.Result, 1);
        // Every line ends with CR LF and is 50 or 206 characters with it.
        size_t start = 0;
        while (start < c.Host.Output.size()) {
            const size_t end = c.Host.Output.find("\r\n", start);
            ASSERT_NE(end, std::string::npos);
            const size_t length = end - start;
            EXPECT_TRUE(length == Lz5ShortLineLength || length == Lz5DataLineLength) << length;
            start = end + 2;
        }
        int32_t expected = 1;
        for (size_t i = 0; i < c.Lines.size(); ++i) {
            const std::string& line = c.Lines[i];
            if (line.size() == Lz5DataLineLength) {
                EXPECT_EQ(line[199], '/') << "line " << i + 1;
            } else if (line.substr(18, 3) == "OPR") {
                EXPECT_EQ(line[42], '#');
                EXPECT_EQ(line.substr(43, 5), FormatLz5Field(expected, 5));
                ASSERT_LT(i + 1, c.Lines.size());
                EXPECT_EQ(c.Lines[i + 1].substr(200, 4), FormatLz5Field(expected, 4)) << "its data line";
                ++expected;
            } else {
                EXPECT_EQ(line[47], '/') << "banner or HDR line " << i + 1;
            }
        }
        EXPECT_GT(expected, 1);
    }
}

TEST(Lz5Structure, RefusalsLeaveNoOutput)
{
    // User-defined gates, with the LZ5 build's own texts.
    Converted c = Convert(ModeLz5, UserGateSurvey());
    EXPECT_EQ(c.Result, 0);
    EXPECT_FALSE(c.Host.OutputCreated);
    ASSERT_EQ(c.Host.Messages.size(), 1u);
    EXPECT_EQ(c.Host.Messages[0].second, "Select next file with Standard Gates");
    EXPECT_EQ(c.Host.Statuses.back(), "Select next file with Standard Gates or click on the Exit button");
    // Mended: the four-digit counter ran past 9999 silently. 4999 30-gate readings and one of
    // 20 gates make 9999 lines and fit; one reading more is refused.
    VlxFixture extra;
    extra.Params.GateSet = 0;
    const size_t header = extra.Bytes.size();
    extra.Line(1.0, 0, 0.0);
    extra.Reading(DecayVolts(20, 1e-3), 1.0, FixtureTime(10, 0, 0), 1000);
    const std::string oneMore = extra.Bytes.substr(header);
    const std::string full = LargeSurvey(4999, 1) + oneMore;
    c = Convert(ModeLz5, full);
    EXPECT_EQ(c.Result, 1);
    EXPECT_EQ(c.Lines.back().substr(200, 4), "9999");
    c = Convert(ModeLz5, full + oneMore);
    EXPECT_EQ(c.Result, 0);
    EXPECT_FALSE(c.Host.OutputCreated);
    ASSERT_EQ(c.Host.Messages.size(), 1u);
    EXPECT_NE(c.Host.Messages[0].first.find("9999"), std::string::npos);
}

TEST(UsfStructure, SoundingsPointsAndSweepsMatchWhatIsWritten)
{
    // Station 100 holds only an excluded reading: no sounding. Station 0 opens with an
    // excluded reading (mended: its first written sweep carried number 2 and no array lines).
    VlxFixture f(0, 1);
    f.Params.GateSet = 0;
    f.Line(1.0, 0, 0.0);
    f.Reading(DecayVolts(20, 1e-3), 1.0, FixtureTime(10, 0, 0), 1000, true);
    f.Reading(DecayVolts(20, 1e-3), 1.0, FixtureTime(10, 0, 10), 11000);
    f.Reading(DecayVolts(20, 1e-3), 1.0, FixtureTime(10, 0, 20), 21000);
    f.Station(100.0);
    f.Reading(DecayVolts(20, 1e-3), 1.0, FixtureTime(10, 1, 0), 61000, true);
    f.Station(200.0);
    f.Params.GateSet = 1;
    f.Reading(DecayVolts(30, 1e-3), 1.0, FixtureTime(10, 2, 0), 121000);

    for (const std::string& survey : {f.Bytes, GpsSurvey(), CutSurvey(), UserGateSurvey()}) {
        const Converted c = Convert(ModeUsf, survey);
        ASSERT_EQ(c.Result, 1);
        int32_t soundings = 0, declared = -1, points = 0, sweeps = 0, rows = 0, sweepNumber = 0, lastRow = 0;
        auto closeSounding = [&] {
            EXPECT_EQ(rows, points);
            EXPECT_EQ(sweepNumber, sweeps);
        };
        for (const std::string& line : c.Lines) {
            if (line.rfind("//SOUNDINGS:", 0) == 0)
                declared = static_cast<int32_t>(NumberOfField(line.substr(12)));
            else if (line.rfind("/ARRAY:", 0) == 0) {
                if (soundings > 0)
                    closeSounding();
                ++soundings;
                rows = 0;
                lastRow = 0;
            } else if (line.rfind("/POINTS:", 0) == 0)
                points = static_cast<int32_t>(NumberOfField(line.substr(8)));
            else if (line.rfind("/SWEEPS:", 0) == 0)
                sweeps = static_cast<int32_t>(NumberOfField(line.substr(8)));
            else if (line.rfind("/SWEEP_NUMBER:", 0) == 0)
                sweepNumber = static_cast<int32_t>(NumberOfField(line.substr(14)));
            else if (line.rfind("/SOUNDING_NUMBER:", 0) == 0)
                EXPECT_EQ(NumberOfField(line.substr(17)), soundings);
            else if (!line.empty() && line[0] >= '1' && line[0] <= '9') {
                ++rows;
                EXPECT_EQ(NumberOfField(line), ++lastRow) << "row indexes run on through the station";
            }
            EXPECT_LE(static_cast<int32_t>(line.size()), UsfMaxLineLength);
        }
        closeSounding();
        EXPECT_EQ(declared, soundings);
    }
    EXPECT_NE(Convert(ModeUsf, f.Bytes).Host.Output.find("//SOUNDINGS: 2\r\n"), std::string::npos);
}

// A GPS-recorded file of one 30-gate reading at `tick` with the given stored sentences.
std::string GpsReading(const std::vector<std::pair<std::string, int32_t>>& before,
                       const std::vector<std::pair<std::string, int32_t>>& after, int32_t tick, int32_t gpsInput = 1)
{
    VlxFixture f(gpsInput);
    f.Line(10.0, 0, 0.0);
    for (const auto& s : before)
        f.Sentence(s.first, s.second);
    f.Reading(DecayVolts(30, 1e-3), 100.0, FixtureTime(12, 0, 0), tick);
    for (const auto& s : after)
        f.Sentence(s.first, s.second);
    return f.Bytes;
}

std::string Fix(int32_t quality, double hdop, double latitude = 49.0, int32_t satellites = 8)
{
    return GgaSentence(FixtureTime(12, 0, 0), latitude, -123.0, quality, satellites, hdop, 100.0);
}

Converted ConvertXyzGps(const std::string& survey, int32_t minQuality = 0, int32_t hdopMask = 4)
{
    return Convert(ModeXyz, survey, [&](ConverterSettings& s) {
        s.XyzFileFormat = 2;
        s.ColumnDelimiter = 1;
        s.XyzPositioning = 2;
        s.CoordinateType = 0;
        s.DataType = 7;
        s.IncludeHeader = 0;
        s.IncludeTimeStamp = 0;
        s.IncludeGpsQuality = 1;
        s.MinGpsQuality = minQuality;
        s.HdopMask = hdopMask;
    });
}

TEST(XyzColumns, GateSelectionsAndOptionalColumns)
{
    // All gates of a 30-gate reading: gate 0 to 30, 31 columns after the position.
    Converted c = Convert(ModeXyz, GpsSurvey(), [](ConverterSettings& s) {
        s.XyzFileFormat = 2;
        s.ColumnDelimiter = 1;
        s.DataType = 7;
        s.IncludeHeader = 0;
        s.IncludeTimeStamp = 0;
    });
    ASSERT_EQ(c.Lines.size(), 5u) << "A, A2, C, D, E; B is excluded";
    for (const std::string& line : c.Lines)
        EXPECT_EQ(Split(line, ',').size(), 2u + 31u);
    // Fixed and Space write the same file.
    auto spaced = [](int32_t delimiter) {
        return Convert(ModeXyz, GpsSurvey(),
                       [&](ConverterSettings& s) {
                           s.XyzFileFormat = 1;
                           s.ColumnDelimiter = delimiter;
                           s.DataType = 7;
                       })
            .Host.Output;
    };
    EXPECT_EQ(spaced(0), spaced(2));
    // AGS uses blanks whatever the delimiter.
    const Converted ags = Convert(ModeXyz, GpsSurvey(), [](ConverterSettings& s) {
        s.XyzFileFormat = 3;
        s.ColumnDelimiter = 1;
        s.DataType = 7;
    });
    EXPECT_EQ(ags.Host.Output.find(','), std::string::npos);
    // Gates 21-30 of 20-gate readings are not part of them: "*", so the columns stay.
    c = Convert(ModeXyz, SingleReadingSurvey(), [](ConverterSettings& s) {
        s.XyzFileFormat = 2;
        s.DataType = 2;
        s.GateSelection = 3;
        s.IncludeHeader = 0;
        s.IncludeTimeStamp = 0;
    });
    ASSERT_EQ(c.Lines.size(), 1u);
    EXPECT_EQ(c.Lines[0], "250.000 100.000 * * * * * * * * * *");
    // Data type 7 is 30 Hz with 30 gates: the 20-gate reading at 30 Hz is not written.
    c = Convert(ModeXyz, SingleReadingSurvey(), [](ConverterSettings& s) { s.DataType = 7; });
    EXPECT_EQ(c.Lines.size(), 1u) << "the AGS column header alone";
    // User-defined gates match no data type.
    c = Convert(ModeXyz, UserGateSurvey(), [](ConverterSettings& s) {
        s.XyzFileFormat = 1;
        s.IncludeHeader = 0;
    });
    EXPECT_TRUE(c.Lines.empty());
}

TEST(XyzGps, QualityAndHdopFilters)
{
    const struct {
        int32_t Quality;
        double Hdop;
        int32_t MinQuality;
        bool Row;
    } cases[] = {
        {1, 4.0, 0, true}, {1, 4.1, 0, false}, {8, 1.0, 1, true},  {8, 1.0, 2, false},
        {2, 0.9, 2, true}, {1, 0.9, 2, false}, {0, 0.9, 0, false},
    };
    for (const auto& k : cases) {
        const Converted c = ConvertXyzGps(GpsReading({{Fix(k.Quality, k.Hdop), 97000}}, {}, 100000), k.MinQuality);
        EXPECT_EQ(c.Lines.size(), k.Row ? 1u : 0u)
            << "quality " << k.Quality << " HDOP " << k.Hdop << " minimum " << k.MinQuality;
        EXPECT_TRUE(c.Host.Messages.empty());
    }
}

TEST(XyzGps, PairingWindowAndStoredSentenceGroups)
{
    // Both sides within 10 s: the mean; the later sentence's texts.
    Converted c = ConvertXyzGps(GpsReading({{Fix(1, 1.0, 49.0, 5), 97000}}, {{Fix(2, 1.0, 49.1, 6), 104000}}, 100000));
    ASSERT_EQ(c.Lines.size(), 1u);
    EXPECT_EQ(Split(c.Lines[0], ',')[1], "49.0500000000");
    EXPECT_EQ(Split(c.Lines[0], ',').back(), "2");
    // 10 s exactly pairs; 10.001 s does not.
    EXPECT_EQ(ConvertXyzGps(GpsReading({{Fix(1, 1.0), 90000}}, {}, 100000)).Lines.size(), 1u);
    EXPECT_EQ(ConvertXyzGps(GpsReading({{Fix(1, 1.0), 89999}}, {}, 100000)).Lines.size(), 0u);
    EXPECT_EQ(ConvertXyzGps(GpsReading({}, {{Fix(1, 1.0), 110000}}, 100000)).Lines.size(), 1u);
    EXPECT_EQ(ConvertXyzGps(GpsReading({}, {{Fix(1, 1.0), 110001}}, 100000)).Lines.size(), 0u);
    // Mended: the window was one-sided, so a sentence after the reading whose tick had started
    // again from 0 (the computer restarted) paired with it.
    EXPECT_EQ(ConvertXyzGps(GpsReading({}, {{Fix(1, 1.0), 1000}}, 500000)).Lines.size(), 0u);
    EXPECT_EQ(ConvertXyzGps(GpsReading({{Fix(1, 1.0), 900000}}, {}, 500000)).Lines.size(), 0u);
    // Mended: the tick was taken two records after '@'. A short sentence is '@' then '!', so that
    // record was the reading's W1 and the tick 0; the sentence's own '!' is found by walking.
    const std::string shortGga = "$GPGGA,120000,4900.000,N,12300.000,W,1,8,1.0,100,M";
    ASSERT_LT(shortGga.size(), 57u);
    c = ConvertXyzGps(GpsReading({{shortGga, 99000}}, {}, 100000));
    ASSERT_EQ(c.Lines.size(), 1u);
    EXPECT_EQ(Split(c.Lines[0], ',')[0], "-123.000000000");
    // A sentence that never closes (no '!' before the next record) is no fix.
    VlxFixture open(1);
    open.Line(10.0, 0, 0.0);
    open.Sentence(Fix(1, 1.0), 99000);
    open.Bytes.resize(open.Bytes.size() - 60);  // drop its '!'
    open.Reading(DecayVolts(30, 1e-3), 100.0, FixtureTime(12, 0, 0), 100000);
    EXPECT_EQ(ConvertXyzGps(open.Bytes).Lines.size(), 0u);
}

TEST(XyzGps, PositioningDoesNotDependOnTheHeaderWord)
{
    // Mended: a GPS-recorded file converted with line positioning wrote no rows.
    const std::string gpsFile = GpsReading({}, {}, 100000, 1);
    const Converted lines = Convert(ModeXyz, gpsFile, [](ConverterSettings& s) {
        s.XyzFileFormat = 1;
        s.XyzPositioning = 0;
        s.DataType = 7;
        s.IncludeHeader = 0;
        s.IncludeTimeStamp = 0;
    });
    ASSERT_EQ(lines.Lines.size(), 1u);
    EXPECT_EQ(lines.Lines[0].substr(0, 13), "0.000 10.000 ");
    // Mended: a "GRD" file holding GGA sentences, positioned by GPS, wrote its rows with the
    // coordinates left from nothing (zeros); its positions now come from its sentences, and a
    // reading without a fix nearby has no row.
    const std::string grdFile = GpsReading({{Fix(1, 1.0, 48.5), 99000}}, {}, 100000, 0);
    Converted c = ConvertXyzGps(grdFile);
    ASSERT_EQ(c.Lines.size(), 1u);
    EXPECT_EQ(Split(c.Lines[0], ',')[1], "48.5000000000");
    c = ConvertXyzGps(GpsReading({{Fix(1, 1.0, 48.5), 50000}}, {}, 100000, 0));
    EXPECT_TRUE(c.Lines.empty());
    // The first reading of a file, with its fix only after it, has its row (the sentence after
    // counts on its own).
    c = ConvertXyzGps(GpsReading({}, {{Fix(1, 1.0, 47.25), 102000}}, 100000));
    ASSERT_EQ(c.Lines.size(), 1u);
    EXPECT_EQ(Split(c.Lines[0], ',')[1], "47.2500000000");
}

TEST(TxtGps, AnIncompleteSentenceIsNotReported)
{
    // Mended: the look-ahead passed over other records to the next '!' and reported a sentence
    // whose own '!' was missing.
    VlxFixture f(1);
    f.Line(10.0, 0, 0.0);
    f.Sentence(Fix(1, 1.0), 99000);
    f.Bytes.resize(f.Bytes.size() - 60);
    f.Reading(DecayVolts(30, 1e-3), 100.0, FixtureTime(12, 0, 0), 100000);
    f.Sentence("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39", 101000);
    const Converted c = Convert(ModeTxt, f.Bytes);
    ASSERT_EQ(c.Result, 1);
    EXPECT_EQ(c.Host.Output.find("GPS Message"), std::string::npos);
    // A complete one is reported once, with the next reading.
    const Converted g = Convert(ModeTxt, GpsReading({{Fix(1, 1.0), 99000}}, {}, 100000));
    EXPECT_NE(g.Host.Output.find("GPS Message: " + Fix(1, 1.0) + "\r\n"), std::string::npos);
}

TEST(Writers, FailuresAreReportedAndRejectedFilesAreNeverConverted)
{
    std::string notVlx = SingleReadingSurvey();
    notVlx.replace(2, 6, "MYFILE");
    const int32_t modes[] = {ModeTxt, ModeXyz, ModeLz5, ModeUsf};
    for (int32_t mode : modes) {
        SCOPED_TRACE(mode);
        // The input cannot be opened.
        Converted c = Convert(mode, SingleReadingSurvey(), nullptr, [](MemoryHost& h) { h.InputMissing = true; });
        EXPECT_EQ(c.Result, -1);
        EXPECT_FALSE(c.Host.OutputCreated);
        ASSERT_EQ(c.Host.Messages.size(), 1u);
        EXPECT_EQ(c.Host.Messages[0].first, "Cannot open file D:\\Survey\\line.VLX, click on the OK to proceed");
        EXPECT_EQ(c.Host.Messages[0].second, "File Error");
        EXPECT_EQ(c.Host.Statuses.back(), NextFileStatus);
        // The output cannot be created.
        c = Convert(mode, SingleReadingSurvey(), nullptr, [](MemoryHost& h) { h.OutputRefused = true; });
        EXPECT_EQ(c.Result, -1);
        ASSERT_EQ(c.Host.Messages.size(), 1u);
        EXPECT_EQ(c.Host.Messages[0].first, "Cannot create file D:\\Survey\\line.out, click on the OK to proceed");
        // The disk fills while writing: reported, not passed off as done.
        c = Convert(
            mode, GpsSurvey(), [](ConverterSettings& s) { s.DataType = 7; },
            [](MemoryHost& h) { h.OutputFailAfter = 100; });
        EXPECT_EQ(c.Result, -1);
        ASSERT_EQ(c.Host.Messages.size(), 1u);
        EXPECT_EQ(c.Host.Messages[0].first.rfind("Cannot write file D:\\Survey\\line.out", 0), 0u);
        EXPECT_EQ(c.Host.Statuses.back(), NextFileStatus);
        // Mended: a file whose signature is refused had part of its output written first (the
        // XYZ writer did not check at all); now nothing is created.
        c = Convert(mode, notVlx);
        EXPECT_EQ(c.Result, 0);
        EXPECT_FALSE(c.Host.OutputCreated);
        ASSERT_EQ(c.Host.Messages.size(), 1u);
        EXPECT_EQ(c.Host.Messages[0].first, NotVlxFileText);
        EXPECT_EQ(c.Host.Messages[0].second, NotVlxFileCaption);
        EXPECT_EQ(c.Host.Statuses.back(), NextFileStatus);
        EXPECT_EQ(c.Host.ProgressPosition, 0);
        // Mended: a file with no header record at all (an empty file, a text file picked by
        // mistake) was converted to an empty output and reported as done.
        for (const std::string& bytes :
             {std::string(), std::string("L1 not a survey file" + std::string(38, ' ') + "\r\n")}) {
            c = Convert(mode, bytes);
            EXPECT_EQ(c.Result, 0);
            EXPECT_FALSE(c.Host.OutputCreated);
            ASSERT_EQ(c.Host.Messages.size(), 1u);
            EXPECT_EQ(c.Host.Messages[0].second, NotVlxFileCaption);
        }
        // A good run: progress within its range, back at 0, the end status.
        c = Convert(mode, GpsSurvey());
        EXPECT_EQ(c.Result, 1);
        EXPECT_FALSE(c.Host.ProgressOutOfRange);
        EXPECT_EQ(c.Host.ProgressPosition, 0);
        EXPECT_EQ(c.Host.Statuses.back(), NextFileStatus);
    }
}

TEST(Writers, StatusTextsOfEachWriter)
{
    EXPECT_EQ(Convert(ModeTxt, GpsSurvey()).Host.Statuses,
              (std::vector<std::string>{"Analysing file:line.VLX", "Processing 5 records", NextFileStatus}));
    EXPECT_EQ(
        Convert(ModeUsf, GpsSurvey()).Host.Statuses,
        (std::vector<std::string>{"Analysing file:D:\\Survey\\line.VLX", "Processing 5 records", NextFileStatus}));
    EXPECT_EQ(Convert(ModeLz5, GpsSurvey()).Host.Statuses,
              (std::vector<std::string>{"Processing file:D:\\Survey\\line.VLX", NextFileStatus}));
    EXPECT_EQ(Convert(ModeXyz, GpsSurvey()).Host.Statuses,
              (std::vector<std::string>{"Creating file:line.VLX", NextFileStatus}));
}

TEST(Writers, NothingOfTheLastFileReachesTheNext)
{
    // Mended: the parsed values stayed from one conversion to the next, so a file without some
    // record kind was written with the previous file's values: here a loop given by its corners
    // has no centre or sides of its own and took those of the survey converted before.
    VlxFixture corners;
    corners.Params.GateSet = 0;
    corners.Params.TxLoopShape = 2;
    corners.Line(1.0, 0, 0.0);
    corners.Reading(DecayVolts(20, 1e-3), 1.0, FixtureTime(10, 0, 0), 1000);
    for (int32_t mode : {ModeTxt, ModeUsf, ModeLz5}) {
        ConverterState state;
        state.ConverterMode = mode;
        DefaultConverterSettings(state.Settings, mode);
        state.InputPath = "D:\\Survey\\line.VLX";
        MemoryHost first;
        first.Input = GpsSurvey();
        ASSERT_EQ(RunConverterWriter(state, first), 1);
        MemoryHost second;
        second.Input = corners.Bytes;
        ASSERT_EQ(RunConverterWriter(state, second), 1);
        const Converted fresh = Convert(mode, corners.Bytes);
        EXPECT_EQ(second.Output, fresh.Host.Output) << mode;
    }
}

TEST(AnalyseVlxFile, DataTypesGgaCountAndSignature)
{
    ConverterState state;
    state.ConverterMode = ModeXyz;
    MemoryHost host;
    host.Input = GpsSurvey();
    ASSERT_EQ(AnalyseVlxFile(state, host), 1);
    for (int32_t t = 0; t < DataTypeCount; ++t)
        EXPECT_EQ(state.DataTypePresent[static_cast<size_t>(t)], t == 7 ? 1 : 0) << t;
    EXPECT_EQ(state.GgaRecordCount, 4) << "the GSA sentence and the placeholder are not GGA";
    EXPECT_EQ(state.Parsed.FileMains, 1);
    EXPECT_EQ(host.Statuses, (std::vector<std::string>{"Analysing file:", NextFileStatus}));

    host = MemoryHost();
    host.Input = SingleReadingSurvey() + UserGateSurvey().substr(5 * 60);
    ASSERT_EQ(AnalyseVlxFile(state, host), 1);
    EXPECT_EQ(state.DataTypePresent[2], 1);
    EXPECT_EQ(state.DataTypePresent[7], 0);
    EXPECT_EQ(state.GgaRecordCount, 0);
    EXPECT_EQ(state.Parsed.FileMains, 0) << "the user-gate file's 50 Hz came last";

    host = MemoryHost();
    std::string bad = GpsSurvey();
    bad.replace(2, 6, "MYFILE");
    host.Input = bad;
    EXPECT_EQ(AnalyseVlxFile(state, host), 0);
    ASSERT_EQ(host.Messages.size(), 1u);
    EXPECT_EQ(host.Messages[0].second, NotVlxFileCaption);
    host = MemoryHost();
    host.InputMissing = true;
    EXPECT_EQ(AnalyseVlxFile(state, host), -1);
}

}  // namespace

// Pins: the sentences the GPS reader flushed during a reading whose store then failed stay in
// the file with no reading after them (the store cuts back only its own records). Every writer
// passes over them: a file with such sentences at the start of a line and at its end (both
// more than 10 s from any reading) converts exactly as the file without them.
TEST(Writers, SentencesOfAFailedStoreArePassedOver)
{
    VlxFixture orphans(1, 0, "GPS30");
    const size_t head = orphans.Bytes.size();
    orphans.Sentence(GgaSentence(FixtureTime(8, 59, 40), 49.2, -123.2, 1, 8, 0.9, 70.0), 80000);
    orphans.Sentence("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39", 80100);
    orphans.Placeholder("GSA not avaiable", 80200);
    const std::string block = orphans.Bytes.substr(head);
    const std::string clean = GpsSurvey();
    const size_t afterLine = 11 * 60;  // H1 H2 H3 C1 C2, then L1 C3 C4 S1 C5 C6
    ASSERT_EQ(clean.substr(afterLine, 1), "@");
    const std::string withOrphans = clean.substr(0, afterLine) + block + clean.substr(afterLine) + block;
    for (int32_t mode : {ModeLz5, ModeUsf, ModeTxt, ModeXyz}) {
        const Converted a = Convert(mode, clean);
        const Converted b = Convert(mode, withOrphans);
        EXPECT_EQ(a.Result, b.Result) << mode;
        EXPECT_FALSE(a.Host.Output.empty()) << mode;
        EXPECT_EQ(a.Host.Output, b.Host.Output) << mode;
    }
    const Converted gps = ConvertXyzGps(withOrphans);
    EXPECT_FALSE(gps.Lines.empty());
    EXPECT_EQ(gps.Host.Output, ConvertXyzGps(clean).Host.Output);
}
