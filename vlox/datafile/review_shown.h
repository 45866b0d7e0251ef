// The reading the review shows: the parsed reading, its gate values in the display unit, the
// offset of its W record, whether it could be read and its own tag. Everything that names,
// draws, prints or writes "the reading shown" reads it here, and only through const access:
// the one routine that moves the review to a place (ShowReviewPlace, the review routing) holds
// the key that ShowReviewReading and SetReviewPlace (review_state.h) ask for, so no other code
// can compile a write.
#pragma once

#include "vlox/datafile/review_reader.h"
#include "vlox/datafile/review_selection.h"

#include <cstdint>

class ReviewOps;

// Made only by the routine that moves the review to a place (and by the tests' own peer, which
// no program file defines).
class ShownReadingKey {
    ShownReadingKey() = default;
    friend void ShowReviewPlace(ReviewOps& ops, int32_t line, int32_t station, int32_t record, int32_t repetition);
    friend class ShownReadingTestPeer;
};

// A reading read for showing: what ShowReviewReading takes over, made by ReadReadingToShow.
struct ShownReadingData {
    ReviewReadingData Reading;         // blank when it could not be read, but for its list's gates
    double Values[MaxGateCount] = {};  // display unit, at its own gate times
    int64_t Offset = -1;               // -1: none shown
    int32_t Read = 0;                  // 1 read and converted
    int32_t Tag = 0;                   // its tag in the list it was shown from (-1 excluded)
    FileMessage Failure;               // the reader's message when it could not be read
};

extern const ReviewReadingData& ReviewReading;
extern const double (&ReviewDisplayValues)[MaxGateCount];
// -1: none shown yet.
extern const int64_t& ReviewShownOffset;
// 1 when the reading shown could be read; 0 when it could not (its place is kept all the
// same, so that nothing meant for it lands on another reading) or none is shown.
extern const int32_t& ReviewShownRead;
// The tag of the reading shown as its list gave it: -1 excluded, 0 included, 1 also chosen.
extern const int32_t& ReviewShownTag;

// The reading at offset with its tag, read and converted at its own gate times; offset -1
// reads none. One that cannot be read (or none) is blank but for the rate index, gate set and
// gate count of the list it is shown from, where listed gives them: the plots, frames and
// numbers then stay those of the list. Changes nothing.
ShownReadingData ReadReadingToShow(const ReviewContext& ctx, int64_t offset, int32_t tag,
                                   const RepetitionGates& listed);

// Makes the reading at offset the one the review shows: read into ReviewReading, the review's
// gate tables built from it, converted into ReviewDisplayValues, its comment taken. 1 when
// read. One that cannot be read still takes the place (the blank reading of ReadReadingToShow,
// ReviewShownRead 0, values and reading comment cleared) and the reader's message is reported;
// offset -1 shows none.
int32_t ShowReviewReading(ShownReadingKey, const ReviewContext& ctx, int64_t offset, int32_t tag,
                          const RepetitionGates& listed);
// The take-over of ShowReviewReading: s becomes the reading shown, with its comment and the
// review's gate tables of its rate and gate set (of a blank reading's user gates none can be
// built: they are left).
void SetShownReading(ShownReadingKey, const ShownReadingData& s);

// The values of the reading shown become row station of the profile (the profile view shows a
// listed station's reading); nothing when it could not be read.
void CopyShownReadingToProfileRow(int32_t station);
