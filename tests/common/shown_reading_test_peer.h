// The tests' own way to put a reading on show, field by field, and to put the review at a
// place; in the program only the review routing can do either.
#pragma once

#include "vlox/datafile/review_shown.h"
#include "vlox/datafile/review_state.h"

#include <cstring>

class ShownReadingTestPeer {
public:
    // The reading shown now, to change and show again or to put back.
    static ShownReadingData Current()
    {
        ShownReadingData s;
        s.Reading = ReviewReading;
        std::memcpy(s.Values, ReviewDisplayValues, sizeof s.Values);
        s.Offset = ReviewShownOffset;
        s.Read = ReviewShownRead;
        s.Tag = ReviewShownTag;
        return s;
    }
    static void Show(const ShownReadingData& s) { SetShownReading(ShownReadingKey{}, s); }
    static void Place(const ReviewPlace& p) { SetReviewPlace(ShownReadingKey{}, p); }
};
