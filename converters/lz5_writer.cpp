// The LZ5 exchange format: fixed-width lines of 50 characters (banners, the header line "HDR"
// and the reading lines "OPR") and 206 characters (data lines of 24 fields of 8, a field of 7,
// "/" and a four-digit line counter), CR LF counted in each.
//
// Which data-line field holds what, where the format leaves it open:
//   reading data line: field 0 the early-window value (element 0 of the gate texts; "88" until
//     a reading's first gate record), fields 1-20 the gates (gates 1-20 of a 20-gate reading,
//     gates 11-30 of a 30-gate one), 21 the turn-off time, 22 the first-gate time, 23 the
//     transmitter current, the 7-character field the loop text;
//   early data line (30-gate readings): field 0 the early-window value ("77" before), fields
//     1-10 gates 1-10, 11-20 "0", 21 and 23 and the loop text as the reading's data line, 22 the
//     30-gate first-gate time;
//   survey data line: 0 the date (day, month, two year digits), 1 "30" for the 30-gate set,
//     2 and 3 the transmitter code, 4 the current, 5 and 6 the loop sides, 8 and 9 the loop
//     centre (written 0), 10 the receiver area, 12 the rate index, every other field "0".
#include "converters/number_text.h"
#include "converters/record_parsers.h"
#include "converters/writers.h"

#include <array>
#include <cctype>

namespace converters {

namespace {

constexpr int32_t MaxLz5Lines = 9999;  // the data lines' four-digit counter
const char Lz5Banner[] = " Data from Tarnwel RXB1 RX.  dB/dt";
const char Lz5CommentBanner[] = " Comment: 00                       ";
const char UserGatesText[] = "User Defined Gates are not supported in LZ5 format, click on the OK to proceed";
const char UserGatesCaption[] = "Select next file with Standard Gates";
const char UserGatesStatus[] = "Select next file with Standard Gates or click on the Exit button";
const char Zero8[] = "       0";

// text right-aligned in (or cut to) width characters.
std::string Field(std::string_view text, int32_t width)
{
    return PadNumberText(text, width);
}

// text left-aligned in width characters, blank-padded, cut when longer.
std::string LeftField(std::string text, size_t width)
{
    text.resize(width, ' ');
    return text;
}

std::string BannerLine(const char* text)
{
    return LeftField(text, 47) + "/";
}

using DataFields = std::array<std::string, 24>;

std::string DataLine(const DataFields& fields, std::string_view loopText, std::string_view counter)
{
    std::string line;
    line.reserve(Lz5DataLineLength);
    for (const std::string& f : fields)
        line += Field(f, 8);
    line += Field(loopText, 7);
    line += "/";
    line += Field(counter, 4);
    return line;
}

DataFields ZeroFields()
{
    DataFields f;
    f.fill(Zero8);
    return f;
}

struct Lz5Run {
    Lz5Run(ConverterState& state, ConversionRun& run) : State(state), Run(run) {}
    ConverterState& State;
    ConversionRun& Run;
    int32_t Counter = 0;
    std::string Date = "    ";  // day and month of the reading's time stamp
    std::string LoopText = "       ";
    DataFields Survey = ZeroFields();

    std::string UnitLetter() const;
    std::string ReadingLine(bool early) const;
    std::string HeaderLine() const;
    DataFields MainFields() const;
    DataFields EarlyFields() const;
    void Introduction(std::string_view z);
    void Reading(std::string_view z);
};

std::string Lz5Run::UnitLetter() const
{
    static const char Letters[] = "adbcr";
    const int32_t units = State.Settings.OutputUnits;
    return std::string(1, units >= 0 && units < 5 ? Letters[units] : 'a');
}

std::string Lz5Run::ReadingLine(bool early) const
{
    const ParsedRecords& p = State.Parsed;
    std::string line = Field(Date, 4) + Field(p.LineText, 5) + Field(p.StationText, 6) + Field(p.ComponentLetter, 1);
    line += "  OPR ";
    line += Field(early ? p.SyncSourceTextB : p.SyncSourceText, 3) + " ";
    line += Field(early ? p.TimeBaseLetter30 : p.TimeBaseLetter, 1) + " ";
    line += Field(p.GainText, 1) + UnitLetter();
    line += early ? std::string(" 4") : Field(p.AveragingCodeText, 2);
    line += "+" + std::string(9, ' ') + "#" + FormatLz5Field(Counter, 5);
    return line;
}

std::string Lz5Run::HeaderLine() const
{
    const ParsedRecords& p = State.Parsed;
    std::string line = Field(Date, 4) + Field(p.LineText, 5) + Field(p.StationText, 6) + Field(p.ComponentLetter, 1);
    line += "  HDR ";
    line += Field(p.SyncSourceText, 3) + " ";
    line += UnitLetter() + Field(p.AveragingCodeText, 2) + "+ ";
    line += LeftField("RXA=" + TrimLeft(p.RxAreaText) + "m*m", 16);
    return line + "/";
}

DataFields Lz5Run::MainFields() const
{
    const ParsedRecords& p = State.Parsed;
    DataFields f;
    f[0] = p.Lz5GateTexts[0].empty() ? "      88" : p.Lz5GateTexts[0];
    const int32_t offset = p.FileGateSet == 1 ? 10 : 0;
    for (int32_t i = 1; i <= 20; ++i)
        f[static_cast<size_t>(i)] = p.Lz5GateTexts[static_cast<size_t>(i) + static_cast<size_t>(offset)];
    f[21] = p.TurnOffTimeText;
    f[22] = p.FirstGateTimeText;
    f[23] = p.TxCurrentText;
    return f;
}

DataFields Lz5Run::EarlyFields() const
{
    const ParsedRecords& p = State.Parsed;
    DataFields f = ZeroFields();
    f[0] = p.Lz5GateTextsEarly[0].empty() ? "      77" : p.Lz5GateTextsEarly[0];
    for (int32_t i = 1; i <= 10; ++i)
        f[static_cast<size_t>(i)] = p.Lz5GateTextsEarly[static_cast<size_t>(i)];
    f[21] = p.TurnOffTimeText;
    f[22] = p.FirstGateTimeText30;
    f[23] = p.TxCurrentText;
    return f;
}

// The lines before the first reading: banner, first data line, header line, survey data line,
// comment banner and the survey data line again.
void Lz5Run::Introduction(std::string_view z)
{
    const ParsedRecords& p = State.Parsed;
    OutputText& out = Run.Out();
    Survey[0] = "  " + std::string(Columns(z, 4, 7)) + std::string(Columns(z, 10, 11));
    Survey[1] = p.FileGateSet == 1 ? "      30" : Zero8;
    Survey[3] = p.TransmitterCodeText;
    Survey[2] = Survey[3];
    out.Line(BannerLine(Lz5Banner));
    out.Line(DataLine(ZeroFields(), "      0", "0000"));
    out.Line(HeaderLine());
    Survey[4] = p.TxCurrentText;
    Survey[5] = p.LoopSideXText;
    Survey[6] = p.LoopSideYText;
    Survey[8] = Zero8;
    Survey[9] = Zero8;
    Survey[10] = p.RxAreaText;
    Survey[12] = std::to_string(p.FileRepRateIndex);
    const std::string survey = DataLine(Survey, "      0", "0000");
    out.Line(survey);
    out.Line(BannerLine(Lz5CommentBanner));
    out.Line(survey);
}

void Lz5Run::Reading(std::string_view z)
{
    OutputText& out = Run.Out();
    Date = std::string(Columns(z, 4, 7));
    if (Counter == 0)
        Introduction(z);
    if (State.Parsed.FileGateSet == 1) {
        ++Counter;
        out.Line(ReadingLine(true));
        out.Line(DataLine(EarlyFields(), LoopText, FormatLz5Field(Counter, 4)));
    }
    ++Counter;
    out.Line(ReadingLine(false));
    out.Line(DataLine(MainFields(), LoopText, FormatLz5Field(Counter, 4)));
}

// The parsed-record state as a pass of the LZ5 build starts: the template values of the fields
// the records fill.
void StartLz5State(ConverterState& state)
{
    ResetParsedRecords(state);
    ParsedRecords& p = state.Parsed;
    p.TransmitterCodeText = Zero8;
    p.LoopSideXText = Zero8;
    p.LoopSideYText = Zero8;
    p.AveragingCodeText = " 4";
}

// The record parsers of the LZ5 build by tag; the loop text a P record gives goes to loopText.
void ParseLz5Record(ConverterState& state, std::string_view r, std::string& loopText)
{
    if (r[0] == 'P')
        loopText = Field(ParseLoopRecord(state, r), 7);
    else if (r[0] != 'W')
        ParseRecordOfTag(state, r);
}

}  // namespace

int32_t WriteLz5File(ConverterState& state, ConverterHost& host)
{
    StartLz5State(state);
    ConversionRun run(state, host);
    if (!run.OpenInput())
        return -1;
    if (!run.StartsAsSurveyFile())
        return 0;
    VlxRecords& records = run.Records();
    const int32_t n = run.Count();
    run.ProgressRange(n);
    run.Status("Processing file:" + state.InputPath);
    run.Progress(0);

    // A first pass refuses what LZ5 cannot hold before anything is written: a signature that
    // is not V-LOX's, user-defined gates, a line, station or loop area wider than its fixed
    // field, more lines than the four-digit counter counts (a 30-gate reading takes two).
    int32_t gateSet = 0, lines = 0;
    std::string loopText;
    for (int32_t i = 1; i <= n; ++i) {
        const std::string_view r = records.Record(i);
        if (r[0] == 'H' && RecordDigit(r) == 1 && ParseHeaderRecord(state, r) == 0)
            return run.Refuse(NotVlxFileText, NotVlxFileCaption);
        if (r[0] == 'R' && RecordDigit(r) == 1) {
            gateSet = IntegerOfField(Columns(r, 43, 45));
            if (gateSet != 0 && gateSet != 1)
                return run.Refuse(UserGatesText, UserGatesCaption, UserGatesStatus);
        }
        // The records that hold the fixed fields' numbers; a record damaged there is told by
        // the writing pass.
        if (r[0] == 'L' || r[0] == 'S' || r[0] == 'T' || r[0] == 'P') {
            state.Parsed.FieldFault.clear();
            ParseLz5Record(state, r, loopText);
        }
        if (r[0] == 'Z')
            lines += gateSet == 1 ? 2 : 1;
        if (lines > MaxLz5Lines)
            return run.Refuse("The file holds more readings than the LZ5 format numbers (9999 lines), "
                              "click on the OK to proceed",
                              "Too Many Readings for LZ5");
    }
    if (!state.Parsed.Lz5UnfitValue.empty()) {
        std::string text = state.Parsed.Lz5UnfitValue + " in the LZ5 format, click on the OK to proceed";
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        return run.Refuse(text, "Value Too Wide for LZ5");
    }
    if (!run.CreateOutput())
        return -1;

    StartLz5State(state);
    Lz5Run lz5(state, run);
    ReadingWalk walk(records, state.Parsed);
    for (int32_t i = 1; i <= n; ++i) {
        run.Progress(i);
        const std::string_view r = records.Record(i);
        if (!walk.Begin(i, r))
            continue;
        ParseLz5Record(state, r, lz5.LoopText);
        // Excluded readings are written like the others (other programs read them so).
        if (r[0] == 'Z' && walk.ReadingWhole()) {
            lz5.Reading(r);
            walk.ReadingWritten();
        }
        walk.End();
    }
    walk.Finish();
    return run.Finish(&walk);
}

}  // namespace converters
