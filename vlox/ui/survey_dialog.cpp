#include "vlox/ui/survey_dialog.h"

#include "resources/acquisition_ids.h"
#include "vlox/datafile/datafile.h"
#include "vlox/measure/acquisition_state.h"
#include "vlox/measure/units.h"
#include "vlox/settings/config_file.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/ui/acquisition_settings.h"
#include "vlox/ui/dialog_fields.h"
#include "vlox/ui/system_dialog.h"

#include <cmath>

const char SurveyAreaRefusal[] = "Transmiter Area equals 0. Press OK and correct";
const char SurveyAreaCaption[] = "Transmitter Size Invalid";
const char SurveyCornerRefusal[] = "Geodetic corners must lie within -180..180 (X) and -90..90 (Y) degrees";

namespace {

// A value as its "%.2f" field shows it.
double AsShown(double v)
{
    double shown = v;
    ReadFieldNumber(FieldText(v, 2), shown);
    return shown;
}

// The configuration line loop field i lands on with a shape; 0 for none.
int32_t LoopFieldLine(int32_t shape, int32_t field)
{
    switch (shape) {
    case 0:
        return field == 0 ? 47 : field == 2 ? 49 : field == 3 ? 50 : 0;
    case 1:
        return field < 4 ? 47 + field : 0;
    case 2:
        return 51 + field;
    default:
        return 62 + field;
    }
}

bool IsCornerLine(int32_t line)
{
    return line >= 62 && line <= 69;
}

// The loop fields into a copy of the settings, by shape.
void ApplyLoopFields(SettingsValues& s, const SurveyDialogModel& m, const SurveyDialogEntries& e)
{
    const double* f = e.Loop;
    switch (m.Shape) {
    case 0:
        s.TxLoopSideX = f[0];
        s.TxLoopSideY = f[0];
        s.TxCentreX = f[2];
        s.TxCentreY = f[3];
        break;
    case 1:
        s.TxLoopSideX = f[0];
        s.TxLoopSideY = f[1];
        s.TxCentreX = f[2];
        s.TxCentreY = f[3];
        break;
    case 2:
        for (int i = 0; i < CornerCount; ++i) {
            s.TxCornerX[i] = f[2 * i];
            s.TxCornerY[i] = f[2 * i + 1];
        }
        break;
    default: {
        GpsCornerEntries corners;
        for (int i = 0; i < LoopFieldCount; ++i)
            corners.Corner[i] = f[i];
        corners.CornerType = e.CornerType;
        corners.Zone = e.Zone;
        corners.Hemisphere = e.Hemisphere;
        ApplyGpsCorners(s, corners);
        break;
    }
    }
    s.TxLoopShape = m.Shape;
}

}  // namespace

GpsCornerEntries GpsCornersOf(const SettingsValues& s)
{
    GpsCornerEntries e;
    for (int i = 0; i < CornerCount; ++i) {
        e.Corner[2 * i] = s.TxCornerGpsX[i];
        e.Corner[2 * i + 1] = s.TxCornerGpsY[i];
    }
    e.CornerType = s.TxCornerCoordinateType;
    e.Zone = s.TxCornerUtmZone - 1;
    e.Hemisphere = s.TxCornerHemisphere;
    return e;
}

void ApplyGpsCorners(SettingsValues& s, const GpsCornerEntries& e)
{
    for (int i = 0; i < CornerCount; ++i) {
        s.TxCornerGpsX[i] = e.Corner[2 * i];
        s.TxCornerGpsY[i] = e.Corner[2 * i + 1];
    }
    s.TxCornerCoordinateType = e.CornerType;
    s.TxCornerUtmZone = e.Zone + 1;
    s.TxCornerHemisphere = e.Hemisphere;
}

SurveyOkOutcome CheckLoadable(const SettingsValues& candidate, int32_t& refusedLine)
{
    refusedLine = RefusedSettingLine(candidate);
    if (refusedLine == 0)
        return SurveyOkAccepted;
    // Only degrees are held to the globe; UTM corners refused are plainly out of range.
    if (IsCornerLine(refusedLine) && candidate.TxCornerCoordinateType == 0)
        return SurveyOkCornerRefused;
    return SurveyOkOutOfRangeRefused;
}

SurveyOkOutcome CheckLoopGroup(const SettingsValues& s, const double (&fields)[LoopFieldCount], int32_t& refusedLine)
{
    refusedLine = 0;
    const bool geodetic = s.TxLoopShape == 3 && s.TxCornerCoordinateType == 0;
    if (!geodetic)
        for (int32_t i = 0; i < LoopFieldCount; ++i)
            if (!FitsRecordField(fields[i])) {
                refusedLine = LoopFieldLine(s.TxLoopShape, i);
                return SurveyOkTooWideRefused;
            }
    double eastings[TxCornerCount] = {};
    double northings[TxCornerCount] = {};
    const double area = LoopArea(LoopGeometryFromSettings(s), eastings, northings);
    if (!(area >= 1.0))
        return SurveyOkAreaRefused;
    return SurveyOkAccepted;
}

SurveyDialogModel OpenSurveyDialog(const SettingsValues& s, double currentStation)
{
    SurveyDialogModel m;
    m.Line = s.SurveyLine;
    m.LineIncrement = s.LineIncrement;
    m.Direction = s.LineDirection;
    m.Sequence = s.LineSequence;
    m.StartStation = s.LineSequence == 1 ? s.StartStation : currentStation;
    m.StationIncrement = s.StationIncrement;
    m.CentreXAtOpening = s.TxCentreX;
    m.CentreYAtOpening = s.TxCentreY;
    m.Shape = s.TxLoopShape;
    m.CoordinateType = s.TxCornerCoordinateType;
    m.Configuration = s.SystemConfiguration;
    m.Mains = s.PowerLineFrequency;
    return m;
}

void PlaceLoopCentre(SettingsValues& s, const SurveyDialogModel& m)
{
    if (m.Direction == 0 || m.Direction == 1) {
        s.TxCentreX = m.Line;
        s.TxCentreY = m.StartStation;
    } else {
        s.TxCentreX = m.StartStation;
        s.TxCentreY = m.Line;
    }
}

LoopGroupView LoopGroup(const SettingsValues& s, int32_t shape, int32_t coordinateType)
{
    LoopGroupView v;
    switch (shape) {
    case 0:
        v.FieldVisible[0] = v.FieldVisible[2] = v.FieldVisible[3] = true;
        v.XyLabelVisible[2] = v.XyLabelVisible[3] = true;
        v.RowLabelVisible[0] = v.RowLabelVisible[1] = true;
        v.RowLabel[0] = "Tx Loop Side Length:";
        v.RowLabel[1] = "Tx Centre Coordinates:";
        v.Value[0] = s.TxLoopSideX;
        v.Value[2] = s.TxCentreX;
        v.Value[3] = s.TxCentreY;
        v.Hint = "Enter square side and coordinates in meters";
        return v;
    case 1:
        for (int i = 0; i < 4; ++i)
            v.FieldVisible[i] = v.XyLabelVisible[i] = true;
        v.RowLabelVisible[0] = v.RowLabelVisible[1] = true;
        v.RowLabel[0] = "Tx Loop Sides Length:";
        v.RowLabel[1] = "Tx Centre Coordinates:";
        v.Value[0] = s.TxLoopSideX;
        v.Value[1] = s.TxLoopSideY;
        v.Value[2] = s.TxCentreX;
        v.Value[3] = s.TxCentreY;
        v.Hint = "Enter both sides and Tx centre coordinates in meters";
        return v;
    default:
        for (int i = 0; i < LoopFieldCount; ++i)
            v.FieldVisible[i] = v.XyLabelVisible[i] = true;
        for (int r = 0; r < 4; ++r) {
            v.RowLabelVisible[r] = true;
            v.RowLabel[r] = "Tx Corner " + std::to_string(r + 1) + ":";
        }
        for (int i = 0; i < CornerCount; ++i) {
            v.Value[2 * i] = shape == 2 ? s.TxCornerX[i] : s.TxCornerGpsX[i];
            v.Value[2 * i + 1] = shape == 2 ? s.TxCornerY[i] : s.TxCornerGpsY[i];
        }
        if (shape == 2)
            v.Hint = "Enter coordinates of each Tx corner in meters";
        else
            v.Decimals = coordinateType == 0 ? 8 : 3;
        return v;
    }
}

std::vector<WideString> CornerTypeTexts()
{
    std::vector<WideString> out;
    for (const char* t : {"Geodetic ddd.dddd", "UTM meters", "UTM feet", "UTM USFeet"})
        out.push_back(NarrowToWide(std::string(t)));
    return out;
}

std::vector<WideString> UtmZoneTexts()
{
    std::vector<WideString> out;
    for (int z = 1; z <= 60; ++z)
        out.push_back(NarrowToWide(FormatText("%02d", z)));
    return out;
}

std::vector<WideString> HemisphereTexts()
{
    return {NarrowToWide(std::string("N")), NarrowToWide(std::string("S"))};
}

void SpinStartStation(SurveyDialogModel& m, int32_t d)
{
    m.StartStation = AsShown(m.StartStation + d * m.StationIncrement);
}

void SpinStationIncrement(SurveyDialogModel& m, int32_t d)
{
    const double a = std::fabs(m.StationIncrement);
    const double step = a < 2.0 ? 0.1 : a >= 100.0 ? 10.0 : 1.0;
    // Rounded to what the field shows, so that 0.1 - 0.1 is 0 and the increment skips it.
    m.StationIncrement = AsShown(m.StationIncrement + d * step);
    if (m.StationIncrement == 0.0)
        m.StationIncrement = d * step;
}

void SpinLine(SurveyDialogModel& m, int32_t d)
{
    m.Line = AsShown(m.Line + d * m.LineIncrement);
}

void SpinLineIncrement(SurveyDialogModel& m, int32_t d)
{
    m.LineIncrement = AsShown(m.LineIncrement + d);
    if (m.LineIncrement == 0.0)
        m.LineIncrement = d;
}

bool IncrementFromField(double value, double& copy)
{
    copy = value;
    if (copy != 0.0)
        return false;
    copy = 1.0;
    return true;
}

bool IncrementFromText(const WideString& text, double& copy)
{
    double value = 0.0;
    if (FieldTextEmpty(text) || ReadFieldNumber(text, value) == FieldRead::Number)
        return IncrementFromField(value, copy);
    return false;
}

std::string LoopFieldName(const LoopGroupView& v, int32_t field)
{
    if (field < 0 || field >= LoopFieldCount)
        return std::string();
    std::string name = v.RowLabel[field / 2];
    if (!name.empty() && name.back() == ':')
        name.pop_back();
    if (v.XyLabelVisible[field])
        name += field % 2 == 0 ? " X" : " Y";
    return name;
}

FieldRefusal LoopRefusalOfLine(const SettingsValues& s, int32_t shape, int32_t coordinateType, int32_t firstFieldId,
                               int32_t line, FieldRefusalKind kind)
{
    const LoopGroupView v = LoopGroup(s, shape, coordinateType);
    std::string names[LoopFieldCount];
    DialogField fields[LoopFieldCount + 1];
    size_t count = 0;
    for (int32_t i = 0; i < LoopFieldCount; ++i) {
        names[i] = LoopFieldName(v, i);
        fields[count++] = {firstFieldId + i, names[i].c_str(), LoopFieldLine(shape, i)};
    }
    // A square's one side lands on both side lines.
    if (shape == 0)
        fields[count++] = {firstFieldId, names[0].c_str(), 48};
    return RefusalOfLine(fields, count, line, kind);
}

FieldRefusal SurveyRefusalOfLine(const SettingsValues& s, const SurveyDialogModel& m, int32_t line,
                                 FieldRefusalKind kind)
{
    const DialogField fields[] = {{IDC_SURVEY_LINE, "Survey Line", 26},
                                  {IDC_SURVEY_LINE_INCR, "Line Incr.", 27},
                                  {IDC_SURVEY_START_STATION, "Start Station", 30},
                                  {IDC_SURVEY_STATION_INCR, "Station Incr.", 31}};
    const FieldRefusal r = RefusalOfLine(fields, line, kind);
    if (r.Id != 0 || line == 0)
        return r;
    return LoopRefusalOfLine(s, m.Shape, m.CoordinateType, IDC_SURVEY_LOOP_FIELD1, line, kind);
}

SurveyOkOutcome SurveyDialogOk(const SurveyDialogModel& m, const SurveyDialogEntries& e, bool& stationMoved,
                               int32_t* refusedLine)
{
    stationMoved = false;
    int32_t ignored = 0;
    int32_t& refused = refusedLine != nullptr ? *refusedLine : ignored;
    refused = 0;
    // Every check on a copy first: a refused OK writes nothing.
    SettingsValues s = Settings;
    ApplyLoopFields(s, m, e);
    s.OperatorName = e.OperatorName.substr(0, 25);
    s.SurveyLine = m.Line;
    s.LineIncrement = m.LineIncrement;
    s.StationIncrement = m.StationIncrement;
    s.StartStation = m.StartStation;
    s.LineDirection = m.Direction;
    s.LineSequence = m.Sequence;
    s.SystemConfiguration = m.Configuration;
    const bool mainsChanged = s.PowerLineFrequency != m.Mains;
    s.PowerLineFrequency = m.Mains;

    // The loader that reads the file at the next start checks what would be saved.
    const SurveyOkOutcome loads = CheckLoadable(s, refused);
    if (loads != SurveyOkAccepted)
        return loads;
    const struct {
        double value;
        int32_t line;
    } numbers[] = {{m.Line, 26}, {m.LineIncrement, 27}, {m.StartStation, 30}, {m.StationIncrement, 31}};
    for (const auto& n : numbers)
        if (!FitsRecordField(n.value)) {
            refused = n.line;
            return SurveyOkTooWideRefused;
        }
    const SurveyOkOutcome loop = CheckLoopGroup(s, e.Loop, refused);
    if (loop != SurveyOkAccepted)
        return loop;

    // 1-3, 7.
    CurrentStation = s.StartStation;
    stationMoved = s.SurveyLine != LastStoredLine || CurrentStation != LastStoredStation;
    Settings = s;
    SelectActiveRateFamily();
    if (mainsChanged) {
        // The other family's rates: the gate tables follow them.
        RepetitionRate = RepRateValue(Settings.PowerLineFrequency, Settings.RepRateIndex);
        BuildGateTables();
    }
    // 9: the loop is carried along with the receiver.
    if (s.LineDirection == 0 || s.LineDirection == 1) {
        TxCentreOffsetX = s.TxCentreX - s.SurveyLine;
        TxCentreOffsetY = s.TxCentreY - CurrentStation;
    } else {
        TxCentreOffsetX = s.TxCentreX - CurrentStation;
        TxCentreOffsetY = s.TxCentreY - s.SurveyLine;
    }
    // 10-11.
    if (s.GateSet == 2)
        CheckUserGatesNulling();
    ComputeTxLoopArea();
    return SurveyOkAccepted;
}
