#include "vlox/datafile/review_state.h"

#include "vlox/datafile/review_shown.h"

namespace {

// Written in this file alone, by SetReviewPlace.
ReviewPlace Place;

}  // namespace

int32_t ReviewMode = -1;
int32_t ReviewViewChoice = 0;

const int32_t& ReviewLineIndex = Place.LineIndex;
const int32_t& ReviewStationIndex = Place.StationIndex;
const int32_t& ReviewRecordIndex = Place.RecordIndex;
const int32_t& ReviewRepetitionIndex = Place.RepetitionIndex;
int32_t ReviewLineCount = 0;
int32_t ReviewStationCount = 0;
int32_t ReviewRecordCount = 0;
int32_t ReviewListedStationCount = 0;
int32_t ProfileRecordCount = 0;
int32_t ReviewStandardEntryCount = 0;
int32_t ReviewUserGateEntryCount = 0;
int32_t ProcessingChoice = 0;
int32_t ProfileProcessingChoice = 0;
const double& ReviewLineNumber = Place.LineNumber;
const int32_t& ReviewLineDirection = Place.LineDirection;
const double& ReviewStationNumber = Place.StationNumber;
const int32_t& ReviewRecordNumber = Place.RecordNumber;

void SetReviewPlace(ShownReadingKey, const ReviewPlace& place)
{
    Place = place;
}
