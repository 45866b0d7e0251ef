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

void VlxFixture::Placeholder(const std::string& text, int32_t tick)
{
    for (const std::string& r : StoredTextRecords(text, tick, '?', '"'))
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

// One 20-gate reading at 30 Hz in a file recorded without GPS: line 100 E, station 250, a
// square loop of 100 m, gain 3 on Z, on-time measurement with a 5 us receiver delay.
std::string SingleReadingSurvey()
{
    VlxFixture f(0, 1, "SINGLE20");
    ReadingParameters& p = f.Params;
    p.GateSet = 0;
    p.RepRateIndex = 2;
    p.GainZ = 3;
    p.TxLoopShape = 0;
    p.TxLoopSideX = 100.0;
    p.TxLoopArea = 10000.0;
    p.TxCurrent = 2.5;
    p.TurnOffTimeUs = 12.0;
    p.OnTimeMeasurement = 1;
    p.ReceiverDelayUs = 5.0;
    f.Line(100.0, 2, 250.0);
    f.Reading(DecayVolts(20, 2.5e-3, 0.7), 98765.43, FixtureTime(14, 3, 7, 250), 5000000);
    return f.Bytes;
}

// A GPS-recorded survey of 30-gate readings at 30 Hz (central loop, 100 m x 50 m loop centred
// at 10, 5): line 10 N with stations 0 and 25, line 20 W with stations 50 and 75.
//   station 0: reading A with GGA sentences 3 s before and 4 s after it (the mean of both),
//     reading B, excluded (W0), followed by the placeholder V-LOX stores without a fix, then
//     reading A2, the nearest sentences 12 s before and 17 s after it (no position);
//   station 25: reading C, the sentence before 26 s old, one 3 s after (that one alone);
//   station 50: reading D, the nearest sentences 67 s before and 15 s after (no position);
//   station 75: reading E, a sentence of fix quality 8 5 s before it, a GSA sentence after.
std::string GpsSurvey()
{
    VlxFixture f(1, 0, "GPS30");
    ReadingParameters& p = f.Params;
    p.GateSet = 1;
    p.RepRateIndex = 2;
    p.GainZ = 5;
    p.TxLoopShape = 1;
    p.TxLoopSideX = 100.0;
    p.TxLoopSideY = 50.0;
    p.TxCentreX = 10.0;
    p.TxCentreY = 5.0;
    p.TxLoopArea = 5000.0;
    p.TxCurrent = 3.0;
    p.TurnOffTimeUs = 10.0;
    f.Line(10.0, 0, 0.0);
    f.Sentence(GgaSentence(FixtureTime(9, 0, 0), 49.2741667, -123.1853333, 1, 8, 0.9, 70.2), 97000);
    f.Reading(DecayVolts(30, 4.0e-3, 0.75), 51234.5, FixtureTime(9, 0, 3), 100000);
    f.Sentence(GgaSentence(FixtureTime(9, 0, 7), 49.2741833, -123.1853167, 2, 9, 0.8, 70.6), 104000);
    f.Reading(DecayVolts(30, 3.9e-3, 0.75), 50000.0, FixtureTime(9, 0, 13), 110000, true);
    f.Placeholder("GGA not avaiable", 110050);
    f.Reading(DecayVolts(30, 3.8e-3, 0.75), 50500.0, FixtureTime(9, 0, 19), 116000);
    f.Station(25.0);
    f.Reading(DecayVolts(30, 3.5e-3, 0.74), 48000.25, FixtureTime(9, 0, 33), 130000);
    f.Sentence(GgaSentence(FixtureTime(9, 0, 36), 49.2743500, -123.1853000, 1, 7, 1.1, 71.0), 133000);
    f.Line(20.0, 3, 50.0);
    f.Reading(DecayVolts(30, 2.5e-3, 0.72), 40000.0, FixtureTime(9, 1, 40), 200000);
    f.Sentence(GgaSentence(FixtureTime(9, 1, 55), 49.2745000, -123.1851000, 8, 7, 1.2, 71.4), 215000);
    f.Station(75.0);
    f.Reading(DecayVolts(30, 2.2e-3, 0.72), 39000.0, FixtureTime(9, 2, 0), 220000);
    f.Sentence("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39", 221000);
    return f.Bytes;
}

// Twelve user-defined gates at 7.5 Hz (first gate 20 us, turn-off 15 us), line 5 S with
// stations 0 and 10 and three readings, sensor 2 on X with gain 4.
std::string UserGateSurvey()
{
    VlxFixture f(0, 2, "USER12");
    ReadingParameters& p = f.Params;
    p.GateSet = 2;
    p.UserGateCount = 12;
    p.FirstGateTimeUs = 20.0;
    p.RepRateIndex = 3;
    p.PowerLineFrequency = 0;
    p.TurnOffTimeUs = 15.0;
    p.CoilType = 2;
    p.SelectedComponent = 1;
    p.GainX = 4;
    p.TxLoopShape = 1;
    p.TxLoopSideX = 200.0;
    p.TxLoopSideY = 200.0;
    p.TxLoopArea = 40000.0;
    p.TxCurrent = 20.0;
    p.TxTurns = 2;
    f.Line(5.0, 1, 0.0);
    f.Reading(DecayVolts(12, 8.0e-3, 0.6), 70000.0, FixtureTime(11, 15, 0), 3000000);
    f.Reading(DecayVolts(12, 7.9e-3, 0.6), 69000.0, FixtureTime(11, 15, 30), 3030000);
    f.Station(10.0);
    f.Reading(DecayVolts(12, 6.0e-3, 0.61), 60000.0, FixtureTime(11, 16, 30), 3090000);
    return f.Bytes;
}

// GpsSurvey cut in the middle of reading D: 30 bytes into its third gate-value record.
std::string CutSurvey()
{
    const std::string whole = GpsSurvey();
    const size_t lineD = whole.find("L1" + FixedField(20.0, 14, 3));
    size_t v = lineD;
    for (int i = 0; i < 3; ++i)
        v = whole.find("\r\nV", v + 1);
    return whole.substr(0, v + 2 + 30);
}

std::string LargeSurvey(int32_t readings, int32_t gateSet, int32_t userGates)
{
    VlxFixture f(1, 1, "LARGE");
    ReadingParameters& p = f.Params;
    p.GateSet = gateSet;
    p.UserGateCount = userGates;
    p.RepRateIndex = 2;
    p.TxLoopArea = 5000.0;
    const int32_t gates = gateSet == 2 ? userGates : 20 + 10 * gateSet;
    int32_t tick = 1000000;
    for (int32_t i = 0; i < readings; ++i) {
        if (i % 20 == 0)
            f.Line(10.0 * (i / 20), (i / 20) % 2, 0.0);
        else
            f.Station(5.0 * (i % 20));
        const double lat = 49.27 + 0.0001 * i, lon = -123.18 + 0.00005 * (i % 20);
        const LocalTime t = FixtureTime(8 + i / 3600 % 10, i / 60 % 60, i % 60);
        f.Sentence(GgaSentence(t, lat, lon, 1, 8, 0.9, 70.0), tick - 2000);
        f.Reading(DecayVolts(gates, 3.0e-3, 0.9), 50000.0, t, tick);
        f.Sentence(GgaSentence(t, lat + 0.00001, lon, 2, 9, 0.8, 70.5), tick + 3000);
        tick += 10000;
    }
    return f.Bytes;
}
