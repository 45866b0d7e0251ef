// Program-wide state of the review screen: the view (live, decay or profile review) that the
// command handler keeps, and the place in the review lists, which only the review routing
// moves. The lists themselves (offsets, numbers, tags) belong to the review reader, which
// fills the counts.
#pragma once

#include <cstdint>

// -1 live display, 0 review showing decays, 1 review showing profiles.
extern int32_t ReviewMode;
// The item chosen in the review-view combo box (0 "Decay", 1 "Profiles").
extern int32_t ReviewViewChoice;

class ShownReadingKey;

// Where the review stands: the entries of the line list, of the station and reading lists of
// the view, and of the repetition list, with the shown line, direction, station and record
// numbers. Written together, only by the routine that moves the review to a place (it holds
// the key, review_shown.h); everywhere else read through the const names below.
struct ReviewPlace {
    int32_t LineIndex = 0;
    int32_t StationIndex = 0;
    int32_t RecordIndex = 0;
    int32_t RepetitionIndex = 0;
    double LineNumber = 0.0;
    int32_t LineDirection = 0;
    double StationNumber = 0.0;
    int32_t RecordNumber = 0;
};
void SetReviewPlace(ShownReadingKey, const ReviewPlace& place);

// Selected entries of the review lists.
extern const int32_t& ReviewLineIndex;
extern const int32_t& ReviewStationIndex;
extern const int32_t& ReviewRecordIndex;
extern const int32_t& ReviewRepetitionIndex;
// Entries of the lists: lines of the file, stations of the line, readings of the station;
// stations of the profile plot; readings of the station for the chosen repetition; the
// standard-repetition entries and the user-gate sets of the repetition list.
extern int32_t ReviewLineCount;
extern int32_t ReviewStationCount;
extern int32_t ReviewRecordCount;
extern int32_t ReviewListedStationCount;
extern int32_t ProfileRecordCount;
extern int32_t ReviewStandardEntryCount;
extern int32_t ReviewUserGateEntryCount;
// Processing of the decay view (0 "Single", 1 "Selected", 2 "Average", 3 "Avg.+All") and of
// the profile view.
extern int32_t ProcessingChoice;
extern int32_t ProfileProcessingChoice;
// The shown line, direction, station and record of the reviewed reading.
extern const double& ReviewLineNumber;
extern const int32_t& ReviewLineDirection;
extern const double& ReviewStationNumber;
extern const int32_t& ReviewRecordNumber;
