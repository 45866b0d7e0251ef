#include "vlox/datafile/records.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>

const char DataFileVersion[] = "V142";

namespace {

// The largest magnitude a field can show, of the value's sign: "9999999999999." in 14
// columns with decimals, "-999999999999." for negatives.
std::string SaturatedField(bool negative, int width, int decimals)
{
    std::string digits;
    int nines = width - (decimals > 0 ? 1 : 0) - (negative ? 1 : 0);
    if (nines < 1)
        nines = 1;
    digits.assign(static_cast<size_t>(nines), '9');
    if (negative)
        digits.insert(digits.begin(), '-');
    if (decimals > 0)
        digits.push_back('.');
    return digits;
}

std::string Blanks(int n)
{
    return std::string(static_cast<size_t>(n > 0 ? n : 0), ' ');
}

// Left-aligned text cut or blank-padded to width, up to its first NUL.
std::string TextField(const std::string& text, int width)
{
    std::string t(text.c_str());
    if (static_cast<int>(t.size()) > width)
        t.resize(static_cast<size_t>(width));
    return t + Blanks(width - static_cast<int>(t.size()));
}

std::string Date(const LocalTime& t)
{
    return IntField(t.Day, 2, true) + IntField(t.Month, 2, true) + IntField(t.Year, 4, true);
}

std::string Clock(const LocalTime& t)
{
    return IntField(t.Hour, 2, true) + ":" + IntField(t.Minute, 2, true) + ":" + IntField(t.Second, 2, true);
}

// Record number character of a V or U record: '1'..'9', then 'A' for 10 and on.
char RowCharacter(int row)
{
    return row <= 9 ? static_cast<char>('0' + row) : static_cast<char>(55 + row);
}

}  // namespace

std::string FixedField(double value, int width, int decimals)
{
    if (std::isnan(value))
        return Blanks(width - 3) + "nan";
    if (std::isinf(value))
        return SaturatedField(value < 0, width, decimals);
    int n = std::snprintf(nullptr, 0, "%*.*f", width, decimals, value);
    std::string text(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%*.*f", width, decimals, value);
    text.resize(static_cast<size_t>(n));
    if (n <= width)
        return text;
    // Longer by no more than the decimals: only decimals are lost by cutting.
    if (n - width <= decimals)
        return text.substr(0, static_cast<size_t>(width));
    return SaturatedField(text[0] == '-', width, decimals);
}

std::string IntField(int64_t value, int width, bool zeroPad)
{
    int64_t high = 1;
    for (int i = 0; i < width; ++i)
        high *= 10;
    int64_t low = -(high / 10 - 1);
    high -= 1;
    if (value > high)
        value = high;
    if (value < low)
        value = low;
    char buf[32];
    if (zeroPad)
        std::snprintf(buf, sizeof buf, "%0*" PRId64, width, value);
    else
        std::snprintf(buf, sizeof buf, "%*" PRId64, width, value);
    return buf;
}

std::string FinishRecord(std::string text)
{
    text.resize(RecordTextLength, ' ');
    text += "\r\n";
    return text;
}

std::string FileIdRecord(int32_t gpsInput, const LocalTime& created)
{
    std::string r = "H1V-LOX      ";
    r += DataFileVersion;
    r += "  ";
    r += gpsInput != 0 ? "GPS" : "GRD";
    r += " " + Date(created) + " " + Clock(created);
    return FinishRecord(r);
}

std::string SurveyInfoRecord(const std::string& operatorName, int32_t systemConfiguration, int32_t reservedTypeCode,
                             int32_t transmitterType, const std::string& dataFileTitle)
{
    std::string r = "H2" + TextField(operatorName, 12);
    r += " " + IntField(systemConfiguration, 2);
    r += " " + IntField(reservedTypeCode, 2);
    r += " " + IntField(transmitterType, 2);
    r += " " + TextField(dataFileTitle, 34);
    return FinishRecord(r);
}

std::string StartPositionRecord(double originEasting, double originNorthing, int32_t gpsNmeaData)
{
    std::string r = "H3" + FixedField(originEasting, 20, 9);
    r += " " + FixedField(originNorthing, 20, 9);
    r += " " + IntField(gpsNmeaData, 2);
    return FinishRecord(r);
}

std::vector<std::string> CommentRecords(int first, const std::string& comment)
{
    std::string text = TextField(comment, CommentLength);
    std::string a = "C";
    a += static_cast<char>('0' + first);
    std::string b = "C";
    b += static_cast<char>('0' + first + 1);
    return {FinishRecord(a + text.substr(0, 56)), FinishRecord(b + text.substr(56, 56))};
}

std::string LineRecord(const ReadingParameters& p)
{
    std::string r = "L1" + FixedField(p.SurveyLine, 14, 3);
    r += " " + IntField(p.LineDirection, 2);
    r += " " + FixedField(p.StartStation, 14, 3);
    r += " " + IntField(p.LineSequence, 2);
    return FinishRecord(r);
}

std::string StationRecord(double station)
{
    return FinishRecord("S1" + FixedField(station, 14, 3));
}

std::string ReadingRecord(int32_t readingCounter, const ReadingParameters& p)
{
    std::string r = "W1" + IntField(readingCounter, 4);
    r += " " + FixedField(p.CurrentStation, 14, 3);
    r += " " + Blanks(4) + " ";
    r += IntField(p.MeterInput, 1) + IntField(p.MeterModel, 1);
    return FinishRecord(r);
}

std::string TransmitterRecord(const ReadingParameters& p)
{
    std::string r = "T1" + FixedField(p.TxCurrent, 14, 3);
    r += " " + FixedField(p.TurnOffTimeUs, 14, 3);
    r += " " + IntField(p.TxLoopShape, 2);
    r += " " + IntField(p.TxTurns, 3);
    r += " " + IntField(p.TransmitterType, 2);
    return FinishRecord(r);
}

std::vector<std::string> LoopRecords(const ReadingParameters& p)
{
    std::string p1 = "P1";
    p1 += IntField(p.TxLoopShape, 3) + " ";
    p1 += IntField(4, 3) + " ";  // corner count, always 4
    p1 += IntField(p.TxCornerCoordinateType, 3) + " ";
    p1 += IntField(p.TxCornerUtmZone, 3) + " ";
    p1 += IntField(p.TxCornerHemisphere, 3) + " ";
    p1 += Blanks(44 - 22);
    p1 += FixedField(p.TxLoopArea, 14, 3);

    std::vector<std::string> out{FinishRecord(p1)};
    switch (p.TxLoopShape) {
    case 0:
        out.push_back(FinishRecord("P2" + FixedField(p.TxCentreX, 14, 3) + FixedField(p.TxCentreY, 14, 3) +
                                   FixedField(p.TxLoopSideX, 14, 3)));
        break;
    case 2:
    case 3: {
        const double* xs = p.TxLoopShape == 2 ? p.TxCornerX : p.TxCornerGpsX;
        const double* ys = p.TxLoopShape == 2 ? p.TxCornerY : p.TxCornerGpsY;
        // Geodetic degrees need the eight decimals; metres and feet keep three.
        int decimals = (p.TxLoopShape == 3 && p.TxCornerCoordinateType == 0) ? 8 : 3;
        for (int rec = 0; rec < 2; ++rec) {
            std::string r = rec == 0 ? "P2" : "P3";
            for (int c = 2 * rec; c < 2 * rec + 2; ++c)
                r += FixedField(xs[c], 14, decimals) + FixedField(ys[c], 14, decimals);
            out.push_back(FinishRecord(r));
        }
        break;
    }
    default:  // 1, rectangle
        out.push_back(FinishRecord("P2" + FixedField(p.TxCentreX, 14, 3) + FixedField(p.TxCentreY, 14, 3) +
                                   FixedField(p.TxLoopSideX, 14, 3) + FixedField(p.TxLoopSideY, 14, 3)));
        break;
    }
    return out;
}

int32_t ReceiverGateCount(const ReadingParameters& p)
{
    return p.GateSet == 2 ? p.UserGateCount : 20 + 10 * p.GateSet;
}

std::vector<std::string> ReceiverRecords(const ReadingParameters& p, double earlyWindowValue)
{
    std::string r1 = "R1";
    const int32_t codes[] = {
        p.PowerLineFrequency, p.RepRateIndex, p.CoilType, p.NumberOfRecords, p.ProcessingMethod, p.AveragingTimeIndex,
        p.SelectedComponent,  p.GainX,        p.GainY,    p.GainZ,           p.GateSet};
    for (int32_t c : codes)
        r1 += IntField(c, 3) + " ";
    r1 += IntField(p.SurveyMode, 1) + " ";
    r1 += IntField(p.AutoTriggerIndex, 2) + " ";
    r1 += IntField(ReceiverGateCount(p), 3);

    std::string r2 = "R2" + IntField(p.TwoFrequencyMode, 3) + Blanks(5);
    r2 += IntField(p.OnTimeMeasurement, 3) + " ";
    r2 += FixedField(p.ReceiverDelayUs, 14, 3) + " ";
    r2 += FixedField(p.FirstGateTimeUs, 14, 3) + " ";
    r2 += IntField(p.InvertOn, 1);
    r2 += FixedField(earlyWindowValue, 13, 2);
    return {FinishRecord(r1), FinishRecord(r2)};
}

std::vector<std::string> GateValueRecords(const double* gateVolts, int gateCount)
{
    std::vector<std::string> out;
    if (gateCount > MaxGateValues)
        gateCount = MaxGateValues;
    for (int first = 0, row = 1; first < gateCount; first += 4, ++row) {
        std::string r = "V";
        r += RowCharacter(row);
        for (int g = first; g < first + 4 && g < gateCount; ++g)
            r += FixedField(gateVolts[g] * 1e9, 14, 2);
        out.push_back(FinishRecord(r));
    }
    return out;
}

std::string MeterRecord(const MeterValues& m)
{
    std::string r = "U1" + IntField(m.Valid, 1);
    // A missing dipole character must not put a control byte into the record.
    unsigned char d = static_cast<unsigned char>(m.Dipole);
    r += d < 0x20 ? ' ' : m.Dipole;
    r += "  ";
    r += FixedField(m.Value1, 8, 2) + FixedField(m.Value2, 8, 2);
    return FinishRecord(r);
}

std::string TimeStampRecord(const LocalTime& written, int32_t tick)
{
    std::string r = "Z1 " + Date(written) + " " + Clock(written) + ".";
    r += IntField(written.Milliseconds, 3, true) + " ";
    r += IntField(tick, 10);
    return FinishRecord(r);
}

std::vector<std::string> StoredTextRecords(const std::string& text, int32_t tick, char firstTag, char continuationTag)
{
    std::string t(text.c_str());
    std::vector<std::string> out;
    size_t pos = 0;
    do {
        std::string r(1, pos == 0 ? firstTag : continuationTag);
        r += t.substr(pos, StoredTextChunk);
        out.push_back(FinishRecord(r));
        pos += StoredTextChunk;
    } while (pos < t.size());
    out.push_back(FinishRecord("!" + Blanks(47) + IntField(tick, 10)));
    return out;
}

std::string StationIndexLine(double surveyLine, double station, int32_t lineDirection)
{
    return FixedField(surveyLine, 14, 3) + " " + FixedField(station, 14, 3) + " " + IntField(lineDirection, 1) + "\r\n";
}
