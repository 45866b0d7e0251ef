#include "vlox/datafile/review_reader.h"

#include "vlox/datafile/comments.h"
#include "vlox/datafile/records.h"
#include "vlox/datafile/trim.h"
#include "vlox/datafile/review_state.h"
#include "vlox/settings/rate_tables.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int64_t ReviewLineOffsets[MaxReviewLines];
double ReviewLineNumbers[MaxReviewLines];
int32_t ReviewLineDirections[MaxReviewLines];
std::string ReviewLineTexts[MaxReviewLines];
int64_t ReviewStationOffsets[MaxReviewStations];
double ReviewStationValues[MaxReviewStations];
int64_t ReviewRecordOffsets[MaxReviewRecords];
int32_t ReviewRecordTags[MaxReviewRecords];
int32_t ReviewRecordNumbers[MaxReviewRecords];

ReviewHeaderData ReviewHeader;
int32_t ReviewTestMode = 0;
double ReviewGateCentres[RepRateCount][MaxGateCount];

namespace {

// One record read from the file: its 60 bytes, whether all were read, and the position after
// the read (the position the numbered messages count from).
struct Record {
    char Text[DataLineLength + 1] = {};
    bool Full = false;
    int64_t After = 0;

    bool Tag(const char* tag) const { return Text[0] == tag[0] && Text[1] == tag[1]; }
    // Columns first..last (1-based) as text.
    std::string Columns(int first, int last) const
    {
        return std::string(Text + first - 1, static_cast<size_t>(last - first + 1));
    }
    int32_t Int(int first, int last) const
    {
        const std::string s = Columns(first, last);
        const long v = std::strtol(s.c_str(), nullptr, 10);
        return v > INT32_MAX ? INT32_MAX : (v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v));
    }
    double Double(int first, int last) const { return std::strtod(Columns(first, last).c_str(), nullptr); }
};

Record ReadRecord(RecordFile& f)
{
    Record r;
    const size_t n = f.Read(r.Text, DataLineLength);
    r.Full = n == static_cast<size_t>(DataLineLength);
    r.After = f.Tell();
    return r;
}

// The number text of an L1 or S1 field: trailing zeros after the point, then a bare point,
// removed, and blanks removed.
std::string NumberText(const std::string& field)
{
    std::string t;
    for (char c : field)
        if (c != ' ')
            t.push_back(c);
    if (t.find('.') != std::string::npos) {
        while (!t.empty() && t.back() == '0')
            t.pop_back();
        if (!t.empty() && t.back() == '.')
            t.pop_back();
    }
    return t;
}

// Columns 3-58 of a comment pair, trimmed at both ends.
std::string CommentText(const Record& first, const Record& second)
{
    std::string t = first.Columns(3, 58) + second.Columns(3, 58);
    TrimText(t, 3);
    return t;
}

// The optional comment pair after an L1 or S1 record (at offset). tags "C3"/"C4" or "C5"/"C6"
// with their four messages (short first, wrong first, short second, wrong second).
bool ReadOptionalComment(RecordFile& f, int64_t offset, const char* firstTag, const char* secondTag,
                         const int (&numbers)[4], ReviewCommentEntry& comment, FileMessage& msg)
{
    comment = ReviewCommentEntry{};
    comment.Offset = offset;
    f.Seek(offset);
    const Record a = ReadRecord(f);
    if (!a.Full) {
        msg = ReviewErrorMessage(numbers[0], a.After);
        return false;
    }
    if (a.Text[0] != 'C') {
        f.Seek(offset);
        return true;
    }
    if (!a.Tag(firstTag)) {
        msg = ReviewErrorMessage(numbers[1], a.After);
        return false;
    }
    const Record b = ReadRecord(f);
    if (!b.Full) {
        msg = ReviewErrorMessage(numbers[2], b.After);
        return false;
    }
    if (!b.Tag(secondTag)) {
        msg = ReviewErrorMessage(numbers[3], b.After);
        return false;
    }
    comment.Text = CommentText(a, b);
    comment.HasText = comment.Text.empty() ? 0 : 1;
    comment.Present = 1;
    return true;
}

char GateRecordCharacter(int k)
{
    return k <= 9 ? static_cast<char>('0' + k) : static_cast<char>(55 + k);
}

bool InRange(int32_t v, int32_t low, int32_t high)
{
    return v >= low && v <= high;
}

// The parse of one reading, step by step; each step answers false with msg set.
class MeasurementParser {
public:
    MeasurementParser(RecordFile& f, ReviewReadingData& r, FileMessage& msg, const int (&gateValueNumbers)[4])
        : f_(f), r_(r), msg_(msg), gateValueNumbers_(gateValueNumbers)
    {
    }

    bool Run()
    {
        return ReadingRecord() && Transmitter() && Loop() && Receiver() && SecondReceiver() && GateValues() &&
               Meter() && Comment() && TimeStamp();
    }

private:
    // Reads the next record; false with the short-read or wrong-tag message.
    bool Next(const char* tag, int shortNumber, int tagNumber, Record& rec)
    {
        rec = ReadRecord(f_);
        if (!rec.Full)
            return Fail(shortNumber, rec);
        if (tag != nullptr && !rec.Tag(tag))
            return Fail(tagNumber, rec);
        return true;
    }
    bool Fail(int number, const Record& rec)
    {
        msg_ = ReviewErrorMessage(number, rec.After);
        return false;
    }

    bool ReadingRecord()
    {
        Record w;
        if (!Next(nullptr, 15, 16, w))
            return false;
        if (w.Text[0] != 'W' || (w.Text[1] != '1' && w.Text[1] != '0'))
            return Fail(16, w);
        r_.Included = w.Text[1] == '1' ? 1 : 0;
        switch (w.Text[25]) {
        case '0':
            r_.TestKind = 46;
            break;
        case '1':
            r_.TestKind = 48;
            break;
        case '3':
            r_.TestKind = 47;
            break;
        case 'C':
            r_.TestKind = 45;
            break;
        default:
            r_.TestKind = 0;
            break;
        }
        r_.MeterFlag = w.Text[27] == '1' ? 1 : 0;
        r_.MeterModel = r_.MeterFlag ? w.Int(29, 29) : 0;
        return true;
    }

    bool Transmitter()
    {
        Record t;
        if (!Next("T1", 17, 18, t))
            return false;
        r_.TxCurrent = t.Double(3, 16);
        r_.TurnOffTimeUs = t.Double(18, 31);
        r_.LoopShape = t.Int(33, 34);
        r_.TxTurns = t.Int(36, 38);
        if (r_.TxTurns < 1)
            r_.TxTurns = 1;
        r_.AmpereTurns = r_.TxTurns * r_.TxCurrent;
        if (!InRange(r_.LoopShape, 0, 3))
            return Fail(18, t);
        return true;
    }

    void Sizes(const Record& p)
    {
        r_.CentreX = p.Double(3, 16);
        r_.CentreY = p.Double(17, 30);
        r_.SideX = p.Double(31, 44);
        r_.SideY = r_.LoopShape == 1 ? p.Double(45, 58) : r_.SideX;
    }
    void Corners(const Record& p, int first)
    {
        r_.CornerX[first] = p.Double(3, 16);
        r_.CornerY[first] = p.Double(17, 30);
        r_.CornerX[first + 1] = p.Double(31, 44);
        r_.CornerY[first + 1] = p.Double(45, 58);
    }

    bool Loop()
    {
        Record p1;
        if (!Next("P1", 19, 20, p1))
            return false;
        const bool codes = r_.LoopShape == 3 || p1.Columns(3, 30).find('.') == std::string::npos;
        if (!codes) {
            // The older layout: the sizes (or corners 1 and 2) in P1, corners 3 and 4 in P2.
            if (r_.LoopShape == 2) {
                Corners(p1, 0);
                Record p2;
                if (!Next("P2", 21, 22, p2))
                    return false;
                Corners(p2, 2);
            } else {
                Sizes(p1);
            }
            return true;
        }
        if (p1.Int(3, 5) != r_.LoopShape)
            return Fail(46, p1);
        r_.CornerCount = p1.Int(7, 9);
        r_.CornerCoordinateType = p1.Int(11, 13);
        r_.CornerUtmZone = p1.Int(15, 17);
        r_.CornerHemisphere = p1.Int(19, 21);
        r_.LoopArea = p1.Double(45, 58);
        Record p2;
        if (!Next("P2", 47, 48, p2))
            return false;
        if (r_.LoopShape < 2) {
            Sizes(p2);
            return true;
        }
        Corners(p2, 0);
        Record p3;
        const bool metres = r_.LoopShape == 2;
        if (!Next("P3", metres ? 49 : 51, metres ? 50 : 52, p3))
            return false;
        Corners(p3, 2);
        return true;
    }

    bool Receiver()
    {
        Record r1;
        if (!Next("R1", 23, 24, r1))
            return false;
        r_.PowerLineFrequency = r1.Int(3, 5);
        r_.RepRateIndex = r1.Int(7, 9);
        r_.CoilType = r1.Int(11, 13);
        r_.NumberOfRecords = r1.Int(15, 17);
        r_.ProcessingMethod = r1.Int(19, 21);
        r_.AveragingTimeIndex = r1.Int(23, 25);
        r_.Component = r1.Int(27, 29);
        r_.GainX = r1.Int(31, 33);
        r_.GainY = r1.Int(35, 37);
        r_.GainZ = r1.Int(39, 41);
        r_.GateSet = r1.Int(43, 45);
        if (!InRange(r_.PowerLineFrequency, 0, 1) || !InRange(r_.RepRateIndex, 0, RepRateCount - 1) ||
            !InRange(r_.CoilType, 0, CoilTypeCount - 1) || !InRange(r_.GainX, 0, 6) || !InRange(r_.GainY, 0, 6) ||
            !InRange(r_.GainZ, 0, 6) || !InRange(r_.GateSet, 0, 2) || !InRange(r_.Component, 0, 6))
            return Fail(24, r1);
        r_.RepetitionRate = RepRateValue(r_.PowerLineFrequency, r_.RepRateIndex);
        r_.ComponentCount = r_.Component <= 2 ? 1 : (r_.Component == 3 ? 3 : 2);
        r_.Gain = r_.Component == 1 ? r_.GainX : (r_.Component == 2 ? r_.GainY : r_.GainZ);
        if (r_.GateSet == 2) {
            r_.GateCount = r1.Int(52, 54);
            if (!InRange(r_.GateCount, 1, MaxGateCount))
                return Fail(24, r1);
        } else {
            r_.GateCount = ReviewHeader.Variant ? 15 : 20 + 10 * r_.GateSet;
        }
        return true;
    }

    bool SecondReceiver()
    {
        Record r2;
        if (!Next("R2", 25, 26, r2))
            return false;
        r_.TwoFrequencyMode = r2.Int(3, 5);
        r_.OnTimeMeasurement = r2.Int(11, 13);
        r_.ReceiverDelayUs = r2.Double(15, 28);
        r_.FirstGateTimeUs = r2.Double(30, 43);
        r_.EarlyWindowValue = r2.Double(46, 58);
        // User-defined gates are spaced from the first gate time: it must be a time.
        if (r_.GateSet == 2 && !(r_.FirstGateTimeUs > 0.0 && std::isfinite(r_.FirstGateTimeUs)))
            return Fail(26, r2);
        return true;
    }

    bool GateValues()
    {
        static const int Columns[4] = {3, 17, 31, 45};
        const int full = r_.GateCount / 4;
        int k = 1;
        const int(&n)[4] = gateValueNumbers_;
        for (; k <= full; ++k) {
            Record v;
            if (!Next(nullptr, n[0], n[1], v))
                return false;
            if (v.Text[0] != 'V' || v.Text[1] != GateRecordCharacter(k))
                return Fail(n[1], v);
            for (int j = 0; j < 4; ++j)
                r_.GateValues[(k - 1) * 4 + j] = v.Double(Columns[j], Columns[j] + 13);
        }
        const int rest = r_.GateCount % 4;
        if (rest != 0) {
            Record v;
            if (!Next(nullptr, n[2], n[3], v))
                return false;
            if (v.Text[0] != 'V' || v.Text[1] != GateRecordCharacter(k))
                return Fail(n[3], v);
            for (int j = 0; j < rest; ++j)
                r_.GateValues[full * 4 + j] = v.Double(Columns[j], Columns[j] + 13);
        }
        for (int g = r_.GateCount; g < MaxGateCount; ++g)
            r_.GateValues[g] = 0.0;
        return true;
    }

    bool Meter()
    {
        r_.MeterState = -1;
        // The writer stores U1 only for the meter model 0.
        if (!r_.MeterFlag || r_.MeterModel != 0)
            return true;
        Record u;
        if (!Next("U1", 54, 55, u))
            return false;
        r_.MeterState = u.Text[2] == '1' ? 1 : 0;
        if (r_.MeterState == 1) {
            r_.MeterDipole = u.Text[3];
            r_.MeterValues[0] = u.Double(7, 14);
            r_.MeterValues[1] = u.Double(15, 22);
        }
        return true;
    }

    bool Comment()
    {
        const int64_t at = f_.Tell();
        r_.CommentOffset = at;
        r_.Comment.clear();
        r_.CommentPresent = 0;
        Record a;
        if (!Next(nullptr, 31, 32, a))
            return false;
        if (a.Text[0] != 'C') {
            f_.Seek(at);
            return true;
        }
        if (!a.Tag("C7"))
            return Fail(32, a);
        Record b;
        if (!Next("C8", 33, 34, b))
            return false;
        r_.Comment = CommentText(a, b);
        r_.CommentPresent = 1;
        return true;
    }

    bool TimeStamp()
    {
        Record z;
        if (!Next("Z1", 35, 36, z))
            return false;
        r_.DateText = z.Columns(4, 5) + "/" + z.Columns(6, 7) + "/" + z.Columns(8, 11);
        r_.TimeText = z.Columns(13, 20);
        return true;
    }

    RecordFile& f_;
    ReviewReadingData& r_;
    FileMessage& msg_;
    const int (&gateValueNumbers_)[4];
};

}  // namespace

FileMessage ReviewErrorMessage(int number, int64_t positionAfterRead)
{
    char text[64];
    const long long line = static_cast<long long>(positionAfterRead) / DataLineLength + 1;
    std::snprintf(text, sizeof text, "%d-Error in file line %lld", number, line);
    return {text, FileErrorCaption};
}

void ResetReviewTables()
{
    ReviewLineCount = 0;
    ReviewStationCount = 0;
    ReviewRecordCount = 0;
    ReviewHeader = ReviewHeaderData{};
    ReviewTestMode = 0;
    for (ReviewCommentEntry& c : ReviewComments)
        c = ReviewCommentEntry{};
}

int32_t ReadFileHeader(RecordFile& f, FileMessage& msg)
{
    f.Seek(0);
    Record h1 = ReadRecord(f);
    if (!h1.Full) {
        msg = ReviewErrorMessage(37, h1.After);
        return 0;
    }
    if (!h1.Tag("H1")) {
        msg = ReviewErrorMessage(38, h1.After);
        return 0;
    }
    ReviewHeaderData h;
    ReviewTestMode = h1.Columns(19, 22) == "TEST" ? 45 : 0;
    h.Variant = h1.Text[7] == 'D' ? 1 : 0;
    const Record h2 = ReadRecord(f);
    if (!h2.Full) {
        msg = ReviewErrorMessage(39, h2.After);
        return 0;
    }
    if (!h2.Tag("H2")) {
        msg = ReviewErrorMessage(40, h2.After);
        return 0;
    }
    h.OperatorName = h2.Columns(3, 14);
    TrimText(h.OperatorName, 2);
    h.SystemConfiguration = h2.Int(16, 17);
    h.ReservedTypeCode = h2.Int(19, 20);
    h.TransmitterType = h2.Int(22, 23);
    const Record h3 = ReadRecord(f);
    if (!h3.Full) {
        msg = ReviewErrorMessage(41, h3.After);
        return 0;
    }
    if (!h3.Tag("H3")) {
        msg = ReviewErrorMessage(45, h3.After);
        return 0;
    }
    h.StartEasting = h3.Double(3, 22);
    h.StartNorthing = h3.Double(24, 43);
    h.NmeaData = h3.Int(45, 46);
    ReviewHeader = h;

    ReviewCommentEntry& comment = ReviewComments[ReviewFileComment];
    comment = ReviewCommentEntry{};
    comment.Offset = f.Tell();
    const Record c1 = ReadRecord(f);
    if (!c1.Full) {
        msg = ReviewErrorMessage(53, c1.After);
        return 0;
    }
    if (!c1.Tag("C1")) {
        msg = ReviewErrorMessage(42, c1.After);
        return 0;
    }
    const Record c2 = ReadRecord(f);
    if (!c2.Full) {
        msg = ReviewErrorMessage(43, c2.After);
        return 0;
    }
    if (!c2.Tag("C2")) {
        msg = ReviewErrorMessage(44, c2.After);
        return 0;
    }
    comment.Text = CommentText(c1, c2);
    comment.HasText = comment.Text.empty() ? 0 : 1;
    comment.Present = 1;
    return 1;
}

void IndexLines(RecordFile& f)
{
    ReviewLineCount = 0;
    f.Seek(0);
    for (;;) {
        const int64_t at = f.Tell();
        const Record r = ReadRecord(f);
        if (!r.Full)
            break;
        if (r.Text[0] != 'L' || ReviewLineCount >= MaxReviewLines)
            continue;
        const int32_t i = ReviewLineCount++;
        ReviewLineOffsets[i] = at;
        ReviewLineTexts[i] = NumberText(r.Columns(3, 16));
        ReviewLineNumbers[i] = std::strtod(ReviewLineTexts[i].c_str(), nullptr);
        const int32_t direction = r.Int(18, 19);
        ReviewLineDirections[i] = InRange(direction, 0, 3) ? direction : 0;
    }
}

int32_t ReadLineStations(RecordFile& f, int64_t offset, FileMessage& msg)
{
    ReviewStationCount = 0;
    static const int numbers[4] = {7, 8, 9, 10};
    if (!ReadOptionalComment(f, offset + DataLineLength, "C3", "C4", numbers, ReviewComments[ReviewLineComment], msg))
        return 0;
    for (;;) {
        const int64_t at = f.Tell();
        const Record r = ReadRecord(f);
        if (!r.Full || r.Text[0] == 'L')
            break;
        if (r.Text[0] != 'S' || ReviewStationCount >= MaxReviewStations)
            continue;
        ReviewStationOffsets[ReviewStationCount] = at;
        ReviewStationValues[ReviewStationCount] = std::strtod(NumberText(r.Columns(3, 16)).c_str(), nullptr);
        ++ReviewStationCount;
    }
    return 1;
}

int32_t ReadStationRecords(RecordFile& f, int64_t offset, FileMessage& msg)
{
    ReviewRecordCount = 0;
    static const int numbers[4] = {11, 12, 13, 14};
    if (!ReadOptionalComment(f, offset + DataLineLength, "C5", "C6", numbers, ReviewComments[ReviewStationComment],
                             msg))
        return 0;
    for (;;) {
        const int64_t at = f.Tell();
        const Record r = ReadRecord(f);
        // The station ends at the next station or line.
        if (!r.Full || r.Text[0] == 'S' || r.Text[0] == 'L')
            break;
        if (r.Text[0] != 'W' || ReviewRecordCount >= MaxReviewRecords)
            continue;
        ReviewRecordOffsets[ReviewRecordCount] = at;
        ReviewRecordTags[ReviewRecordCount] = r.Text[1] == '0' ? -1 : 0;
        ReviewRecordNumbers[ReviewRecordCount] = r.Int(3, 6);
        ++ReviewRecordCount;
    }
    return 1;
}

int32_t ReadMeasurementRecord(RecordFile& f, int64_t offset, ReviewReadingData& out, FileMessage& msg)
{
    static const int numbers[4] = {27, 28, 29, 30};
    return ReadMeasurementRecord(f, offset, out, msg, numbers);
}

int32_t ReadMeasurementRecord(RecordFile& f, int64_t offset, ReviewReadingData& out, FileMessage& msg,
                              const int (&gateValueNumbers)[4])
{
    if (!f.Seek(offset)) {
        msg = ReviewErrorMessage(15, offset);
        return 0;
    }
    ReviewReadingData r;
    if (!MeasurementParser(f, r, msg, gateValueNumbers).Run())
        return 0;
    if (r.TestKind != 0)
        ReviewTestMode = r.TestKind;
    out = r;
    return 1;
}

int32_t ReadCommentsOfReading(RecordFile& f, int64_t offset, FileMessage& msg)
{
    // The station and the line the reading stands in: the last S and L records before it.
    int64_t station = -1, line = -1;
    for (int64_t at = offset - DataLineLength; at >= 0 && line < 0; at -= DataLineLength) {
        char tag = 0;
        if (!f.Seek(at) || f.Read(&tag, 1) != 1)
            break;
        if (tag == 'S' && station < 0)
            station = at;
        else if (tag == 'L')
            line = at;
    }
    static const int lineNumbers[4] = {7, 8, 9, 10};
    static const int stationNumbers[4] = {11, 12, 13, 14};
    ReviewComments[ReviewLineComment] = ReviewCommentEntry{};
    ReviewComments[ReviewStationComment] = ReviewCommentEntry{};
    ReviewComments[ReviewReadingComment] = ReviewCommentEntry{};
    if (line >= 0 &&
        !ReadOptionalComment(f, line + DataLineLength, "C3", "C4", lineNumbers, ReviewComments[ReviewLineComment], msg))
        return 0;
    if (station >= 0 && !ReadOptionalComment(f, station + DataLineLength, "C5", "C6", stationNumbers,
                                             ReviewComments[ReviewStationComment], msg))
        return 0;
    ReviewReadingData r;
    if (ReadMeasurementRecord(f, offset, r, msg) == 0)
        return 0;
    ReviewCommentEntry& c = ReviewComments[ReviewReadingComment];
    c.Text = r.Comment;
    c.HasText = r.Comment.empty() ? 0 : 1;
    c.Present = r.CommentPresent;
    c.Offset = r.CommentOffset;
    return 1;
}

namespace {

int32_t BuildReviewGateTimesInto(const ReviewReadingData& r, double (&centres)[RepRateCount][MaxGateCount],
                                 double (&low)[RepRateCount][3], double (&high)[RepRateCount][3])
{
    if (!InRange(r.RepRateIndex, 0, RepRateCount - 1))
        return 0;
    double edges[RepRateCount][GateEdgeCount];
    for (auto& row : edges)
        for (double& e : row)
            e = 0.0;
    GateTableInputs in;
    in.GateSet = r.GateSet;
    in.RepRateIndex = r.RepRateIndex;
    in.GateCount = r.GateCount;
    in.FirstGateTimeUs = r.FirstGateTimeUs;
    in.RepetitionRate = r.RepetitionRate;
    in.TurnOffTimeUs = r.TurnOffTimeUs;
    if (r.GateSet == 2)
        return BuildGateTablesFrom(in, edges, centres, low, high);
    if (BuildGateTablesFrom(in, edges, centres, low, high) == 0)
        return 0;
    // Stored files have always been shown with the 20-gate axis of the slow rates at a tenth
    // of the live one.
    static const double storedLow[4] = {0.02, 0.05, 0.2, 0.5};
    static const double storedHigh[4] = {3.0, 8.0, 30.0, 80.0};
    for (int32_t i = 0; i < 4; ++i) {
        low[3 + i][0] = storedLow[i];
        high[3 + i][0] = storedHigh[i];
    }
    return 1;
}

}  // namespace

int32_t BuildReviewGateTimes(const ReviewReadingData& r)
{
    return BuildReviewGateTimesInto(r, ReviewGateCentres, TimeAxisLow, TimeAxisHigh);
}

bool GateTimesOfReading(const ReviewReadingData& r, double (&centresMs)[MaxGateCount], double& lowMs, double& highMs)
{
    for (double& c : centresMs)
        c = 0.0;
    lowMs = highMs = 0.0;
    struct Tables {
        double Centres[RepRateCount][MaxGateCount] = {};
        double Low[RepRateCount][3] = {};
        double High[RepRateCount][3] = {};
    } t;
    if (!InRange(r.GateSet, 0, 2) || BuildReviewGateTimesInto(r, t.Centres, t.Low, t.High) == 0)
        return false;
    std::memcpy(centresMs, t.Centres[r.RepRateIndex], sizeof centresMs);
    lowMs = t.Low[r.RepRateIndex][r.GateSet];
    highMs = t.High[r.RepRateIndex][r.GateSet];
    return true;
}

bool StandardGateTimes(int32_t rate, int32_t gateSet, double (&centresMs)[MaxGateCount], double& lowMs, double& highMs)
{
    ReviewReadingData r;
    r.RepRateIndex = rate;
    r.GateSet = gateSet;
    r.GateCount = 20 + 10 * gateSet;
    return GateTimesOfReading(r, centresMs, lowMs, highMs);
}

int32_t RewriteRecordTags(RecordFile& f, const int64_t* offsets, const int32_t* tags, int32_t count, FileMessage& msg)
{
    const int64_t position = f.Tell();
    int32_t written = 0;
    bool failed = false;
    for (int32_t r = 0; r < count; ++r) {
        char record[DataLineLength];
        if (!f.Seek(offsets[r]) || f.Read(record, DataLineLength) != static_cast<size_t>(DataLineLength) ||
            record[0] != 'W')
            continue;
        record[1] = tags[r] == -1 ? '0' : '1';
        if (f.Seek(offsets[r]) && f.Write(record, DataLineLength))
            ++written;
        else
            failed = true;
    }
    if (!f.Flush())
        failed = true;
    if (failed)
        msg = {DataFileWriteErrorText, FileErrorCaption};
    f.Seek(position);
    return written;
}
