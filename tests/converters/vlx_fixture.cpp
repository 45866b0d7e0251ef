#include "vlx_fixture.h"

#include <cmath>
#include <cstdio>

VlxFixture::VlxFixture(int32_t gpsInput, int32_t systemConfiguration, const std::string& title)
{
    const LocalTime created = FixtureTime(8, 30, 0);
    Bytes += FileIdRecord(gpsInput, created);
    Bytes += SurveyInfoRecord("Brem", systemConfiguration, 0, 0, title);
    Bytes += StartPositionRecord(0.0, 0.0, 0);
    for (const std::string& r : CommentRecords(1, "Converter fixture"))
        Bytes += r;
}

void VlxFixture::Line(double line, int32_t direction, double firstStation)
{
    Params.SurveyLine = line;
    Params.LineDirection = direction;
    Params.StartStation = firstStation;
    Bytes += LineRecord(Params);
    for (const std::string& r : CommentRecords(3, ""))
        Bytes += r;
    Station(firstStation);
}

void VlxFixture::Station(double station)
{
    Params.CurrentStation = station;
    ReadingCounter = 0;
    Bytes += StationRecord(station);
    for (const std::string& r : CommentRecords(5, ""))
        Bytes += r;
}

void VlxFixture::Reading(const std::vector<double>& gateVolts, double earlyWindowValue,
                         const LocalTime& time, int32_t tick, bool excluded)
{
    std::string w = ReadingRecord(++ReadingCounter, Params);
    if (excluded)
        w[1] = '0';
    Bytes += w;
    Bytes += TransmitterRecord(Params);
    for (const std::string& r : LoopRecords(Params))
        Bytes += r;
    for (const std::string& r : ReceiverRecords(Params, earlyWindowValue))
        Bytes += r;
    for (const std::string& r : GateValueRecords(gateVolts.data(), static_cast<int>(gateVolts.size())))
        Bytes += r;
    for (const std::string& r : CommentRecords(7, ""))
        Bytes += r;
    Bytes += TimeStampRecord(time, tick);
}

void VlxFixture::Sentence(const std::string& text, int32_t tick)
{
    for (const std::string& r : StoredTextRecords(text, tick, '@', '#'))
        Bytes += r;
}

namespace {

// ddmm.mmmm (or dddmm.mmmm) and the hemisphere letter of an angle.
std::string NmeaAngle(double degrees, int32_t degreeDigits, char positive, char negative, char& hemisphere)
{
    hemisphere = degrees < 0 ? negative : positive;
    const double a = std::fabs(degrees);
    const int32_t whole = static_cast<int32_t>(a);
    const double minutes = (a - whole) * 60.0;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*d%07.4f", degreeDigits, whole, minutes);
    return buffer;
}

} // namespace

std::string GgaSentence(const LocalTime& time, double latitude, double longitude, int32_t quality,
                        int32_t satellites, double hdop, double altitude)
{
    char ns = 'N', ew = 'E';
    const std::string lat = NmeaAngle(latitude, 2, 'N', 'S', ns);
    const std::string lon = NmeaAngle(longitude, 3, 'E', 'W', ew);
    char body[160];
    std::snprintf(body, sizeof body, "GPGGA,%02d%02d%02d.00,%s,%c,%s,%c,%d,%02d,%.1f,%.1f,M,-17.0,M,,",
                  time.Hour, time.Minute, time.Second, lat.c_str(), ns, lon.c_str(), ew, quality,
                  satellites, hdop, altitude);
    unsigned char sum = 0;
    for (const char* c = body; *c; ++c)
        sum ^= static_cast<unsigned char>(*c);
    char sentence[200];
    std::snprintf(sentence, sizeof sentence, "$%s*%02X", body, sum);
    return sentence;
}

std::vector<double> DecayVolts(int32_t gateCount, double firstVolts, double ratio)
{
    std::vector<double> volts;
    double v = firstVolts;
    for (int32_t g = 0; g < gateCount; ++g) {
        volts.push_back(v);
        v *= ratio;
    }
    return volts;
}

LocalTime FixtureTime(int32_t hour, int32_t minute, int32_t second, int32_t milliseconds)
{
    LocalTime t;
    t.Year = 2024;
    t.Month = 3;
    t.Day = 15;
    t.Hour = hour;
    t.Minute = minute;
    t.Second = second;
    t.Milliseconds = milliseconds;
    return t;
}
