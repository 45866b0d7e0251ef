#include "vlox/ui/survey_dialog.h"

#include "vlox/datafile/datafile.h"
#include "vlox/measure/acquisition_state.h"
#include "vlox/measure/units.h"
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
    return FieldNumber(FieldText(v, 2));
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

LoopRefusalMessage RefusalMessage(SurveyOkOutcome outcome, const char* dialogCaption)
{
    switch (outcome) {
    case SurveyOkAreaRefused:
        return {SurveyAreaRefusal, SurveyAreaCaption};
    case SurveyOkCornerRefused:
        return {SurveyCornerRefusal, SurveyAreaCaption};
    case SurveyOkTooWideRefused:
        return {RecordFieldRefusal, dialogCaption};
    default:
        return {};
    }
}

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

SurveyOkOutcome CheckLoop(const SettingsValues& s, const double (&fields)[LoopFieldCount])
{
    const bool geodetic = s.TxLoopShape == 3 && s.TxCornerCoordinateType == 0;
    if (geodetic)
        for (int i = 0; i < CornerCount; ++i)
            if (!(std::fabs(s.TxCornerGpsX[i]) <= 180.0 && std::fabs(s.TxCornerGpsY[i]) <= 90.0))
                return SurveyOkCornerRefused;
    if (!geodetic)
        for (double v : fields)
            if (!FitsRecordField(v))
                return SurveyOkTooWideRefused;
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

SurveyOkOutcome SurveyDialogOk(const SurveyDialogModel& m, const SurveyDialogEntries& e, bool& stationMoved)
{
    stationMoved = false;
    // Every check on a copy first: a refused OK writes nothing.
    SettingsValues s = Settings;
    ApplyLoopFields(s, m, e);
    const double numbers[] = {m.Line, m.LineIncrement, m.StartStation, m.StationIncrement};
    for (double v : numbers)
        if (!FitsRecordField(v))
            return SurveyOkTooWideRefused;
    const SurveyOkOutcome loop = CheckLoop(s, e.Loop);
    if (loop != SurveyOkAccepted)
        return loop;

    // 1-3.
    s.OperatorName = e.OperatorName.substr(0, 25);
    s.SurveyLine = m.Line;
    s.LineIncrement = m.LineIncrement;
    s.StationIncrement = m.StationIncrement;
    s.StartStation = m.StartStation;
    CurrentStation = s.StartStation;
    stationMoved = s.SurveyLine != LastStoredLine || CurrentStation != LastStoredStation;
    // 7.
    s.LineDirection = m.Direction;
    s.LineSequence = m.Sequence;
    s.SystemConfiguration = m.Configuration;
    const bool mainsChanged = s.PowerLineFrequency != m.Mains;
    s.PowerLineFrequency = m.Mains;
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
