#include "vlox/datafile/review_state.h"

int32_t ReviewMode = -1;
int32_t ReviewViewChoice = 0;

int32_t ReviewLineIndex = 0;
int32_t ReviewStationIndex = 0;
int32_t ReviewRecordIndex = 0;
int32_t ReviewRepetitionIndex = 0;
int32_t ReviewLineCount = 0;
int32_t ReviewStationCount = 0;
int32_t ReviewRecordCount = 0;
int32_t ReviewListedStationCount = 0;
int32_t ProfileRecordCount = 0;
int32_t ReviewStandardEntryCount = 0;
int32_t ReviewUserGateEntryCount = 0;
int32_t ProcessingChoice = 0;
int32_t ProfileProcessingChoice = 0;
double ReviewLineNumber = 0.0;
int32_t ReviewLineDirection = 0;
double ReviewStationNumber = 0.0;
int32_t ReviewRecordNumber = 0;
