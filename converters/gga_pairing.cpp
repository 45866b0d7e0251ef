#include "converters/gga_pairing.h"

#include "converters/geodetic.h"
#include "converters/number_text.h"
#include "converters/record_parsers.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace converters {

namespace {

// Field n (from 1) of a sentence split at its commas; empty beyond the last.
std::string_view SentenceField(std::string_view sentence, int32_t n)
{
    size_t start = 0;
    for (int32_t i = 1; i < n; ++i) {
        const size_t comma = sentence.find(',', start);
        if (comma == std::string_view::npos)
            return std::string_view();
        start = comma + 1;
    }
    const size_t end = sentence.find(',', start);
    return sentence.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// The values a stored sentence supplies to a reading at `tick`, when it does, and its text.
bool SentenceValues(VlxRecords& records, int32_t at, int32_t tick, GgaValues& values, std::string& text)
{
    StoredSentence sentence = ReadStoredSentence(records, at);
    if (!sentence.Complete || TickDistance(sentence.Tick, tick) > GgaPairingWindowMs)
        return false;
    values = ReadGgaValues(sentence.Text);
    text = std::move(sentence.Text);
    return values.Supplied;
}

}  // namespace

int32_t TickOfField(std::string_view field)
{
    const double value = NumberOfField(field);
    if (!(std::fabs(value) < 9.2e18))
        return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(value)));
}

int64_t TickDistance(int32_t a, int32_t b)
{
    const int32_t d = static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
    return d < 0 ? -static_cast<int64_t>(d) : d;
}

StoredSentence ReadStoredSentence(VlxRecords& records, int32_t at)
{
    StoredSentence s;
    s.Text = std::string(Columns(records.Record(at), 2, 58));
    for (int32_t j = at + 1, more = 0; j <= records.Count(); ++j) {
        const std::string_view r = records.Record(j);
        if (r[0] == '!') {
            s.Complete = true;
            s.Tick = TickOfField(Columns(r, 49, 58));
            break;
        }
        if (r[0] != '#' || ++more > MaxSentenceContinuations)
            break;
        s.Text += TrimRight(Columns(r, 2, 58));
    }
    s.Text = TrimRight(s.Text);
    return s;
}

GgaValues ReadGgaValues(std::string_view sentence)
{
    GgaValues v;
    if (!(NumberOfField(SentenceField(sentence, 7)) > 0))
        return v;
    const double latitude = NmeaAngleToDegrees(SentenceField(sentence, 3), SentenceField(sentence, 4));
    const double longitude = NmeaAngleToDegrees(SentenceField(sentence, 5), SentenceField(sentence, 6));
    if (!(std::fabs(latitude) <= 90.0) || !(std::fabs(longitude) <= 180.0))
        return v;
    v.Supplied = true;
    v.Latitude = latitude;
    v.Longitude = longitude;
    v.Altitude = NumberOfField(SentenceField(sentence, 10));
    v.Quality = std::string(SentenceField(sentence, 7));
    v.Satellites = std::string(SentenceField(sentence, 8));
    v.Hdop = std::string(SentenceField(sentence, 9));
    return v;
}

PairedPosition PairGgaSentences(VlxRecords& records, const std::vector<int32_t>& ggaRecords, int32_t timeStampRecord,
                                int32_t readingTick)
{
    PairedPosition position;
    const auto after = std::upper_bound(ggaRecords.begin(), ggaRecords.end(), timeStampRecord);
    GgaValues before, later;
    std::string beforeText, laterText;
    bool hasBefore = false, hasAfter = false;
    if (after != ggaRecords.begin()) {
        const int32_t at = *(after - 1);
        hasBefore = at >= 2 && at < timeStampRecord && SentenceValues(records, at, readingTick, before, beforeText);
    }
    if (after != ggaRecords.end())
        hasAfter = SentenceValues(records, *after, readingTick, later, laterText);
    if (!hasBefore && !hasAfter)
        return position;
    position.Valid = true;
    if (hasBefore && hasAfter) {
        position.Latitude = (before.Latitude + later.Latitude) / 2.0;
        position.Longitude = (before.Longitude + later.Longitude) / 2.0;
        position.Altitude = (before.Altitude + later.Altitude) / 2.0;
    } else {
        const GgaValues& one = hasAfter ? later : before;
        position.Latitude = one.Latitude;
        position.Longitude = one.Longitude;
        position.Altitude = one.Altitude;
    }
    const GgaValues& texts = hasAfter ? later : before;
    position.Quality = texts.Quality;
    position.Hdop = texts.Hdop;
    position.Satellites = texts.Satellites;
    position.Sentence = hasAfter ? laterText : beforeText;
    return position;
}

}  // namespace converters
