// The TXT report: a file summary, then per included reading a block of its parameters and the
// table of gate, gate time and response.
#include "converters/converter_settings.h"
#include "converters/number_text.h"
#include "converters/record_parsers.h"
#include "converters/writers.h"

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
    std::string GpsSentence;
    bool GpsSentenceComplete = false;

    void ReadingBlock(std::string_view timeStamp);
};

void TxtRun::ReadingBlock(std::string_view z)
{
    const ParsedRecords& p = State.Parsed;
    OutputText& out = Run.Out();
    out.Line(std::string("Type of Layout: ") + TextOf(LayoutTexts, 3, p.FileSystemConfiguration, "???"));
    out.Line("Date: " + std::string(Columns(z, 4, 5)) + "/" + std::string(Columns(z, 6, 7)) + "/" +
             std::string(Columns(z, 8, 11)) + "  Time: " + std::string(Columns(z, 13, 24)));
    if (GpsSentenceComplete) {
        out.Line("GPS Message: " + GpsSentence);
        GpsSentenceComplete = false;
    }
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

    // Counting pass. The signature is checked here, before anything is written.
    int32_t readings = 0, stations = 0, lines = 0;
    int32_t included = 1;
    for (int32_t i = 1; i <= n; ++i) {
        run.Progress(i);
        const std::string_view r = records.Record(i);
        const std::string_view tag = r.substr(0, 2);
        if (tag == "S1")
            ++stations;
        else if (tag == "W1")
            included = 1;
        else if (tag == "W0")
            included = 0;
        else if (tag == "R1" && included == 1)
            ++readings;
        else if (tag == "L1") {
            ++lines;
            included = 1;
        } else if (tag == "H1" && ParseHeaderRecord(state, r) == 0)
            return run.Refuse(NotVlxFileText, NotVlxFileCaption);
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

    // Writing pass; the included flag goes on from where the counting pass left it.
    TxtRun txt(state, run);
    ReadingWalk walk(records, state.Parsed);
    for (int32_t i = 1; i <= n; ++i) {
        run.Progress(i);
        const std::string_view r = records.Record(i);
        if (!walk.Begin(i, r))
            continue;
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
        case 'R':
            ParseReceiverRecord(state, r);
            break;
        case 'T':
            ParseTransmitterRecord(state, r);
            break;
        case 'P':
            ParseLoopRecord(state, r);
            break;
        case 'V':
            ParseGateValueRecord(state, r);
            break;
        case 'W':
            included = ParseReadingRecord(r);
            break;
        case '@':
            if (IsGgaStartRecord(r)) {
                const StoredSentence sentence = ReadStoredSentence(records, i);
                txt.GpsSentence = sentence.Text;
                txt.GpsSentenceComplete = sentence.Complete;
            }
            break;
        case 'Z':
            if (included == 1 && walk.ReadingWhole()) {
                txt.ReadingBlock(std::string(r));
                walk.ReadingWritten();
            }
            break;
        default:
            break;
        }
        walk.End();
    }
    walk.Finish();
    return run.Finish(&walk);
}

}  // namespace converters
