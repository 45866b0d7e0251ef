// The XYZ build: the analysis of a picked input, and the rows of the selected data type in one
// of four layouts (Geosoft Oasis with "Line:" rows, Surfer, Generic, AGS Software).
#include "converters/converter_settings.h"
#include "converters/gate_times.h"
#include "converters/geodetic.h"
#include "converters/number_text.h"
#include "converters/record_parsers.h"
#include "converters/writers.h"

#include <algorithm>

namespace converters {

namespace {

constexpr int32_t FormatGeosoft = 0;
constexpr int32_t FormatAgs = 3;

// The data type of the current reading: its rate index with 20 gates, 5 + its rate index with
// 30 gates; -1 for user-defined gates (never written) and anything else.
int32_t ReadingDataType(const ParsedRecords& p)
{
    if (p.FileRepRateIndex < 0 || p.FileRepRateIndex > 6)
        return -1;
    if (p.FileGateSet == 0)
        return p.FileRepRateIndex;
    if (p.FileGateSet == 1 && p.FileRepRateIndex >= 2)
        return 5 + p.FileRepRateIndex;
    return -1;
}

// The first and last gate of the gate selection. 0 (or a selection outside 1..3) is gate 0 to
// the gate count: 20 for data types 0-6, 30 for 7-11.
void GateRange(const ConverterSettings& s, int32_t& first, int32_t& last)
{
    switch (s.GateSelection) {
    case 1:
        first = 1;
        last = 10;
        break;
    case 2:
        first = 11;
        last = 20;
        break;
    case 3:
        first = 21;
        last = 30;
        break;
    default:
        first = 0;
        last = s.DataType < 7 ? 20 : 30;
        break;
    }
}

const char* UnitLabel(int32_t outputUnits)
{
    static const char* const Labels[6] = {"[mV]", "[nV/m2]", "[pT/A]", "[mS/m]", "[nV/Am2]", "[ohm-m]"};
    return outputUnits >= 0 && outputUnits < 6 ? Labels[outputUnits] : Labels[0];
}

// Header comment line of the Geosoft, Surfer and Generic layouts.
std::string HeaderComment(const ConverterSettings& s)
{
    static const char* const Coordinates[4] = {"//WGS 84 Longitude, Latitude,", "//WGS 84 UTM meters,",
                                               "//WGS 84 UTM feet,", "//WGS 84 UTM US Survey Feet,"};
    std::string line;
    if (s.XyzPositioning == 2)
        line = s.CoordinateType >= 0 && s.CoordinateType < 4 ? Coordinates[s.CoordinateType] : Coordinates[1];
    else
        line = "//x [m], y [m],";
    int32_t first = 0, last = 0;
    GateRange(s, first, last);
    line += " Time Gates " + std::to_string(first) + " to " + std::to_string(last);
    line += std::string(" ") + UnitLabel(s.OutputUnits);
    if (s.XyzPositioning == 2) {
        if (s.IncludeElevation == 1)
            line += ", Elevation";
        if (s.IncludeGpsQuality == 1)
            line += ", GPS Quality";
        if (s.IncludeHdop == 1)
            line += ", HDOP";
        if (s.IncludeSatellites == 1)
            line += ", Satellites";
    }
    if (s.IncludeTimeStamp == 1)
        line += ", Time";
    if (s.IncludeDate == 1)
        line += ", Date";
    return line;
}

// Column header of the AGS layout. With all gates (selection 0) the columns are named Gate_00
// to the data type's last gate, as the rows carry gate 0 to the gate count.
std::string AgsColumnHeader(const ConverterSettings& s)
{
    std::string line = "/Fiducial Line UTMX UTMY Topography";
    int32_t first = 0, last = 0;
    GateRange(s, first, last);
    for (int32_t g = first; g <= last; ++g)
        line += " Gate_" + FormatNumberMask(g, "0#");
    return line + " Date Time Current";
}

struct XyzRun {
    XyzRun(ConverterState& state, ConversionRun& run) : State(state), Run(run) {}
    ConverterState& State;
    ConversionRun& Run;
    std::vector<int32_t> GgaRecords;
    std::string Delimiter = " ";

    // One row; false when the reading has no position passing the GPS filters (no row).
    bool Row(int32_t timeStampRecord, const std::string& z);
};

bool XyzRun::Row(int32_t timeStampRecord, const std::string& z)
{
    const ConverterSettings& s = State.Settings;
    const ParsedRecords& p = State.Parsed;
    const bool ags = s.XyzFileFormat == FormatAgs;
    const bool gps = s.XyzPositioning == 2;

    // A GPS position from the sentences around the reading, whatever the file's header says;
    // without one (or one failing the filters) there is no row.
    PairedPosition position;
    double easting = 0.0, northing = 0.0;
    if (gps) {
        position = PairGgaSentences(Run.Records(), GgaRecords, timeStampRecord, TickOfField(Columns(z, 26, 35)));
        if (!position.Valid)
            return false;
        int32_t quality = IntegerOfField(position.Quality);
        if (quality == 8)
            quality = 1;
        if (quality < s.MinGpsQuality || NumberOfField(position.Hdop) > s.HdopMask)
            return false;
        easting = position.Longitude;
        northing = position.Latitude;
        if (s.CoordinateType != 0) {
            int32_t zone = 0;
            if (GeodeticToUtm(easting, northing, zone, 0) == 0)
                return false;
            if (s.CoordinateType == 2)
                ConvertUtmUnits(easting, northing, 3);
            else if (s.CoordinateType == 3)
                ConvertUtmUnits(easting, northing, 4);
        }
    }

    std::string date, time;
    if (ags) {
        date = std::string(Columns(z, 8, 11)) + std::string(Columns(z, 6, 7)) + std::string(Columns(z, 4, 5));
        time = std::string(Columns(z, 13, 20));
    } else {
        date =
            std::string(Columns(z, 4, 5)) + "/" + std::string(Columns(z, 6, 7)) + "/" + std::string(Columns(z, 8, 11));
        time = std::string(Columns(z, 13, 24));
    }

    std::vector<std::string> columns;
    if (ags) {
        columns.push_back(FormatNumberMask(p.StationNumber, "#######0.00"));
        columns.push_back(FormatNumberMask(p.LineNumber, "#######0.00"));
    }
    if (!gps) {
        const std::string station = FormatNumberMask(p.StationNumber, "#######0.000");
        const std::string line = FormatNumberMask(p.LineNumber, "#######0.000");
        columns.push_back(s.XyzPositioning == 1 ? line : station);
        columns.push_back(s.XyzPositioning == 1 ? station : line);
    } else if (s.CoordinateType == 0) {
        columns.push_back(FormatNumberMask(easting, "####0.000000000"));
        columns.push_back(FormatNumberMask(northing, "####0.0000000000"));
    } else {
        columns.push_back(FormatNumberMask(easting, "########0.000"));
        columns.push_back(FormatNumberMask(northing, "########0.000"));
    }
    if (ags)
        columns.push_back(FormatNumberMask(gps ? position.Altitude : 0.0, "###0.00"));
    int32_t first = 0, last = 0;
    GateRange(s, first, last);
    if (first == 0)
        last = ReadingGateCount(p);
    // Gates the reading does not hold (gates 21-30 of a 20-gate reading) are written "*", the
    // dummy value of gridding programs, so every row keeps the header's columns.
    for (int32_t g = first; g <= last; ++g) {
        if (g == 0)
            columns.push_back(FormatNumberMask(p.FileR2Value, "0.00000E+##"));
        else if (g <= ReadingGateCount(p))
            columns.push_back(FormatNumberMask(p.GateValues[g], "0.00000E+##"));
        else
            columns.push_back("*");
    }
    // The optional GPS columns belong to the layouts that name them in their header.
    if (gps && !ags) {
        if (s.IncludeElevation == 1)
            columns.push_back(FormatNumberMask(position.Altitude, "###0.00"));
        if (s.IncludeGpsQuality == 1)
            columns.push_back(position.Quality);
        if (s.IncludeHdop == 1)
            columns.push_back(position.Hdop);
        if (s.IncludeSatellites == 1)
            columns.push_back(position.Satellites);
    }
    if (ags) {
        columns.push_back(date);
        columns.push_back(time);
        columns.push_back(FormatNumberMask(p.TxCurrent, "###0.00"));
    } else {
        if (s.IncludeTimeStamp == 1)
            columns.push_back(time);
        if (s.IncludeDate == 1)
            columns.push_back(date);
    }
    OutputText& out = Run.Out();
    for (size_t c = 0; c < columns.size(); ++c) {
        if (c > 0)
            out.Text(Delimiter);
        out.Text(columns[c]);
    }
    out.EndLine();
    return true;
}

}  // namespace

int32_t AnalyseVlxFile(ConverterState& state, ConverterHost& host)
{
    ResetParsedRecords(state);
    ConversionRun run(state, host);
    if (!run.OpenInput())
        return -1;
    if (!run.StartsAsSurveyFile())
        return 0;
    VlxRecords& records = run.Records();
    const int32_t n = run.Count();
    run.Status("Analysing file:" + FileNamePart(state.InputPath));
    run.ProgressRange(n);
    run.Progress(0);
    state.DataTypePresent.fill(0);
    state.GgaRecordCount = 0;
    // The data types of the readings a conversion would write: whole ones.
    ReadingWalk walk(records, state.Parsed);
    for (int32_t i = 1; i <= n; ++i) {
        run.Progress(i);
        const std::string_view r = records.Record(i);
        if (!walk.Begin(i, r))
            continue;
        switch (r[0]) {
        case 'H':
            if (ParseHeaderRecord(state, r) == 0)
                return run.Refuse(NotVlxFileText, NotVlxFileCaption);
            break;
        case '@':
            if (IsGgaStartRecord(r))
                ++state.GgaRecordCount;
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
        case 'W':
            ParseReadingRecord(r);
            break;
        case 'V':
            ParseGateValueRecord(state, r);
            break;
        case 'R':
            ParseReceiverRecord(state, r);
            break;
        case 'Z':
            if (walk.ReadingWhole()) {
                const int32_t type = ReadingDataType(state.Parsed);
                if (type >= 0)
                    state.DataTypePresent[static_cast<size_t>(type)] = 1;
            }
            break;
        default:
            break;
        }
        walk.End();
    }
    run.Status(NextFileStatus);
    run.Progress(0);
    return 1;
}

int32_t WriteXyzFile(ConverterState& state, ConverterHost& host)
{
    ResetParsedRecords(state);
    const ConverterSettings& s = state.Settings;
    ConversionRun run(state, host);
    XyzRun xyz(state, run);
    if (s.XyzFileFormat != FormatAgs && s.ColumnDelimiter == 1)
        xyz.Delimiter = ",";
    else if (s.XyzFileFormat != FormatAgs && s.ColumnDelimiter == 3)
        xyz.Delimiter = "\t";
    if (!run.OpenInput())
        return -1;
    if (!run.StartsAsSurveyFile())
        return 0;
    VlxRecords& records = run.Records();
    const int32_t n = run.Count();
    run.Status("Creating file:" + FileNamePart(state.InputPath));
    run.ProgressRange(n);
    run.Progress(0);
    if (!run.SignaturesAccepted())
        return 0;
    for (int32_t i = 1; i <= n; ++i)
        if (IsGgaStartRecord(records.Record(i)))
            xyz.GgaRecords.push_back(i);
    if (!run.CreateOutput())
        return -1;
    OutputText& out = run.Out();
    if (s.IncludeHeader == 1 && s.XyzFileFormat < FormatAgs)
        out.Line(HeaderComment(s));
    if (s.XyzFileFormat == FormatAgs)
        out.Line(AgsColumnHeader(s));

    state.GgaRecordCount = 0;
    int32_t included = 1;
    bool matches = false;
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
        case '@':
            if (IsGgaStartRecord(r))
                ++state.GgaRecordCount;
            break;
        case 'L':
            ParseLineRecord(state, r);
            if (s.XyzFileFormat == FormatGeosoft && walk.Sound())
                out.Line("Line: " + state.Parsed.LineLabel);
            break;
        case 'S':
            ParseStationRecord(state, r);
            break;
        case 'R':
            ParseReceiverRecord(state, r);
            matches = ReadingDataType(state.Parsed) == s.DataType;
            break;
        case 'T':
            ParseTransmitterRecord(state, r);
            break;
        case 'P':
            ParseLoopRecord(state, r);
            break;
        case 'W':
            included = ParseReadingRecord(r);
            break;
        case 'V':
            if (RecordDigit(r) == 1 && (s.OutputUnits == 3 || s.OutputUnits == 5))
                BuildGateTimeTable(state.Parsed, state.Parsed.FileRepRateIndex, state.Parsed.FileGateSet);
            ParseGateValueRecord(state, r);
            break;
        case 'Z':
            if (included == 1 && matches && walk.ReadingWhole() && xyz.Row(i, std::string(r)))
                walk.ReadingWritten();
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
