// Damaged survey files, as a field card gives them after a power cut or a bad copy, through
// all four writers: every reading of the file reaches the output, or the operator is told (one
// message, the result not success); a reading that is written carries its own values, exactly
// as from the intact file. Then the framing reader's stretches, and the LZ5 fields too wide.
#include "converters/converter_settings.h"
#include "converters/writers.h"
#include "memory_host.h"
#include "vlx_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

using namespace converters;

namespace {

constexpr int32_t SurveyReadings = 5;

// Five 20-gate readings at 30 Hz on line 7 N, one to a station (0, 10, ... 40), each with
// gate values of its own, a GGA sentence stored after each.
std::string FiveReadings()
{
    VlxFixture f(1, 0, "FIVE");
    f.Params.GateSet = 0;
    f.Params.TxLoopShape = 0;
    f.Params.TxLoopSideX = 100.0;
    f.Params.TxLoopArea = 10000.0;
    for (int32_t k = 0; k < SurveyReadings; ++k) {
        if (k == 0)
            f.Line(7.0, 0, 0.0);
        else
            f.Station(10.0 * k);
        const int32_t tick = 100000 + 20000 * k;
        f.Reading(DecayVolts(20, (1.0 + k) * 1e-3, 0.7 + 0.01 * k), 1000.0 * (k + 1), FixtureTime(9, k, 0), tick);
        f.Sentence(GgaSentence(FixtureTime(9, k, 2), 49.27 + 0.001 * k, -123.18, 1, 8, 0.9, 70.0), tick + 2000);
    }
    return f.Bytes;
}

// The offset of the occurrence-th record (from 1) whose tag is tag, on the 60-byte grid.
size_t RecordOffset(const std::string& bytes, const std::string& tag, int32_t occurrence)
{
    for (size_t at = 0; at + 60 <= bytes.size(); at += 60)
        if (bytes.compare(at, tag.size(), tag) == 0 && --occurrence == 0)
            return at;
    ADD_FAILURE() << "no record " << tag;
    return 0;
}

int64_t LineAt(size_t offset)
{
    return static_cast<int64_t>(offset / 60 + 1);
}

std::string Replaced(std::string bytes, size_t at, const std::string& text)
{
    return bytes.replace(at, text.size(), text);
}

std::string LineEndsReplaced(const std::string& bytes, const std::string& end)
{
    std::string out;
    for (size_t at = 0; at + 60 <= bytes.size(); at += 60)
        out += bytes.substr(at, 58) + end;
    return out;
}

void Adjust(int32_t mode, ConverterSettings& s)
{
    if (mode == ModeXyz) {
        s.XyzFileFormat = 1;
        s.ColumnDelimiter = 1;
        s.DataType = 2;
        s.IncludeHeader = 0;
        s.IncludeTimeStamp = 0;
    }
}

// The readings of an output, each as the text that stands for it there, less what numbers it
// among the others (LZ5's counters, USF's sounding number) and what comes from the stored GPS
// sentences, records of their own (TXT's sentence, USF's location).
std::vector<std::string> ReadingsOf(int32_t mode, const Converted& c)
{
    std::vector<std::string> readings;
    auto begins = [](const std::string& line, const char* text) { return line.rfind(text, 0) == 0; };
    for (size_t i = 0; i < c.Lines.size(); ++i) {
        const std::string& line = c.Lines[i];
        switch (mode) {
        case ModeXyz:
            readings.push_back(line);
            break;
        case ModeLz5:
            if (line.size() == Lz5ShortLineLength && line.substr(18, 3) == "OPR" && i + 1 < c.Lines.size())
                readings.push_back(line.substr(0, 43) + c.Lines[i + 1].substr(0, 200));
            break;
        case ModeTxt:
        case ModeUsf: {
            const char* start = mode == ModeTxt ? "Type of Layout:" : "/ARRAY:";
            if (begins(line, start))
                readings.emplace_back();
            else if (readings.empty() || begins(line, "GPS Message:") || begins(line, "/SOUNDING_NUMBER:") ||
                     begins(line, "/LOCATION:"))
                break;
            readings.back() += line + "\n";
            break;
        }
        default:
            break;
        }
    }
    return readings;
}

struct Damage {
    const char* Name;
    std::function<std::string(const std::string&)> Make;
    bool Told;         // the operator must be told
    int64_t Line;      // the line the message names (0: not checked)
    int32_t Readings;  // readings that reach the output
    // A place that cannot be read: from, to (negative: the end), the reads it still gives.
    int64_t FailFrom = -1, FailTo = -1;
    int32_t ReadsBeforeFailing = 0;
};

const int32_t Modes[] = {ModeTxt, ModeLz5, ModeUsf, ModeXyz};

// Either every reading the file holds is in the output (all of them, but the one a power cut
// interrupted: whole), or the operator was told in one message and the result is not
// success; a reading that is in the output is in it as the intact file has it.
void ExpectWholeOrTold(int32_t mode, const std::vector<std::string>& intact, size_t whole, const Converted& c)
{
    const std::vector<std::string> readings = ReadingsOf(mode, c);
    const bool told = !c.Host.Messages.empty();
    if (told) {
        EXPECT_NE(c.Result, 1);
        EXPECT_EQ(c.Host.Messages.size(), 1u);
    } else {
        EXPECT_EQ(c.Result, 1);
        EXPECT_EQ(readings.size(), whole) << "a shorter output, and not a word";
    }
    const std::set<std::string> own(intact.begin(), intact.end());
    for (const std::string& r : readings)
        EXPECT_EQ(own.count(r), 1u) << "a reading written with values that are not its own:\n" << r;
}

TEST(DamagedFiles, EveryReadingIsWrittenOrTheOperatorIsTold)
{
    const std::string good = FiveReadings();
    const size_t v3 = RecordOffset(good, "V3", 3);
    const size_t t2 = RecordOffset(good, "T1", 2);
    const size_t r4 = RecordOffset(good, "R1", 4);
    const size_t z5 = RecordOffset(good, "Z1", 5);
    const size_t s3 = RecordOffset(good, "S1", 3);
    const size_t c7 = RecordOffset(good, "C7", 4);
    const size_t p2 = RecordOffset(good, "P2", 2);
    const size_t v2 = RecordOffset(good, "V2", 5);
    const size_t l1 = RecordOffset(good, "L1", 1);
    const size_t v34 = RecordOffset(good, "V3", 4);
    const size_t w3 = RecordOffset(good, "W1", 3);
    const size_t w4 = RecordOffset(good, "W1", 4);
    const size_t v32 = RecordOffset(good, "V3", 2);
    // Reading 3's record of the tag copied into reading 4 after its own.
    auto copiedIntoReading4 = [&](const char* tag) {
        const size_t own = RecordOffset(good, tag, 4);
        return [own, from = RecordOffset(good, tag, 3)](const std::string& b) {
            return std::string(b).insert(own + 60, b.substr(from, 60));
        };
    };
    const std::string inserted =
        "copied by hand from the field book, station 30 re-read after the storm" + std::string("\r\n");
    // Six readings (station 40 stored twice), reading 1's C7 3 bytes short, a zeroed tail.
    const size_t c71 = RecordOffset(good, "C7", 1);
    auto sixShortC7ZeroedTail = [&](const std::string& b) {
        return (b + b.substr(RecordOffset(good, "S1", 5))).erase(c71 + 20, 3) + std::string(500, '\0');
    };

    const Damage damages[] = {
        {"a byte lost inside reading 3's V3", [&](const std::string& b) { return std::string(b).erase(v3 + 20, 1); },
         true, LineAt(v3), 4},
        // The header's texts go into every reading: without them no reading is written.
        {"a byte lost inside H2", [](const std::string& b) { return std::string(b).erase(65, 1); }, true, 2, 0},
        {"a byte lost inside reading 5's time stamp",
         [&](const std::string& b) { return std::string(b).erase(z5 + 30, 1); }, true, LineAt(z5), 4},
        {"a byte lost inside the last record",
         [](const std::string& b) { return std::string(b).erase(b.size() - 10, 1); }, true, LineAt(good.size() - 60),
         5},
        {"a byte added inside reading 4's R1",
         [&](const std::string& b) { return std::string(b).insert(r4 + 12, "7"); }, true, LineAt(r4), 4},
        {"reading 2's T1 cut to 30 characters", [&](const std::string& b) { return std::string(b).erase(t2 + 30, 28); },
         true, LineAt(t2), 4},
        // A line that starts with no record tag may have been the line's L1: the line of the
        // readings after it is not known.
        {"a long line inserted before station 20",
         [&](const std::string& b) { return std::string(b).insert(s3, inserted); }, true, LineAt(s3), 2},
        {"a long record-like line inserted before station 20",
         [&](const std::string& b) { return std::string(b).insert(s3, "C5" + inserted); }, true, LineAt(s3), 5},
        {"CR-only line ends", [](const std::string& b) { return LineEndsReplaced(b, "\r"); }, true, 1, 0},
        {"LF-only line ends", [](const std::string& b) { return LineEndsReplaced(b, "\n"); }, true, 1, 0},
        {"no line ends", [](const std::string& b) { return LineEndsReplaced(b, ""); }, true, 1, 0},
        {"reading 3's V3 record missing", [&](const std::string& b) { return std::string(b).erase(v3, 60); }, true,
         LineAt(RecordOffset(good, "W1", 3)), 4},
        {"reading 3's gate values missing", [&](const std::string& b) { return std::string(b).erase(v3 - 120, 300); },
         true, LineAt(RecordOffset(good, "W1", 3)), 4},
        {"a current of inf", [&](const std::string& b) { return Replaced(b, t2 + 2, "           inf"); }, true,
         LineAt(t2), 4},
        {"a loop side of 1e308", [&](const std::string& b) { return Replaced(b, p2 + 30, "         1e308"); }, true,
         LineAt(p2), 4},
        {"a line number of nan", [&](const std::string& b) { return Replaced(b, l1 + 2, "           nan"); }, true,
         LineAt(l1), 0},
        {"a blank gate value", [&](const std::string& b) { return Replaced(b, v2 + 16, std::string(14, ' ')); }, true,
         LineAt(v2), 4},
        {"reading 4's C7 with no record tag", [&](const std::string& b) { return Replaced(b, c7, "X"); }, true,
         LineAt(c7), 3},
        {"a read failure at byte 4096", [](const std::string& b) { return b; }, true, 0, 3, 4096},
        // Mended: a place that went bad after the opening scan, or that the scan never read
        // (the middle of the record after a damaged line), blanked the rest of its block.
        {"a place in reading 3's V3 going bad after the opening scan", [](const std::string& b) { return b; }, true, 0,
         4, static_cast<int64_t>(v3 + 10), static_cast<int64_t>(v3 + 30), 1},
        {"a small place inside the record after a damaged line",
         [&](const std::string& b) { return std::string(b).erase(v3 + 20, 1); }, true, 0, 4,
         static_cast<int64_t>(v3 + 59 + 10), static_cast<int64_t>(v3 + 59 + 40)},
        // Mended: with two damaged stretches in a block, a place going bad after the scan in the
        // first or at the start of the record after it blanked the records up to the second
        // (reading 3 here); one at the end of a stretch's second line moved no line.
        {"a place in the first of two stretches going bad after the scan",
         [&](const std::string& b) { return std::string(b).erase(v34 + 20, 1).erase(v32 + 20, 1); }, true, 0, 3,
         static_cast<int64_t>(v32 + 5), static_cast<int64_t>(v32 + 10), 1},
        {"a place in the record after the first of two stretches going bad after the scan",
         [&](const std::string& b) { return std::string(b).erase(v34 + 20, 1).erase(v32 + 20, 1); }, true, 0, 3,
         static_cast<int64_t>(v32 + 59), static_cast<int64_t>(v32 + 60), 1},
        {"the line end of a stretch's second line going bad after the scan",
         [&](const std::string& b) { return std::string(b).erase(z5 + 30, 1).erase(v3 + 80, 1).erase(v3 + 20, 1); },
         true, LineAt(v3), 3, static_cast<int64_t>(v3 + 116), static_cast<int64_t>(v3 + 118), 1},
        // Mended: in a survey that ends in a damaged stretch, a place going bad after the scan
        // at the line end of a stretch, or at the tag or line end of the record after it,
        // blanked every record from there on (no reading written).
        {"a short C7's CR LF going bad after the scan, a zeroed tail", sixShortC7ZeroedTail, true, 0, 5,
         static_cast<int64_t>(c71 + 55), static_cast<int64_t>(c71 + 57), 1},
        {"the tag after a short C7 going bad after the scan, a zeroed tail", sixShortC7ZeroedTail, true, 0, 5,
         static_cast<int64_t>(c71 + 57), static_cast<int64_t>(c71 + 58), 1},
        {"the line end after a short C7 going bad after the scan, a zeroed tail", sixShortC7ZeroedTail, true, 0, 5,
         static_cast<int64_t>(c71 + 115), static_cast<int64_t>(c71 + 117), 1},
        // Mended: a line or station record that went bad after the scan gave the readings
        // after it the line or station before it.
        {"station 20's S1 going bad after the scan", [](const std::string& b) { return b; }, true, 0, 4,
         static_cast<int64_t>(s3 + 10), static_cast<int64_t>(s3 + 11), 1},
        {"the L1 going bad after the scan", [](const std::string& b) { return b; }, true, 0, 0,
         static_cast<int64_t>(l1 + 10), static_cast<int64_t>(l1 + 11), 1},
        // A power cut during a store: the reading it interrupts is left out without a word.
        {"cut inside reading 5", [&](const std::string& b) { return b.substr(0, v2 + 33); }, false, 0, 4},
        {"cut at a record's end inside reading 5", [&](const std::string& b) { return b.substr(0, v2 + 60); }, false, 0,
         4},
        // Mended: each of these went without a word, and the two readings left out by the
        // second were told as one.
        {"reading 3's V3 copied into reading 4 after its own",
         [&](const std::string& b) { return std::string(b).insert(v34 + 60, b.substr(v3, 60)); }, true,
         LineAt(v34 + 60), 4},
        {"reading 3's T1 copied into reading 4 after its own", copiedIntoReading4("T1"), true,
         LineAt(RecordOffset(good, "T1", 4) + 60), 4},
        {"reading 3's R1 copied into reading 4 after its own", copiedIntoReading4("R1"), true,
         LineAt(RecordOffset(good, "R1", 4) + 60), 4},
        {"reading 3's R2 copied into reading 4 after its own", copiedIntoReading4("R2"), true,
         LineAt(RecordOffset(good, "R2", 4) + 60), 4},
        {"reading 3's P1 copied into reading 4 after its own", copiedIntoReading4("P1"), true,
         LineAt(RecordOffset(good, "P1", 4) + 60), 4},
        // LZ5 writes excluded readings too: a copy in one must leave it out there as well.
        {"reading 3's V3 copied into reading 4, excluded, after its own",
         [&](const std::string& b) { return Replaced(copiedIntoReading4("V3")(b), w4 + 1, "0"); }, true,
         LineAt(v34 + 60), 4},
        {"reading 3's V3 missing, reading 5's time stamp missing with its sentence after it",
         [&](const std::string& b) { return std::string(b).erase(z5, 60).erase(v3, 60); }, true, LineAt(w3), 3},
        {"a station of 1e30800", [&](const std::string& b) { return Replaced(b, s3 + 2, "       1e30800"); }, true,
         LineAt(s3), 4},
    };
    for (int32_t mode : Modes) {
        const Converted whole = Convert(mode, good, [&](ConverterSettings& s) { Adjust(mode, s); });
        const std::vector<std::string> intact = ReadingsOf(mode, whole);
        ASSERT_EQ(whole.Result, 1);
        ASSERT_EQ(intact.size(), static_cast<size_t>(SurveyReadings)) << mode;
        for (const Damage& d : damages) {
            SCOPED_TRACE(std::string(d.Name) + ", mode " + std::to_string(mode));
            const std::string bytes = d.Make(good);
            const bool readFailure = d.FailFrom >= 0 && d.Line == 0;
            const Converted c = Convert(
                mode, bytes, [&](ConverterSettings& s) { Adjust(mode, s); },
                [&](MemoryHost& h) {
                    h.InputFailFrom = d.FailFrom;
                    h.InputFailTo = d.FailTo;
                    h.InputReadsBeforeFailing = d.ReadsBeforeFailing;
                });
            ExpectWholeOrTold(mode, intact, d.Told ? intact.size() : static_cast<size_t>(d.Readings), c);
            EXPECT_EQ(!c.Host.Messages.empty(), d.Told);
            EXPECT_EQ(ReadingsOf(mode, c).size(), static_cast<size_t>(d.Readings));
            if (c.Host.Messages.empty())
                continue;
            const std::string& text = c.Host.Messages[0].first;
            if (readFailure) {
                EXPECT_EQ(
                    text,
                    "Cannot read file D:\\Survey\\line.VLX, the output is incomplete, click on the OK to proceed");
                EXPECT_EQ(c.Host.Messages[0].second, "File Error");
            } else {
                EXPECT_EQ(c.Host.Messages[0].second, "Damaged File");
                const std::string at = "The file is damaged at line " + std::to_string(d.Line);
                EXPECT_TRUE(text.rfind(at + ": ", 0) == 0 || text.rfind(at + " (record ", 0) == 0) << text;
                EXPECT_NE(text.find(std::to_string(d.Readings) + " in all"), std::string::npos) << text;
                // Every reading of the file is written or counted as left out, but where the
                // file is damaged from its first line on.
                const int32_t leftOut = SurveyReadings - d.Readings;
                if (d.Line > 1) {
                    EXPECT_EQ(text.find("; " + std::to_string(leftOut) + " damaged reading") != std::string::npos,
                              leftOut > 0)
                        << text;
                }
                EXPECT_NE(text.find("The output is incomplete"), std::string::npos) << text;
            }
            EXPECT_EQ(c.Host.Statuses.back(), NextFileStatus);
            // Mended: TXT counted the readings left out too.
            if (mode == ModeTxt && c.Host.OutputCreated) {
                EXPECT_NE(c.Host.Output.find("No of records:  " + std::to_string(d.Readings) + "\r\n"),
                          std::string::npos);
            }
        }
    }
}

// One byte lost at offsets all through the file, through every writer.
TEST(DamagedFiles, ALostByteAnywhereIsToldOrHarmless)
{
    const std::string good = FiveReadings();
    for (int32_t mode : Modes) {
        const std::vector<std::string> intact =
            ReadingsOf(mode, Convert(mode, good, [&](ConverterSettings& s) { Adjust(mode, s); }));
        for (size_t at = 9; at < good.size(); at += 97) {
            SCOPED_TRACE("byte " + std::to_string(at) + " lost, mode " + std::to_string(mode));
            const std::string bytes = std::string(good).erase(at, 1);
            const Converted c = Convert(mode, bytes, [&](ConverterSettings& s) { Adjust(mode, s); });
            ExpectWholeOrTold(mode, intact, intact.size(), c);
            EXPECT_FALSE(c.Host.Messages.empty()) << "a lost byte moves every record after it";
        }
    }
}

// The message of a damaged stretch tells what is wrong with the line and the readings before
// it; the lines after a stretch are counted as the file has them.
TEST(DamagedFiles, TheMessageSaysWhereWhatAndHowMany)
{
    const std::string good = FiveReadings();
    const size_t v3 = RecordOffset(good, "V3", 3);
    Converted c = Convert(ModeTxt, std::string(good).erase(v3 + 20, 1));
    ASSERT_EQ(c.Host.Messages.size(), 1u);
    EXPECT_EQ(c.Host.Messages[0].first,
              "The file is damaged at line " + std::to_string(LineAt(v3)) +
                  ": its line is 59 bytes long where a record is 60 (58 characters, CR, LF).\n"
                  "2 readings were written before it, 4 in all; 1 damaged reading was left out.\n"
                  "The output is incomplete, click on the OK to proceed");
    EXPECT_EQ(c.Result, -1);
    c = Convert(ModeTxt, Replaced(good, RecordOffset(good, "T1", 2) + 2, "           inf"));
    ASSERT_EQ(c.Host.Messages.size(), 1u);
    EXPECT_NE(c.Host.Messages[0].first.find("(record T1): columns 3-16 hold \"inf\", which is no number"),
              std::string::npos)
        << c.Host.Messages[0].first;
    c = Convert(ModeTxt, LineEndsReplaced(good, "\n"));
    ASSERT_EQ(c.Host.Messages.size(), 1u);
    EXPECT_EQ(c.Host.Messages[0].first.substr(0, 66),
              "The file is damaged at line 1: its line ends in LF without CR.\n0 r");
    // A file that does not start with a survey file's H1 is still of another kind.
    c = Convert(ModeTxt, "L1" + good.substr(2));
    ASSERT_EQ(c.Host.Messages.size(), 1u);
    EXPECT_EQ(c.Host.Messages[0].second, NotVlxFileCaption);
    EXPECT_FALSE(c.Host.OutputCreated);
}

// Mended: a reading whose gate-value records are missing was written with the gate values
// the reading before it left (here gates 21-30 of a 30-gate reading from an excluded one).
TEST(DamagedFiles, AReadingIsNeverWrittenWithAnothersGateValues)
{
    VlxFixture f(0, 1);
    f.Params.GateSet = 1;
    f.Line(3.0, 2, 0.0);
    f.Reading(DecayVolts(30, 9e-3, 0.9), 1.0, FixtureTime(10, 0, 0), 1000, true);
    f.Station(5.0);
    f.Reading(DecayVolts(30, 1e-3, 0.6), 2.0, FixtureTime(10, 1, 0), 61000);
    const size_t v6 = RecordOffset(f.Bytes, "V6", 2);
    const std::string missing = std::string(f.Bytes).erase(v6, 3 * 60);
    for (int32_t mode : Modes) {
        SCOPED_TRACE(mode);
        const Converted c = Convert(mode, missing, [](ConverterSettings& s) {
            s.DataType = 7;
            s.XyzFileFormat = 1;
            s.IncludeHeader = 0;
        });
        EXPECT_EQ(c.Result, -1);
        ASSERT_EQ(c.Host.Messages.size(), 1u);
        EXPECT_NE(c.Host.Messages[0].first.find("has no V6 record"), std::string::npos) << c.Host.Messages[0].first;
        // Nothing of the second reading is written; LZ5 writes the excluded first one (an early
        // and a main pair).
        EXPECT_EQ(ReadingsOf(mode, c).size(), mode == ModeLz5 ? 2u : 0u);
    }
}

TEST(VlxFraming, StretchesResumeAtTheNextWholeRecord)
{
    const std::string good = FiveReadings();
    const int32_t n = static_cast<int32_t>(good.size() / 60);
    const size_t v3 = RecordOffset(good, "V3", 3);
    const int32_t damaged = static_cast<int32_t>(v3 / 60) + 1;
    // One byte lost: the record is a stretch of its own, the next line starts the next
    // record, and every record after it reads whole.
    {
        const std::string bytes = std::string(good).erase(v3 + 20, 1);
        MemoryInputFile input(bytes);
        VlxRecords records(input);
        EXPECT_EQ(records.Count(), n);
        EXPECT_EQ(records.Damage(damaged), "its line is 59 bytes long where a record is 60 (58 characters, CR, LF)");
        EXPECT_EQ(records.Record(damaged), std::string(60, ' '));
        EXPECT_EQ(records.Record(damaged + 1).substr(0, 2), "V4");
        EXPECT_EQ(records.LineOf(damaged + 1), damaged + 1);
        EXPECT_EQ(records.Damage(n), "");
        EXPECT_EQ(records.Record(n), good.substr(good.size() - 60));
        EXPECT_FALSE(records.MayHoldLineRecord(damaged));
        EXPECT_FALSE(records.ReadFailed());
    }
    // An inserted line of 70 characters: one stretch, then every record as before, their
    // lines one further on.
    {
        const std::string bytes = std::string(good).insert(v3, std::string(70, 'x') + "\r\n");
        MemoryInputFile input(bytes);
        VlxRecords records(input);
        EXPECT_EQ(records.Count(), n + 1);
        EXPECT_EQ(records.Damage(damaged), "its line is 72 bytes long where a record is 60 (58 characters, CR, LF)");
        EXPECT_EQ(records.Record(damaged + 1), good.substr(v3, 60));
        EXPECT_EQ(records.LineOf(damaged + 1), damaged + 1);
        EXPECT_EQ(records.Record(n + 1), good.substr(good.size() - 60));
    }
    // A stretch that holds a line record's start leaves the line unknown.
    {
        const size_t l1 = RecordOffset(good, "L1", 1);
        for (size_t lost : {l1, l1 + 5}) {
            const std::string bytes = std::string(good).erase(lost, 1);
            MemoryInputFile input(bytes);
            VlxRecords records(input);
            EXPECT_TRUE(records.MayHoldLineRecord(static_cast<int32_t>(l1 / 60 + 1))) << lost;
        }
        // A byte lost in the record before it is no line record's.
        const std::string bytes = std::string(good).erase(l1 - 5, 1);
        MemoryInputFile input(bytes);
        VlxRecords records(input);
        EXPECT_FALSE(records.MayHoldLineRecord(static_cast<int32_t>(l1 / 60)));
        EXPECT_EQ(records.Record(static_cast<int32_t>(l1 / 60 + 1)).substr(0, 2), "L1");
    }
    // Mended: with H2 and C2 a byte short and the line end of the H3 between them going bad
    // after the scan, the P1 that the damaged C1 holds after 23 characters was read in H3's
    // place.
    {
        const std::string bytes = good.substr(0, 60) + good.substr(61, 59) + good.substr(120, 62) +
                                  std::string(23, ' ') + good.substr(RecordOffset(good, "P1", 1), 58) + "\r\n" +
                                  good.substr(241, 59) + good.substr(300);
        MemoryInputFile input(bytes);
        input.FailFrom = 177;
        input.FailTo = 204;
        input.ReadsBeforeFailing = 1;
        VlxRecords records(input);
        EXPECT_EQ(records.Record(3), std::string(60, ' '));
        EXPECT_EQ(records.Damage(3), "it cannot be read");
        EXPECT_EQ(records.Record(5), good.substr(300, 60));
    }
    // A read that fails in the opening scan ends the file there; the records before it are
    // kept, but one that cannot be read whole (the scan's reads end inside record 1093). A
    // place that goes bad after the scan blanks only the records it covers (mended: the rest
    // of its block), in either block.
    {
        std::string big;
        while (big.size() < 2100 * 60)
            big += good;
        const int32_t all = static_cast<int32_t>(big.size() / 60);
        const struct {
            int64_t From, To;
            int32_t ReadsBefore, Count, Blank;
        } failures[] = {
            {4096, -1, 0, 68, 0}, {65579, -1, 0, 1093, 1093}, {2000, 2001, 1, all, 34}, {61440, 61500, 1, all, 1025}};
        for (const auto& f : failures) {
            SCOPED_TRACE(f.From);
            MemoryInputFile input(big);
            input.FailFrom = f.From;
            input.FailTo = f.To;
            input.ReadsBeforeFailing = f.ReadsBefore;
            VlxRecords records(input);
            EXPECT_EQ(records.ReadFailed(), f.ReadsBefore == 0);
            ASSERT_EQ(records.Count(), f.Count);
            EXPECT_EQ(records.CutShort(f.Count), f.Blank == f.Count);
            for (int32_t k = 1; k <= f.Count; ++k)
                ASSERT_EQ(records.Record(k), k == f.Blank ? std::string(60, ' ') : big.substr((k - 1) * 60u, 60)) << k;
            EXPECT_TRUE(records.ReadFailed());
        }
    }
}

// Mended: every damaged stretch kept a record of its own with its message, so a survey whose
// every other line is a byte long took memory by the stretch. Blocks are now framed again as
// they are read: records, lines and damage must come out alike in every block, read in
// either direction, also where a zeroed area (before record 1001, one stretch of its own)
// ends a block early.
TEST(VlxFraming, EveryBlockFramesAlikeWhateverTheOrder)
{
    std::string good;
    while (good.size() < 3000 * 60)
        good += FiveReadings();
    std::string bytes;
    const int32_t n = static_cast<int32_t>(good.size() / 60), zeroed = 1000;
    for (int32_t k = 0; k < n; ++k)
        bytes += (k == zeroed ? std::string(200000, '\0') + "\r\n" : "") +
                 good.substr(static_cast<size_t>(k) * 60, 58) + (k % 2 == 1 && k > 1500 ? " \r\n" : "\r\n");
    MemoryInputFile input(bytes);
    VlxRecords records(input);
    ASSERT_EQ(records.Count(), n + 1);
    for (int32_t pass = 0; pass < 2; ++pass)
        for (int32_t i = 0; i <= n; ++i) {
            const int32_t m = pass == 0 ? i + 1 : n + 1 - i;
            const int32_t k = m <= zeroed ? m - 1 : m - 2;
            const bool damaged = m == zeroed + 1 || (k % 2 == 1 && k > 1500);
            ASSERT_EQ(records.LineOf(m), m) << m;
            ASSERT_EQ(records.Damage(m).empty(), !damaged) << m;
            ASSERT_EQ(records.MayHoldLineRecord(m), m == zeroed + 1 || (damaged && good[k * 60u] == 'L')) << m;
            ASSERT_EQ(records.Record(m), damaged ? std::string(60, ' ') : good.substr(static_cast<size_t>(k) * 60, 60))
                << m;
        }
}

// Mended: the LZ5 line, station and loop-area fields kept the rightmost characters of a
// number too wide for them (area 10100.25 as "0100.25", line 100.5 as "00.5N", station
// 10012.5 as "12.5"). They lose decimals first; a whole number that does not fit is refused
// before anything is written, named by its value.
TEST(Lz5Fields, WideNumbersLoseDecimalsOrTheFileIsRefused)
{
    auto survey = [](double line, double station, double side) {
        VlxFixture f;
        f.Params.GateSet = 0;
        f.Params.TxLoopShape = 0;
        f.Params.TxLoopSideX = side;
        f.Params.TxLoopArea = side * side;
        f.Line(line, 0, station);
        f.Reading(DecayVolts(20, 1e-3), 1.0, FixtureTime(10, 0, 0), 1000);
        return f.Bytes;
    };
    Converted c = Convert(ModeLz5, survey(100.5, 10012.5, 100.5));
    ASSERT_EQ(c.Result, 1);
    const auto opr = std::find_if(c.Lines.begin(), c.Lines.end(),
                                  [](const std::string& l) { return l.size() == 48 && l.substr(18, 3) == "OPR"; });
    ASSERT_NE(opr, c.Lines.end());
    EXPECT_EQ(opr->substr(4, 11), " 100N 10012");
    EXPECT_EQ((opr + 1)->substr(192, 7), "10100.2") << "the loop area";

    const struct {
        double Line, Station, Side;
        const char* Message;
    } refused[] = {
        {10000.0, 0.0, 100.0,
         "The line 10000 does not fit its field of 4 characters in the LZ5 format, click on the OK to proceed"},
        {-1000.5, 0.0, 100.0,
         "The line -1000.5 does not fit its field of 4 characters in the LZ5 format, click on the OK to proceed"},
        {1.0, 1234567.0, 100.0,
         "The station 1234567 does not fit its field of 6 characters in the LZ5 format, click on the OK to proceed"},
        {1.0, 0.0, 3163.0,
         "The loop area 10004569 does not fit its field of 7 characters in the LZ5 format, click on the OK to proceed"},
    };
    for (const auto& r : refused) {
        c = Convert(ModeLz5, survey(r.Line, r.Station, r.Side));
        EXPECT_EQ(c.Result, 0);
        EXPECT_FALSE(c.Host.OutputCreated);
        ASSERT_EQ(c.Host.Messages.size(), 1u);
        EXPECT_EQ(c.Host.Messages[0].first, r.Message);
        EXPECT_EQ(c.Host.Messages[0].second, "Value Too Wide for LZ5");
    }
    // The other formats write these numbers whole.
    c = Convert(ModeTxt, survey(10000.0, 1234567.0, 3163.0));
    EXPECT_EQ(c.Result, 1);
    EXPECT_NE(c.Host.Output.find("Line   :10000N\r\nStation:1234567\r\n"), std::string::npos);
}

}  // namespace
