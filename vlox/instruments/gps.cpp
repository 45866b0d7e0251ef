#include "vlox/instruments/gps.h"

#include "vlox/instruments/nmea.h"
#include "vlox/instruments/utm.h"
#include "vlox/settings/settings.h"

#include <cmath>
#include <cstdio>

NmeaFieldRoleTable NmeaFieldRoles = MakeNmeaFieldRoles(0);
GpsFixValues GpsFix;
GpsSentenceCopy GgaCopy;
GpsSentenceCopy GsaCopy;
std::atomic<int32_t> GpsCopyHold{0};
GpsLinkSources GpsLinkInputs;
HandOffQueue<GpsUpdate> GpsUpdates(GpsUpdatesKept);

namespace {

std::mutex GpsCopyLock;

std::mutex GpsMonitorLineLock;
WideString GpsMonitorLine;
int32_t GpsMonitorNewLine = 0;

// Each byte as one wide character, zero-extended: the degree sign (176) stays U+00B0.
WideString Widen(const std::string& bytes)
{
    WideString out;
    out.reserve(bytes.size());
    for (char c : bytes)
        out.push_back(static_cast<WideChar>(static_cast<unsigned char>(c)));
    return out;
}

// Fix-quality text by the field's first digit; empty for anything else.
WideString FixQualityText(const std::string& field)
{
    static const char* const names[10] = {"NO FIX", "AGPS", "DGPS", "RTK3", "RTK4",
                                          "RTK5",   "RTK6", "RTK7", "RTK8", "RTK9"};
    if (field.empty() || field[0] < '0' || field[0] > '9')
        return WideString();
    return Widen(names[field[0] - '0']);
}

// +1 for 'N' or 'E', -1 for 'S' or 'W', 0 for anything else.
int32_t HemisphereSign(const std::string& field)
{
    if (field.size() != 1)
        return 0;
    switch (field[0]) {
    case 'N':
    case 'E':
        return 1;
    case 'S':
    case 'W':
        return -1;
    default:
        return 0;
    }
}

// Splits "ddmm.mmmm" into its degree digits and minutes; false unless digits with one '.'
// and at least two digits before it.
bool SplitAngle(const std::string& field, std::string& degreeDigits, std::string& minuteText)
{
    const size_t dot = field.find('.');
    if (dot == std::string::npos || dot < 2 || field.find('.', dot + 1) != std::string::npos)
        return false;
    for (size_t i = 0; i < field.size(); ++i)
        if (i != dot && (field[i] < '0' || field[i] > '9'))
            return false;
    degreeDigits = field.substr(0, dot - 2);
    minuteText = field.substr(dot - 2);
    return true;
}

}  // namespace

NmeaFieldRoleTable MakeNmeaFieldRoles(int32_t gpsNmeaData)
{
    NmeaFieldRoleTable t;
    const int32_t roles[6][2] = {{RoleSatellites, 8}, {RoleFixQuality, 7},          {RoleLatitudeHemisphere, 4},
                                 {RoleLatitude, 3},   {RoleLongitudeHemisphere, 6}, {RoleLongitude, 5}};
    for (const auto& r : roles) {
        t.Role[t.Count] = r[0];
        t.Field[t.Count] = r[1];
        ++t.Count;
    }
    if (gpsNmeaData != 0) {
        t.Role[t.Count] = RoleDilution;
        t.Field[t.Count] = 9;
        ++t.Count;
    }
    return t;
}

void SetNmeaFieldRoles()
{
    NmeaFieldRoles = MakeNmeaFieldRoles(Settings.GpsNmeaData);
}

GpsFixStep ApplyGpsFix(GpsFixValues& fix, double easting, double northing)
{
    if (fix.GpsOriginSet == 0) {
        fix.GpsOriginEasting = fix.GpsEasting = fix.GpsAcceptedEasting = easting;
        fix.GpsOriginNorthing = fix.GpsNorthing = fix.GpsAcceptedNorthing = northing;
        fix.GpsOriginSet = 1;
        return GpsFixStep::Origin;
    }
    fix.GpsEasting = easting;
    fix.GpsNorthing = northing;
    const double distance = std::hypot(easting - fix.GpsAcceptedEasting, northing - fix.GpsAcceptedNorthing);
    if (!(distance <= GpsJumpLimitMetres))
        return GpsFixStep::Jump;
    fix.GpsAcceptedEasting = easting;
    fix.GpsAcceptedNorthing = northing;
    return GpsFixStep::Accepted;
}

bool ParseNmeaAngle(const std::string& field, int32_t sign, double& degrees)
{
    std::string degreeDigits, minuteText;
    if (!SplitAngle(field, degreeDigits, minuteText))
        return false;
    const double whole = degreeDigits.empty() ? 0.0 : std::strtod(degreeDigits.c_str(), nullptr);
    const double minutes = std::strtod(minuteText.c_str(), nullptr);
    degrees = (whole + minutes / 60.0) * sign;
    return true;
}

WideString GeodeticText(const std::string& field, char hemisphere)
{
    std::string degreeDigits, minuteText;
    if (!SplitAngle(field, degreeDigits, minuteText))
        return WideString();
    const double minutes = std::strtod(minuteText.c_str(), nullptr);
    const double seconds = (minutes - std::floor(minutes)) * 60.0;
    std::string prefix;
    prefix.push_back(hemisphere);
    prefix += degreeDigits;
    prefix.push_back(static_cast<char>(176));
    prefix += minuteText.substr(0, 2);
    prefix.push_back('\'');
    // Left-justified in 7 columns: a zero flag would be ignored beside '-'.
    char text[96];
    std::snprintf(text, sizeof text, "%s%-7.4f%c", prefix.c_str(), seconds, '"');
    return Widen(text);
}

GgaOutcome HandleGgaLine(const std::string& line, bool lineGood, const NmeaFieldRoleTable& roles,
                         const GgaContext& context, GpsFixValues& fix)
{
    GgaOutcome out;
    GgaDisplay& d = out.Display;
    bool valid = true;
    int32_t satellites = 0;
    int32_t latitudeSign = 0, longitudeSign = 0;
    char latitudeLetter = ' ', longitudeLetter = ' ';
    double latitude = 0.0, longitude = 0.0;

    for (int32_t i = 0; i < roles.Count && i < 8; ++i) {
        std::string field;
        const bool present = GetNmeaField(line, roles.Field[i], ',', field) == 1;
        switch (roles.Role[i]) {
        case RoleSatellites:
            // An empty or missing field is no satellites, never a stale value.
            if (!present || !ParseNmeaInteger(field, satellites))
                satellites = 0;
            if (satellites <= 1)
                valid = false;
            d.Satellites = Widen(FormatText("%2d", satellites));
            break;
        case RoleFixQuality: {
            int32_t quality = 0;
            const bool known = present && ParseNmeaInteger(field, quality);
            if (known && context.GpsNmeaData == 2)
                quality += 1;
            if (!known || ((context.GpsNmeaData == 0 || context.GpsNmeaData == 1) && quality == 0))
                valid = false;
            d.FixQuality = present ? FixQualityText(field) : WideString();
            break;
        }
        case RoleLatitudeHemisphere:
            latitudeSign = present ? HemisphereSign(field) : 0;
            if (latitudeSign == 0)
                valid = false;
            else
                latitudeLetter = field[0];
            break;
        case RoleLongitudeHemisphere:
            longitudeSign = present ? HemisphereSign(field) : 0;
            if (longitudeSign == 0)
                valid = false;
            else
                longitudeLetter = field[0];
            break;
        case RoleLatitude:
            if (!valid)
                break;
            if (!present || !ParseNmeaAngle(field, latitudeSign, latitude))
                valid = false;
            else if (context.GpsCoordinateDisplay == 0)
                d.Latitude = GeodeticText(field, latitudeLetter);
            break;
        case RoleLongitude:
            if (!valid)
                break;
            if (!present || !ParseNmeaAngle(field, longitudeSign, longitude))
                valid = false;
            else if (context.GpsCoordinateDisplay == 0)
                d.Longitude = GeodeticText(field, longitudeLetter);
            break;
        case RoleDilution: {
            d.DrawDilution = true;
            d.Dilution.clear();
            double dilution = 0.0;
            if (present && ParseNmeaNumber(field, dilution))
                d.Dilution = Widen(FormatText("%3.1f", dilution));
            break;
        }
        default:
            break;
        }
    }

    // A position the grid cannot take (latitude beyond the poles) is no position.
    int32_t zone = 0;
    double northing = 0.0, easting = 0.0;
    if (valid && LatLonToUtm(latitude, longitude, zone, northing, easting, 0) != 1)
        valid = false;

    out.FixValid = valid;
    out.Latitude = latitude;
    out.Longitude = longitude;
    if (lineGood) {
        fix.GpsFixValid = valid ? 1 : 0;
        fix.GpsSatellites = satellites;
    }

    if (valid) {
        if (lineGood && context.Averaging)
            ++fix.GpsPositionCount;
        d.DrawCount = true;
        d.Count = Widen(FormatText("%-5d", fix.GpsPositionCount));
        const int32_t display = context.GpsCoordinateDisplay;
        if (display >= 1 && display <= 3) {
            const double unit = display == 1 ? 1.0 : display == 2 ? 0.3048 : 0.304800609601219;
            const char* format = display == 1 ? "%12.2f m" : display == 2 ? "%12.2f ft" : "%12.2f USft";
            d.Latitude = Widen(FormatText(format, northing / unit));
            d.Longitude = Widen(FormatText(format, easting / unit));
            d.DrawZone = true;
            d.Zone = Widen(FormatText("%-2d", zone));
        }
    } else {
        d.Latitude = Widen(" Lat:  N/A   ");
        d.Longitude = Widen(" Lon:  N/A   ");
    }

    fix.GpsActivityMark = fix.GpsActivityMark == '/' ? '\\' : '/';
    d.LitLamp = fix.GpsActivityMark == '/' ? 0 : 1;
    d.LampValid = valid && lineGood;

    if (valid && lineGood) {
        fix.GpsUtmZone = zone;
        out.Step = ApplyGpsFix(fix, easting, northing);
        out.Plot = out.Step != GpsFixStep::Jump;
    }
    return out;
}

WideString GsaDilutionText(const std::string& line)
{
    std::string field;
    double dilution = 0.0;
    if (GetNmeaField(line, 16, ',', field) != 1)
        return Widen("N/A");
    // The last field of a short GSA carries the checksum: "2.5*39".
    const size_t star = field.find('*');
    if (star != std::string::npos)
        field.resize(star);
    if (!ParseNmeaNumber(field, dilution))
        return Widen("N/A");
    return Widen(FormatText("%-4.1f", dilution));
}

GpsSentencePlan PlanGpsSentence(const std::string& line, const GpsSentenceContext& c)
{
    GpsSentencePlan p;
    if (CheckNmeaSentence(line) != NmeaCheck::Good) {
        p.Kind = GpsSentenceKind::Failed;
        p.SendPosition = true;
        return p;
    }
    p.Good = true;
    // The type is read from the address field only: "GGA" inside the text of another
    // sentence ($GPTXT) is not a position.
    std::string address;
    GetNmeaField(line, 1, ',', address);
    const bool storeNow = c.SurveyMode == 1 && c.Averaging && c.InternalTestMode == 0;
    const bool copy = c.SurveyMode != 1 && c.GpsCopyHold == 0;
    if (address.find("GGA") != std::string::npos) {
        p.Kind = GpsSentenceKind::Gga;
        p.StoreInDataFile = storeNow;
        p.CopyForStore = copy;
        p.SendPosition = true;
    } else if (c.GpsNmeaData == 0 && address.find("GSA") != std::string::npos) {
        p.Kind = GpsSentenceKind::Gsa;
        p.StoreInDataFile = storeNow;
        p.CopyForStore = copy;
        p.SendDilution = true;
    } else {
        p.Kind = GpsSentenceKind::OtherGood;
    }
    return p;
}

GpsUpdate GpsLineUpdate(GpsUpdateKind kind, const std::string& line, bool good)
{
    GpsUpdate update;
    update.Kind = kind;
    update.Line.assign(line, 0, NmeaLineLimit);
    update.Good = good;
    return update;
}

bool OfferGpsSentenceCopy(GpsSentenceCopy& copy, const std::string& text, uint32_t tick)
{
    std::lock_guard<std::mutex> hold(GpsCopyLock);
    if (GpsCopyHold.load() != 0)
        return false;
    copy.Fresh = 0;
    copy.Text = text;
    copy.Tick = tick;
    copy.Fresh = 1;
    return true;
}

bool ReadGpsSentenceCopy(GpsSentenceCopy& copy, std::string& text, uint32_t& tick)
{
    std::lock_guard<std::mutex> hold(GpsCopyLock);
    text = copy.Text;
    tick = copy.Tick;
    return copy.Fresh.load() != 0;
}

namespace {

GpsSentenceCopy& CopyOf(int32_t kind)
{
    return kind == 0 ? GgaCopy : GsaCopy;
}

}  // namespace

bool GpsSentenceFresh(int32_t kind)
{
    return CopyOf(kind).Fresh.load() != 0;
}

void ClearGpsSentenceFresh()
{
    GgaCopy.Fresh = 0;
    GsaCopy.Fresh = 0;
}

bool CopyGpsSentence(int32_t kind, std::string& text, uint32_t& tick)
{
    ReadGpsSentenceCopy(CopyOf(kind), text, tick);
    return !text.empty();
}

void PublishGpsMonitorLine(const WideString& line, bool flagNewLine)
{
    std::lock_guard<std::mutex> hold(GpsMonitorLineLock);
    GpsMonitorLine = line;
    if (flagNewLine)
        GpsMonitorNewLine = 1;
}

bool TakeGpsMonitorLine(WideString& line)
{
    std::lock_guard<std::mutex> hold(GpsMonitorLineLock);
    if (GpsMonitorNewLine == 0)
        return false;
    GpsMonitorNewLine = 0;
    line = GpsMonitorLine;
    return true;
}

bool CurrentReadingAveraged()
{
    return GpsLinkInputs.ReadingAveraged != nullptr && GpsLinkInputs.ReadingAveraged();
}

int32_t CurrentInternalTestMode()
{
    return GpsLinkInputs.InternalTestMode != nullptr ? GpsLinkInputs.InternalTestMode() : 0;
}

void GpsOriginForDataFile(double& easting, double& northing)
{
    easting = GpsFix.GpsOriginEasting;
    northing = GpsFix.GpsOriginNorthing;
}

void ClearGpsPositionCount()
{
    GpsFix.GpsPositionCount = 0;
}
