// The GPS sentences stored in a survey file and the position of a reading made from them.
// A stored sentence is its '@' record, any '#' continuation records and the '!' record that
// closes it with the tick at which the sentence was received; a reading's position comes from
// the GGA sentences nearest before and after its time stamp, each within 10 s of it.
#pragma once

#include "converters/converter_files.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace converters {

// Continuation records a stored sentence may have: NMEA sentences are at most 82 characters,
// receivers' own ones a little more; a longer chain is no sentence.
constexpr int32_t MaxSentenceContinuations = 4;
constexpr int32_t MaxSentenceLength = 57 * (MaxSentenceContinuations + 1);
// The pairing window, milliseconds either side of the reading.
constexpr int32_t GgaPairingWindowMs = 10000;

// A tick of the file (a signed 32-bit millisecond count as text), wrapped to 32 bits.
int32_t TickOfField(std::string_view field);

// |a - b| in the 32-bit arithmetic of the tick count.
int64_t TickDistance(int32_t a, int32_t b);

struct StoredSentence {
    bool Complete = false;  // closed by its '!' record
    std::string Text;       // '@' columns 2-58 and each '#' record's, trailing blanks removed
    int32_t Tick = 0;       // columns 49-58 of the '!' record
};

// The sentence whose '@' record is record `at`: the '#' records after it are walked up to the
// '!' that closes it. Not complete when another record comes first, the file ends, or more
// than MaxSentenceContinuations '#' records follow.
StoredSentence ReadStoredSentence(VlxRecords& records, int32_t at);

// The values of a GGA sentence (fields numbered from 1 at the commas): latitude fields 3-4,
// longitude 5-6, fix quality 7, satellites 8, HDOP 9, altitude 10. Supplied only when the fix
// quality is above 0 and both angles are readable and within range.
struct GgaValues {
    bool Supplied = false;
    double Latitude = 0.0;
    double Longitude = 0.0;
    double Altitude = 0.0;
    std::string Quality;
    std::string Hdop;
    std::string Satellites;
};
GgaValues ReadGgaValues(std::string_view sentence);

// A reading's position: the mean of the GGA sentences before and after it that supply values,
// or the one that does; the texts of fix quality, HDOP and satellites of the later one, and
// that sentence as stored (the reading's own fix, as every format reports it).
struct PairedPosition {
    bool Valid = false;
    double Latitude = 0.0;
    double Longitude = 0.0;
    double Altitude = 0.0;
    std::string Quality;
    std::string Hdop;
    std::string Satellites;
    std::string Sentence;
};

// ggaRecords: the record numbers of the file's GGA '@' records, ascending. The sentence before
// is the last of them before the time-stamp record (and not record 1), the sentence after the
// first after it; each counts only when complete, within GgaPairingWindowMs of the reading's
// tick on either side, and supplying values.
PairedPosition PairGgaSentences(VlxRecords& records, const std::vector<int32_t>& ggaRecords, int32_t timeStampRecord,
                                int32_t readingTick);

}  // namespace converters
