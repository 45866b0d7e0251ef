// The TXT report: a file summary, then per included reading a block of its parameters and the
// table of gate, gate time and response.
#include "converters/converter_settings.h"
#include "converters/number_text.h"
#include "converters/record_parsers.h"
#include "converters/writers.h"

#include <vector>

namespace converters {

namespace {

const char* const LayoutTexts[3] = {"Central Loop Sounding", "Fixed TX moving RX", "Slingram"};
const char* const Repetition50Hz[7] = {" 237.50 Hz", " 62.50 Hz", " 25 Hz",  " 6.25 Hz",
                                       " 2.50 Hz",   " 0.625 Hz", " 0.25 Hz"};
const char* const Repetition60Hz[7] = {" 285 Hz", " 75 Hz", " 30 Hz", " 7.50 Hz", " 3 Hz", " 0.75 Hz", " 0.30 Hz"};
const char* const ComponentTexts[3] = {" Z", " X", " Y"};
const char* const UnitTexts[6] = {
    "mV", "nV/m2", "B: pT/A", "Conductivity: mS/m", "dB/dt: nV/Am2", "Resistivity: ohm-m"};

// A code's text, "???" for a code outside its list. Units outside the list are converted as mV
// and named so.
const char* TextOf(const char* const* texts, int32_t count, int32_t code, const char* other)
{
    return code >= 0 && code < count ? texts[code] : other;
}

// The gate-table row: gate, time and response.
std::string GateRow(int32_t gate, double timeUs, double response)
{
    std::string row = FormatNumberMask(gate, "* #");
    row += ',';
    row += FormatNumberMask(timeUs, "* #####0.000");
    row += ",  ";
    row += FormatNumberMask(response, "0.00000E+##");
    return row;
}

struct TxtRun {
    TxtRun(ConverterState& state, ConversionRun& run) : State(state), Run(run) {}
    ConverterState& State;
    ConversionRun& Run;
    std::vector<int32_t> GgaRecords;
    int32_t Included = 1;  // the reading record last read is W1

    // The parsers of the TXT build by tag.
    void Parse(std::string_view r);
    void ReadingBlock(int32_t timeStampRecord, const std::string& z);
};

void TxtRun::Parse(std::string_view r)
{
    const int32_t included = ParseRecordOfTag(State, r);
    if (included >= 0)
        Included = included;
}

void TxtRun::ReadingBlock(int32_t timeStampRecord, const std::string& z)
{
    const ParsedRecords& p = State.Parsed;
    OutputText& out = Run.Out();
    out.Line(std::string("Type of Layout: ") + TextOf(LayoutTexts, 3, p.FileSystemConfiguration, "???"));
    out.Line("Date: " + std::string(Columns(z, 4, 5)) + "/" + std::string(Columns(z, 6, 7)) + "/" +
             std::string(Columns(z, 8, 11)) + "  Time: " + std::string(Columns(z, 13, 24)));
    // The reading's own fix: the sentence whose texts the XYZ rows give it. A store appends its
    // sentence after the reading, so the sentence before a reading is most often the previous
    // reading's.
    const PairedPosition fix =
        PairGgaSentences(Run.Records(), GgaRecords, timeStampRecord, TickOfField(Columns(z, 26, 35)));
    if (fix.Valid)
        out.Line("GPS Message: " + fix.Sentence);
    out.Line("Line   :" + p.LineLabel);
    out.Line("Station:" + p.StationLabel);
    out.Line("TX center (x,y):" + DecimalText(p.LoopCentreX) + "," + DecimalText(p.LoopCentreY));
    out.Line("TX Size (x,y)  :" + DecimalText(p.LoopSideX) + "," + DecimalText(p.LoopSideY));
    out.Line("TX Current [A] :" + TrimLeft(p.TxCurrentText));
    out.Line("TX Turns       :" + DecimalText(p.FileTxTurns));
    out.Line("Turn Off [us]  :" + FormatNumberMask(p.TurnOffTimeUs, "####0.00"));
    out.Line(std::string("Repetition :") +
             TextOf(p.FileMains == 0 ? Repetition50Hz : Repetition60Hz, 7, p.FileRepRateIndex, " ???"));
    out.Line(std::string("Component:") + TextOf(ComponentTexts, 3, p.FileComponent, " ???"));
    out.Line("Gain: " + FormatNumberMask(p.FileGainCode, "###"));
    const int32_t gates = ReadingGateCount(p);
    out.Line("No of Gates:" + NumberText(gates));
    out.Line("RX area [m2] :" + TrimLeft(p.RxAreaText));
    if (p.FileOnTime > 0)
        out.Line("RX Delay [us]:" + FormatNumberMask(p.FileReceiverDelayUs, "####.##"));
    if (p.FileGateSet >= 2)
        out.Line("User Defined First Time [us]:" + FormatNumberMask(p.FileFirstGateTimeUs, "######.##"));
    out.Line(std::string("Units :") + TextOf(UnitTexts, 6, State.Settings.OutputUnits, "mV"));
    out.Line("");
    out.Line("Gate,   Time [us],    Response");
    // Gate 0 is the early-window value as stored, not converted.
    out.Line(GateRow(0, 0.0, p.FileR2Value));
    for (int32_t g = 1; g <= gates; ++g)
        out.Line(GateRow(g, p.GateTimes[g], p.GateValues[g]));
    out.Line("");
    out.Line("");
}

}  // namespace

int32_t WriteTxtFile(ConverterState& state, ConverterHost& host)
{
    ResetParsedRecords(state);
    ConversionRun run(state, host);
    if (!run.OpenInput())
        return -1;
    if (!run.StartsAsSurveyFile())
        return 0;
    VlxRecords& records = run.Records();
    const int32_t n = run.Count();
    run.ProgressRange(n);
    run.Status("Analysing file:" + FileNamePart(state.InputPath));

    // Counting pass: the records parsed as the writing pass parses them, so that the readings
    // counted are the ones written. The signature is checked here, before anything is written.
    TxtRun txt(state, run);
    int32_t readings = 0, stations = 0, lines = 0;
    ReadingWalk counting(records, state.Parsed);
    for (int32_t i = 1; i <= n; ++i) {
        run.Progress(i);
        const std::string_view r = records.Record(i);
        const std::string_view tag = r.substr(0, 2);
        if (tag == "S1")
            ++stations;
        else if (tag == "L1")
            ++lines;
        else if (tag == "H1" && ParseHeaderRecord(state, r) == 0)
            return run.Refuse(NotVlxFileText, NotVlxFileCaption);
        else if (IsGgaStartRecord(r))
            txt.GgaRecords.push_back(i);
        if (!counting.Begin(i, r))
            continue;
        txt.Parse(r);
        if (r[0] == 'Z' && txt.Included == 1 && counting.ReadingWhole())
            ++readings;
        counting.End();
    }
    if (!run.CreateOutput())
        return -1;
    OutputText& out = run.Out();
    out.Line("File: " + FileNamePart(state.InputPath));
    out.Line("No of records: " + NumberText(readings));
    out.Line("No of stations: " + NumberText(stations));
    out.Line("No of Lines:    " + NumberText(lines));
    out.Line("");
    run.ProgressRange(n);
    run.Status("Processing" + NumberText(readings) + " records");
    run.Progress(0);

    // Writing pass.
    ResetParsedRecords(state);
    txt.Included = 1;
    ReadingWalk walk(records, state.Parsed);
    for (int32_t i = 1; i <= n; ++i) {
        run.Progress(i);
        const std::string_view r = records.Record(i);
        if (!walk.Begin(i, r))
            continue;
        txt.Parse(r);
        if (r[0] == 'Z' && txt.Included == 1 && walk.ReadingWhole()) {
            txt.ReadingBlock(i, std::string(r));
            walk.ReadingWritten();
        }
        walk.End();
    }
    walk.Finish();
    return run.Finish(&walk);
}

}  // namespace converters
