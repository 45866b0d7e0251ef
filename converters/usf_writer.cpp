// USF, the Universal Sounding Format: one sounding per station with included readings, one
// sweep per included reading.
//
// Sweeps and soundings are counted as they are written: the counting pass counts a sweep, and
// its points (the reading's gates), at the time stamp of each included reading, and the writing
// pass numbers sweeps within their station and soundings within the file by the ones it
// writes. So //SOUNDINGS, /POINTS and /SWEEPS always match what follows, and a station whose
// first reading is excluded still opens with its array and sounding lines.
#include "converters/converter_settings.h"
#include "converters/gate_times.h"
#include "converters/geodetic.h"
#include "converters/number_text.h"
#include "converters/record_parsers.h"
#include "converters/writers.h"

#include <vector>

namespace converters {

namespace {

struct StationCount {
    int32_t Sweeps = 0;
    int32_t Points = 0;
};

const char* FrequencyText(int32_t mains, int32_t rateIndex)
{
    static const char* const Labels60[7] = {"285", "75", "30", "7.5", "3", "0.75", "0.3"};
    static const char* const Labels50[7] = {"237.5", "62.5", "25", "6.25", "2.5", "0.625", "0.25"};
    if (rateIndex < 0 || rateIndex > 6)
        return "0";
    return mains == 1 ? Labels60[rateIndex] : Labels50[rateIndex];
}

const char* VoltageUnitsText(int32_t units)
{
    static const char* const Texts[4] = {"V/AMP", "V/AM2", "V/M2", "T/SEC"};
    return units >= 0 && units < 4 ? Texts[units] : "V";
}

// Seconds to the USF exponent form, through the single-precision 1e-6 of the format.
std::string MicrosecondsAsSeconds(double us)
{
    return FormatNumberMask(us * static_cast<double>(1e-6f), "0.0000E+##");
}

struct UsfRun {
    UsfRun(ConverterState& state, ConversionRun& run) : State(state), Run(run) {}
    ConverterState& State;
    ConversionRun& Run;
    std::vector<int32_t> GgaRecords;
    bool GpsUse = false;
    std::vector<StationCount> Stations;  // [0]: readings before the first station record
    size_t Station = 0;
    int32_t SweepNumber = 0;
    int32_t SoundingNumber = 0;
    int32_t RowIndex = 0;
    bool Included = true;  // the reading record last read is W1

    // The parsers of the USF build by tag.
    void Parse(std::string_view r);
    void Sweep(int32_t timeStampRecord, const std::string& z);
};

void UsfRun::Parse(std::string_view r)
{
    const int32_t included = ParseRecordOfTag(State, r);
    if (included >= 0)
        Included = included == 1;
}

void UsfRun::Sweep(int32_t timeStampRecord, const std::string& z)
{
    const ParsedRecords& p = State.Parsed;
    OutputText& out = Run.Out();
    ++SweepNumber;
    PairedPosition position;
    double easting = 0.0, northing = 0.0;
    if (GpsUse) {
        position = PairGgaSentences(Run.Records(), GgaRecords, timeStampRecord, TickOfField(Columns(z, 26, 35)));
        if (position.Valid) {
            easting = position.Longitude;
            northing = position.Latitude;
            int32_t zone = 0;
            position.Valid = GeodeticToUtm(easting, northing, zone, 0) == 1;
        }
    }
    const StationCount& count = Stations[Station];
    if (SweepNumber == 1) {
        const double daytime =
            IntegerOfField(Columns(z, 13, 14)) +
            (60.0 * IntegerOfField(Columns(z, 16, 17)) + IntegerOfField(Columns(z, 19, 20))) / 3600.0;
        out.Line(std::string("/ARRAY:") + (p.FileSystemConfiguration == 0 ? "CENTRAL LOOP TEM" : "FIXED LOOP TEM"));
        out.Line("/DATE:" + std::string(Columns(z, 8, 11)) + std::string(Columns(z, 6, 7)) +
                 std::string(Columns(z, 4, 5)));
        out.Line("/DAYTIME:" + FormatNumberMask(daytime, "##.#####"));
        out.Line("/POINTS:" + NumberText(count.Points));
        out.Line("/SWEEPS:" + NumberText(count.Sweeps));
    }
    out.Line("/SWEEP_NUMBER:" + NumberText(SweepNumber));
    if (SweepNumber == 1) {
        ++SoundingNumber;
        out.Line("/SOUNDING_NUMBER:" + NumberText(SoundingNumber));
        out.Line("/SOUNDING_NAME: \"L " + p.LineLabel + ", S " + p.StationLabel + "\"");
        out.Line("/COIL_LOCATION:" + DecimalText(p.GridX - p.LoopCentreX) + "," + DecimalText(p.GridY - p.LoopCentreY));
        out.Line("/COIL_SIZE:" + TrimLeft(p.RxAreaText));
        if (position.Valid)
            out.Line("/LOCATION:" + FormatNumberMask(easting, "########.###") + "," +
                     FormatNumberMask(northing, "########.###") + "," +
                     FormatNumberMask(position.Altitude, "#####.##"));
        else
            out.Line("/LOCATION:" + DecimalText(p.GridX) + "," + DecimalText(p.GridY) + ",0");
        out.Line("/LOOP_SIZE:" + DecimalText(p.LoopSideX) + "," + DecimalText(p.LoopSideY));
        out.Line("/LOOP_TURNS:" + DecimalText(p.FileTxTurns));
    }
    out.Line("/CURRENT:" + TrimLeft(p.TxCurrentText));
    out.Line(std::string("/FREQUENCY:") + FrequencyText(p.FileMains, p.FileRepRateIndex));
    out.Line("/RAMP_TIME:" + MicrosecondsAsSeconds(p.TurnOffTimeUs));
    out.Line("/TIME_DELAY:" + MicrosecondsAsSeconds(p.FileReceiverDelayUs));
    out.Line(std::string("/VOLTAGE_UNITS:") + VoltageUnitsText(State.Settings.UsfVoltageUnits));
    out.Line("/END");
    out.Line("");
    out.Line("INDEX,  TIME,    VOLTAGE");
    const int32_t gates = ReadingGateCount(p);
    for (int32_t g = 1; g <= gates; ++g) {
        ++RowIndex;
        std::string row = std::to_string(RowIndex);
        row += ", ";
        row += MicrosecondsAsSeconds(p.TurnOffTimeUs + p.GateTimes[g]);
        row += ", ";
        row += FormatNumberMask(p.GateValues[g], "0.0000E+##");
        out.Line(row);
    }
    out.Line("/END");
    out.Line("");
}

}  // namespace

int32_t WriteUsfFile(ConverterState& state, ConverterHost& host)
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
    run.Status("Analysing file:" + state.InputPath);

    // Counting pass: the records parsed as the writing pass parses them, so that both tell the
    // same readings whole and the counts match what is written.
    UsfRun usf(state, run);
    usf.Stations.resize(1);
    bool namesGps = false;
    int32_t readings = 0;
    ReadingWalk counting(records, state.Parsed);
    for (int32_t i = 1; i <= n; ++i) {
        run.Progress(i);
        const std::string_view r = records.Record(i);
        if (!counting.Begin(i, r))
            continue;
        const std::string_view tag = r.substr(0, 2);
        if (tag == "H1") {
            if (ParseHeaderRecord(state, r) == 0)
                return run.Refuse(NotVlxFileText, NotVlxFileCaption);
            namesGps = namesGps || RecordNamesGps(r);
        } else if (tag == "S1") {
            usf.Stations.emplace_back();
        } else if (tag == "R1" && usf.Included) {
            ++readings;
        } else if (r[0] == 'Z' && usf.Included && counting.ReadingWhole()) {
            ++usf.Stations.back().Sweeps;
            usf.Stations.back().Points += ReadingGateCount(state.Parsed);
        } else if (IsGgaStartRecord(r)) {
            usf.GgaRecords.push_back(i);
        }
        usf.Parse(r);
        counting.End();
    }
    usf.GpsUse = namesGps && usf.GgaRecords.size() > 1;
    int32_t soundings = 0;
    for (const StationCount& c : usf.Stations)
        if (c.Sweeps > 0)
            ++soundings;

    if (!run.CreateOutput())
        return -1;
    OutputText& out = run.Out();
    out.Line("//USF: Universal Sounding Format");
    out.Line("//SOUNDINGS:" + NumberText(soundings));
    out.Line("//END");
    out.Line("");
    run.Status("Processing" + NumberText(readings) + " records");
    run.Progress(0);

    // Writing pass.
    ResetParsedRecords(state);
    usf.Included = true;
    ReadingWalk walk(records, state.Parsed);
    for (int32_t i = 1; i <= n; ++i) {
        run.Progress(i);
        const std::string_view r = records.Record(i);
        if (!walk.Begin(i, r))
            continue;
        usf.Parse(r);
        if (r[0] == 'S' && RecordDigit(r) == 1) {
            ++usf.Station;
            usf.SweepNumber = 0;
            usf.RowIndex = 0;
        } else if (r[0] == 'Z' && usf.Included && walk.ReadingWhole()) {
            usf.Sweep(i, std::string(r));
            walk.ReadingWritten();
        }
        walk.End();
    }
    walk.Finish();
    return run.Finish(&walk);
}

int32_t RunConverterWriter(ConverterState& state, ConverterHost& host)
{
    switch (state.ConverterMode) {
    case ModeLz5:
        return WriteLz5File(state, host);
    case ModeUsf:
        return WriteUsfFile(state, host);
    case ModeTxt:
        return WriteTxtFile(state, host);
    default:
        return WriteXyzFile(state, host);
    }
}

}  // namespace converters
