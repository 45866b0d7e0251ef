// The record parsers on records written by V-LOX's own record writers (vlox/datafile); the few
// layouts V-LOX no longer writes (the other signature, the earlier loop records) are made from
// its records by changing the columns concerned.
#include "converters/record_parsers.h"

#include "converters/converter_files.h"
#include "vlx_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace converters;

namespace {

ConverterState StateFor(int32_t mode)
{
    ConverterState state;
    state.ConverterMode = mode;
    ResetParsedRecords(state);
    return state;
}

std::string WithColumns(std::string record, int32_t first, const std::string& text)
{
    record.replace(static_cast<size_t>(first - 1), text.size(), text);
    return record;
}

TEST(HeaderRecord, SignatureSyncSourceTransmitterAndLayout)
{
    ConverterState state = StateFor(ModeLz5);
    const std::string h1 = FileIdRecord(1, FixtureTime(8, 0, 0));
    EXPECT_EQ(ParseHeaderRecord(state, h1), 1);
    EXPECT_EQ(ParseHeaderRecord(state, WithColumns(h1, 3, "TRAVIK")), 1);
    EXPECT_EQ(ParseHeaderRecord(state, WithColumns(h1, 3, "V-LOXD")), 0);
    EXPECT_EQ(ParseHeaderRecord(state, WithColumns(h1, 3, "XYZ123")), 0);
    EXPECT_TRUE(RecordNamesGps(h1));
    EXPECT_FALSE(RecordNamesGps(FileIdRecord(0, FixtureTime(8, 0, 0))));

    EXPECT_EQ(ParseHeaderRecord(state, SurveyInfoRecord("Brem", 2, 1, 1, "T")), 1);
    EXPECT_EQ(state.Parsed.SyncSourceText, "XTL");
    EXPECT_EQ(state.Parsed.SyncSourceTextB, "XTL");
    EXPECT_EQ(state.Parsed.TransmitterCodeText, "    81.2");
    EXPECT_EQ(state.Parsed.FileSystemConfiguration, 2);
    // Codes outside their lists leave the texts of the earlier H2; H3 changes nothing.
    EXPECT_EQ(ParseHeaderRecord(state, SurveyInfoRecord("Brem", 0, 3, 7, "T")), 1);
    EXPECT_EQ(state.Parsed.SyncSourceText, "XTL");
    EXPECT_EQ(state.Parsed.TransmitterCodeText, "    81.2");
    const ParsedRecords before = state.Parsed;
    EXPECT_EQ(ParseHeaderRecord(state, StartPositionRecord(1.0, 2.0, 0)), 1);
    EXPECT_EQ(state.Parsed.SyncSourceText, before.SyncSourceText);

    ConverterState txt = StateFor(ModeTxt);
    ParseHeaderRecord(txt, SurveyInfoRecord("Brem", 1, 4, 2, "T"));
    EXPECT_EQ(txt.Parsed.TransmitterCodeText, "        ") << "the transmitter code is LZ5's only";
    EXPECT_EQ(txt.Parsed.SyncSourceText, "   ");
}

TEST(LineAndStationRecords, FullNumbersForPositionsShortenedTextsForLz5)
{
    ConverterState state = StateFor(ModeXyz);
    ReadingParameters p;
    p.SurveyLine = 12.0;
    p.LineDirection = 1;
    EXPECT_EQ(ParseLineRecord(state, LineRecord(p)), "  12S");
    EXPECT_EQ(state.Parsed.GridX, 12.0);
    EXPECT_EQ(state.Parsed.LineLabel, "12S");

    // Mended: the grid took the number of the four-character LZ5 text, so line 10000 was 0
    // and -100.5 was 0.5.
    p.SurveyLine = -100.5;
    p.LineDirection = 2;
    // Mended: the LZ5 field kept the rightmost characters ("00.5E"); it loses decimals first.
    EXPECT_EQ(ParseLineRecord(state, LineRecord(p)), "-100E");
    EXPECT_EQ(state.Parsed.GridY, -100.5);
    EXPECT_EQ(state.Parsed.LineNumber, -100.5);
    EXPECT_EQ(state.Parsed.Lz5UnfitValue, "");
    // A station on an E line sets X from the full text; its LZ5 field loses the decimal
    // (mended: it was "2345.5").
    EXPECT_EQ(ParseStationRecord(state, StationRecord(12345.5)), " 12345");
    EXPECT_EQ(state.Parsed.GridX, 12345.5);
    EXPECT_EQ(state.Parsed.StationLabel, "12345.5");
    EXPECT_EQ(ParseStationRecord(state, StationRecord(250.0)), "   250");
    EXPECT_EQ(state.Parsed.Lz5UnfitValue, "");
    // A whole number wider than its field is noted for the LZ5 writer to refuse, by value.
    p.SurveyLine = 10000.0;
    p.LineDirection = 0;
    ParseLineRecord(state, LineRecord(p));
    EXPECT_EQ(state.Parsed.GridX, 10000.0);
    EXPECT_EQ(state.Parsed.LineLabel, "10000N");
    EXPECT_EQ(state.Parsed.Lz5UnfitValue, "the line 10000 does not fit its field of 4 characters");

    // A direction outside N, S, E, W sets neither coordinate and adds no letter.
    p.SurveyLine = 7.0;
    p.LineDirection = 9;
    EXPECT_EQ(ParseLineRecord(state, LineRecord(p)), "    7");
    EXPECT_EQ(state.Parsed.GridY, -100.5);
    EXPECT_EQ(state.Parsed.GridX, 10000.0);
}

TEST(TransmitterRecord, TextsTurnsAndTheLz5TurnOffText)
{
    ReadingParameters p;
    p.TxCurrent = 30.0;
    p.TurnOffTimeUs = 12.5;
    p.TxTurns = 0;
    p.TxLoopShape = 1;
    ConverterState txt = StateFor(ModeTxt);
    EXPECT_EQ(ParseTransmitterRecord(txt, TransmitterRecord(p)), 1);
    EXPECT_EQ(txt.Parsed.TxCurrentText, "      30");
    EXPECT_EQ(txt.Parsed.TurnOffTimeText, "    12.5");
    EXPECT_EQ(txt.Parsed.FileTxTurns, 1) << "turns 0 read as 1";

    ConverterState lz5 = StateFor(ModeLz5);
    p.TurnOffTimeUs = 1234567.875;
    ParseTransmitterRecord(lz5, TransmitterRecord(p));
    EXPECT_EQ(lz5.Parsed.TurnOffTimeText, " 1234567");
    EXPECT_EQ(lz5.Parsed.TurnOffTimeUs, 1234567.875);
}

TEST(LoopRecords, CurrentAndEarlierLayouts)
{
    ReadingParameters p;
    p.TxLoopShape = 0;
    p.TxLoopSideX = 100.0;
    p.TxCentreX = 10.0;
    p.TxCentreY = -20.0;
    p.TxLoopArea = 10000.0;
    ConverterState state = StateFor(ModeTxt);
    const std::vector<std::string> square = LoopRecords(p);
    ASSERT_EQ(square.size(), 2u);
    EXPECT_EQ(ParseLoopRecord(state, square[0]), "");
    EXPECT_EQ(state.Parsed.LoopLayoutFlag, 1);
    EXPECT_EQ(state.Parsed.LoopAreaText, "10000.000");
    EXPECT_EQ(ParseLoopRecord(state, square[1]), "  10000");
    EXPECT_EQ(state.Parsed.LoopSideX, 100.0);
    EXPECT_EQ(state.Parsed.LoopSideY, 100.0);
    EXPECT_EQ(state.Parsed.LoopCentreX, 10.0);
    EXPECT_EQ(state.Parsed.LoopCentreY, -20.0);
    EXPECT_EQ(state.Parsed.LoopSideYText, "     100");

    p.TxLoopShape = 2;
    const std::vector<std::string> corners = LoopRecords(p);
    ASSERT_EQ(corners.size(), 3u);
    EXPECT_EQ(ParseLoopRecord(state, corners[0]), "");
    EXPECT_EQ(ParseLoopRecord(state, corners[1]), "");
    EXPECT_EQ(state.Parsed.LoopSideX, 0.0);
    EXPECT_EQ(state.Parsed.LoopSideY, 0.0);
    EXPECT_EQ(ParseLoopRecord(state, corners[2]), "   12.1");

    // LZ5 sides: the first 12 characters of the side field, not shortened further.
    ConverterState lz5 = StateFor(ModeLz5);
    p.TxLoopShape = 1;
    p.TxLoopSideX = 150.0;
    p.TxLoopSideY = 75.25;
    const std::vector<std::string> rectangle = LoopRecords(p);
    ParseLoopRecord(lz5, rectangle[0]);
    EXPECT_EQ(ParseLoopRecord(lz5, rectangle[1]), "11287.5");
    EXPECT_EQ(lz5.Parsed.LoopSideXText, "   150.0");
    EXPECT_EQ(lz5.Parsed.LoopSideYText, "    75.2");
    // Mended: a side text wider than its 8-character field ran into the next field.
    p.TxLoopSideX = 1234567.5;
    ParseLoopRecord(lz5, LoopRecords(p)[1]);
    EXPECT_EQ(lz5.Parsed.LoopSideXText, " 1234567");

    // The earlier layout: P1 carries the sizes, the shape comes from T1 (mended: the shape
    // was never set, so a rectangle of an earlier file was read as a square).
    ConverterState early = StateFor(ModeTxt);
    p.TxLoopShape = 1;
    ParseTransmitterRecord(early, TransmitterRecord(p));
    const std::string earlierP1 = "P1" + rectangle[1].substr(2);
    EXPECT_EQ(ParseLoopRecord(early, earlierP1), "11287.5");
    EXPECT_EQ(early.Parsed.LoopLayoutFlag, 0);
    EXPECT_EQ(early.Parsed.LoopSideY, 75.25);
    EXPECT_EQ(ParseLoopRecord(early, rectangle[1]), "   12.1");
}

TEST(ReceiverRecords, CodesTablesAndBuildDifferences)
{
    ReadingParameters p;
    p.RepRateIndex = 3;
    p.GateSet = 1;
    p.SelectedComponent = 1;
    p.GainX = 2;
    p.GainZ = 6;
    p.CoilType = 7;
    p.AveragingTimeIndex = 6;
    p.OnTimeMeasurement = 1;
    p.ReceiverDelayUs = 500.0;
    const std::vector<std::string> r = ReceiverRecords(p, 1234.5);

    ConverterState lz5 = StateFor(ModeLz5);
    EXPECT_EQ(ParseReceiverRecord(lz5, r[0]), 1);
    EXPECT_EQ(lz5.Parsed.ComponentLetter, "X");
    EXPECT_EQ(lz5.Parsed.GainText, "3");
    EXPECT_EQ(lz5.Parsed.FileGainCode, 3);
    EXPECT_EQ(lz5.Parsed.RxAreaText, "  40000");
    EXPECT_EQ(lz5.Parsed.AveragingCodeText, " 6");
    EXPECT_EQ(lz5.Parsed.TimeBaseLetter, "M");
    EXPECT_EQ(lz5.Parsed.FirstGateTimeText, "  0.3525");
    EXPECT_EQ(lz5.Parsed.TimeBaseLetter30, "m");
    EXPECT_EQ(lz5.Parsed.GateTimes[30], 27915.0);
    EXPECT_EQ(ParseReceiverRecord(lz5, r[1]), 2);
    EXPECT_EQ(lz5.Parsed.FileR2Value, 1234.5);
    // On-time with a delay of 500 us moves both first-gate texts by 0.5 ms.
    EXPECT_EQ(lz5.Parsed.FirstGateTimeText, "   .8525");
    EXPECT_EQ(lz5.Parsed.FirstGateTimeText30, "    .536");

    ConverterState xyz = StateFor(ModeXyz);
    ParseReceiverRecord(xyz, r[0]);
    ParseReceiverRecord(xyz, r[1]);
    EXPECT_EQ(xyz.Parsed.FileGainCode, 2) << "the XYZ build keeps the gain code itself";
    EXPECT_EQ(xyz.Parsed.GateTimes[1], 0.0) << "the XYZ writer builds its own table";
    EXPECT_EQ(xyz.Parsed.FirstGateTimeText, "  0.3525") << "no delay in the XYZ build";
    EXPECT_EQ(xyz.Parsed.AveragingCodeText, "  ");

    // A sensor outside the list, a component outside it.
    p.CoilType = 12;
    p.SelectedComponent = 5;
    ParseReceiverRecord(xyz, ReceiverRecords(p, 0.0)[0]);
    EXPECT_EQ(xyz.Parsed.RxAreaText, "    ???");
    EXPECT_EQ(xyz.Parsed.ComponentLetter, "X");
}

// Reads a whole fixture through the parsers as a writer dispatches its records.
void ParseAll(ConverterState& state, const std::string& bytes)
{
    MemoryInputFile input(bytes);
    VlxRecords records(input);
    for (int32_t i = 1; i <= records.Count(); ++i) {
        const std::string_view r = records.Record(i);
        switch (r[0]) {
        case 'H':
            ParseHeaderRecord(state, r);
            break;
        case 'L':
            ParseLineRecord(state, r);
            break;
        case 'S':
            ParseStationRecord(state, r);
            break;
        case 'T':
            ParseTransmitterRecord(state, r);
            break;
        case 'P':
            ParseLoopRecord(state, r);
            break;
        case 'R':
            ParseReceiverRecord(state, r);
            break;
        case 'V':
            ParseGateValueRecord(state, r);
            break;
        default:
            break;
        }
    }
}

TEST(GateValueRecords, EveryGateSetFillsItsGatesAndNothingBeyond)
{
    const struct {
        int32_t GateSet;
        int32_t UserGates;
        int32_t Expected;
    } sets[] = {{0, 0, 20}, {1, 0, 30}, {2, 11, 11}, {2, 9, 9}, {2, 12, 12}, {2, 40, 40}, {2, 100, 100}};
    for (const auto& s : sets) {
        VlxFixture f;
        f.Params.GateSet = s.GateSet;
        f.Params.UserGateCount = s.UserGates;
        f.Line(1.0, 0, 10.0);
        std::vector<double> volts;
        for (int32_t g = 1; g <= (s.GateSet == 2 ? s.UserGates : 20 + 10 * s.GateSet); ++g)
            volts.push_back(g * 1e-6);
        f.Reading(volts, 0.0, FixtureTime(9, 0, 0), 1000);
        ConverterState state = StateFor(ModeXyz);
        state.Settings.OutputUnits = 0;
        state.Parsed.GateValues.fill(-1.0);
        ParseAll(state, f.Bytes);
        for (int32_t g = 1; g <= MaxGates; ++g) {
            if (g <= s.Expected)
                EXPECT_DOUBLE_EQ(state.Parsed.GateValues[g], g * 1e-3) << "set " << s.GateSet << " gate " << g;
            else
                EXPECT_EQ(state.Parsed.GateValues[g], -1.0) << "set " << s.GateSet << " gate " << g;
        }
    }
}

TEST(GateValueRecords, RecordNumbersAndGateCountsFromTheFileNeverIndexPastTheTables)
{
    ConverterState state = StateFor(ModeXyz);
    state.Parsed.FileGateSet = 2;
    state.Parsed.FileUserGateCount = 100;
    const double v[4] = {1e-6, 2e-6, 3e-6, 4e-6};
    std::vector<std::string> records = GateValueRecords(v, 4);
    // Record "VA" holds gates 37 to 40.
    ParseGateValueRecord(state, WithColumns(records[0], 2, "A"));
    EXPECT_DOUBLE_EQ(state.Parsed.GateValues[37], 1e-3);
    EXPECT_DOUBLE_EQ(state.Parsed.GateValues[40], 4e-3);
    // Mended: a record character outside '1'-'9' and 'A'-'Z' was taken as an index.
    state.Parsed.GateValues.fill(0.0);
    for (const char* c : {"0", "~", "a", " ", "\x80"})
        ParseGateValueRecord(state, WithColumns(records[0], 2, c));
    for (double value : state.Parsed.GateValues)
        EXPECT_EQ(value, 0.0);
    // Mended: a gate count of 999 from R1's three columns bounded the loops; "VZ" would be
    // gates 137 to 140.
    state.Parsed.FileUserGateCount = 999;
    ParseGateValueRecord(state, WithColumns(records[0], 2, "Z"));
    ParseGateValueRecord(state, WithColumns(records[0], 2, "Y"));
    EXPECT_EQ(ReadingGateCount(state.Parsed), 100);
    ParseGateValueRecord(state, WithColumns(records[0], 2, "P"));
    EXPECT_DOUBLE_EQ(state.Parsed.GateValues[100], 4e-3);
    // The standard sets stop at their own gates.
    state.Parsed.FileGateSet = 0;
    state.Parsed.GateValues.fill(0.0);
    ParseGateValueRecord(state, WithColumns(records[0], 2, "6"));
    for (double value : state.Parsed.GateValues)
        EXPECT_EQ(value, 0.0);
}

TEST(GateValueRecords, Lz5TextsOfTheEarlyAndMainLines)
{
    VlxFixture f;
    f.Params.GateSet = 1;
    f.Line(1.0, 0, 10.0);
    f.Reading(DecayVolts(30, 1.5e-3, 0.5), 123.25, FixtureTime(9, 0, 0), 1000);
    ConverterState state = StateFor(ModeLz5);
    state.Settings.OutputUnits = 0;
    ParseAll(state, f.Bytes);
    EXPECT_EQ(state.Parsed.Lz5GateTexts[0], "  123.25");
    EXPECT_EQ(state.Parsed.Lz5GateTextsEarly[0], "  123.25");
    EXPECT_EQ(state.Parsed.Lz5GateTextsEarly[1], "     1.5");
    EXPECT_EQ(state.Parsed.Lz5GateTexts[1], "") << "gates 1 to 10 of a 30-gate reading go to the early line";
    EXPECT_EQ(state.Parsed.Lz5GateTexts[11], " .001464");
    // Mended: 22.89 nV is 2.289E-05 mV; cut to seven characters it kept "2.289E-".
    EXPECT_EQ(state.Parsed.Lz5GateTexts[17], " 2.3E-05");
}

}  // namespace

namespace {

TEST(VlxRecordsReader, RecordCountRoundsAndACutRecordReadsBlanks)
{
    VlxFixture f;
    f.Line(1.0, 0, 10.0);
    const std::string whole = f.Bytes;
    const int32_t n = static_cast<int32_t>(whole.size() / 60);
    {
        MemoryInputFile input(whole);
        VlxRecords records(input);
        EXPECT_EQ(records.Count(), n);
        EXPECT_EQ(records.Record(1).substr(0, 7), "H1V-LOX");
        EXPECT_EQ(records.Record(n).substr(58), "\r\n");
        EXPECT_EQ(records.Record(0), std::string(60, ' '));
        EXPECT_EQ(records.Record(n + 1), std::string(60, ' '));
    }
    // Mended: a file cut inside its last record (here after 35 of its 60 bytes) had that record
    // read past the end of the file; it now reads its 35 bytes and blanks.
    const std::string cut = whole + LineRecord(f.Params).substr(0, 35);
    {
        MemoryInputFile input(cut);
        VlxRecords records(input);
        ASSERT_EQ(records.Count(), n + 1);
        EXPECT_EQ(records.Record(n + 1), LineRecord(f.Params).substr(0, 35) + std::string(25, ' '));
    }
    // A control character inside a record's text (a damaged file) reads as a blank, so no text
    // copied from the file can break an output's lines.
    std::string damaged = whole;
    damaged[60 + 5] = '\r';
    damaged[60 + 6] = '\n';
    damaged[60 + 7] = '\0';
    {
        MemoryInputFile input(damaged);
        VlxRecords records(input);
        EXPECT_EQ(records.Record(2).substr(5, 3), "   ");
        EXPECT_EQ(records.Record(2).substr(58), "\r\n");
    }
    // Less than half a record is not counted.
    const std::string stub = whole + "L1   ";
    MemoryInputFile input(stub);
    EXPECT_EQ(VlxRecords(input).Count(), n);
}

}  // namespace
